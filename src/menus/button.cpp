#include "menus/button.h"

#include "core/game_context.h"
#include "core/pointer.h"
#include "core/screen_units.h"
#include "core/sprites.h"
#include "menus/go_to_link.h"

namespace menus {
namespace {

using core::kHalfHeightUnits;
using core::kHalfWidthUnits;
using core::kPixelsPerUnit;
constexpr int64_t kScreenHeightPx = static_cast<int64_t>(core::kScreenHeightPx);
constexpr float kScalePerUnit = 0.625f;  // a sprite of scale s covers s / 0.625 units

EHandle CreateButtonImage(const std::string& file, const ScreenRect& rect) {
  if (file.empty()) return 0;
  const EnginePlacement at = ScreenToEngine(rect);
  return core::MakeSprite(
      {.textureFile = file.c_str(), .scale = {at.scaleW, at.scaleH}, .location = {at.x, at.y}});
}

}  // namespace

bool ScreenRect::Holds(int32_t x, int32_t y) const {
  // 64-bit sums: the rectangle comes from a file and may be anything.
  return x >= left && int64_t{x} <= int64_t{left} + width && y >= top && int64_t{y} <= int64_t{top} + height;
}

EnginePlacement ScreenToEngine(const ScreenRect& rect) {
  const int64_t centreX = int64_t{rect.left} + rect.width / 2;
  const int64_t centreY = kScreenHeightPx - rect.top - rect.height / 2;
  return {static_cast<float>(centreX) / kPixelsPerUnit - kHalfWidthUnits,
          static_cast<float>(centreY) / kPixelsPerUnit - kHalfHeightUnits,
          static_cast<float>(rect.width) * kScalePerUnit / kPixelsPerUnit,
          static_cast<float>(rect.height) * kScalePerUnit / kPixelsPerUnit};
}

int32_t EngineToPixelX(float x) { return static_cast<int32_t>((x + kHalfWidthUnits) / (2 * kHalfWidthUnits) * core::kScreenWidthPx); }
int32_t EngineToPixelY(float y) { return static_cast<int32_t>((kHalfHeightUnits - y) / (2 * kHalfHeightUnits) * core::kScreenHeightPx); }

void TButton::Create(const ScreenRect& hoverRect, const ScreenRect& normalRect, const ScreenRect& exitRect,
                     const std::string& hoverFile, const std::string& normalFile, const std::string& exitFile,
                     const std::string& action) {
  hoverRect_ = hoverRect;
  normalRect_ = normalRect;
  exitRect_ = exitRect;
  hoverImage_ = CreateButtonImage(hoverFile, hoverRect);
  normalImage_ = CreateButtonImage(normalFile, normalRect);
  exitImage_ = CreateButtonImage(exitFile, exitRect);
  action_ = action;
  hovered_ = false;
  visible_ = true;
  enabled_ = !IsExit();
}

void TButton::Hover() {
  const auto cursor = core::CursorPosition();
  if (!cursor) return;
  core::PlaceCursor(*cursor);
  HoverAt(EngineToPixelX(cursor->x), EngineToPixelY(cursor->y));
}

void TButton::Draw() {
  for (EHandle image : {hoverImage_, normalImage_, exitImage_}) iSpriteHide(image);
  if (!visible_) return;
  if (enabled_) {
    iSpriteShow(hovered_ ? hoverImage_ : normalImage_);
  } else {
    iSpriteShow(IsExit() ? exitImage_ : normalImage_);
  }
}

void TButton::Click() {
  if (!IsExit()) menus::OpenLink(action_);
}

}  // namespace menus
