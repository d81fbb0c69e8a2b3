// The main form's side of watching a replay: starting it over the records
// screen (or at start for a replay file), the watcher's keys and window
// commands while it plays, and the way back.
#include <cstdio>

#include "app/main_form.h"
#include "core/data_hash.h"
#include "core/game_context.h"
#include "core/music.h"
#include "core/sprites.h"
#include "engine_link/scan_codes.h"
#include "menus/front_end.h"

namespace app {
namespace {

// Under the play screen's panel, over the scenery: the caption's plate
// (400 x 40 pixels from x = 12, y = 130 of the frame), the name printed in
// its room from x = 160 of the plate, the state of the watch beside it.
constexpr float kCaptionY = 6.0f;
constexpr EngineVec kWatchNameAt{-9.12f, kCaptionY, 0};
constexpr EngineVec kWatchTextScale{0.35f, 0.35f, 0};
constexpr float kWatchTextSpacing = 0.1f;

EHandle MakeWatchPicture(const char* file, float scaleW, float x) {
  return core::MakeSprite({.camera = 0, .textureFile = file, .scale = {scaleW, 1}, .location = {x, kCaptionY}, .priority = 1});
}

// Alt+Enter, Alt+Tab or the hide key, as the game's keyboard step knows them.
bool GameChord(const core::FrameInput& input, const core::TSettings& settings) {
  const bool alt = input.held[keys::kLeftAlt] || input.held[keys::kRightAlt];
  const bool shift = input.held[keys::kLeftShift] || input.held[keys::kRightShift];
  const bool ctrl = input.held[keys::kLeftCtrl] || input.held[keys::kRightCtrl];
  const bool hideKey = settings.BossKey < core::kScanCodes && input.pressed[settings.BossKey] &&
                       alt == (settings.BossKeyAlt == 1) && shift == (settings.BossKeyShift == 1) &&
                       ctrl == (settings.BossKeyCtrl == 1);
  return hideKey || (alt && (input.held[keys::kEnter] || input.held[keys::kTab]));
}

void ShowWhen(EHandle sprite, bool shown) {
  if (shown) {
    iSpriteShow(sprite);
  } else {
    iSpriteHide(sprite);
  }
}

}  // namespace

std::optional<std::vector<uint8_t>> TMainForm::FinishedRunReplay(int32_t score) {
  return runObserver ? runObserver->FinishedRunReplay(score) : std::nullopt;
}

std::string TMainForm::WatchReplay(const std::string& path, const std::string& caption) {
  if (watch_ || restarting_) return "A replay is already playing.";
  if (!dataHash_) dataHash_ = core::HashDataFiles();
  WatchableReplay watchable = ReadWatchableReplay(path, *dataHash_);
  if (!watchable.replay) return watchable.why;
  StartWatching(std::move(*watchable.replay), caption);
  return {};
}

void TMainForm::WatchAtStart(core::Replay replay, std::string caption) {
  watchAtStart_ = std::move(replay);
  watchCaption_ = std::move(caption);
  exitAfterWatch_ = true;
}

void TMainForm::StartWatching(core::Replay replay, std::string caption) {
  core::GameContext& ctx = core::Ctx();
  // A run's file still being written goes to disk before the player's files are set aside.
  if (runObserver) runObserver->FinishWrites();
  menus::TFrontEnd& menus = menus::Menus();
  menus.mainMenu.Hide();
  menus.recordsMenu.HideSprites();
  iSpriteHide(ctx.res.menuBackground);
  iSpriteHide(ctx.res.cursorSprite);
  iPrintsHide();
  core::StopMusic("");
  if (watchCaptionSprite_ == 0) {
    watchCaptionSprite_ = MakeWatchPicture("data\\Replay.png", 10, -7.52f);
    watchPausedSprite_ = MakeWatchPicture("data\\ReplayPaused.png", 3, 2.4f);
    watchFastSprite_ = MakeWatchPicture("data\\ReplayFast.png", 3, 2.4f);
  }
  iSpriteShow(watchCaptionSprite_);
  watchCaption_ = std::move(caption);
  ReplayWatch::Host host;
  host.camera = ctx.res.mainCamera;
  host.mainFont = ctx.res.mainFont;
  host.secondFont = ctx.res.secondFont;
  host.soundOn = ctx.ActiveSettings.SoundOn;
  host.musicOn = ctx.ActiveSettings.MusicOn;
  host.printOverlay = [this] { PrintWatchOverlay(); };
  watching_ = true;
  watch_ = std::make_unique<ReplayWatch>(std::move(replay), std::move(host));
  PrintWatchOverlay();
}

void TMainForm::PrintWatchOverlay() {
  const core::GameContext& ctx = core::Ctx();
  iPrintColorSet(1, 1, 1, 1);
  iPrint(watchCaption_.c_str(), &kWatchNameAt, &kWatchTextScale, kWatchTextSpacing, ctx.res.mainFont);
}

void TMainForm::WatchFrame() {
  if (watchAtStart_) {
    StartWatching(std::move(*watchAtStart_), std::move(watchCaption_));
    watchAtStart_.reset();
  }
  const core::FrameInput viewer = CaptureInput();
  bool gameCommand = false;
  for (core::FrameCommand command : viewer.commands) {
    gameCommand = gameCommand || command == core::FrameCommand::kCloseBox || command == core::FrameCommand::kSwitchWindowMode;
  }
  // The close box, a switch of window mode and the game's own chords (Alt+Enter,
  // the hide key, Alt+Tab) end the replay, and the frame goes to the game as
  // its own: a restart comes back to the table the replay was watched from.
  if (gameCommand || GameChord(viewer, core::Ctx().ActiveSettings)) {
    StopWatching();
    RunFrame(viewer);
    if (exitAfterWatch_ && !restarting_) Exit();
    return;
  }
  if (!watch_->Frame(viewer)) {
    StopWatching();
    if (exitAfterWatch_) Exit();
    return;
  }
  ShowWhen(watchPausedSprite_, watch_->Paused());
  ShowWhen(watchFastSprite_, !watch_->Paused() && watch_->FastForward());
}

void TMainForm::StopWatching() {
  watch_.reset();
  watching_ = false;
  core::GameContext& ctx = core::Ctx();
  for (EHandle sprite : {watchCaptionSprite_, watchPausedSprite_, watchFastSprite_}) iSpriteHide(sprite);
  iPrintsHide();
  if (exitAfterWatch_) return;
  menus::TFrontEnd& menus = menus::Menus();
  iSpriteShow(ctx.res.menuBackground);
  menus.mainMenu.Show();
  menus.recordsMenu.ShowSprites();
  iSpriteShow(ctx.res.cursorSprite);
  if (ctx.ActiveSettings.MusicOn) core::PlayMusic("1");
}

}  // namespace app
