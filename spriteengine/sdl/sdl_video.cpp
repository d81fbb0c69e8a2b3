#include "sdl_video.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/dik_table.h"
#include "core/game_path.h"
#include "core/geometry.h"
#include "core/input_state.h"
#include "frame_presenter.h"
#include "sdl_pads.h"
#include "spriteengine/engine_api.h"
#include "window_place.h"

namespace spriteengine::sdl {

namespace {

constexpr const char* kTitle = "Varnok";
constexpr const char* kComposeFileVariable = "XCOMPOSEFILE";
constexpr const char* kEmptyComposeFile = "/dev/null";

// Starts SDL video. Keys are read as keys, never as composed text, yet X's
// input method parses the locale's whole compose table when SDL opens it
// (about a quarter of the work before the first frame): it gets an empty one
// for the call only, unless the player chose one, so programs the game
// starts keep theirs.
bool StartVideo() {
  bool own = std::getenv(kComposeFileVariable) == nullptr;
  if (own) ::setenv(kComposeFileVariable, kEmptyComposeFile, 1);
  bool ok = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  if (own) ::unsetenv(kComposeFileVariable);
  return ok;
}

int ButtonOf(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
  }
}

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Whether the environment names a display to show the window on (or a video
// driver chosen by hand, such as kmsdrm on a console).
bool DisplayNamed() { return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("SDL_VIDEODRIVER"); }

// SDL falls back on its "offscreen" and "dummy" drivers when no display can
// be reached; a window there shows nobody anything, so the game would run
// unseen. They are used only when SDL_VIDEODRIVER asks for them.
bool DriverShowsNothing() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)) return false;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  return !asked || std::strcmp(asked, driver) != 0;
}

class SdlVideo : public VideoBackend {
 public:
  ~SdlVideo() override { Close(); }

  const char* Name() const override { return "sdl"; }

  bool Open(bool fullScreen, WindowEvents* events) override {
    events_ = events;
    SetVideoHints();
    if (!DisplayNamed()) {
      // SDL would probe every driver (and its libraries would print their
      // own complaints) before settling on one that shows nothing.
      Warn("no graphical display: DISPLAY and WAYLAND_DISPLAY are not set");
      return false;
    }
    if (!StartVideo()) {
      Warn(std::string("SDL video cannot start: ") + SDL_GetError());
      return false;
    }
    videoStarted_ = true;
    if (DriverShowsNothing()) {
      Warn("no graphical display (DISPLAY and WAYLAND_DISPLAY name none that can be reached)");
      Close();
      return false;
    }
    fullScreen_ = fullScreen;
    Uint32 flags = SDL_WINDOW_RESIZABLE | (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED, w = kFrameWidth, h = kFrameHeight;
    windowPlace_ = RememberedWindowPlace();
    std::optional<int> display = windowPlace_ ? DisplayHolding(*windowPlace_) : std::nullopt;
    if (!display) windowPlace_.reset();  // its monitor has gone: start centred
    SDL_Rect bounds;
    if (fullScreen && SDL_GetDisplayBounds(display.value_or(0), &bounds) == 0) {
      // Already the display's size and place: without a window manager nobody
      // would move or resize it there.
      x = bounds.x, y = bounds.y, w = bounds.w, h = bounds.h;
    } else if (!fullScreen && windowPlace_) {
      x = windowPlace_->x, y = windowPlace_->y, w = windowPlace_->w, h = windowPlace_->h;
    }
    // An OpenGL renderer needs a window made for it (SDL would make the
    // window again otherwise); where OpenGL cannot work at all, the window
    // is made without it and the surface shows the frames.
    RendererChoice renderer = ChooseRenderer();
    bool openGl = renderer.driver == "opengl";
    window_ = SDL_CreateWindow(kTitle, x, y, w, h, flags | (openGl ? SDL_WINDOW_OPENGL : 0));
    if (!window_ && openGl) {
      renderer = {};
      window_ = SDL_CreateWindow(kTitle, x, y, w, h, flags);
    }
    if (!window_) {
      Warn(std::string("SDL cannot make the window: ") + SDL_GetError());
      Close();
      return false;
    }
    // In full screen the game draws its own pointer; the desktop's never shows.
    if (fullScreen_) SDL_ShowCursor(SDL_DISABLE);
    presenter_ = MakeRendererPresenter(window_, renderer);
    if (!presenter_) {
      presenter_ = MakeSurfacePresenter(window_, [events](int rows, const std::function<void(int, int)>& work) {
        events->RunOnDrawingThreads(rows, work);
      });
    }
    pads_.Open(events);
    presenter_->ShowBlack();
    return true;
  }

  void Close() override {
    pads_.Close();
    NoteWindowPlace();
    if (windowPlace_) RememberWindowPlace(*windowPlace_);
    presenter_.reset();
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    shown_ = false;
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoStarted_ = false;
  }

  bool HandleEvent(int waitMs) override {
    SDL_Event e;
    int got = waitMs > 0 ? SDL_WaitEventTimeout(&e, waitMs) : SDL_PollEvent(&e);
    if (!got) return false;
    Dispatch(e);
    return true;
  }

  bool ShowsFrames() const override { return true; }

  void Prepare(const Frame& frame) override {
    if (presenter_) presenter_->Prepare(frame);
  }

  void Present(const Frame& frame) override {
    if (!presenter_) return;
    presenter_->Show(frame);
    shown_ = true;
  }

  double PresentLead() const override { return presenter_ ? presenter_->SendEstimate() : 0; }

  std::string PresentPath() const override { return presenter_ ? presenter_->Name() : ""; }

  void Command(int command) override {
    if (!window_) return;
    switch (command) {
      case VARNOK_WINDOW_MINIMIZE: SDL_MinimizeWindow(window_); break;
      case VARNOK_WINDOW_RESTORE:
        SDL_ShowWindow(window_);
        SDL_RestoreWindow(window_);
        break;
      case VARNOK_WINDOW_ACTIVATE: SDL_RaiseWindow(window_); break;
      case VARNOK_WINDOW_CLOSE: SDL_HideWindow(window_); break;
      default: break;
    }
  }

  void SetSystemCursorHidden(bool hidden) override {
    if (videoStarted_) SDL_ShowCursor(hidden || fullScreen_ ? SDL_DISABLE : SDL_ENABLE);
  }

  void WarpPointer(float x, float y) override {
    if (!window_ || !(SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS)) return;
    SDL_Rect r = WindowLetterbox();
    SDL_WarpMouseInWindow(window_, r.x + static_cast<int>(x * r.w), r.y + static_cast<int>(y * r.h));
  }

 private:
  SDL_Rect WindowLetterbox() const {
    int w = kFrameWidth, h = kFrameHeight;
    if (window_) SDL_GetWindowSize(window_, &w, &h);
    return Letterbox(w, h);
  }

  void Pointer(int x, int y) {
    SDL_Rect r = WindowLetterbox();
    if (r.w <= 0 || r.h <= 0) return;
    events_->OnPointer(static_cast<float>(x - r.x) / r.w, static_cast<float>(y - r.y) / r.h);
  }

  // Remembers the window's size and place while it is a normal window (not
  // full screen, maximised or minimised), for the next window made.
  void NoteWindowPlace() {
    const Uint32 notNormal = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_MAXIMIZED |
                             SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN;
    if (!window_ || (SDL_GetWindowFlags(window_) & notNormal)) return;
    SDL_Rect r;
    SDL_GetWindowPosition(window_, &r.x, &r.y);
    SDL_GetWindowSize(window_, &r.w, &r.h);
    if (PlausibleWindowPlace(r)) windowPlace_ = r;
  }

  void Dispatch(const SDL_Event& e) {
    if (pads_.Handle(e)) return;
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (int dik = DikOfScancode(e.key.keysym.scancode)) events_->OnKey(dik, e.type == SDL_KEYDOWN);
        break;
      case SDL_MOUSEMOTION: Pointer(e.motion.x, e.motion.y); break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        Pointer(e.button.x, e.button.y);
        if (int b = ButtonOf(e.button.button); b >= 0) events_->OnMouseButton(b, e.type == SDL_MOUSEBUTTONDOWN);
        break;
      case SDL_WINDOWEVENT: DispatchWindow(e.window); break;
      default: break;  // SDL_QUIT included: the game decides when to quit
    }
  }

  void DispatchWindow(const SDL_WindowEvent& w) {
    switch (w.event) {
      case SDL_WINDOWEVENT_CLOSE: events_->OnWindowCommand(VARNOK_WINDOW_CLOSE); break;
      case SDL_WINDOWEVENT_MINIMIZED:
        events_->OnVisible(false);
        events_->OnWindowCommand(VARNOK_WINDOW_MINIMIZE);
        break;
      case SDL_WINDOWEVENT_MAXIMIZED: events_->OnWindowCommand(VARNOK_WINDOW_MAXIMIZE); break;
      case SDL_WINDOWEVENT_RESTORED:
        events_->OnVisible(true);
        events_->OnWindowCommand(VARNOK_WINDOW_RESTORE);
        break;
      case SDL_WINDOWEVENT_SHOWN: events_->OnVisible(true); break;
      case SDL_WINDOWEVENT_FOCUS_GAINED: events_->OnWindowCommand(VARNOK_WINDOW_ACTIVATE); break;
      case SDL_WINDOWEVENT_FOCUS_LOST: events_->OnWindowCommand(VARNOK_WINDOW_DEACTIVATE); break;
      case SDL_WINDOWEVENT_LEAVE: events_->OnPointer(kPointerOutside, kPointerOutside); break;
      case SDL_WINDOWEVENT_MOVED: NoteWindowPlace(); break;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        NoteWindowPlace();
        if (presenter_) presenter_->Resized();
        events_->OnRepaintNeeded();
        break;
      case SDL_WINDOWEVENT_EXPOSED:
        if (shown_ && presenter_) presenter_->Exposed();
        break;
      default: break;
    }
  }

  WindowEvents* events_ = nullptr;
  bool videoStarted_ = false;
  SDL_Window* window_ = nullptr;
  bool fullScreen_ = false;
  std::optional<SDL_Rect> windowPlace_;  // last size and place as a normal window
  SdlPads pads_;
  std::unique_ptr<FramePresenter> presenter_;
  bool shown_ = false;  // a frame has been shown
};

class SdlPlaceholder : public PlaceholderWindow {
 public:
  bool Create() override {
    SetVideoHints();
    if (!StartVideo()) return false;
    window_ = SDL_CreateWindow(kTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kFrameWidth, kFrameHeight,
                               SDL_WINDOW_MINIMIZED);
    if (!window_) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      return false;
    }
    SDL_MinimizeWindow(window_);
    return true;
  }

  void Pump(const std::function<void(int)>& forward) override {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type != SDL_WINDOWEVENT) continue;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_RESTORED:
          forward(VARNOK_WINDOW_ACTIVATE);
          forward(VARNOK_WINDOW_RESTORE);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: forward(VARNOK_WINDOW_ACTIVATE); break;
        case SDL_WINDOWEVENT_CLOSE: forward(VARNOK_WINDOW_CLOSE); break;
        default: break;
      }
    }
  }

  void Destroy() override {
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

 private:
  SDL_Window* window_ = nullptr;
};

}  // namespace

void SetVideoHints() {
  // Default priority: an SDL_* environment variable of the same name wins.
  // Where the window's surface shows the frame (frame_presenter.h), SDL is
  // not to put a renderer of its own behind it: the surface is plain memory
  // sent to the display.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
}

std::unique_ptr<VideoBackend> MakeSdlVideo() { return std::make_unique<SdlVideo>(); }
std::unique_ptr<PlaceholderWindow> MakeSdlPlaceholder() { return std::make_unique<SdlPlaceholder>(); }

}  // namespace spriteengine::sdl
