#include "menus/menu_common.h"

#include <string>

#include "core/game_context.h"
#include "core/sprites.h"
#include "platform/shell.h"

namespace menus {

EHandle CreatePicture(const char* textureFile, float w, float h, float x, float y) {
  // On no camera, like every menu picture: sprites are drawn in screen
  // space whatever camera they name.
  return core::MakeSprite({.camera = 0, .textureFile = textureFile, .scale = {w, h}, .location = {x, y}});
}

void FadeHighlight(EHandle highlight, double& opacity, bool lit) {
  if (lit) {
    if (opacity < 1) opacity += kFadeStep;
  } else if (opacity > 0) {
    opacity -= kFadeStep;
  }
  SetHighlight(highlight, opacity);
}

void SetHighlight(EHandle highlight, double opacity) {
  iSpriteColorSet(highlight, 1, 1, 1, static_cast<float>(opacity));
}

void PlayClick(bool restart) {
  const core::GameContext& ctx = core::Ctx();
  if (!ctx.ActiveSettings.SoundOn) return;
  if (restart) {
    iSoundPlayNow(ctx.res.clickSound, 0);
  } else {
    iSoundPlay(ctx.res.clickSound, 0);
  }
}

void ShowSprites(std::initializer_list<EHandle> sprites) {
  for (EHandle sprite : sprites) iSpriteShow(sprite);
}

void HideSprites(std::initializer_list<EHandle> sprites) {
  for (EHandle sprite : sprites) iSpriteHide(sprite);
}

void SetPrintColor(float r, float g, float b, float a) { iPrintColorSet(r, g, b, a); }

void PrintText(std::string_view text, float x, float y, float scale) {
  const std::string copy(text);  // the engine takes a terminated string
  const EngineVec location{x, y, 0};
  const EngineVec size{scale, scale, 0};
  iPrint(copy.c_str(), &location, &size, kTextSpacing, core::Ctx().res.mainFont);
}

void SetTextSelected(bool selected) {
  if (selected) {
    SetPrintColor(1, 1, 1);
  } else {
    SetPrintColor(kDimGrey, kDimGrey, kDimGrey);
  }
}

uint8_t WrapItem(uint8_t item, bool up, uint8_t count) {
  if (up) return item <= 1 ? count : item - 1;
  return item >= count ? 1 : item + 1;
}

void OpenOutsideTheGame(const std::string& target, const std::function<void(core::RestartRecord&)>& markRestart) {
  core::GameContext& ctx = core::Ctx();
  core::Shell& shell = core::TheShell();
  if (ctx.ActiveSettings.Windowed == 1) {
    shell.Minimize();
    shell.PostToWindow([target] { platform::Shell::Open(target); });
    return;
  }
  core::RestartRecord record = ctx.restart;
  markRestart(record);
  // The new process waits minimised, so the page opened for the player stays
  // in view; activating the game brings it back full screen.
  record.openEngine = 0;
  if (!core::WriteRestartRecord(record)) return;
  ctx.restart = record;
  shell.RestartAndOpenLink();
}

}  // namespace menus
