// MemoryPlayerFiles: while one is installed, the player's files (every path
// PlayerFilePath and LastingPlayerFilePath give) live in memory instead of
// on disk. The replay verifier runs a whole game, its self-restarts included,
// this way: it reads and writes no file of the player's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class MemoryPlayerFiles {
 public:
  // Where the player's files appear to be while in memory: a path no file
  // system can hold, so nothing that slips past reaches a real file.
  static constexpr std::string_view kRoot = "/proc/self/fd/-1/varnok-player/";

  // Installs this store (one at a time) until it is destroyed.
  MemoryPlayerFiles();
  ~MemoryPlayerFiles();
  MemoryPlayerFiles(const MemoryPlayerFiles&) = delete;
  MemoryPlayerFiles& operator=(const MemoryPlayerFiles&) = delete;

  // The installed store, or null.
  static MemoryPlayerFiles* Installed();
  // The installed store when `path` is one of its files, or null.
  static MemoryPlayerFiles* Holding(const std::string& path);

  std::optional<std::vector<uint8_t>> Read(const std::string& path, size_t maxBytes) const;
  void Write(const std::string& path, std::span<const uint8_t> bytes);
  bool Remove(const std::string& path);
  bool Rename(const std::string& from, const std::string& to);
  bool Exists(const std::string& path) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::vector<uint8_t>> files_;
};

}  // namespace platform
