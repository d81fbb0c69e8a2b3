#include "frame_presenter.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/geometry.h"

namespace spriteengine::sdl {

namespace {

constexpr Uint8 kBlack = 0;

// Whether the machine has a graphics device a renderer could draw with (a
// DRM render node or card, or the proprietary NVIDIA device). Without one,
// OpenGL would only load a software rasteriser, at a cost of most of a
// second and tens of megabytes before the first frame.
bool HasGraphicsDevice() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0) return true;
  }
  return std::filesystem::exists("/dev/nvidiactl", error);
}

// Whether the current OpenGL context draws on the processor (Mesa's
// llvmpipe, softpipe or swrast).
bool DrawsInSoftware() {
  using GetString = const unsigned char* (*)(unsigned);
  constexpr unsigned kGlRenderer = 0x1F01;
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
  if (!name) return true;  // nothing to go by: do not count on it
  const char* text = reinterpret_cast<const char*>(name);
  for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
    if (std::strstr(text, software)) return true;
  return false;
}

int RenderDriverIndex(const std::string& name) {
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info;
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && info.name && ::strcasecmp(info.name, name.c_str()) == 0) return i;
  }
  return -1;
}

class RendererPresenter : public FramePresenter {
 public:
  RendererPresenter(SDL_Renderer* renderer, SDL_Texture* texture, std::string driver)
      : renderer_(renderer), texture_(texture), driver_(std::move(driver)) {}
  ~RendererPresenter() override {
    SDL_DestroyTexture(texture_);
    SDL_DestroyRenderer(renderer_);
  }

  std::string Name() const override { return "renderer " + driver_; }

  void Show(const Frame& frame) override {
    if (SDL_UpdateTexture(texture_, nullptr, frame.pixels.data(), frame.width * 4) != 0) return;
    hasFrame_ = true;
    Draw();
  }
  void ShowBlack() override {
    hasFrame_ = false;
    Draw();
  }
  // The texture still holds the frame: the card draws it again at the new size.
  void Exposed() override { Draw(); }
  void Resized() override { Draw(); }

 private:
  void Draw() {
    SDL_SetRenderDrawColor(renderer_, kBlack, kBlack, kBlack, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(renderer_);
    int w = 0, h = 0;
    if (hasFrame_ && SDL_GetRendererOutputSize(renderer_, &w, &h) == 0) {
      SDL_Rect dst = Letterbox(w, h);
      SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    }
    SDL_RenderPresent(renderer_);
  }

  SDL_Renderer* renderer_;
  SDL_Texture* texture_;
  std::string driver_;
  bool hasFrame_ = false;
};

class SurfacePresenter : public FramePresenter {
 public:
  SurfacePresenter(SDL_Window* window, RowSplitter split, SendWatcher sent)
      : window_(window), split_(std::move(split)), sent_(std::move(sent)) {}

  std::string Name() const override { return "surface"; }

  // The frame stretched into the surface now, so that showing it when it
  // is due is only the send: a frame's stretch costs more or less with
  // what changed in it, and done at the due time it would move the moment
  // the frame reaches the display by as much.
  void Prepare(const Frame& frame) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    // A frame prepared and never sent: the display lacks its rows too.
    const bool unsent = pending_.target == target && IsPainted(target);
    const bool unsentWhole = unsent && pending_.whole;
    pending_ = {target, false, target->w, target->h, {}};
    if (target->w == frame.width && target->h == frame.height) {
      if (target->format->format == SDL_PIXELFORMAT_RGB888 && !SDL_MUSTLOCK(target))
        CopyFrame(frame, static_cast<uint32_t*>(target->pixels), target->pitch);
      else if (Source source(frame); source.surface)
        SDL_BlitSurface(source.surface, nullptr, target, nullptr);
      Painted(target);
      lastShown_ = false;
      pending_.whole = true;
      return;
    }
    // A new surface gets its bars once, and is sent whole that time.
    bool fresh = !IsPainted(target);
    if (fresh) Fill(target);
    SDL_Rect dst = Letterbox(target->w, target->h);
    // The surface keeps the last frame: pixels that only unchanged frame
    // pixels make are neither stretched nor sent again.
    const bool kept = !fresh && lastShown_ && SDL_RectEquals(&dst, &lastBox_);
    const ColumnSpan* changed = ChangedSpans(frame, kept);
    lastShown_ = Stretch(frame, target, dst, changed);
    lastBox_ = dst;
    if (!lastShown_) {
      changed = nullptr;
      Source source(frame);
      if (source.surface && (target->format->format != SDL_PIXELFORMAT_RGB888 ||
                             SDL_SoftStretchLinear(source.surface, nullptr, target, &dst) != 0))
        SDL_BlitScaled(source.surface, nullptr, target, &dst);
    }
    if (fresh || unsentWhole)
      pending_.whole = true;
    else if (!changed || unsent)
      pending_.rects = {dst};
    else
      pending_.rects = ChangedRects(dst, changed);
  }

  void Show(const Frame& frame) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    if (pending_.target != target || !IsPainted(target)) Prepare(frame);
    if (pending_.target != target) return;
    const Uint64 start = SDL_GetPerformanceCounter();
    if (pending_.whole)
      SDL_UpdateWindowSurface(window_);
    else if (!pending_.rects.empty())
      SDL_UpdateWindowSurfaceRects(window_, pending_.rects.data(), static_cast<int>(pending_.rects.size()));
    const double seconds =
        static_cast<double>(SDL_GetPerformanceCounter() - start) / static_cast<double>(SDL_GetPerformanceFrequency());
    sendCost_.Sent(PendingPixels(), seconds);
    if (sent_) sent_(pending_.whole ? std::vector<SDL_Rect>{{0, 0, pending_.width, pending_.height}} : pending_.rects);
    pending_ = {};
  }

  double SendEstimate() const override { return pending_.target ? sendCost_.Estimate(PendingPixels()) : 0; }

  void ShowBlack() override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    Fill(target);
    pending_ = {};
    SDL_UpdateWindowSurface(window_);
  }

  // The surface keeps what it showed, bars included.
  void Exposed() override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (target && IsPainted(target)) SDL_UpdateWindowSurface(window_);
  }

  // The surface is new: black until the frame is shown again.
  void Resized() override { ShowBlack(); }

 private:
  double PendingPixels() const {
    if (pending_.whole) return static_cast<double>(pending_.width) * pending_.height;
    double pixels = 0;
    for (const SDL_Rect& r : pending_.rects) pixels += static_cast<double>(r.w) * r.h;
    return pixels;
  }

  // The frame as an SDL surface (SDL only reads its pixels).
  struct Source {
    explicit Source(const Frame& frame)
        : surface(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame.pixels.data()), frame.width,
                                                     frame.height, 32, frame.width * 4, SDL_PIXELFORMAT_RGB888)) {}
    ~Source() { SDL_FreeSurface(surface); }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
    SDL_Surface* surface;
  };

  // With `kept` (the surface holds the last frame where this one goes), per
  // frame row the columns from its first to its last pixel that differ
  // from the last frame; else null. Remembers the frame either way.
  const ColumnSpan* ChangedSpans(const Frame& frame, bool kept) {
    const size_t width = static_cast<size_t>(frame.width);
    if (!kept || last_.width != frame.width || last_.height != frame.height) {
      last_ = frame;
      return nullptr;
    }
    changed_.assign(frame.height, ColumnSpan{});
    constexpr size_t kBlock = 16;  // pixels compared at once while looking for a row's ends
    for (int y = 0; y < frame.height; ++y) {
      const uint32_t* now = frame.pixels.data() + y * width;
      uint32_t* before = last_.pixels.data() + y * width;
      if (std::memcmp(now, before, width * sizeof(uint32_t)) == 0) continue;
      size_t begin = 0, end = width;
      while (begin + kBlock <= width && std::memcmp(now + begin, before + begin, kBlock * sizeof(uint32_t)) == 0)
        begin += kBlock;
      while (now[begin] == before[begin]) ++begin;
      while (end >= begin + kBlock &&
             std::memcmp(now + end - kBlock, before + end - kBlock, kBlock * sizeof(uint32_t)) == 0)
        end -= kBlock;
      while (now[end - 1] == before[end - 1]) --end;
      std::memcpy(before + begin, now + begin, (end - begin) * sizeof(uint32_t));
      changed_[y] = {static_cast<int>(begin), static_cast<int>(end)};
    }
    return changed_.data();
  }

  // The runs of changed rows of the letterbox, each as wide as its changed
  // columns reach, as a few rectangles (nearby runs merged).
  std::vector<SDL_Rect> ChangedRects(const SDL_Rect& dst, const ColumnSpan* changed) const {
    constexpr int kMostRects = 8;
    std::vector<SDL_Rect> rects;
    for (int y = 0; y < dst.h;) {
      ColumnSpan run = stretch_.ShownChange(y, changed);
      if (run.Empty()) {
        ++y;
        continue;
      }
      int end = y + 1;
      for (ColumnSpan next; end < dst.h && !(next = stretch_.ShownChange(end, changed)).Empty(); ++end)
        run = {std::min(run.begin, next.begin), std::max(run.end, next.end)};
      rects.push_back({dst.x + run.begin, dst.y + y, run.end - run.begin, end - y});
      y = end;
    }
    while (rects.size() > kMostRects) {
      // Join the two runs with the smallest gap between them.
      size_t join = 0;
      for (size_t i = 1; i + 1 < rects.size(); ++i)
        if (rects[i + 1].y - (rects[i].y + rects[i].h) < rects[join + 1].y - (rects[join].y + rects[join].h))
          join = i;
      SDL_Rect joined;
      SDL_UnionRect(&rects[join], &rects[join + 1], &joined);
      rects[join] = joined;
      rects.erase(rects.begin() + static_cast<ptrdiff_t>(join) + 1);
    }
    return rects;
  }

  // The frame stretched into `dst` of an 0x00RRGGBB surface on the drawing
  // threads (only the pixels `changed` reaches, when given); false for
  // other surfaces.
  bool Stretch(const Frame& frame, SDL_Surface* target, const SDL_Rect& dst, const ColumnSpan* changed) {
    if (target->format->format != SDL_PIXELFORMAT_RGB888 || !stretch_.Resize(frame.width, frame.height, dst.w, dst.h))
      return false;
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return false;
    uint32_t* at = reinterpret_cast<uint32_t*>(static_cast<char*>(target->pixels) +
                                               static_cast<ptrdiff_t>(dst.y) * target->pitch) + dst.x;
    const ptrdiff_t pitch = target->pitch;
    split_(dst.h, [&](int begin, int end) { stretch_.Rows(frame, at, pitch, begin, end, changed); });
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    return true;
  }

  void Fill(SDL_Surface* target) {
    SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, kBlack, kBlack, kBlack));
    Painted(target);
    lastShown_ = false;
  }
  void Painted(SDL_Surface* target) {
    painted_ = target;
    paintedWidth_ = target->w;
    paintedHeight_ = target->h;
  }
  bool IsPainted(SDL_Surface* target) const {
    return target == painted_ && target->w == paintedWidth_ && target->h == paintedHeight_;
  }

  SDL_Window* window_;
  RowSplitter split_;
  SendWatcher sent_;
  FrameStretch stretch_;
  Frame last_;                    // the frame the letterbox shows
  std::vector<ColumnSpan> changed_;  // per frame row: where it differs from last_
  bool lastShown_ = false;        // the letterbox shows last_, stretched by stretch_
  SDL_Rect lastBox_{};
  // What Prepare put in the surface and Show is to send.
  struct Pending {
    SDL_Surface* target = nullptr;  // null: nothing prepared
    bool whole = false;             // the whole surface (of width x height), else `rects`
    int width = 0, height = 0;
    std::vector<SDL_Rect> rects;
  };
  Pending pending_;
  SendCost sendCost_;
  // The surface last painted whole (bars and all), by address and size.
  SDL_Surface* painted_ = nullptr;
  int paintedWidth_ = 0, paintedHeight_ = 0;
};

}  // namespace

void SendCost::Sent(double pixels, double seconds) {
  if (pixels < kLeastPixels || !(seconds >= 0)) return;
  double sample = seconds / pixels;
  if (perPixel_ > 0) {
    sample = std::clamp(sample, perPixel_ / 2, perPixel_ * 2);
    perPixel_ += (sample - perPixel_) / 8;
  } else {
    perPixel_ = sample;
  }
}

SDL_Rect Letterbox(int w, int h) {
  SDL_Rect r;
  if (static_cast<int64_t>(w) * kFrameHeight > static_cast<int64_t>(h) * kFrameWidth) {
    r.h = h;
    r.w = static_cast<int>(static_cast<int64_t>(h) * kFrameWidth / kFrameHeight);
  } else {
    r.w = w;
    r.h = static_cast<int>(static_cast<int64_t>(w) * kFrameHeight / kFrameWidth);
  }
  r.x = (w - r.w) / 2;
  r.y = (h - r.h) / 2;
  return r;
}

RendererChoice ChooseRenderer() {
  const char* asked = std::getenv("SDL_RENDER_DRIVER");
  if (asked && *asked) {
    if (::strcasecmp(asked, "software") == 0) return {};
    return {asked, true};
  }
  if (!HasGraphicsDevice()) return {};
  return {"opengl", false};
}

std::unique_ptr<FramePresenter> MakeRendererPresenter(SDL_Window* window, const RendererChoice& choice) {
  if (choice.driver.empty()) return nullptr;
  int index = RenderDriverIndex(choice.driver);
  if (index < 0) return nullptr;
  // No vsync: the engine's clock shows each frame when it is due.
  SDL_Renderer* renderer = SDL_CreateRenderer(window, index, SDL_RENDERER_ACCELERATED);
  if (!renderer) return nullptr;
  SDL_RendererInfo info;
  bool software = SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & SDL_RENDERER_SOFTWARE) ||
                  (info.name && ::strncasecmp(info.name, "opengl", 6) == 0 && DrawsInSoftware());
  SDL_Texture* texture = nullptr;
  if (!software || choice.asked) {
    SDL_RenderSetVSync(renderer, 0);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kFrameWidth,
                                kFrameHeight);
  }
  if (!texture || SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear) != 0) {
    if (texture) SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    return nullptr;
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
  return std::make_unique<RendererPresenter>(renderer, texture, info.name ? info.name : choice.driver);
}

std::unique_ptr<FramePresenter> MakeSurfacePresenter(SDL_Window* window, RowSplitter split, SendWatcher sent) {
  return std::make_unique<SurfacePresenter>(window, std::move(split), std::move(sent));
}

}  // namespace spriteengine::sdl
