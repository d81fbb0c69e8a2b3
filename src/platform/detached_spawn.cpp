#include "platform/detached_spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>

extern char** environ;

namespace platform {
namespace {

constexpr int kFirstInheritedFdToClose = 3;  // keep stdin (replaced), stdout and stderr

std::mutex spawnerMutex;
Shell::Spawner installedSpawner;  // guarded by spawnerMutex; empty = SpawnDetached

// Owns the two attribute objects posix_spawn needs, so every exit path frees them.
struct SpawnSetup {
  posix_spawn_file_actions_t actions{};
  posix_spawnattr_t attributes{};
  bool ready = false;

  explicit SpawnSetup(const std::string& workingDir) {
    if (posix_spawn_file_actions_init(&actions) != 0) return;
    if (posix_spawnattr_init(&attributes) != 0) {
      posix_spawn_file_actions_destroy(&actions);
      return;
    }
    ready = Configure(workingDir);
    if (!ready) Destroy();
  }
  ~SpawnSetup() {
    if (ready) Destroy();
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

 private:
  bool Configure(const std::string& workingDir) {
    if (!workingDir.empty() && posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str()) != 0) return false;
    // The child must not read the terminal the game was started from, nor keep open
    // any file, socket or pipe of ours that lacks close-on-exec.
    if (posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0) return false;
    if (posix_spawn_file_actions_addclosefrom_np(&actions, kFirstInheritedFdToClose) != 0) return false;

    // A new session detaches it from our terminal and process group; engine or
    // audio threads may have blocked or caught signals, which the child must not inherit.
    sigset_t noSignals;
    sigset_t allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    const short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    return posix_spawnattr_setflags(&attributes, flags) == 0 && posix_spawnattr_setsigmask(&attributes, &noSignals) == 0 &&
           posix_spawnattr_setsigdefault(&attributes, &allSignals) == 0;
  }
  void Destroy() {
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }
};

// Waits for the child in the background so it never stays a zombie while we run;
// if we end first, init adopts and reaps it.
void ReapInBackground(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

bool SpawnDetached(const std::vector<std::string>& argv, const std::string& workingDir) {
  if (argv.empty() || argv.front().empty()) return false;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) {
    // A NUL would silently cut the argument short.
    if (arg.find('\0') != std::string::npos) return false;
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  if (workingDir.find('\0') != std::string::npos) return false;

  SpawnSetup setup(workingDir);
  if (!setup.ready) return false;
  pid_t pid = 0;
  // glibc reports a failed exec (missing program, no permission) as the result here.
  if (posix_spawnp(&pid, args.front(), &setup.actions, &setup.attributes, args.data(), environ) != 0) return false;
  ReapInBackground(pid);
  return true;
}

bool RunSpawner(const std::vector<std::string>& argv, const std::string& workingDir) {
  Shell::Spawner spawner;
  {
    const std::lock_guard<std::mutex> lock(spawnerMutex);
    spawner = installedSpawner;
  }
  return spawner ? spawner(argv, workingDir) : SpawnDetached(argv, workingDir);
}

void InstallSpawner(Shell::Spawner spawner) {
  const std::lock_guard<std::mutex> lock(spawnerMutex);
  installedSpawner = std::move(spawner);
}

}  // namespace platform
