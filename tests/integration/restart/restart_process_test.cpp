// The real game on the headless engine carried across its self-restarts:
// each process runs the next input script of the list, so one test follows
// a game through several processes by their files and their state log.
#include <cstring>

#include "game_process.h"

namespace {

using process_test::GameProcessTest;
using process_test::ReadBytes;
using process_test::ReadText;
using process_test::RunResult;
using process_test::WriteText;
namespace fs = std::filesystem;

// Scan codes of the scripts.
constexpr int kEnter = 28, kAlt = 56, kF12 = 88, kRight = 205, kDown = 208;

struct SavedRun {
  int32_t level = 0, score = 0;
  long double heroX = 0;
  int32_t scrollPos = 0;
};

int32_t IntAt(const std::vector<uint8_t>& bytes, size_t at) {
  int32_t v = 0;
  std::memcpy(&v, bytes.data() + at, sizeof v);
  return v;
}

class RestartProcessTest : public GameProcessTest {
 protected:
  SavedRun Saved() {
    const auto header = ReadBytes(dir_ / "data/game.dat");
    const auto hero = ReadBytes(dir_ / "data/hero.dat");
    SavedRun run;
    if (header.size() != 40 || hero.size() != 3952) return run;
    run.level = IntAt(header, 0);
    run.score = IntAt(header, 8);
    std::memcpy(&run.heroX, hero.data(), 10);
    run.scrollPos = IntAt(hero, 96);
    return run;
  }
  // The first state each process logged, in process order.
  std::vector<int> FirstStates() {
    std::istringstream log(ReadText(dir_ / "engine.log"));
    std::vector<int> states;
    bool opened = false;
    std::string line;
    while (std::getline(log, line)) {
      if (line.find("open") != std::string::npos) opened = true;
      const size_t at = line.find("gamestate ");
      if (opened && at != std::string::npos) {
        states.push_back(std::stoi(line.substr(at + 10)));
        opened = false;
      }
    }
    return states;
  }
  bool WaitForProcesses(size_t count) {
    return WaitFor([&] {
      const std::string log = ReadText(dir_ / "engine.log");
      size_t closes = 0;
      for (size_t at = log.find("close"); at != std::string::npos; at = log.find("close", at + 1)) ++closes;
      return closes >= count;
    }, 60);
  }
};

TEST_F(RestartProcessTest, AltEnterThenTheHideKeyCarryTheLevelScoreAndHeroAcrossTwoRestarts) {
  // 1: start a game, walk right, Alt+Enter.
  WriteText(dir_ / "play.script", "30 tap " + std::to_string(kEnter) + "\n60 down " + std::to_string(kRight) +
                                      "\n100 up " + std::to_string(kRight) + "\n110 down " + std::to_string(kAlt) +
                                      "\n110 down " + std::to_string(kEnter) + "\n");
  // 2: full screen now; the hide key (Alt+F12) restarts it minimised.
  WriteText(dir_ / "hide.script", "40 down " + std::to_string(kAlt) + "\n40 tap " + std::to_string(kF12) + "\n");
  // 3: waits for the player, then plays on.
  WriteText(dir_ / "back.script", "10 activate\n50 shot back.png\n60 quit\n");
  const RunResult result = Run({"play.script", "hide.script", "back.script"});
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  ASSERT_EQ(result.exitCode, 0) << result.stderrText;
  const SavedRun first = Saved();
  EXPECT_EQ(first.level, 1);
  EXPECT_GT(first.scrollPos, 0) << "the hero walked and the street scrolled";
  EXPECT_EQ(ReadBytes(dir_ / "data/settings.dat").at(0), 0) << "full screen after the switch";

  ASSERT_TRUE(WaitForProcesses(3)) << ReadText(dir_ / "engine.log");
  EXPECT_EQ(FirstStates(), (std::vector<int>{3, 2, 2})) << "both new processes went straight back into play\n"
                                                        << ReadText(dir_ / "engine.log");
  const SavedRun second = Saved();  // written by the hide in the second process
  EXPECT_EQ(second.level, first.level);
  EXPECT_EQ(second.score, first.score);
  EXPECT_EQ(second.heroX, first.heroX);
  EXPECT_EQ(second.scrollPos, first.scrollPos);
  EXPECT_TRUE(WaitFor([&] { return !fs::exists(dir_ / "data/boss.dat"); }, 10));
  EXPECT_FALSE(fs::exists(dir_ / "data/bld.dat")) << "read and deleted by the last process";
  EXPECT_NE(ReadText(dir_ / "engine.log").find("window activate"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "back.png"));
}

TEST_F(RestartProcessTest, AWindowModeAppliedInTheOptionsComesBackInTheOptions) {
  // Down twice to the options, open them, then Right on the window item applies full screen.
  WriteText(dir_ / "options.script", "30 tap " + std::to_string(kDown) + "\n32 tap " + std::to_string(kDown) +
                                         "\n34 tap " + std::to_string(kEnter) + "\n40 tap " +
                                         std::to_string(kRight) + "\n");
  WriteText(dir_ / "after.script", "30 shot options.png\n40 quit\n");
  const RunResult result = Run({"options.script", "after.script"});
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  ASSERT_EQ(result.exitCode, 0) << result.stderrText;
  ASSERT_TRUE(WaitForProcesses(2)) << ReadText(dir_ / "engine.log");
  EXPECT_EQ(ReadBytes(dir_ / "data/settings.dat").at(0), 0);
  EXPECT_EQ(FirstStates(), (std::vector<int>{3, 4})) << ReadText(dir_ / "engine.log");
  EXPECT_TRUE(WaitFor([&] { return fs::exists(dir_ / "options.png"); }, 10));
}

}  // namespace
