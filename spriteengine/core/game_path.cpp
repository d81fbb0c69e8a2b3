#include "game_path.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "path_rule.h"

namespace spriteengine {

namespace {

constexpr size_t kReadBlockBytes = 64 * 1024;

}  // namespace

std::string SlashPath(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::optional<std::string> ResolveGamePath(std::string_view name) {
  std::string path = pathrule::GamePath(name);
  struct stat st;
  if (name.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return path;
}

std::string ResolveNewFilePath(std::string_view name) { return pathrule::GamePath(name); }

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
