// One copy of the game at a time on one set of player files: an advisory lock
// (flock) on a file in their folder, held for as long as the copy runs.
//
// The kernel lets go of the lock when the holder ends, however it ends (a
// killed copy never leaves the folder locked), and the descriptor is closed on
// exec, so a copy the game starts (its own restart) never inherits it.
#pragma once

#include <chrono>
#include <string>

namespace platform {

class FolderLock {
 public:
  enum class Outcome {
    kLocked,         // this process holds the lock
    kHeldElsewhere,  // another process held it for the whole wait
    kUnavailable,    // the lock file could not be opened or locked at all
  };

  // Locks the file at `path` (created when missing). While another process
  // holds it, tries again until `wait` has passed: a restarting copy lets go
  // just before its successor starts.
  static FolderLock Acquire(const std::string& path, std::chrono::milliseconds wait);

  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

  Outcome outcome() const { return outcome_; }
  bool held() const { return fd_ >= 0; }
  // The errno behind kUnavailable.
  int error() const { return error_; }
  // Lets go before the end of the process (the folder is handed over).
  void Release();

 private:
  FolderLock(int fd, Outcome outcome, int error) : fd_(fd), outcome_(outcome), error_(error) {}

  int fd_ = -1;          // open lock file while held
  Outcome outcome_;
  int error_ = 0;
};

}  // namespace platform
