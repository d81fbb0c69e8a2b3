#include "replay_sandbox.h"

#include <fcntl.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace scored {
namespace {

// The replay file's head: an 8-byte magic and a 4-byte format, then one zstd frame.
constexpr std::string_view kReplayMagic = "VARNOKRP";
constexpr size_t kHeadBytes = 12;
// The longest run a replay may hold (four hours of frames).
constexpr uint64_t kMaxFrames = 4000ull * 60 * 4;
// The verifier takes about 7.5 us of processor time a frame; a verdict may
// take several times that on a busy machine, and a second more to start.
constexpr uint64_t kBaseCpuSeconds = 2;
constexpr double kCpuSecondsPerFrame = 25e-6;
// The game maps its libraries, thread stacks and allocator arenas (some
// hundreds of megabytes of address space, little of it touched), then holds
// the run's frames, about 100 bytes each.
constexpr uint64_t kBaseAddressBytes = 1024ull << 20;
constexpr uint64_t kAddressBytesPerFrame = 256;
constexpr size_t kMaxOutputBytes = 64 * 1024;
constexpr auto kStillWorkingEvery = std::chrono::seconds(3);
constexpr int kChildReplayFd = 3;
constexpr int kExecFailed = 127;
// varnok --verify's exit statuses.
constexpr int kVerifyOk = 0, kVerifyDamaged = 2, kVerifyOtherGame = 3;

// A value of the verifier's one JSON line: `"key":` then a string or a number.
std::string_view Field(std::string_view line, std::string_view key) {
  const std::string quoted = "\"" + std::string(key) + "\":";
  const size_t at = line.find(quoted);
  if (at == std::string_view::npos) return {};
  std::string_view rest = line.substr(at + quoted.size());
  if (!rest.empty() && rest.front() == '"') {
    rest.remove_prefix(1);
    return rest.substr(0, rest.find('"'));
  }
  return rest.substr(0, rest.find_first_of(",}"));
}

bool Number(std::string_view text, int64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// A system call denied with `error` when the masked argument `arg` has `bit` set.
void DenyWithFlag(scmp_filter_ctx ctx, int syscall, unsigned arg, uint64_t bit) {
  if (seccomp_rule_add(ctx, SCMP_ACT_ERRNO(EACCES), syscall, 1, SCMP_CMP(arg, SCMP_CMP_MASKED_EQ, bit, bit)) != 0) {
    throw std::runtime_error("cannot make the verifier's system-call filter");
  }
}

// Everything is allowed but the network, writing files, changing the file
// system, and touching other processes.
std::vector<sock_filter> MakeFilter() {
  scmp_filter_ctx ctx = seccomp_init(SCMP_ACT_ALLOW);
  if (!ctx) throw std::runtime_error("cannot make the verifier's system-call filter");
  struct Release {
    scmp_filter_ctx ctx;
    ~Release() { seccomp_release(ctx); }
  } release{ctx};
  for (int call : {SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(creat), SCMP_SYS(truncate), SCMP_SYS(mkdir),
                   SCMP_SYS(mkdirat), SCMP_SYS(mknod), SCMP_SYS(mknodat), SCMP_SYS(unlink), SCMP_SYS(unlinkat),
                   SCMP_SYS(rmdir), SCMP_SYS(rename), SCMP_SYS(renameat), SCMP_SYS(renameat2), SCMP_SYS(link),
                   SCMP_SYS(linkat), SCMP_SYS(symlink), SCMP_SYS(symlinkat), SCMP_SYS(chmod), SCMP_SYS(fchmodat),
                   SCMP_SYS(chown), SCMP_SYS(lchown), SCMP_SYS(fchownat), SCMP_SYS(utimensat), SCMP_SYS(ptrace),
                   SCMP_SYS(process_vm_writev), SCMP_SYS(process_vm_readv), SCMP_SYS(kill), SCMP_SYS(setsid),
                   SCMP_SYS(setpgid), SCMP_SYS(mount), SCMP_SYS(unshare), SCMP_SYS(fchmod), SCMP_SYS(fchown),
                   SCMP_SYS(utime), SCMP_SYS(utimes), SCMP_SYS(futimesat), SCMP_SYS(setxattr), SCMP_SYS(lsetxattr),
                   SCMP_SYS(fsetxattr), SCMP_SYS(removexattr), SCMP_SYS(lremovexattr), SCMP_SYS(fremovexattr),
                   // io_uring opens files where this filter does not look.
                   SCMP_SYS(io_uring_setup), SCMP_SYS(io_uring_enter), SCMP_SYS(io_uring_register), SCMP_SYS(bpf)}) {
    if (seccomp_rule_add(ctx, SCMP_ACT_ERRNO(EACCES), call, 0) != 0) {
      throw std::runtime_error("cannot make the verifier's system-call filter");
    }
  }
  // openat2 takes its flags in a structure the filter cannot read: without
  // it the C library falls back to openat, whose flags it can.
  if (seccomp_rule_add(ctx, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(openat2), 0) != 0) {
    throw std::runtime_error("cannot make the verifier's system-call filter");
  }
  for (uint64_t flag : {uint64_t{O_WRONLY}, uint64_t{O_RDWR}, uint64_t{O_CREAT}, uint64_t{O_TRUNC}, uint64_t{O_APPEND}}) {
    DenyWithFlag(ctx, SCMP_SYS(open), 1, flag);
    DenyWithFlag(ctx, SCMP_SYS(openat), 2, flag);
  }
  // The program goes out through a file, and is read back.
  const int fd = memfd_create("varnok-seccomp", MFD_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot make the verifier's system-call filter");
  std::string program;
  if (seccomp_export_bpf(ctx, fd) == 0 && lseek(fd, 0, SEEK_SET) == 0) {
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) program.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  if (program.empty() || program.size() % sizeof(sock_filter) != 0) {
    throw std::runtime_error("cannot make the verifier's system-call filter");
  }
  std::vector<sock_filter> filter(program.size() / sizeof(sock_filter));
  std::memcpy(filter.data(), program.data(), program.size());
  return filter;
}

// A sealed in-memory file holding `bytes`: neither the child nor anyone else can change it.
int SealedFile(const std::string& bytes) {
  const int fd = memfd_create("varnok-replay", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return -1;
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
    if (put <= 0) {
      close(fd);
      return -1;
    }
    written += static_cast<size_t>(put);
  }
  if (fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void CloseIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

SandboxLimits LimitsFor(std::string_view replay) {
  uint64_t frames = kMaxFrames;
  if (replay.size() > kHeadBytes) {
    const unsigned long long declared = ZSTD_getFrameContentSize(replay.data() + kHeadBytes, replay.size() - kHeadBytes);
    if (declared != ZSTD_CONTENTSIZE_UNKNOWN && declared != ZSTD_CONTENTSIZE_ERROR) frames = std::min<uint64_t>(frames, declared);
  }
  SandboxLimits limits;
  limits.frames = frames;
  limits.cpuSeconds = kBaseCpuSeconds + static_cast<uint64_t>(static_cast<double>(frames) * kCpuSecondsPerFrame + 1);
  limits.addressBytes = kBaseAddressBytes + frames * kAddressBytesPerFrame;
  // Other work shares the processors: the wall clock allows three times the processor time.
  limits.wall = std::chrono::seconds(3 * limits.cpuSeconds + 5);
  return limits;
}

Judgement JudgeVerifierOutcome(int exitStatus, int signal, std::string_view output, int32_t claimed) {
  Judgement judgement;
  // A stop of the service (systemd sends SIGTERM to every process of the
  // unit) says nothing of the replay: no verdict, the job goes back after its lease.
  if (signal == SIGTERM || signal == SIGINT || signal == SIGHUP) {
    judgement.retry = true;
    judgement.why = std::string("stopped from outside (signal ") + strsignal(signal) + ")";
    return judgement;
  }
  if (signal != 0) {
    judgement.why = std::string("stopped at its limits (signal ") + strsignal(signal) + ")";
    return judgement;
  }
  if (exitStatus == kVerifyOtherGame) {
    judgement.verdict = Verdict::kUnverifiable;
    judgement.why = "another version of the game or other data files";
    return judgement;
  }
  if (exitStatus == kVerifyDamaged) {
    judgement.why = "not a replay, damaged, or not a run of this game";
    return judgement;
  }
  if (exitStatus != kVerifyOk) {
    judgement.retry = true;
    judgement.why = "the verifier did not run (exit status " + std::to_string(exitStatus) + ")";
    return judgement;
  }
  const std::string_view line = output.substr(0, output.find('\n'));
  const std::string_view outcome = Field(line, "outcome"), world = Field(line, "world");
  int64_t score = 0, frames = 0;
  if (!Number(Field(line, "score"), score) || !Number(Field(line, "frames"), frames) || world.empty()) {
    judgement.retry = true;
    judgement.why = "the verifier's answer is not understood";
    return judgement;
  }
  if (outcome != "game over" && outcome != "quit") {
    judgement.why = "the run did not end in game over or a quit (" + std::string(outcome) + ")";
    return judgement;
  }
  if (score != claimed) {
    judgement.why = "the run scores " + std::to_string(score) + ", not " + std::to_string(claimed);
    return judgement;
  }
  judgement.verdict = Verdict::kVerified;
  judgement.run = std::to_string(frames) + ":" + std::to_string(score) + ":" + std::string(world);
  judgement.why = "verified";
  return judgement;
}

ReplaySandbox::ReplaySandbox(std::string verifier) : verifier_(std::move(verifier)), filter_(MakeFilter()) {}

Judgement ReplaySandbox::Judge(const std::string& replay, int32_t claimed,
                               const std::function<void()>& stillWorking) const {
  Judgement failed;
  failed.retry = true;
  if (replay.size() < kHeadBytes || std::string_view(replay).substr(0, kReplayMagic.size()) != kReplayMagic) {
    return JudgeVerifierOutcome(kVerifyDamaged, 0, {}, claimed);
  }
  const SandboxLimits limits = LimitsFor(replay);
  int replayFd = SealedFile(replay);
  int out[2] = {-1, -1}, err[2] = {-1, -1};
  int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (replayFd < 0 || devNull < 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    for (int* fd : {&replayFd, &devNull, &out[0], &out[1], &err[0], &err[1]}) CloseIfOpen(*fd);
    failed.why = std::string("cannot prepare the verifier: ") + std::strerror(errno);
    return failed;
  }
  // Everything the child needs is made before the fork: after it, only
  // system calls until exec.
  const std::string path = "/proc/self/fd/" + std::to_string(kChildReplayFd);
  const std::string verify = "--verify";
  std::vector<char*> argv = {const_cast<char*>(verifier_.c_str()), const_cast<char*>(verify.c_str()),
                             const_cast<char*>(path.c_str()), nullptr};
  std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "LC_ALL=C", "HOME=/nonexistent", "TZ=UTC"};
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  sock_fprog program{static_cast<unsigned short>(filter_.size()), const_cast<sock_filter*>(filter_.data())};
  const rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
  const rlimit address{limits.addressBytes, limits.addressBytes};
  const rlimit none{0, 0};
  const rlimit files{64, 64};

  const pid_t child = fork();
  if (child == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (dup2(devNull, 0) < 0 || dup2(out[1], 1) < 0 || dup2(err[1], 2) < 0 || dup2(replayFd, kChildReplayFd) < 0) {
      _exit(kExecFailed);
    }
    if (replayFd == kChildReplayFd) fcntl(kChildReplayFd, F_SETFD, 0);
    close_range(kChildReplayFd + 1, ~0U, 0);
    if (setrlimit(RLIMIT_CPU, &cpu) != 0 || setrlimit(RLIMIT_AS, &address) != 0 || setrlimit(RLIMIT_FSIZE, &none) != 0 ||
        setrlimit(RLIMIT_CORE, &none) != 0 || setrlimit(RLIMIT_NOFILE, &files) != 0 ||
        prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
      _exit(kExecFailed);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(kExecFailed);
  }
  for (int* fd : {&replayFd, &devNull, &out[1], &err[1]}) CloseIfOpen(*fd);
  if (child < 0) {
    CloseIfOpen(out[0]);
    CloseIfOpen(err[0]);
    failed.why = std::string("cannot start the verifier: ") + std::strerror(errno);
    return failed;
  }
  // The child may not have made its group yet: this makes sure of it.
  setpgid(child, child);

  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + limits.wall;
  auto nextStillWorking = start + kStillWorkingEvery;
  std::string output, errors;
  bool killed = false;
  while (out[0] >= 0 || err[0] >= 0) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      kill(-child, SIGKILL);
      kill(child, SIGKILL);
      killed = true;
      break;
    }
    if (now >= nextStillWorking) {
      if (stillWorking) stillWorking();
      nextStillWorking = now + kStillWorkingEvery;
    }
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    if (poll(fds, 2, 200) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      int& fd = i == 0 ? out[0] : err[0];
      if (fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got <= 0) {
        CloseIfOpen(fd);
        continue;
      }
      std::string& text = i == 0 ? output : errors;
      if (text.size() < kMaxOutputBytes) text.append(buffer, static_cast<size_t>(got));
    }
  }
  CloseIfOpen(out[0]);
  CloseIfOpen(err[0]);
  // The pipes closed: the verifier is ending. Its group goes at the deadline all the same.
  int status = 0;
  for (;;) {
    const pid_t waited = waitpid(child, &status, killed ? 0 : WNOHANG);
    if (waited == child || (waited < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(-child, SIGKILL);
      kill(child, SIGKILL);
      killed = true;
      continue;
    }
    usleep(10000);
  }
  Judgement judgement = WIFSIGNALED(status) || killed
                            ? JudgeVerifierOutcome(0, killed ? SIGKILL : WTERMSIG(status), {}, claimed)
                            : JudgeVerifierOutcome(WEXITSTATUS(status), 0, output, claimed);
  if (judgement.verdict != Verdict::kVerified && !errors.empty()) {
    judgement.why += ": " + errors.substr(0, errors.find('\n'));
  }
  return judgement;
}

}  // namespace scored
