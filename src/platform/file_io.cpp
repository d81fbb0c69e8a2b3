#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "platform/ascii.h"
#include "platform/memory_player_files.h"

namespace platform {
namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr int kTempNameAttempts = 16;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, like any new file

// Closes a descriptor once, whatever path the function leaves by.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Returns false when close reports an error (a delayed write error on some file systems).
  bool Close() {
    if (fd_ < 0) return true;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }

 private:
  int fd_;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

constexpr std::string_view kTempMark = ".tmp.";

// A fresh temporary name beside path. It starts with the target's name so a stray
// file left by a power cut is recognisable, and carries the process id and a counter
// so concurrent writers never share one.
std::string TempNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + std::string(kTempMark) + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1));
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Whether `name` is what TempNameFor makes for a file named `target`.
bool IsTempNameOf(std::string_view name, std::string_view target) {
  if (name.size() <= target.size() + kTempMark.size()) return false;
  if (!EqualsIgnoringAsciiCase(name.substr(0, target.size()), target)) return false;
  std::string_view rest = name.substr(target.size());
  if (rest.substr(0, kTempMark.size()) != kTempMark) return false;
  rest.remove_prefix(kTempMark.size());
  const size_t dot = rest.find('.');
  return dot != std::string_view::npos && AllDigits(rest.substr(0, dot)) && AllDigits(rest.substr(dot + 1));
}

std::atomic<const ScopedWriteFault*> activeFault{nullptr};

// The error a test's fault gives `step` of writing `path`, or 0.
int Injected(WriteStep step, const std::string& path) {
  const ScopedWriteFault* fault = activeFault.load(std::memory_order_acquire);
  return fault ? fault->ErrorFor(step, path) : 0;
}

// Runs one step of a write unless a test's fault fails it first: 0, or the step's errno.
template <typename Action>
int RunStep(WriteStep step, const std::string& path, Action action) {
  if (const int injected = Injected(step, path)) return injected;
  errno = 0;
  if (action()) return 0;
  return errno != 0 ? errno : EIO;
}

// Makes the rename itself durable; a failure here does not undo the write, so it is ignored.
void SyncFolder(const std::string& folder) {
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxBytes) {
  if (const MemoryPlayerFiles* memory = MemoryPlayerFiles::Holding(path)) return memory->Read(path, maxBytes);
  // O_NONBLOCK: opening a FIFO planted under a data file's name must not hang the
  // game; it has no effect on the regular files we go on to read.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (info.st_size > 0 && static_cast<uintmax_t>(info.st_size) > maxBytes) return std::nullopt;

  // The size from fstat is only a hint: the file may grow while we read it, so the
  // limit is enforced on the bytes actually read.
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  for (;;) {
    const size_t room = maxBytes - bytes.size();
    const size_t want = room < kReadChunk ? room + 1 : kReadChunk;
    const size_t old = bytes.size();
    bytes.resize(old + want);
    const ssize_t got = ::read(fd.get(), bytes.data() + old, want);
    if (got < 0) {
      bytes.resize(old);
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    bytes.resize(old + static_cast<size_t>(got));
    if (got == 0) break;
    if (bytes.size() > maxBytes) return std::nullopt;
  }
  return bytes;
}

bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes, int* error) {
  int ignored = 0;
  int& why = error ? *error : ignored;
  why = 0;
  if (path.empty() || path.back() == '/') {
    why = EISDIR;
    return false;
  }
  if (MemoryPlayerFiles* memory = MemoryPlayerFiles::Holding(path)) {
    memory->Write(path, bytes);
    return true;
  }

  std::string tempPath;
  int rawFd = -1;
  for (int attempt = 0; attempt < kTempNameAttempts && rawFd < 0; ++attempt) {
    tempPath = TempNameFor(path);
    if ((why = Injected(WriteStep::kCreate, path)) != 0) return false;
    rawFd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (rawFd < 0 && errno != EEXIST) {
      why = errno;
      return false;
    }
  }
  Fd fd(rawFd);
  if (!fd.valid()) {
    why = EEXIST;
    return false;
  }

  why = RunStep(WriteStep::kWrite, path, [&] { return WriteAll(fd.get(), bytes); });
  if (why == 0) why = RunStep(WriteStep::kSync, path, [&] { return ::fsync(fd.get()) == 0; });
  // close may report a delayed write error of its own.
  const bool closed = fd.Close();
  if (why == 0 && !closed) why = errno != 0 ? errno : EIO;
  if (why == 0) why = RunStep(WriteStep::kRename, path, [&] { return ::rename(tempPath.c_str(), path.c_str()) == 0; });
  if (why != 0) {
    ::unlink(tempPath.c_str());
    return false;
  }
  SyncFolder(FolderOf(path));
  return true;
}

bool RemoveFile(const std::string& path) {
  if (MemoryPlayerFiles* memory = MemoryPlayerFiles::Holding(path)) return memory->Remove(path);
  return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  if (MemoryPlayerFiles* memory = MemoryPlayerFiles::Holding(from)) return memory->Rename(from, to);
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool FileExists(const std::string& path) {
  if (const MemoryPlayerFiles* memory = MemoryPlayerFiles::Holding(path)) return memory->Exists(path);
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

ScopedWriteFault::ScopedWriteFault(WriteStep step, int error, std::string nameContains)
    : step_(step), error_(error), nameContains_(std::move(nameContains)) {
  activeFault.store(this, std::memory_order_release);
}

ScopedWriteFault::~ScopedWriteFault() { activeFault.store(nullptr, std::memory_order_release); }

int ScopedWriteFault::ErrorFor(WriteStep step, const std::string& path) const {
  if (step != step_) return 0;
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
  if (!nameContains_.empty() && name.find(nameContains_) == std::string_view::npos) return 0;
  ++failures_;
  return error_;
}

size_t RemoveStrayTempFiles(const std::string& folder, std::span<const std::string> names) {
  namespace fs = std::filesystem;
  size_t removed = 0;
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) return 0;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    bool stray = false;
    for (const std::string& target : names) stray = stray || IsTempNameOf(name, target);
    // A link or folder under such a name was not made by a writer of ours.
    if (!stray || !entry.is_regular_file(error) || entry.is_symlink(error)) continue;
    if (::unlink(entry.path().c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace platform
