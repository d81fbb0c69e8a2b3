// ChildProcess: a program the test starts with its own argument vector and
// environment (never through a shell), its standard output and error going to
// files, and ends or kills at the end of the test.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "text_file.h"

namespace testing_support {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // A child still running at the end of the test is killed.
  ~ChildProcess() { Kill(); }

  // Starts argv[0] with `env` as its whole environment; false when it could not be started.
  bool Start(std::vector<std::string> argv, std::vector<std::string> env, const std::filesystem::path& outFile,
             const std::filesystem::path& errFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> args, envp;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const bool started = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) pid_ = -1;
    return started;
  }

  // Waits up to `timeout` for the child to end: its exit code, or -1 when it
  // was ended by a signal; nothing when it is still running.
  std::optional<int> Wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return exitCode_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) break;
      if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitCode_;
  }

  bool Running() { return pid_ > 0 && !Wait(std::chrono::milliseconds(0)); }

  void Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
  }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    Wait(std::chrono::seconds(10));
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> exitCode_;
};

}  // namespace testing_support
