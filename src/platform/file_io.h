// Whole-file reads and crash-safe whole-file writes. Every file the game writes
// goes through WriteFileAtomic, so a crash never leaves a half-written file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// The whole contents of a regular file, or nullopt when it is missing, unreadable,
// not a regular file, or larger than maxBytes. Never reads more than maxBytes + 1 bytes.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxBytes);

// Writes bytes to a temporary file in the same folder, flushes it to disk, then
// renames it over path. On any failure the temporary file is removed, the old
// file (if any) is left untouched, and false is returned, with the errno of
// the step that failed in *error when given (0 on success).
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes, int* error = nullptr);

// The steps of WriteFileAtomic that a full, read-only or failing disk can stop.
enum class WriteStep { kCreate, kWrite, kSync, kRename };

// For tests: while it lives, WriteFileAtomic fails at `step` with `error`
// (ENOSPC, EROFS, EIO...) as the file system would, for every file whose name
// contains `nameContains` (every file when empty). One at a time.
class ScopedWriteFault {
 public:
  ScopedWriteFault(WriteStep step, int error, std::string nameContains = {});
  ~ScopedWriteFault();
  ScopedWriteFault(const ScopedWriteFault&) = delete;
  ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;

  // How many writes it failed so far.
  int failures() const { return failures_.load(); }
  // The error this fault gives the step of writing `path`, or 0.
  int ErrorFor(WriteStep step, const std::string& path) const;

 private:
  WriteStep step_;
  int error_;
  std::string nameContains_;
  mutable std::atomic<int> failures_{0};
};

// Whether something stands at `path`.
bool FileExists(const std::string& path);

// Removes a file; true when it was removed.
bool RemoveFile(const std::string& path);

// Renames (and replaces) a file within one file system; true on success.
bool RenameFile(const std::string& from, const std::string& to);

// Removes the temporary files that writers of the files named `names` left in
// `folder` when their process was killed before the rename: regular files
// named exactly "<name>.tmp.<pid>.<n>" (decimal pid and counter, the name
// matched without regard to case). Nothing else is touched. Call it only
// while no process can be writing those files. Returns how many were removed.
size_t RemoveStrayTempFiles(const std::string& folder, std::span<const std::string> names);

}  // namespace platform
