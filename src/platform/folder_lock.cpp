#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

namespace platform {
namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(20);
constexpr mode_t kLockFileMode = 0666;  // narrowed by the umask, like any new file

int OpenLockFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
  // A read-only folder may still hold the lock file from an earlier run;
  // flock works on a descriptor opened for reading.
  if (fd < 0 && (errno == EROFS || errno == EACCES)) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  return fd;
}

}  // namespace

FolderLock FolderLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
  const int fd = OpenLockFile(path);
  if (fd < 0) return FolderLock(-1, Outcome::kUnavailable, errno);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return FolderLock(fd, Outcome::kLocked, 0);
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      return FolderLock(-1, error == EWOULDBLOCK ? Outcome::kHeldElsewhere : Outcome::kUnavailable, error);
    }
    std::this_thread::sleep_for(kRetryInterval);
  }
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), outcome_(other.outcome_), error_(other.error_) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    outcome_ = other.outcome_;
    error_ = other.error_;
  }
  return *this;
}

FolderLock::~FolderLock() { Release(); }

void FolderLock::Release() {
  // Closing the only descriptor of the open file drops its flock.
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace platform
