#include "platform/process.h"

#include <unistd.h>

#include "platform/detached_spawn.h"

namespace platform {
namespace {

constexpr size_t kInitialPathBuffer = 256;
constexpr size_t kMaxPathBuffer = 64 * 1024;

// The resolved path of the running executable; empty if /proc is unavailable.
std::string ExecutablePath() {
  for (size_t size = kInitialPathBuffer; size <= kMaxPathBuffer; size *= 2) {
    std::string buffer(size, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    // readlink truncates silently; a full buffer means the path may be longer.
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
  }
  return {};
}

}  // namespace

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool EnterGameFolder() {
  const std::string folder = ExecutableFolder();
  return !folder.empty() && ::chdir(folder.c_str()) == 0;
}

std::vector<std::string> RelaunchCommand() {
  std::string path = ExecutablePath();
  if (path.empty()) return {};
  return {std::move(path)};
}

bool RelaunchSelf(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = RelaunchCommand();
  if (argv.empty()) return false;
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunSpawner(argv, ExecutableFolder());
}

}  // namespace platform
