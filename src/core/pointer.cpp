#include "core/pointer.h"

#include "core/game_context.h"
#include "core/screen_units.h"

namespace core {

std::optional<CursorPoint> CursorPosition() {
  const float mx = Ctx().frameInput.PointerX();
  const float my = Ctx().frameInput.PointerY();
  // In a window the engine's pointer position is relative to the frame it
  // draws; outside 0..1 the pointer is outside the window.
  if (Ctx().ActiveSettings.Windowed == 1 && (mx < 0 || mx > 1 || my < 0 || my > 1)) return std::nullopt;
  return CursorPoint{mx * 2 * kHalfWidthUnits - kHalfWidthUnits, kHalfHeightUnits - my * 2 * kHalfHeightUnits};
}

void PlaceCursor(CursorPoint at) {
  const EngineVec location{at.x, at.y, 0};
  iSpriteLocationSet(Ctx().res.cursorSprite, &location);
}

}  // namespace core
