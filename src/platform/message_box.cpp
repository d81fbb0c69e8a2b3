#include "platform/message_box.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

// Loaded at run time: the game never includes SDL, and a missing SDL only costs the dialog.
constexpr const char* kSdlLibrary = "libSDL2-2.0.so.0";
constexpr const char* kShowMessageBoxSymbol = "SDL_ShowSimpleMessageBox";
constexpr uint32_t kSdlMessageBoxError = 0x10;
constexpr const char* kNoDialogsVariable = "VARNOK_NO_DIALOGS";

// int SDL_ShowSimpleMessageBox(Uint32 flags, const char* title, const char* message, SDL_Window* window)
using ShowSimpleMessageBoxFn = int (*)(uint32_t, const char*, const char*, void*);

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

void ShowDialog(const std::string& title, const std::string& text) {
  void* sdl = ::dlopen(kSdlLibrary, RTLD_NOW | RTLD_LOCAL);
  if (!sdl) {
    ::dlerror();
    return;
  }
  if (void* symbol = ::dlsym(sdl, kShowMessageBoxSymbol)) {
    const auto show = reinterpret_cast<ShowSimpleMessageBoxFn>(symbol);
    show(kSdlMessageBoxError, title.c_str(), text.c_str(), nullptr);
  }
  ::dlerror();
  ::dlclose(sdl);
}

}  // namespace

void ShowMessageBox(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  std::fflush(stderr);
  if (std::getenv(kNoDialogsVariable)) return;
  if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) return;
  ShowDialog(title, text);
}

}  // namespace platform
