// A shared library loaded at run time (the other system's LoadLibrary family).
#pragma once

#include <string>

namespace platform {

// Owns one dlopen handle; closes it when destroyed. Move-only.
class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Loads fileName, trying the game folder (ExecutableFolder()) first, then the
  // current folder, then the bare name (the loader's own search). A path that
  // contains '/' is loaded as given. Closes any library already open first.
  // Logs nothing; returns whether a library is now open.
  bool Open(const std::string& fileName);

  // The address of an exported symbol, or nullptr when absent or nothing is open.
  void* Symbol(const char* name) const;

  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};

}  // namespace platform
