#include "platform/shared_library.h"

#include <dlfcn.h>

#include <utility>
#include <vector>

#include "platform/game_path.h"
#include "platform/process.h"

namespace platform {

SharedLibrary::~SharedLibrary() { Close(); }

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

bool SharedLibrary::Open(const std::string& fileName) {
  Close();
  if (fileName.empty()) return false;

  std::vector<std::string> candidates;
  if (fileName.find('/') != std::string::npos) {
    candidates.push_back(fileName);
  } else {
    // The other system looks in the program's folder first and matches names in any
    // case; the folder entries are matched the same way here.
    const std::string gameFolder = ExecutableFolder();
    if (!gameFolder.empty()) candidates.push_back(GamePath(gameFolder + "/" + fileName));
    // A name with a '/' is taken as a path by dlopen, not searched for.
    candidates.push_back("./" + GamePath(fileName));
    candidates.push_back(fileName);
  }
  for (const std::string& candidate : candidates) {
    handle_ = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_) break;
  }
  // Clear the loader's error text so a later dlerror() caller does not see ours.
  ::dlerror();
  return handle_ != nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
  if (!handle_ || !name) return nullptr;
  void* address = ::dlsym(handle_, name);
  ::dlerror();
  return address;
}

void SharedLibrary::Close() {
  if (handle_) ::dlclose(std::exchange(handle_, nullptr));
}

}  // namespace platform
