// An X server of the test's own for its lifetime. Xvfb picks a free display
// itself and names it through -displayfd, so tests running side by side never
// race for one.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace testing_support {

class VirtualDisplay {
 public:
  VirtualDisplay() = default;
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  ~VirtualDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

  // `size` as "1024x768"; false when Xvfb could not be started or named no display.
  bool Start(const std::string& size = "1024x768") {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string exe = "Xvfb", fdArg = "-displayfd", fd = "3", screen = "-screen", zero = "0", depth = size + "x24",
                nolisten = "-nolisten", tcp = "tcp";
    char* argv[] = {exe.data(),  fdArg.data(),    fd.data(),  screen.data(), zero.data(),
                    depth.data(), nolisten.data(), tcp.data(), nullptr};
    const bool started = posix_spawnp(&pid_, exe.c_str(), &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (!started) {
      pid_ = 0;
      close(fds[0]);
      return false;
    }
    char buffer[16] = {};
    const ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
    close(fds[0]);
    if (n <= 0) return false;
    name_ = ":" + std::string(buffer, buffer + n);
    while (!name_.empty() && name_.back() == '\n') name_.pop_back();
    return true;
  }

  // ":N", once started.
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = 0;
  std::string name_;
};

}  // namespace testing_support
