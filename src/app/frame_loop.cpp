// EngineRun: the work of one frame, chosen by GameState, and the services
// the frame runs on: the work other threads hand it, the window commands it
// takes and the input it reads.
#include <string>

#include "core/game_context.h"
#include "app/main_form.h"
#include "actors/fire.h"
#include "core/music.h"
#include "menus/front_end.h"
#include "menus/menu_keys.h"
#include "menus/world_access.h"
#include "platform/tick_clock.h"
#include "menus/share_screen.h"
#include "engine_link/pad_reports.h"
#include "world/game.h"

namespace app {
namespace {

constexpr uint32_t kCursorStepMs = 20;

// The play screen's captions, in the font's glyph code (ASCII).
constexpr const char* kLevelLabel = "LEVEL: ";  // 7 bytes, then the number
constexpr EngineVec kLevelTextAt{9, 8.9f, 0};
constexpr EngineVec kScoreTextAt{9.5f, 9.7f, 0};
constexpr EngineVec kHudTextScale{0.35f, 0.35f, 0};

constexpr const char* kLevelCaption = "LEVEL   ";   // 8 bytes ending in a space, then the coming level
constexpr EngineVec kLevelCaptionAt{-7, 0, 0};
constexpr EngineVec kLevelCaptionScale{1, 1, 0};
constexpr const char* kPauseCaption = "PAUSED";
constexpr EngineVec kPauseCaptionAt{2, 0, 0};
constexpr EngineVec kPauseCaptionScale{2, 2, 0};
constexpr float kPrintSpacing = 0.1f;           // the font's own letter spacing, for every print
constexpr int32_t kFlameThrower = 4, kLaser = 3; // weapons with sounds of their own

// Loops of the weapons that are not in hand stop; no weapon sounds without Ctrl (fire).
void WeaponSoundUpkeep() {
  const core::SharedResources& res = core::Ctx().res;
  const uint8_t state = core::GameState();
  if (state == core::gsPlaying) {
    const bool firing = core::KeyHeld(keys::kLeftCtrl) || core::KeyHeld(keys::kRightCtrl);
    const int32_t weapon = menus::world_access::CurrentWeapon();
    const bool gunInHand = weapon != kFlameThrower && weapon != kLaser;
    if (!firing || weapon != kFlameThrower) iSoundStop(res.fireSound, 0);
    if (!firing || weapon != kLaser) iSoundStop(res.laserSound, 0);
    if (!firing || !gunInHand) iSoundStop(res.gunSound, 0);
  }
  // The railway loops on every train level (every third one).
  const world::TGame* game = core::Ctx().game.get();
  const bool onTrain = game && game->levelKind == world::kTrainLevel;
  if (core::TraitsOf(state).railwayPlays && onTrain && !iSoundPlaying(res.railwaySound)) {
    iSoundPlay(res.railwaySound, -1);
  }
}

// The active menu's work of the frame.
void LevelIntroCaption() {
  // Printed texts stay until hidden: the caption is drawn afresh each frame.
  iPrintsHide();
  iPrintColorSet(1, 1, 1, 1);
  const std::string caption = kLevelCaption + std::to_string(menus::world_access::Level() + 1);
  iPrint(caption.c_str(), &kLevelCaptionAt, &kLevelCaptionScale, kPrintSpacing, core::Ctx().res.mainFont);
  iPrintColorSet(1, 1, 1, 1);
}

void PauseCaption() {
  iPrintColorSet(0.65f, 0.2f, 0.6f, 1.0f);
  iPrintCentered(kPauseCaption, &kPauseCaptionAt, &kPauseCaptionScale, kPrintSpacing, core::Ctx().res.mainFont, 0);
  iPrintColorSet(1, 1, 1, 1);
}

}  // namespace

void TMainForm::PlayScreenTexts() {
  const core::GameContext& ctx = core::Ctx();
  iPrintColorSet(0, 1, 0, 1);
  const std::string level = kLevelLabel + std::to_string(ctx.game->Level());
  iPrint(level.c_str(), &kLevelTextAt, &kHudTextScale, kPrintSpacing, ctx.res.mainFont);
  const std::string score = std::to_string(ctx.game->Score());
  iPrint(score.c_str(), &kScoreTextAt, &kHudTextScale, kPrintSpacing, ctx.res.mainFont);
  iPrintColorSet(1, 1, 1, 1);
}

void TMainForm::CursorAnimationStep() {
  core::GameContext& ctx = core::Ctx();
  const uint32_t now = platform::GetTickCount();
  if (now - ctx.cursorTick <= kCursorStepMs) return;
  ctx.cursorTick = now;
  ctx.cursorFrame = ctx.cursorFrame % core::kCursorFrames + 1;
  iSpriteTextureSet(ctx.res.cursorSprite, ctx.res.cursorTextures[ctx.cursorFrame]);
}

void TMainForm::SoundUpkeep() {
  const core::SharedResources& res = core::Ctx().res;
  const uint8_t state = core::GameState();
  if (state != core::gsPlaying) {
    for (EHandle sound : {res.stepSound, res.gunSound, res.laserSound, res.fireSound}) iSoundStop(sound, 0);
  }
  if (!core::TraitsOf(state).railwayPlays) iSoundStop(res.railwaySound, 0);
}

void TMainForm::SoundRestoreAfterHide() {
  core::GameContext& ctx = core::Ctx();
  if (!ctx.pendingSoundRestore || window_.State() != platform::WindowState::kNormal) return;
  ctx.ActiveSettings.SoundOn = ctx.rememberedSoundOn;
  ctx.ActiveSettings.MusicOn = ctx.rememberedMusicOn;
  ctx.pendingSoundRestore = false;
  if (ctx.ActiveSettings.MusicOn) core::PlayMusic(ctx.musicChoice != 0 ? "1" : "2");
}

void TMainForm::EngineRun() {
  // Work that other threads handed to the frame thread comes first.
  RunFrameTasks();
  if (watch_ || watchAtStart_) {
    WatchFrame();
    return;
  }
  RunFrame(CaptureInput());
}

void TMainForm::RunFrame(const core::FrameInput& input) {
  core::Ctx().frameInput.Begin(input);
  if (runObserver) runObserver->FrameBegun(input);
  for (core::FrameCommand command : input.commands) ApplyFrameCommand(command);

  const uint8_t state = core::GameState();
  if (!core::TraitsOf(state).cursorStill) CursorAnimationStep();
  if (state == core::gsShareScreen) {
    if (auto& screen = menus::Menus().shareScreen) screen->Frame();
    if (runObserver) runObserver->FrameEnded();
    return;
  }

  KeyboardStep();
  MouseMoveStep();
  MouseClickStep();
  // Only the main menu's start goes from no game to a level build.
  if (runObserver && !core::GameInProgress(state) && core::GameState() == core::gsLevelBuild && !restarting_) {
    runObserver->RunStarted(input);
  }

  FrameWork();
  if (runObserver) runObserver->FrameEnded();
}

// The window's own chords, before any screen's keys: the hide key, Alt+Tab
// and Alt+Enter. True when Alt+Enter switched the window mode (the frame's
// other keys are then left alone).
bool TMainForm::GlobalKeys(uint8_t modifiers) {
  using menus::kAltHeld, menus::kCtrlHeld, menus::kShiftHeld;
  core::GameContext& ctx = core::Ctx();
  const core::TSettings& active = ctx.ActiveSettings;
  const uint8_t required = (active.BossKeyAlt ? kAltHeld : 0) | (active.BossKeyShift ? kShiftHeld : 0) |
                           (active.BossKeyCtrl ? kCtrlHeld : 0);
  const auto hideAllowed = [] { return !core::TraitsOf(core::GameState()).ignoresHideKey; };
  // The modifiers first: a key that is not the hot key's chord stays for the key capture.
  if (modifiers == required && menus::Clicked(active.BossKey)) {
    if (hideAllowed()) HideGame();
    if (core::GameState() == core::gsOptionsKeyCapture) core::SetGameState(core::gsOptions);
  }
  // The two Alt chords act once per press, not on every frame they are held.
  const bool alt = (modifiers & kAltHeld) != 0;
  const bool altTab = alt && menus::Held(keys::kTab);
  if (altTab && !ctx.input.altTabHeld && hideAllowed()) HideGame();
  ctx.input.altTabHeld = altTab;
  const bool altEnter = alt && menus::Held(keys::kEnter);
  const bool switchNow = altEnter && !ctx.input.altEnterHeld;
  ctx.input.altEnterHeld = altEnter;
  if (switchNow) SwitchWindowMode();
  return switchNow;
}

void TMainForm::KeyboardStep() {
  const uint8_t modifiers = menus::HeldModifiers();
  if (GlobalKeys(modifiers)) return;
  if (menus::TScreen* screen = menus::Menus().InputScreen(core::TraitsOf(core::GameState()).input)) {
    screen->Keys(modifiers);
  }
}

void TMainForm::MouseMoveStep() {
  const auto at = core::CursorPosition();
  if (!at) return;
  core::PlaceCursor(*at);
  core::InputMemory& memory = core::Ctx().input;
  if (at->x == memory.previousX && at->y == memory.previousY) return;
  if (menus::TScreen* screen = menus::Menus().InputScreen(core::TraitsOf(core::GameState()).input)) {
    screen->Hover(*at);
  }
  memory.previousX = at->x;
  memory.previousY = at->y;
}

void TMainForm::MouseClickStep() {
  const auto at = core::CursorPosition();
  // A click is always taken, so one made outside the window is not kept for later.
  const bool clicked = core::TakeClick();
  if (!at) return;
  core::PlaceCursor(*at);
  if (!clicked) return;
  if (menus::TScreen* screen = menus::Menus().InputScreen(core::TraitsOf(core::GameState()).input)) {
    screen->Click(*at);
  }
}

void TMainForm::RunStartFrame(const core::FrameInput& input) {
  core::Ctx().frameInput.Begin(input);
  FrameWork();
  if (runObserver) runObserver->FrameEnded();
}

void TMainForm::FrameWork() {
  // Texts stay until they are hidden: the play screen's are printed anew
  // every frame, so last frame's go first.
  if (hudTextsShown_) {
    iPrintsHide();
    hudTextsShown_ = false;
  }

  SoundUpkeep();
  WeaponSoundUpkeep();
  if (menus::TScreen* screen = menus::Menus().FrameScreen(core::TraitsOf(core::GameState()).screen)) screen->Frame();
  if (core::GameState() == core::gsLevelIntro) LevelIntroCaption();

  world::TGame* game = core::Ctx().game.get();
  if (game && core::GameState() == core::gsLevelBuild) {
    // The main menu's start makes the world's resources first; a build
    // reached any other way must not run without them.
    if (!game->worldActive) game->CreateWorldResources();
    game->StartNextLevel();
    core::SetGameState(core::gsPlaying);
  }
  if (game && game->worldActive && core::GameState() == core::gsPlaying) game->WorldStep();
  if (core::GameState() == core::gsPaused) PauseCaption();
  if (game && core::TraitsOf(core::GameState()).firesBurn) {
    for (const auto& thing : game->foregroundObjects) {
      if (actors::TFire* fire = thing->AsFire()) fire->Emit();
    }
  }
  if (core::TraitsOf(core::GameState()).mainMenuBeside) menus::Menus().mainMenu.HighlightFade();
  if (game && game->worldActive && core::TraitsOf(core::GameState()).firesBurn) {
    PlayScreenTexts();
    hudTextsShown_ = true;
  }

  SoundRestoreAfterHide();
}

void TMainForm::PostToFrame(std::function<void()> task) {
  std::lock_guard lock(frameTasksMutex_);
  frameTasks_.push_back(std::move(task));
}

void TMainForm::QueueFrameCommand(core::FrameCommand command) {
  std::lock_guard lock(frameCommandsMutex_);
  // A frame takes a bounded number; a flood while no frame runs keeps the first.
  if (frameCommands_.size() < core::kMaxFrameCommands) frameCommands_.push_back(command);
}

std::vector<core::FrameCommand> TMainForm::TakeFrameCommands() {
  std::lock_guard lock(frameCommandsMutex_);
  std::vector<core::FrameCommand> commands;
  commands.swap(frameCommands_);
  return commands;
}

core::FrameInput TMainForm::CaptureInput() {
  const core::PadLayout layout = core::PadLayoutOf(core::GameState());
  const core::Controls& controls = core::Ctx().controls;
  padKeys_.Frame(engine_link::ReadPadReports(library_.phases()), layout, controls);
  core::Ctx().padButtonsPressed = padKeys_.buttonsPressed();
  const core::KeyLayout keys{.play = layout == core::PadLayout::kPlay,
                             .controls = &controls,
                             .hideKey = core::Ctx().ActiveSettings.BossKey};
  return core::CaptureFrameInput(TakeFrameCommands(), padKeys_, keys);
}

void TMainForm::ApplyFrameCommand(core::FrameCommand command) {
  switch (command) {
    case core::FrameCommand::kSwitchWindowMode:
      SwitchWindowMode();
      break;
    case core::FrameCommand::kCloseBox:
      // The state may have moved on since the close box was pressed.
      if (core::TraitsOf(core::GameState()).closeBoxAsksToQuit) menus::Menus().exitMenu.OpenFromCloseBox();
      break;
    case core::FrameCommand::kMinimize:
    case core::FrameCommand::kPadRemoved:
      // A player who looks away, or whose pad came unplugged, is not left to die.
      if (core::GameState() == core::gsPlaying) core::SetGameState(core::gsPaused);
      break;
  }
}

void TMainForm::RunFrameTasks() {
  // The run's pauses that are over come first, as they did when the window timed them.
  if (core::Ctx().game) core::Ctx().game->session.FrameStart();
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard lock(frameTasksMutex_);
    tasks.swap(frameTasks_);
  }
  for (auto& task : tasks) task();
}

}  // namespace app
