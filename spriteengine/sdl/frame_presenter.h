// How the SDL window shows the engine's 800 x 600 frame, letterboxed with
// black bars at any window size, linearly filtered:
// - through SDL's renderer where the machine draws with a graphics card:
//   the frame goes into a streaming texture once a frame, and the card
//   stretches it and draws the bars;
// - else in the window's own surface: the frame is stretched by
//   FrameStretch on the engine's drawing threads, only the frame's
//   rectangle is sent to the display, and the bars are painted and sent
//   only when the surface is new. The stretch is done when the frame is
//   prepared (after it is drawn), the send when it is due.
#pragma once

#include <SDL2/SDL.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/raster.h"
#include "core/stretch.h"

namespace spriteengine::sdl {

// The largest 4:3 rectangle centred in w x h.
SDL_Rect Letterbox(int w, int h);

// What sending pixels to the display costs, learnt from the sends made:
// seconds a pixel, averaged over recent sends of a fair size (a small send
// is mostly the round trip). One stalled send moves it only a little.
class SendCost {
 public:
  void Sent(double pixels, double seconds);
  // Seconds to send `pixels`; 0 until a send has been measured.
  double Estimate(double pixels) const { return perPixel_ * pixels; }

  static constexpr double kLeastPixels = 100000;

 private:
  double perPixel_ = 0;
};

// Splits rows between drawing threads (WindowEvents::RunOnDrawingThreads).
using RowSplitter = std::function<void(int rows, const std::function<void(int, int)>& work)>;

class FramePresenter {
 public:
  virtual ~FramePresenter() = default;
  // "renderer NAME" or "surface".
  virtual std::string Name() const = 0;
  // Gets a frame (of kFrameWidth x kFrameHeight) ready to be shown, ahead
  // of the moment it is due; the frame must not change until it is shown.
  virtual void Prepare(const Frame& frame) {}
  // Shows a frame: the one given to Prepare when it came before (since the
  // last Show), else this one.
  virtual void Show(const Frame& frame) = 0;
  // Seconds that showing the prepared frame is expected to take, so that
  // it can begin that much before the frame is due (0: nothing known).
  virtual double SendEstimate() const { return 0; }
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
// The window-surface path; `sent` (if any) is told each send's rectangles
// (the whole surface as one).
using SendWatcher = std::function<void(const std::vector<SDL_Rect>& rects)>;
std::unique_ptr<FramePresenter> MakeSurfacePresenter(SDL_Window* window, RowSplitter split, SendWatcher sent = {});

}  // namespace spriteengine::sdl
