// Preloaded into the game by the fault campaign: counts every operation that
// changes the player-files folder (an open for writing, a write, an fsync, a
// close of such a file, a rename or removal in the folder) and kills the
// process with SIGKILL just before or just after the one the campaign names.
// The folder's contents change only at these calls, so killing before each of
// them in turn reaches every state a save can leave on disk.
//
// Environment (read once at load, then removed so a relaunched game runs clean):
//   VARNOK_FAULT_DIR           the player-files folder (absolute)
//   VARNOK_FAULT_KILL_BEFORE   kill before operation N (1-based)
//   VARNOK_FAULT_KILL_AFTER    kill after operation N
//   VARNOK_FAULT_LOG           one line per operation: "N op path"; before a
//                              rename, the bytes committed go to "LOG.N"
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>

namespace {

constexpr int kMaxFds = 4096;

// Plain arrays: the loader may run Load before any constructor of this file.
char folder[4096];      // with a trailing slash; empty: count nothing
char logPath[4096];
long killBefore = 0, killAfter = 0;
int logFd = -1;
std::atomic<long> operations{0};
std::atomic<bool> tracked[kMaxFds];
std::mutex logMutex;

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void RawWrite(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const long n = syscall(SYS_write, fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string Absolute(const char* path, int dirFd = AT_FDCWD) {
  if (!path) return {};
  if (path[0] == '/') return path;
  char base[4096];
  if (dirFd == AT_FDCWD) {
    if (!getcwd(base, sizeof base)) return path;
  } else {
    const std::string link = "/proc/self/fd/" + std::to_string(dirFd);
    const ssize_t n = readlink(link.c_str(), base, sizeof base - 1);
    if (n <= 0) return path;
    base[n] = 0;
  }
  return std::string(base) + "/" + path;
}

bool InFolder(const std::string& path) { return folder[0] != 0 && path.rfind(folder, 0) == 0; }

// The bytes a rename is about to commit, kept beside the log.
void KeepCommitted(long n, const std::string& from) {
  if (logPath[0] == 0) return;
  const int in = static_cast<int>(syscall(SYS_openat, AT_FDCWD, from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in < 0) return;
  const std::string copy = std::string(logPath) + "." + std::to_string(n);
  const int out = static_cast<int>(syscall(SYS_openat, AT_FDCWD, copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  char buffer[65536];
  for (long got; (got = syscall(SYS_read, in, buffer, sizeof buffer)) > 0;) {
    if (out >= 0) RawWrite(out, std::string(buffer, static_cast<size_t>(got)));
  }
  syscall(SYS_close, in);
  if (out >= 0) syscall(SYS_close, out);
}

// One counted operation: logged, and the process dies here if this is the one.
long Before(const char* op, const std::string& path, const std::string& to = {}) {
  const long n = ++operations;
  if (logFd >= 0) {
    std::lock_guard lock(logMutex);
    RawWrite(logFd, std::to_string(n) + " " + op + " " + path + (to.empty() ? "" : " " + to) + "\n");
    if (!to.empty() && n != killBefore) KeepCommitted(n, path);
  }
  if (n == killBefore) kill(getpid(), SIGKILL);
  return n;
}

void After(long n) {
  if (n == killAfter) kill(getpid(), SIGKILL);
}

bool Tracked(int fd) { return fd >= 0 && fd < kMaxFds && tracked[fd].load(); }

// Runs call() between the count of a change to the folder and the kill check after it.
template <class Call>
auto Counted(const char* op, const std::string& path, const std::string& to, Call call) {
  const long n = Before(op, path, to);
  const auto result = call();
  After(n);
  return result;
}

// The same for a call on a descriptor of the folder.
template <class Call>
auto CountedFd(const char* op, int fd, Call call) {
  return Counted(op, "fd" + std::to_string(fd), {}, call);
}

bool Writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0; }

int OpenCounted(const char* op, int dirFd, const char* path, int flags, const std::function<int()>& call) {
  const std::string absolute = Absolute(path, dirFd);
  if (!Writes(flags) || !InFolder(absolute)) return call();
  const long n = Before(op, absolute);
  const int fd = call();
  if (fd >= 0 && fd < kMaxFds) tracked[fd] = true;
  After(n);
  return fd;
}

__attribute__((constructor)) void Load() {
  auto take = [](const char* name, char* into, size_t room) {
    const char* value = getenv(name);
    into[0] = 0;
    if (value && std::strlen(value) + 2 < room) std::strcpy(into, value);
    unsetenv(name);
  };
  char number[32];
  take("VARNOK_FAULT_DIR", folder, sizeof folder);
  const size_t length = std::strlen(folder);
  if (length > 0 && folder[length - 1] != '/') std::strcat(folder, "/");
  take("VARNOK_FAULT_KILL_BEFORE", number, sizeof number);
  killBefore = std::atol(number);
  take("VARNOK_FAULT_KILL_AFTER", number, sizeof number);
  killAfter = std::atol(number);
  take("VARNOK_FAULT_LOG", logPath, sizeof logPath);
  unsetenv("LD_PRELOAD");
  if (logPath[0] != 0) {
    logFd = static_cast<int>(syscall(SYS_openat, AT_FDCWD, logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  }
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  static auto real = Real<int (*)(const char*, int, ...)>("open");
  return OpenCounted("open", AT_FDCWD, path, flags, [&] { return real(path, flags, mode); });
}

int open64(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  static auto real = Real<int (*)(const char*, int, ...)>("open64");
  return OpenCounted("open", AT_FDCWD, path, flags, [&] { return real(path, flags, mode); });
}

int openat(int dirFd, const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  static auto real = Real<int (*)(int, const char*, int, ...)>("openat");
  return OpenCounted("open", dirFd, path, flags, [&] { return real(dirFd, path, flags, mode); });
}

ssize_t write(int fd, const void* data, size_t size) {
  static auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
  if (!Tracked(fd)) return real(fd, data, size);
  return CountedFd("write", fd, [&] { return real(fd, data, size); });
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t at) {
  static auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  if (!Tracked(fd)) return real(fd, data, size, at);
  return CountedFd("pwrite", fd, [&] { return real(fd, data, size, at); });
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
  static auto real = Real<ssize_t (*)(int, const struct iovec*, int)>("writev");
  if (!Tracked(fd)) return real(fd, parts, count);
  return CountedFd("writev", fd, [&] { return real(fd, parts, count); });
}

int ftruncate(int fd, off_t size) {
  static auto real = Real<int (*)(int, off_t)>("ftruncate");
  if (!Tracked(fd)) return real(fd, size);
  return CountedFd("ftruncate", fd, [&] { return real(fd, size); });
}

int fsync(int fd) {
  static auto real = Real<int (*)(int)>("fsync");
  if (!Tracked(fd)) return real(fd);
  return CountedFd("fsync", fd, [&] { return real(fd); });
}

int fdatasync(int fd) {
  static auto real = Real<int (*)(int)>("fdatasync");
  if (!Tracked(fd)) return real(fd);
  return CountedFd("fdatasync", fd, [&] { return real(fd); });
}

int close(int fd) {
  static auto real = Real<int (*)(int)>("close");
  if (!Tracked(fd)) return real(fd);
  const long n = Before("close", "fd" + std::to_string(fd));
  tracked[fd] = false;
  const int result = real(fd);
  After(n);
  return result;
}

int rename(const char* from, const char* to) {
  static auto real = Real<int (*)(const char*, const char*)>("rename");
  const std::string a = Absolute(from), b = Absolute(to);
  if (!InFolder(a) && !InFolder(b)) return real(from, to);
  return Counted("rename", a, b, [&] { return real(from, to); });
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
  static auto real = Real<int (*)(int, const char*, int, const char*)>("renameat");
  const std::string a = Absolute(from, fromDir), b = Absolute(to, toDir);
  if (!InFolder(a) && !InFolder(b)) return real(fromDir, from, toDir, to);
  return Counted("rename", a, b, [&] { return real(fromDir, from, toDir, to); });
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
  static auto real = Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
  const std::string a = Absolute(from, fromDir), b = Absolute(to, toDir);
  if (!InFolder(a) && !InFolder(b)) return real(fromDir, from, toDir, to, flags);
  return Counted("rename", a, b, [&] { return real(fromDir, from, toDir, to, flags); });
}

int unlink(const char* path) {
  static auto real = Real<int (*)(const char*)>("unlink");
  const std::string a = Absolute(path);
  if (!InFolder(a)) return real(path);
  return Counted("unlink", a, {}, [&] { return real(path); });
}

// remove() reaches unlink inside the C library, out of this file's sight.
int remove(const char* path) {
  static auto real = Real<int (*)(const char*)>("remove");
  const std::string a = Absolute(path);
  if (!InFolder(a)) return real(path);
  return Counted("unlink", a, {}, [&] { return real(path); });
}

int unlinkat(int dirFd, const char* path, int flags) {
  static auto real = Real<int (*)(int, const char*, int)>("unlinkat");
  const std::string a = Absolute(path, dirFd);
  if (!InFolder(a)) return real(dirFd, path, flags);
  return Counted("unlink", a, {}, [&] { return real(dirFd, path, flags); });
}

}  // extern "C"
