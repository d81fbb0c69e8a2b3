// TButton: a free-standing image button placed in pixels of the 800 x 600
// screen (the promotion screen's buttons). It has a normal, a hover and an
// "exit" (disabled) image, each with its own rectangle; the normal image's
// rectangle is the button's hit area. Its action is a file to open, or "exit".
#pragma once

#include <cstdint>
#include <string>

#include "engine_link/engine_calls.h"

namespace menus {

inline constexpr const char* kExitAction = "exit";

// A rectangle in screen pixels, origin top left, y down.
struct ScreenRect {
  int32_t left = 0, top = 0, height = 0, width = 0;
  // Edges included.
  bool Holds(int32_t x, int32_t y) const;
};

// Where a pixel rectangle lands in engine units (centre and scale).
struct EnginePlacement {
  float x, y, scaleW, scaleH;
};
EnginePlacement ScreenToEngine(const ScreenRect& rect);
// Engine units back to whole pixels (truncated toward zero).
int32_t EngineToPixelX(float x);
int32_t EngineToPixelY(float y);

class TButton {
 public:
  // Images with an empty file name get no sprite. An "exit" button starts disabled.
  void Create(const ScreenRect& hoverRect, const ScreenRect& normalRect, const ScreenRect& exitRect,
              const std::string& hoverFile, const std::string& normalFile, const std::string& exitFile,
              const std::string& action);
  // Hover test against the pointer (and moves the cursor sprite there). A
  // pointer outside the window changes nothing.
  void Hover();
  // Sets the hover state from a pixel position (Hover's test).
  void HoverAt(int32_t px, int32_t py) { hovered_ = normalRect_.Holds(px, py); }
  // Shows the one image that fits the button's state.
  void Draw();
  // A click on a hovered button: opens its link; "exit" is handled by the screen.
  void Click();

  bool hovered() const { return hovered_; }
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled) { enabled_ = enabled; }
  bool IsExit() const { return action_ == kExitAction; }
  const std::string& action() const { return action_; }
  EHandle hoverImage() const { return hoverImage_; }
  EHandle normalImage() const { return normalImage_; }
  EHandle exitImage() const { return exitImage_; }

 private:
  EHandle hoverImage_ = 0, normalImage_ = 0, exitImage_ = 0;
  ScreenRect hoverRect_, normalRect_, exitRect_;
  std::string action_;       // file to open, or "exit"
  bool hovered_ = false;     // the pointer is over the normal image's rectangle
  bool enabled_ = true;      // an exit button waits for the countdown
  bool visible_ = true;
};

}  // namespace menus
