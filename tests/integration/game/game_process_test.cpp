// The real varnok binary in a temporary copy of the game folder, on the
// headless engine, driven by the engine's input script.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
const fs::path kGameDir = VARNOK_GAME_DIR;

struct RunResult {
  int exitCode = -1;
  bool timedOut = false;
  std::string stderrText;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  const std::string text = ReadText(path);
  return {text.begin(), text.end()};
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
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
    std::string scriptList;
    for (const std::string& s : scripts) scriptList += (scriptList.empty() ? "" : ":") + (dir_ / s).string();
    std::vector<std::string> env = {"VARNOK_ENGINE=headless", "VARNOK_ENGINE_SCRIPT=" + scriptList,
                                    "VARNOK_ENGINE_LOG=" + (dir_ / "engine.log").string(), "VARNOK_NO_DIALOGS=1",
                                    "SDL_AUDIODRIVER=dummy", "HOME=" + dir_.string(), "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    const fs::path errFile = dir_ / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // Started from another folder: the game must find its own folder.
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    std::string exe = (dir_ / "varnok").string();
    char* argv[] = {exe.data(), nullptr};
    pid_t pid = 0;
    RunResult result;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data()) != 0) return result;
    posix_spawn_file_actions_destroy(&actions);

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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
  }

  fs::path dir_;
};

TEST_F(GameProcessTest, FirstStartCreatesTheDefaultFilesReachesTheMenuAndQuitsCleanly) {
  WriteText(dir_ / "first.script", "60 shot menu.png\n70 quit\n");
  const RunResult result = Run({"first.script"});
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  EXPECT_EQ(result.exitCode, 0) << result.stderrText;

  EXPECT_EQ(ReadBytes(dir_ / "data/settings.dat"),
            (std::vector<uint8_t>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x58, 0, 0, 1, 0, 0}));
  EXPECT_EQ(fs::file_size(dir_ / "data/records.dat"), 160u);
  EXPECT_NE(ReadText(dir_ / "engine.log").find("gamestate 3"), std::string::npos);
  ASSERT_TRUE(fs::exists(dir_ / "menu.png"));
  EXPECT_EQ(ReadText(dir_ / "menu.png").substr(1, 3), "PNG");
}

TEST_F(GameProcessTest, ProgramAfterExitIsOpenedWhenPresent) {
  WriteText(dir_ / "fscommand/wgame.exe", "#!/bin/sh\ntouch \"$(dirname \"$0\")/../after-exit-ran\"\n");
  fs::permissions(dir_ / "fscommand/wgame.exe", fs::perms::owner_all);
  WriteText(dir_ / "quit.script", "5 quit\n");
  const RunResult result = Run({"quit.script"});
  ASSERT_EQ(result.exitCode, 0) << result.stderrText;
  EXPECT_TRUE(WaitFor([&] { return fs::exists(dir_ / "after-exit-ran"); }, 10));
}

TEST_F(GameProcessTest, MissingEngineLibraryIsReportedAndTheProcessEnds) {
  fs::remove(dir_ / "SYSTEm.DLL");
  const RunResult result = Run({}, 10);
  ASSERT_FALSE(result.timedOut);
  EXPECT_NE(result.exitCode, 0);
  EXPECT_NE(result.stderrText.find("The engine DLL was not loaded or could not be found."), std::string::npos);
}

TEST_F(GameProcessTest, RestartRecordThatStartsMinimisedWaitsForActivation) {
  WriteText(dir_ / "data/boss.dat", std::string("\x00\x06\x01\x00\x00\x00", 6));
  WriteText(dir_ / "activate.script", "20 activate\n80 quit\n");
  const RunResult result = Run({"activate.script"});
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  EXPECT_EQ(result.exitCode, 0) << result.stderrText;
  EXPECT_FALSE(fs::exists(dir_ / "data/boss.dat"));
  // The engine ran after the activation: it logged the resumed help state.
  EXPECT_NE(ReadText(dir_ / "engine.log").find("gamestate 6"), std::string::npos);
}

TEST_F(GameProcessTest, WindowModeSwitchRelaunchesTheGameInFullScreen) {
  WriteText(dir_ / "switch.script", "30 maximize\n");
  WriteText(dir_ / "after.script", "30 quit\n");
  const RunResult result = Run({"switch.script", "after.script"});
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  EXPECT_EQ(result.exitCode, 0) << result.stderrText;
  EXPECT_EQ(ReadBytes(dir_ / "data/settings.dat").at(0), 0) << "now full screen";
  // The relaunched process read and deleted the restart record, then ran its own script.
  EXPECT_TRUE(WaitFor([&] { return !fs::exists(dir_ / "data/boss.dat"); }, 15));
  EXPECT_TRUE(WaitFor([&] {
    const std::string log = ReadText(dir_ / "engine.log");
    return log.find("gamestate 3") != log.rfind("gamestate 3");
  }, 15)) << "two processes reached the menu";
}

}  // namespace
