#include "game_harness.h"

#include "world/world_snapshot.h"

namespace testing_support {

GameHarness::GameHarness(uint32_t seed) : seed_(seed) {
  engine_.Install();
  platform::SetTickClock(&clock_);
  clock_.Set(100000);
  form_ = std::make_unique<app::TMainForm>(noLibrary_);
}

GameHarness::~GameHarness() {
  form_.reset();
  platform::SetTickClock(nullptr);
  engine_.Uninstall();
}

void GameHarness::Start() {
  form_->ReadStartupFiles();
  context().random.Seed(seed_);
  if (!context().restarted) core::SetGameState(core::gsMainMenu);
  form_->EngineInit();
}

void GameHarness::StartPlaying() {
  world::WorldSnapshot fresh;
  fresh.header.energy = 5;
  fresh.header.lives = 3;
  world::WriteWorldSnapshot(fresh);
  folder_.Write("data/boss.dat", {1, core::gsLevelIntro, 0, 0, 0, 0});
  Start();
}

void GameHarness::Frame(int count) {
  for (int i = 0; i < count; ++i) {
    clock_.Advance(kFrameMs);
    engine_.clock += kFrameMs / 1000.0;
    form_->Window().RunPending();
    form_->EngineRun();
    ++frames_;
    for (int32_t code : tapped_) engine_.keysDown.erase(code);
    tapped_.clear();
    engine_.keysClicked.clear();
  }
}

bool GameHarness::RunUntil(const std::function<bool()>& done, int maxFrames) {
  for (int i = 0; i < maxFrames; ++i) {
    if (done()) return true;
    Frame();
  }
  return done();
}

void GameHarness::Hold(int32_t scanCode) {
  engine_.keysDown.insert(scanCode);
  SyncFrameInput();
}

void GameHarness::Release(int32_t scanCode) {
  engine_.keysDown.erase(scanCode);
  SyncFrameInput();
}

void GameHarness::SyncFrameInput() {
  core::FrameInput input = context().frameInput.input();
  input.held.reset();
  for (int32_t code : engine_.keysDown) {
    if (code > 0 && code < core::kScanCodes) input.held.set(static_cast<size_t>(code));
  }
  input.pointerX = engine_.mouseX;
  input.pointerY = engine_.mouseY;
  context().frameInput.Begin(input);
}

void GameHarness::Tap(int32_t scanCode) {
  engine_.keysDown.insert(scanCode);
  engine_.keysClicked.insert(scanCode);
  tapped_.push_back(scanCode);
}

void GameHarness::MoveMouse(float x, float y) {
  engine_.mouseX = x;
  engine_.mouseY = y;
  SyncFrameInput();
}

}  // namespace testing_support
