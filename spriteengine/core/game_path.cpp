#include "game_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace spriteengine {

namespace {

constexpr size_t kReadBlockBytes = 64 * 1024;

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `want` ignoring case.
std::optional<std::string> FindInFolder(const std::string& folder, const std::string& want) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, want.c_str()) == 0) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Resolves every component but (optionally) the last.
std::optional<std::string> Resolve(std::string_view name, bool keepLast) {
  std::string slashed = SlashPath(name);
  if (slashed.empty()) return std::nullopt;
  if (Exists(slashed)) return slashed;
  std::string current = slashed[0] == '/' ? "/" : "";
  std::vector<std::string> parts = Split(slashed);
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::string joined = current.empty() || current.back() == '/' ? current + part : current + "/" + part;
    bool last = i + 1 == parts.size();
    if (part == "." || part == ".." || Exists(joined) || (last && keepLast)) {
      current = joined;
      continue;
    }
    std::optional<std::string> match = FindInFolder(current, part);
    if (!match) return std::nullopt;
    current = current.empty() || current.back() == '/' ? current + *match : current + "/" + *match;
  }
  return current;
}

}  // namespace

std::string SlashPath(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::optional<std::string> ResolveGamePath(std::string_view name) { return Resolve(name, false); }

std::string ResolveNewFilePath(std::string_view name) {
  std::optional<std::string> path = Resolve(name, true);
  return path ? *path : SlashPath(name);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  // Straight into the buffer, not byte by byte: the game reads megabytes of
  // music and pictures before its first frame. The buffer starts one byte
  // over the size, so the read that meets the end stops the loop; a file
  // that grows meanwhile is read to its end.
  struct stat st;
  size_t expected = ::stat(path.c_str(), &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
  std::vector<uint8_t> bytes(expected + 1);
  size_t used = 0;
  while (in) {
    if (used == bytes.size()) bytes.resize(used + kReadBlockBytes);
    in.read(reinterpret_cast<char*>(bytes.data() + used), static_cast<std::streamsize>(bytes.size() - used));
    used += static_cast<size_t>(in.gcount());
  }
  if (in.bad()) return std::nullopt;
  bytes.resize(used);
  return bytes;
}

void Warn(std::string_view message) {
  std::string line = "spriteengine: warning: " + std::string(message) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace spriteengine
