// The real varnok binary: start-up, files, the engine library, relaunches.
#include "game_process.h"

namespace {

using process_test::GameProcessTest;
using process_test::ReadBytes;
using process_test::ReadText;
using process_test::RunResult;
using process_test::WriteText;
namespace fs = std::filesystem;

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
