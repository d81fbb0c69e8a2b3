#include "path_rule.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <vector>

namespace pathrule {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// ASCII only: folding other bytes by locale would make the match depend on the environment.
char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

std::vector<std::string_view> SplitComponents(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// The directory entry of folder that names `wanted`: the exact name if present,
// else the first case-insensitive match in byte order (readdir order is arbitrary,
// and the same path must always resolve to the same file).
std::optional<std::string> FindEntry(const std::string& folder, std::string_view wanted) {
  std::string exact = folder;
  if (!exact.empty() && exact.back() != '/') exact += '/';
  exact += wanted;
  struct stat info {};
  if (lstat(exact.c_str(), &info) == 0) return std::string(wanted);

  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (EqualsIgnoringAsciiCase(name, wanted) && (!best || name < *best)) best = std::string(name);
  }
  return best;
}

}  // namespace

std::string GamePath(std::string_view windowsPath) {
  const bool absolute = !windowsPath.empty() && IsSeparator(windowsPath.front());
  const std::vector<std::string_view> parts = SplitComponents(windowsPath);

  // The path resolved so far, which is also the folder searched next ("" = current directory).
  std::string result = absolute ? "/" : "";
  bool resolving = true;
  for (const std::string_view part : parts) {
    std::string name(part);
    if (resolving && part != "..") {
      if (std::optional<std::string> found = FindEntry(result, part)) {
        name = std::move(*found);
      } else {
        // Nothing below a missing component can exist; keep the caller's spelling.
        resolving = false;
      }
    }
    if (!result.empty() && result.back() != '/') result += '/';
    result += name;
  }
  if (result.empty() && !windowsPath.empty() && !absolute) result.push_back('.');  // "." itself, not "" (which names nothing)
  return result;
}

}  // namespace pathrule
