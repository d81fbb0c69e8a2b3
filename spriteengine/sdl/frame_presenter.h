// How the SDL window shows the engine's 800 x 600 frame, letterboxed with
// black bars at any window size, linearly filtered:
// - through SDL's renderer where the machine draws with a graphics card:
//   the frame goes into a streaming texture once a frame, and the card
//   stretches it and draws the bars;
// - else in the window's own surface: the frame is stretched by
//   FrameStretch on the engine's drawing threads, only the frame's
//   rectangle is sent to the display, and the bars are painted and sent
//   only when the surface is new.
#pragma once

#include <SDL2/SDL.h>

#include <functional>
#include <memory>
#include <string>

#include "core/raster.h"
#include "core/stretch.h"

namespace spriteengine::sdl {

// The largest 4:3 rectangle centred in w x h.
SDL_Rect Letterbox(int w, int h);

// Splits rows between drawing threads (WindowEvents::RunOnDrawingThreads).
using RowSplitter = std::function<void(int rows, const std::function<void(int, int)>& work)>;

class FramePresenter {
 public:
  virtual ~FramePresenter() = default;
  // "renderer NAME" or "surface".
  virtual std::string Name() const = 0;
  // Shows a frame (of kFrameWidth x kFrameHeight).
  virtual void Show(const Frame& frame) = 0;
  // Shows black until the first frame.
  virtual void ShowBlack() = 0;
  // The window system lost what the window showed: show it again.
  virtual void Exposed() = 0;
  // The window changed size; the engine shows the frame again after this.
  virtual void Resized() = 0;
};

// Which renderer to try, from SDL_RENDER_DRIVER and the machine: the asked
// driver (any but "software"), which is then used even if it draws on the
// processor; or, with none asked, "opengl" where the machine has a graphics
// device, used only if it really draws on the card. Empty: none.
struct RendererChoice {
  std::string driver;
  bool asked = false;
};
RendererChoice ChooseRenderer();

// The renderer path for `window` (made with SDL_WINDOW_OPENGL for an OpenGL
// driver), or null when the renderer or its texture cannot be made, or it
// turns out to draw in software and was not asked for (then it is gone
// again and the window's surface can be used).
std::unique_ptr<FramePresenter> MakeRendererPresenter(SDL_Window* window, const RendererChoice& choice);
// The window-surface path.
std::unique_ptr<FramePresenter> MakeSurfacePresenter(SDL_Window* window, RowSplitter split);

}  // namespace spriteengine::sdl
