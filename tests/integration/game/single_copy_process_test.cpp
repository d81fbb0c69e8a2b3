// The real varnok binary guarding its player files: one copy at a time, and
// what a killed copy leaves behind is cleared by the next one.
#include <map>
#include <set>
#include <utility>

#include "game_process.h"

namespace {

using process_test::CountOf;
using process_test::GameProcessTest;
using process_test::ReadText;
using process_test::RunResult;
using process_test::WriteText;
namespace fs = std::filesystem;

constexpr const char* kStrayTemp = "data/settings.dat.tmp.4242.0";

// The names in the data folder, and the bytes of the player's files among them.
std::pair<std::set<std::string>, std::map<std::string, std::string>> DataFolder(const fs::path& dir) {
  std::set<std::string> names;
  std::map<std::string, std::string> playerFiles;
  for (const auto& entry : fs::directory_iterator(dir / "data")) {
    const std::string name = entry.path().filename().string();
    names.insert(name);
    if (name.find(".dat") != std::string::npos) playerFiles[name] = ReadText(entry.path());
  }
  return {names, playerFiles};
}

TEST_F(GameProcessTest, ASecondCopySaysTheGameIsRunningAndTouchesNoPlayerFile) {
  // The first copy reaches the main menu and stays there until it is killed.
  WriteText(dir_ / "stay.script", "100000 quit\n");
  const pid_t first = Start({"stay.script"}, dir_ / "first-stderr.txt");
  ASSERT_GT(first, 0);
  ASSERT_TRUE(WaitFor([&] { return ReadText(dir_ / "engine.log").find("gamestate 3") != std::string::npos; }, 30))
      << ReadText(dir_ / "first-stderr.txt");

  // What a second copy would read, delete or sweep if it went ahead.
  WriteText(dir_ / "data/boss.dat", std::string("\x01\x06\x01\x00\x00\x00", 6));
  WriteText(dir_ / kStrayTemp, "left by a killed save");
  const auto before = DataFolder(dir_);
  WriteText(dir_ / "second.script", "5 quit\n");
  const RunResult second = Run({"second.script"}, 30);
  EXPECT_FALSE(second.timedOut);
  EXPECT_NE(second.exitCode, 0);
  EXPECT_EQ(CountOf(second.stderrText, "already running"), 1u) << second.stderrText;
  const auto after = DataFolder(dir_);
  EXPECT_EQ(after.first, before.first) << "the second copy made or removed a file";
  EXPECT_TRUE(after.second == before.second) << "the second copy changed a player file";
  EXPECT_EQ(CountOf(ReadText(dir_ / "engine.log"), "open"), 1u) << "the second copy started its engine";

  // A killed holder leaves the files free: the next copy resumes the record and sweeps the temp file.
  kill(first, SIGKILL);
  Finish(first, dir_ / "first-stderr.txt", 10);
  WriteText(dir_ / "third.script", "20 quit\n");
  const RunResult third = Run({"third.script"}, 30);
  EXPECT_EQ(third.exitCode, 0) << third.stderrText;
  EXPECT_FALSE(fs::exists(dir_ / kStrayTemp));
  EXPECT_FALSE(fs::exists(dir_ / "data/boss.dat")) << "read by the third copy";
  EXPECT_NE(ReadText(dir_ / "engine.log").find("gamestate 6"), std::string::npos) << "resumed in the help screen";
}

}  // namespace
