// Start-up, restart and system commands of the main window, with the test
// engine library turning the phases and the recording fake engine behind the
// game's operations.
#include "app/main_form.h"
#include "core/music.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "actors/combat.h"
#include "core/game_context.h"
#include "fake_engine.h"
#include "platform/shell.h"
#include "platform/tick_clock.h"
#include "temp_game_folder.h"
#include "world/game.h"
#include "world/world_snapshot.h"

namespace app {
namespace {

using testing_support::TempGameFolder;

const std::string kTestEngine = std::string(VARNOK_TEST_LIBS_DIR) + "/test_engine.so";

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(kTestEngine.c_str(), RTLD_NOW);
    ASSERT_NE(handle_, nullptr);
    reinterpret_cast<void (*)(int, int)>(dlsym(handle_, "TestEngine_Reset"))(1, -1);
    framesRun_ = reinterpret_cast<int (*)()>(dlsym(handle_, "TestEngine_FramesRun"));
    ASSERT_TRUE(library_.Load(kTestEngine));
    fake_.Install();
    // The game ends an engine instance through iExit; let it reach the test engine.
    iExit = reinterpret_cast<void (*)()>(dlsym(handle_, "iExit"));
    platform::SetTickClock(&clock_);
    platform::Shell::SetSpawner([this](const std::vector<std::string>& argv, const std::string&) {
      spawned_.push_back(argv);
      return true;
    });
    form_ = std::make_unique<TMainForm>(library_);
  }
  void TearDown() override {
    form_.reset();
    platform::Shell::SetSpawner(nullptr);
    platform::SetTickClock(nullptr);
    fake_.Uninstall();
    library_.Unload();
    if (handle_) dlclose(handle_);
  }
  // Lets the engine thread run a few frames.
  void RunFrames(int frames = 3) {
    const int start = framesRun_();
    for (int i = 0; i < 1000 && framesRun_() < start + frames && form_->EngineHost.Running(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  // ... then ends it so the fake can be read.
  void RunFramesThenStop(int frames = 3) {
    RunFrames(frames);
    form_->EngineHost.StopEngine();
  }
  void WriteRestart(std::vector<uint8_t> bytes) { folder_.Write("data/boss.dat", bytes); }

  TempGameFolder folder_;
  core::ScopedGameContext context_;
  engine_link::EngineLibrary library_;
  fake::FakeEngine fake_;
  platform::FakeTickClock clock_;
  std::vector<std::vector<std::string>> spawned_;
  std::unique_ptr<TMainForm> form_;
  void* handle_ = nullptr;
  int (*framesRun_)() = nullptr;
};

TEST_F(MainFormTest, FirstStartOpensTheMainMenuWithTheEngineAtOnce) {
  form_->FormCreate();
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_TRUE(form_->EngineHost.Running());
  RunFramesThenStop();

  EXPECT_EQ(folder_.Read("data/settings.dat").size(), 20u);
  EXPECT_EQ(folder_.Read("data/records.dat").size(), 160u);
  EXPECT_TRUE(fake_.systemCursorHidden);
  EXPECT_FLOAT_EQ(fake_.frameSeconds, 0.015f);
  const fake::Sound* menuMusic = fake_.SoundFor("sound\\Menu.ogg");
  ASSERT_NE(menuMusic, nullptr);
  EXPECT_TRUE(menuMusic->playing);
  EXPECT_EQ(menuMusic->loops, -1);
  EXPECT_FALSE(fake_.SoundFor("sound\\Game.ogg")->playing);
}

TEST_F(MainFormTest, InitShowsTheMenuBackgroundAndTheCursorAndHidesTheLoadingScreen) {
  form_->FormCreate();
  RunFramesThenStop();
  const auto background = fake_.SpritesShowing("data\\background.jpg");
  ASSERT_EQ(background.size(), 1u);
  EXPECT_TRUE(fake_.sprites[background[0]].shown);
  EXPECT_EQ(fake_.sprites[background[0]].priority, 2);
  const auto loading = fake_.SpritesShowing("data\\loading1.jpg");
  ASSERT_EQ(loading.size(), 1u);
  EXPECT_FALSE(fake_.sprites[loading[0]].shown);
  // The loading bar stepped through all ten stages, drawing each.
  EXPECT_EQ(fake_.SpritesShowing("data\\l10.png").size(), 1u);
  EXPECT_GE(fake_.renders, 10);
  // The cursor is animated: after a few frames it shows some frame of the crosshair.
  EHandle cursor = 0;
  for (const auto& [handle, sprite] : fake_.sprites) {
    if (fake_.TextureFile(sprite.texture).rfind("data\\cur", 0) == 0) cursor = handle;
  }
  ASSERT_NE(cursor, 0u);
  EXPECT_TRUE(fake_.sprites[cursor].shown);
  EXPECT_EQ(fake_.sprites[cursor].priority, 1);
}

TEST_F(MainFormTest, RestartThatStartsMinimisedOpensTheEngineOnActivation) {
  WriteRestart({0, core::gsMainMenu, 1, 0, 0, 0});
  form_->FormCreate();
  EXPECT_EQ(folder_.Read("data/boss.dat").at(0), 1) << "kept until the engine opens, for a start that opens at once";
  EXPECT_FALSE(form_->EngineHost.Running());
  EXPECT_EQ(form_->Window().State(), platform::WindowState::kMinimized);

  form_->Window().PostCommand(VARNOK_WINDOW_ACTIVATE);
  form_->Window().RunPending();
  EXPECT_TRUE(form_->EngineHost.Running());
  EXPECT_EQ(form_->Window().State(), platform::WindowState::kNormal);
  RunFramesThenStop();
  EXPECT_TRUE(fake_.SoundFor("sound\\Menu.ogg")->playing);
  EXPECT_FALSE(folder_.Exists("data/boss.dat"));
}

TEST_F(MainFormTest, ActivatingARunningRestartedGameDoesNotRestartItsEngine) {
  WriteRestart({1, core::gsOptions, 1, 0, 0, 0});
  form_->FormCreate();
  EXPECT_EQ(core::GameState(), core::gsOptions);
  ASSERT_TRUE(form_->EngineHost.Running());
  form_->Window().PostCommand(VARNOK_WINDOW_ACTIVATE);
  form_->Window().RunPending();
  RunFramesThenStop(2);
  EXPECT_EQ(fake_.CountCalls("iCameraCreate"), 1) << "one init phase: the engine was not reopened";
  form_->FormActivate();
  EXPECT_FALSE(form_->EngineHost.Running()) << "a later activation does not reopen it either";
}

// A saved level with two boxes and one enemy, as a restart in play leaves it.
void WriteSavedLevel() {
  world::WorldSnapshot level;
  level.header.level = 1;
  level.header.energy = 5;
  level.header.lives = 3;
  level.hero.groundY = level.hero.y = -8;
  level.hero.halfHeight = 1.9L;
  level.hero.halfWidth = 1.5L;
  level.things = {{world::snapshot::kCodeBox, 10, -8, 1.5L, 1.5L}, {world::snapshot::kCodeBox, 20, -8, 1.5L, 1.5L}};
  world::snapshot::EnemyRecord enemy;
  enemy.classCode = 1;
  enemy.x = 14;
  enemy.y = -8.2L;
  enemy.halfHeight = 1.5L;
  enemy.halfWidth = 1;
  enemy.hitPoints = 20;
  level.enemies = {enemy};
  ASSERT_TRUE(world::WriteWorldSnapshot(level));
}

TEST_F(MainFormTest, ARestartedGameMakesAndRestoresItsWorldOnceWhateverTheActivations) {
  for (uint8_t openEngine : {1, 0}) {
    SCOPED_TRACE(int(openEngine));
    core::ScopedGameContext fresh;
    fake_.Install();
    const int cameras = fake_.CountCalls("iCameraCreate");
    TMainForm form(library_);
    WriteSavedLevel();
    WriteRestart({openEngine, core::gsPlaying, 0, 0, 0, 0});
    form.FormCreate();
    for (int i = 0; i < 3; ++i) {
      form.Window().PostCommand(VARNOK_WINDOW_ACTIVATE);
      form.Window().RunPending();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(form.EngineHost.Running());
    const int start = framesRun_();
    for (int i = 0; i < 1000 && framesRun_() < start + 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    form.EngineHost.StopEngine();
    EXPECT_EQ(fake_.CountCalls("iCameraCreate") - cameras, 1) << "one init phase";
    EXPECT_EQ(core::GameState(), core::gsPlaying);
    const world::TGame& w = *core::Ctx().game;
    EXPECT_EQ(w.foregroundObjects.size(), 2u);
    EXPECT_EQ(static_cast<actors::TCombat&>(*core::Ctx().combat).Field().enemies.size(), 1u);
    int bodies = 0;
    for (EHandle sprite : fake_.SpritesShowing("data\\hbr1.png")) bodies += fake_.sprites[sprite].shown;
    EXPECT_EQ(bodies, 1) << "one hero on screen";
  }
}

TEST_F(MainFormTest, RestartRecordOpensItsPagesOnceAfterStart) {
  std::string url = "[InternetShortcut]\nURL=https://varnok.example.org/more\n";
  folder_.Write("moregames.url", std::vector<uint8_t>(url.begin(), url.end()));
  WriteRestart({1, core::gsMainMenu, 1, 0, 1, 1});
  form_->FormCreate();
  RunFramesThenStop(1);
  ASSERT_EQ(spawned_.size(), 2u);
  EXPECT_EQ(spawned_[0].back(), "https://varnok.example.org/more");
  // A later restart (Alt+Enter) does not ask for either page again.
  form_->SwitchWindowMode();
  const auto record = folder_.Read("data/boss.dat");
  EXPECT_EQ(record.at(4), 0);
  EXPECT_EQ(record.at(5), 0);
}

TEST_F(MainFormTest, CloseBoxOpensTheQuitDialogFromMenusAndDoesNothingInPlay) {
  core::SetGameState(core::gsMainMenu);
  EXPECT_TRUE(form_->SystemCommand(VARNOK_WINDOW_CLOSE));
  form_->EngineRun();
  EXPECT_EQ(core::GameState(), core::gsExitConfirm);
  EXPECT_FALSE(form_->Window().Closed());

  core::SetGameState(core::gsPlaying);
  EXPECT_TRUE(form_->SystemCommand(VARNOK_WINDOW_CLOSE));
  form_->EngineRun();
  EXPECT_EQ(core::GameState(), core::gsPlaying);
  EXPECT_FALSE(form_->Window().Closed());
}

TEST_F(MainFormTest, MinimisingMinimisesTheWindowAtOnce) {
  core::SetGameState(core::gsPlaying);
  form_->Window().PostCommand(VARNOK_WINDOW_MINIMIZE);
  form_->Window().RunPending();
  EXPECT_EQ(form_->Window().State(), platform::WindowState::kMinimized);
}

TEST_F(MainFormTest, ExitAndOpenPlayLinkEndsTheEngineOpensPlayLinkAndClosesAfterADelay) {
  std::string url = "[InternetShortcut]\nURL=https://varnok.example.org/play\n";
  folder_.Write("play.url", std::vector<uint8_t>(url.begin(), url.end()));
  form_->ExitAndOpenPlayLink();
  ASSERT_EQ(spawned_.size(), 1u);
  EXPECT_EQ(spawned_[0].back(), "https://varnok.example.org/play");
  clock_.Advance(99);
  form_->Window().RunPending();
  EXPECT_FALSE(form_->Window().Closed());
  clock_.Advance(1);
  form_->Window().RunPending();
  EXPECT_TRUE(form_->Window().Closed());
  EXPECT_EQ(spawned_.size(), 1u) << "kind 3 does not relaunch";
}

TEST_F(MainFormTest, ExitClosesAfterTheDelayWithNoLinkNoRelaunch) {
  folder_.Write("play.url", std::vector<uint8_t>{'x'});
  form_->Exit();
  clock_.Advance(99);
  form_->Window().RunPending();
  EXPECT_FALSE(form_->Window().Closed());
  clock_.Advance(1);
  form_->Window().RunPending();
  EXPECT_TRUE(form_->Window().Closed());
  EXPECT_TRUE(spawned_.empty());
}

// Also while its engine ends: the exit phase and any last frame run with the
// live form, which goes only after them.
TEST_F(MainFormTest, TheFormIsTheShellWhileItExists) {
  EXPECT_EQ(&core::TheShell(), form_.get());
  const core::Shell* form = form_.get();
  std::atomic<const core::Shell*> shellAtExit{nullptr};
  std::atomic<bool> exited{false};
  form_->EngineHost.OnExit = [&, exit = form_->EngineHost.OnExit] {
    shellAtExit = core::Ctx().shell;
    exited = true;
    exit();
  };
  form_->FormCreate();
  RunFrames();
  ASSERT_TRUE(form_->EngineHost.Running());
  form_.reset();
  EXPECT_TRUE(exited);
  EXPECT_EQ(shellAtExit, form);
  EXPECT_EQ(core::Ctx().shell, nullptr);
}

TEST_F(MainFormTest, SwitchingWindowModeWritesTheRestartRecordFlipsTheSettingAndRelaunches) {
  core::LoadSettings(core::Ctx().ActiveSettings);
  core::SetGameState(core::gsRecords);
  core::Ctx().musicChoice = 1;
  form_->SwitchWindowMode();
  EXPECT_EQ(folder_.Read("data/boss.dat"), (std::vector<uint8_t>{1, core::gsRecords, 1, 0, 0, 0}));
  EXPECT_EQ(folder_.Read("data/settings.dat")[0], 0) << "now full screen";
  EXPECT_EQ(core::Ctx().ActiveSettings.Windowed, 0);
  clock_.Advance(100);
  form_->Window().RunPending();
  EXPECT_TRUE(form_->Window().Closed());
  ASSERT_EQ(spawned_.size(), 1u);
  EXPECT_EQ(spawned_[0].size(), 1u) << "the game restarts itself with no arguments";
}

TEST_F(MainFormTest, MaximiseAndCaptionDoubleClickSwitchWindowMode) {
  core::LoadSettings(core::Ctx().ActiveSettings);
  core::SetGameState(core::gsMainMenu);
  form_->Window().PostCommand(VARNOK_WINDOW_MAXIMIZE);
  form_->Window().RunPending();
  EXPECT_EQ(core::Ctx().ActiveSettings.Windowed, 0);
  EXPECT_NE(form_->Window().State(), platform::WindowState::kMaximized) << "maximise is not passed on";
  EXPECT_TRUE(folder_.Exists("data/boss.dat"));
}

TEST_F(MainFormTest, HidingAWindowedGameMutesUntilTheWindowIsNormalAgain) {
  core::LoadSettings(core::Ctx().ActiveSettings);
  form_->EngineInit();
  core::SetGameState(core::gsMainMenu);
  form_->HideGame();
  EXPECT_EQ(form_->Window().State(), platform::WindowState::kMinimized);
  EXPECT_EQ(core::Ctx().ActiveSettings.MusicOn, 0);
  EXPECT_EQ(folder_.Read("data/settings.dat")[2], 1) << "the muting is not written";
  EXPECT_FALSE(fake_.SoundFor("sound\\Menu.ogg")->playing);

  form_->EngineRun();
  EXPECT_FALSE(fake_.SoundFor("sound\\Menu.ogg")->playing) << "still minimised";
  form_->Window().PostCommand(VARNOK_WINDOW_RESTORE);
  form_->Window().RunPending();
  form_->EngineRun();
  EXPECT_EQ(core::Ctx().ActiveSettings.MusicOn, 1);
  EXPECT_TRUE(fake_.SoundFor("sound\\Menu.ogg")->playing);
}

TEST_F(MainFormTest, HidingFullScreenRestartsMinimised) {
  core::LoadSettings(core::Ctx().ActiveSettings);
  core::Ctx().ActiveSettings.Windowed = 0;
  core::SetGameState(core::gsHelp);
  form_->HideGame();
  EXPECT_EQ(folder_.Read("data/boss.dat"), (std::vector<uint8_t>{0, core::gsHelp, 1, 0, 0, 0}));
}

TEST_F(MainFormTest, HideKeyIsIgnoredWhileCapturingAKeyOrInGameOver) {
  core::LoadSettings(core::Ctx().ActiveSettings);
  for (uint8_t state : {core::gsOptionsKeyCapture, core::gsGameOver}) {
    core::SetGameState(state);
    form_->HideGame();
    EXPECT_EQ(form_->Window().State(), platform::WindowState::kNormal);
    EXPECT_FALSE(core::Ctx().pendingSoundRestore);
  }
}

TEST_F(MainFormTest, LeavingPlaySilencesStepAndWeaponLoopsButNotTheTrainInTheQuitDialog) {
  form_->EngineInit();
  for (const char* file : {"sound\\step.WAV", "sound\\shot_gun.WAV", "sound\\railway.WAV"}) {
    for (auto& [handle, sound] : fake_.sounds) {
      if (sound.file == file) sound.playing = true;
    }
  }
  core::SetGameState(core::gsGameExitConfirm);
  form_->EngineRun();
  EXPECT_FALSE(fake_.SoundFor("sound\\step.WAV")->playing);
  EXPECT_FALSE(fake_.SoundFor("sound\\shot_gun.WAV")->playing);
  EXPECT_TRUE(fake_.SoundFor("sound\\railway.WAV")->playing);
  core::SetGameState(core::gsMainMenu);
  form_->EngineRun();
  EXPECT_FALSE(fake_.SoundFor("sound\\railway.WAV")->playing);
}

TEST_F(MainFormTest, CursorAnimatesOutsidePlayEveryTwentyMilliseconds) {
  form_->EngineInit();
  core::SetGameState(core::gsMainMenu);
  core::Ctx().cursorTick = clock_.Ticks();
  clock_.Advance(20);
  form_->EngineRun();
  EXPECT_EQ(core::Ctx().cursorFrame, 1) << "a step is due only after more than 20 ms";
  clock_.Advance(1);
  form_->EngineRun();
  EXPECT_EQ(core::Ctx().cursorFrame, 2);
  core::Ctx().cursorFrame = 15;
  clock_.Advance(21);
  form_->EngineRun();
  EXPECT_EQ(core::Ctx().cursorFrame, 1);
  core::SetGameState(core::gsPlaying);
  clock_.Advance(100);
  form_->EngineRun();
  EXPECT_EQ(core::Ctx().cursorFrame, 1);
}

TEST_F(MainFormTest, PlayMusicDoesNothingWithMusicOff) {
  form_->EngineInit();
  core::StopMusic("");
  core::Ctx().ActiveSettings.MusicOn = 0;
  core::PlayMusic("1");
  core::PlayMusic("2");
  EXPECT_FALSE(fake_.SoundFor("sound\\Menu.ogg")->playing);
  EXPECT_FALSE(fake_.SoundFor("sound\\Game.ogg")->playing);
  core::Ctx().ActiveSettings.MusicOn = 1;
  core::PlayMusic("2");
  EXPECT_TRUE(fake_.SoundFor("sound\\Game.ogg")->playing);
  core::PlayMusic("1");
  EXPECT_FALSE(fake_.SoundFor("sound\\Game.ogg")->playing);
  EXPECT_TRUE(fake_.SoundFor("sound\\Menu.ogg")->playing);
  core::PlayMusic("3");
  EXPECT_TRUE(fake_.SoundFor("sound\\Menu.ogg")->playing);
}

}  // namespace
}  // namespace app
