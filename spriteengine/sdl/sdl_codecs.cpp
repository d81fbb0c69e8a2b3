#include "sdl_codecs.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstring>
#include <mutex>

#include "core/picture_loader.h"

namespace spriteengine::sdl {

namespace {

std::optional<Image> DecodePicture(std::span<const uint8_t> bytes) {
  static std::once_flag once;
  std::call_once(once, [] { IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG); });
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return std::nullopt;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) return std::nullopt;
  SDL_Surface* loaded = IMG_Load_RW(rw, 1);
  if (!loaded) return std::nullopt;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (!argb) return std::nullopt;
  Image image;
  image.width = argb->w;
  image.height = argb->h;
  image.pixels.resize(static_cast<size_t>(argb->w) * argb->h);
  SDL_LockSurface(argb);
  for (int y = 0; y < argb->h; ++y)
    std::memcpy(image.pixels.data() + static_cast<size_t>(y) * argb->w,
                static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch, argb->w * 4);
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  return image;
}

bool SavePng(const Frame& frame, const std::string& path) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame.pixels.data()), frame.width,
                                                      frame.height, 32, frame.width * 4, SDL_PIXELFORMAT_RGB888);
  if (!s) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(s);
  if (!rgb) return false;
  bool ok = IMG_SavePNG(rgb, path.c_str()) == 0;
  SDL_FreeSurface(rgb);
  return ok;
}

}  // namespace

Codecs MakeSdlCodecs() {
  // Loader threads are not SDL's own: what SDL keeps for them (the text of a
  // failed decode) is freed as each one ends.
  SetLoaderThreadExit(&SDL_TLSCleanup);
  return Codecs{DecodePicture, SavePng};
}

}  // namespace spriteengine::sdl
