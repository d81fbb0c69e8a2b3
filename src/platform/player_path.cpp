#include "platform/player_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/file_io.h"
#include "platform/game_path.h"
#include "platform/memory_player_files.h"

namespace platform {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;   // what the XDG base directory rules ask of new folders
constexpr size_t kMaxCarriedBytes = 1 << 20;  // player files are a few hundred bytes

std::string Slashed(std::string_view windowsPath) {
  std::string path(windowsPath);
  for (char& c : path)
    if (c == '\\') c = '/';
  while (!path.empty() && path.front() == '/') path.erase(0, 1);
  return path;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Creates every missing folder of `folder` (an absolute path).
bool MakeFolders(const std::string& folder) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool GameFolderKeeps(const std::string& gameFile) {
  if (GameFileExists(kInstalledMark)) return false;
  struct stat info {};
  const std::string folder = FolderOf(gameFile);
  // A folder not made yet would be made in the game folder itself.
  const std::string writable = ::stat(folder.c_str(), &info) == 0 ? folder : ".";
  return ::access(writable.c_str(), W_OK) == 0;
}

std::string Resolve(std::string_view windowsPath, bool carryOver) {
  if (MemoryPlayerFiles::Installed()) return std::string(MemoryPlayerFiles::kRoot) + Slashed(windowsPath);
  const std::string gameFile = GamePath(windowsPath);
  if (GameFolderKeeps(gameFile)) return gameFile;
  const std::string home = PlayerDataFolder();
  if (home.empty()) return gameFile;  // nowhere else to go: the write fails as it would have
  const std::string playerFile = GamePath(home + "/" + Slashed(windowsPath));
  if (!MakeFolders(FolderOf(playerFile))) return playerFile;
  struct stat info {};
  if (carryOver && ::stat(playerFile.c_str(), &info) != 0) {
    if (auto bytes = ReadWholeFile(gameFile, kMaxCarriedBytes)) WriteFileAtomic(playerFile, *bytes);
  }
  return playerFile;
}

}  // namespace

std::string PlayerDataFolder() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome && dataHome[0] == '/') return std::string(dataHome) + "/" + kPlayerFolderName;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share/" + kPlayerFolderName;
  return "";
}

std::string LastingPlayerFilePath(std::string_view windowsPath) { return Resolve(windowsPath, true); }

std::string PlayerFilePath(std::string_view windowsPath) { return Resolve(windowsPath, false); }

}  // namespace platform
