// Telling the player that a file could not be saved. A full or read-only disk
// fails every save from then on, so each kind of file is told once per
// process: one line on standard error, never one per attempt or per frame.
// The screens that can show it say so in their own words as well.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace core {

enum class SavedFile : uint8_t { kSettings, kRecords, kRestartRecord, kSnapshot, kReplay, kControls };
inline constexpr size_t kSavedFileKinds = 6;

class SaveNotices {
 public:
  // Says that `kind` could not be written to `path` (errno `error`), what the
  // game does about it, and that the old file is kept; the first time only.
  // True when it printed.
  bool Tell(SavedFile kind, const std::string& path, int error);

 private:
  std::array<std::atomic<bool>, kSavedFileKinds> told_{};  // saves run on the frame and the main thread
};

}  // namespace core
