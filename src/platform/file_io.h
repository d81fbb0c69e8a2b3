// Whole-file reads and crash-safe whole-file writes. Every file the game writes
// goes through WriteFileAtomic, so a crash never leaves a half-written file.
#pragma once

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
// file (if any) is left untouched, and false is returned.
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes);

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
