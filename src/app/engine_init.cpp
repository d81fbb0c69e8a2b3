// The engine's init phase: every shared resource of the process, with the
// loading bar stepping while the menus are built.
#include <cstdio>

#include "core/game_context.h"
#include "core/restart_record.h"
#include "core/game_files.h"
#include "core/sprites.h"
#include "core/screen_units.h"
#include "app/main_form.h"
#include "core/music.h"
#include "world/play_screen.h"
#include "app/world_resume.h"
#include "menus/front_end.h"
#include "menus/typing.h"
#include "platform/file_io.h"
#include "platform/game_path.h"
#include "menus/share_screen.h"
#include "world/game.h"

namespace app {
namespace {

constexpr size_t kMaxMeshBytes = 1 << 20;

struct EffectSound {
  EHandle core::SharedResources::*handle;
  const char* file;
};
constexpr EffectSound kEffectSounds[] = {
    {&core::SharedResources::clickSound, "sound\\mainmenuchg.WAV"},
    {&core::SharedResources::stepSound, "sound\\step.WAV"},
    {&core::SharedResources::gunSound, "sound\\shot_gun.WAV"},
    {&core::SharedResources::laserSound, "sound\\shot_laser.WAV"},
    {&core::SharedResources::fireSound, "sound\\fire.WAV"},
    {&core::SharedResources::railwaySound, "sound\\railway.WAV"},
    {&core::SharedResources::hitSound, "sound\\hit.WAV"},
    {&core::SharedResources::heroDeathSound, "sound\\hero_die.WAV"},
};

}  // namespace

void TMainForm::StepLoadingBar(int stage) {
  core::SharedResources& res = core::Ctx().res;
  iSpriteTextureSet(res.loadingBar, res.loadingBarTextures[stage]);
  iRender();
}

void TMainForm::ShowResumedScreen() {
  menus::TFrontEnd& menus = menus::Menus();
  const core::GameStateTraits& state = core::TraitsOf(core::GameState());
  // A state a restart resumes as another never comes back as itself.
  if (state.resumesAs != 0) return;
  // The end-of-run screens stand over the lowered world, as the player left them.
  if (state.inProgress && !state.playScreen) {
    world::ShowPlayScreen();
    world::LowerActors();
  }
  switch (state.screen) {
    case core::StateScreen::kMainMenu:
      menus.mainMenu.Show();
      break;
    // The side screens stand beside the main menu column, as when opened from it.
    case core::StateScreen::kOptions:
      menus.mainMenu.Show();
      menus.optMenu.ShowSprites();
      break;
    case core::StateScreen::kControls:
      menus.mainMenu.Show();
      menus.controlsMenu.Show();
      break;
    case core::StateScreen::kRecords:
      menus.mainMenu.Show();
      menus.recordsMenu.ShowSprites();
      break;
    case core::StateScreen::kHelp:
      menus.mainMenu.Show();
      menus.helpMenu.Show();
      break;
    case core::StateScreen::kDialog:
      // The dialog over play comes with the play screen (EngineInit).
      if (!state.playScreen) menus.exitMenu.Show();
      break;
    case core::StateScreen::kRecordEntry:
      // As the records check opens it: the add text comes from the settings
      // (the snapshot keeps only the name), so a save keeps the player's text.
      menus.recordInput.addText() = menus::AddTextOf(core::Ctx().ActiveSettings);
      menus.recordInput.Open();
      break;
    case core::StateScreen::kGameOver:
      // The records check comes after its wait, counted again from here.
      iSpriteShow(core::Ctx().res.gameOverPicture);
      core::Ctx().game->session.AwaitRecordsCheck();
      break;
    case core::StateScreen::kShareScreen:
      // Quitting was confirmed: the promotion screen comes up again.
      menus.shareScreen = std::make_unique<menus::TShareScreen>();
      menus.shareScreen->Load();
      break;
    case core::StateScreen::kNone: case core::StateScreen::kPlay:
      break;
  }
}

void TMainForm::EngineInit() {
  core::GameContext& ctx = core::Ctx();
  core::SharedResources& res = ctx.res;

  // 1-2: camera.
  iEscEnable(0);
  res.mainCamera = iCameraCreate(0, 0, 1.0f, 1.0f);
  const EngineVec cameraLocation{0, 0, -10};
  iCameraLocationSet(res.mainCamera, &cameraLocation);
  iCameraFovSet(res.mainCamera, 45.0f);

  // 3: the mesh every world sprite is made from, kept in memory.
  if (auto mesh = platform::ReadWholeFile(platform::GamePath(core::kSpriteMesh), kMaxMeshBytes)) {
    res.spriteMesh = std::move(*mesh);
  } else {
    res.spriteMesh.clear();
  }
  iTextureMipLevelsSet(1);

  // 4: music.
  res.gameMusic = iSoundOggCreate("sound\\Game.ogg", 0, 0);
  res.menuMusic = iSoundOggCreate("sound\\Menu.ogg", 0, 0);

  // 5: loading screens.
  res.loadingPicture1 = core::MakeSprite(
      {.textureFile = "data\\loading1.jpg", .scale = {core::kFullScreenScaleW, core::kFullScreenScaleH}, .priority = 1});
  iSpriteShow(res.loadingPicture1);
  res.loadingPicture2 = core::MakeSprite(
      {.textureFile = "data\\loading2.jpg", .scale = {core::kFullScreenScaleW, core::kFullScreenScaleH}, .priority = 1});

  // 6: loading bar at its first stage, drawn at once.
  res.loadingBar = core::MakeSprite({.scale = {13, 1.7f}, .location = {0, -7.35f}, .priority = 1});
  res.loadingBarTextures[1] = iTextureCreate("data\\l1.png");
  iSpriteTextureSet(res.loadingBar, res.loadingBarTextures[1]);
  iSpriteShow(res.loadingBar);
  iRender();
  for (int n = 2; n <= core::kLoadingBarStages; ++n) {
    char file[32];
    std::snprintf(file, sizeof file, "data\\l%d.png", n);
    res.loadingBarTextures[n] = iTextureCreate(file);
  }
  StepLoadingBar(2);

  // 7: menu background and game-over picture.
  // On no camera, like the menus' pictures.
  res.menuBackground = core::MakeSprite({.camera = 0,
                                   .textureFile = "data\\background.jpg",
                                   .scale = {core::kFullScreenScaleW, core::kFullScreenScaleH},
                                   .priority = 2});
  res.gameOverPicture = core::MakeSprite({.camera = 0,
                                    .textureFile = "data\\GameOver.png",
                                    .scale = {core::kFullScreenScaleW, core::kFullScreenScaleH},
                                    .location = {0, 0}});

  // 8: a resumed game's world from its snapshot (between levels, the next
  // level built at once).
  ResumeWorld();

  // 9: the menus, with the bar stepping between them.
  menus::Menus().BuildAll([this](int stage) { StepLoadingBar(stage); });

  // 10: fonts (no mip levels for their atlases).
  iTextureMipLevelsSet(0);
  res.mainFont = iFontCreate(core::kMainFontFile, res.mainCamera);
  res.secondFont = iFontCreate(core::kSecondFontFile, res.mainCamera);
  StepLoadingBar(10);
  iTextureMipLevelsSet(1);

  // 11: the animated cursor.
  res.cursorSprite = core::MakeSprite({});
  const EngineVec centre{0.5f, 0.5f, 0};
  iMouseReset(&centre);
  for (int n = 1; n <= core::kCursorFrames; ++n) {
    char file[32];
    std::snprintf(file, sizeof file, "data\\cur%d.png", n);
    res.cursorTextures[n] = iTextureCreate(file);
  }
  ctx.cursorFrame = 1;
  iSpriteTextureSet(res.cursorSprite, res.cursorTextures[1]);

  // 12.
  ctx.PendingSettings = ctx.ActiveSettings;

  // 13: the screen of a resumed menu state. The restart record has served
  // (a resumed game's was used up as its snapshot was read).
  ShowResumedScreen();
  core::UseUpRestartRecord();
  // 14: a resumed game shows the play screen without the pointer.
  if (core::PlayScreenState(core::GameState())) {
    world::ShowPlayScreen();
    if (core::GameState() == core::gsGameExitConfirm) {
      world::LowerActors();
      menus::Menus().exitMenu.Show();
    }
    iSpriteHide(res.cursorSprite);
  }

  // 15.
  if (ctx.musicChoice != 0) iSpriteShow(res.menuBackground);

  // 16: cursor on top of everything, hidden on the play screen.
  core::SetSpriteLocation(res.cursorSprite, 0.5f, 0.5f);
  iSpriteShow(res.cursorSprite);
  iSpritePrioritySet(res.cursorSprite, 1);
  if (core::PlayScreenState(core::GameState()) || core::GameState() == core::gsGameOverWait) iSpriteHide(res.cursorSprite);

  // 17: effect sounds.
  for (const EffectSound& sound : kEffectSounds) res.*sound.handle = iSoundCreate(sound.file, 0);

  // 18.
  iSpriteHide(res.loadingPicture1);
  iSpriteHide(res.loadingBar);
  iFrqSet(kFrameMs / 1000.0f);
  // A game resumed in play keeps the game music its level build started.
  core::PlayMusic(ctx.musicChoice != 0 ? "1" : "2");
}

}  // namespace app
