// The real varnok binary in a temporary copy of the game folder, on the
// headless engine, driven by the engine's input script: the fixture that
// every process test shares.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "text_file.h"
#include "wait_for.h"

extern char** environ;

namespace process_test {

namespace fs = std::filesystem;
inline const fs::path kGameDir = VARNOK_GAME_DIR;

struct RunResult {
  int exitCode = -1;
  bool timedOut = false;
  std::string stderrText;
};

using testing_support::ReadText;
using testing_support::WriteText;

inline std::vector<uint8_t> ReadBytes(const fs::path& path) {
  const std::string text = ReadText(path);
  return {text.begin(), text.end()};
}

// How many times `word` occurs in `text`.
inline size_t CountOf(const std::string& text, const std::string& word) {
  size_t count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
  return count;
}

class GameProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kGameDir / "SYSTEm.DLL") || !fs::exists(kGameDir / "data" / "sprite.x")) {
      GTEST_SKIP() << "the game folder is not complete (engine library or data files missing)";
    }
    std::string pattern = (fs::temp_directory_path() / "varnok-game-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    fs::copy(kGameDir, dir_, fs::copy_options::recursive);
    for (const char* file : {"data/settings.dat", "data/records.dat", "data/boss.dat"}) fs::remove(dir_ / file);
  }
  void TearDown() override {
    std::error_code error;
    if (!dir_.empty()) fs::remove_all(dir_, error);
  }

  // Runs the game with the given script files (relative to the folder) and waits.
  RunResult Run(const std::vector<std::string>& scripts, int timeoutSeconds = 30) {
    const fs::path errFile = dir_ / "stderr.txt";
    return Finish(Start(scripts, errFile), errFile, timeoutSeconds);
  }

  // Starts the game as Run does, its standard error going to errFile; the
  // process id, or -1 when it could not be started.
  pid_t Start(const std::vector<std::string>& scripts, const fs::path& errFile) {
    std::string scriptList;
    for (const std::string& s : scripts) scriptList += (scriptList.empty() ? "" : ":") + (dir_ / s).string();
    std::vector<std::string> env = {"VARNOK_ENGINE=headless", "VARNOK_ENGINE_SCRIPT=" + scriptList,
                                    "VARNOK_ENGINE_LOG=" + (dir_ / "engine.log").string(), "VARNOK_NO_DIALOGS=1",
                                    "SDL_AUDIODRIVER=dummy", "HOME=" + dir_.string(), "PATH=/usr/bin:/bin"};
    for (const std::string& entry : envOverrides_) {
      const std::string name = entry.substr(0, entry.find('=') + 1);
      auto same = std::find_if(env.begin(), env.end(), [&](const std::string& e) { return e.rfind(name, 0) == 0; });
      if (same != env.end()) *same = entry; else env.push_back(entry);
    }
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // Started from another folder: the game must find its own folder.
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    std::string exe = (dir_ / "varnok").string();
    char* argv[] = {exe.data(), nullptr};
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started ? pid : -1;
  }

  // Waits for a started game to end (killing it after the timeout).
  RunResult Finish(pid_t pid, const fs::path& errFile, int timeoutSeconds) {
    RunResult result;
    if (pid < 0) return result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.timedOut = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.stderrText = ReadText(errFile);
    return result;
  }

  // Waits for a condition that a detached (relaunched) process brings about.
  bool WaitFor(const std::function<bool()>& done, int seconds) {
    return testing_support::WaitFor(done, std::chrono::seconds(seconds));
  }

  fs::path dir_;
  std::vector<std::string> envOverrides_;  // "NAME=value" entries that Run puts in (or over) its environment
};

}  // namespace process_test
