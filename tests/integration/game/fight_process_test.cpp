// The real varnok binary in a fight: the enemies shoot a hero who never fires
// until the run is over, and a hero who fires earns points that reach the
// records file.
#include <cstring>

#include "game_process.h"

namespace {

using process_test::GameProcessTest;
using process_test::ReadBytes;
using process_test::ReadText;
using process_test::RunResult;
using process_test::WriteText;

// Scan codes of the keys the scripts press.
constexpr int kEsc = 1, kEnter = 28, kLeftCtrl = 29, kZ = 44, kC = 46, kO = 24;
constexpr int kUp = 200, kRight = 205, kDown = 208;

// The frame at which the first logged change to `state` happened; -1 if none.
int FrameOfState(const std::string& log, int state, int after = -1) {
  std::istringstream lines(log);
  std::string line;
  const std::string wanted = " gamestate " + std::to_string(state);
  while (std::getline(lines, line)) {
    const size_t at = line.find(wanted);
    if (at == std::string::npos || at + wanted.size() != line.size()) continue;
    const int frame = std::stoi(line.substr(0, at));
    if (frame > after) return frame;
  }
  return -1;
}

int CountOfState(const std::string& log, int state) {
  int count = 0;
  for (int frame = FrameOfState(log, state); frame >= 0; frame = FrameOfState(log, state, frame)) ++count;
  return count;
}

TEST_F(GameProcessTest, AHeroWhoNeverFiresIsShotDeadThreeTimesAndTheRunEnds) {
  // New game, then walk right and jump every 100 frames (Up alone jumps).
  std::ostringstream script;
  script << "60 tap " << kEnter << "\n200 down " << kRight << "\n";
  for (int f = 300; f < 3400; f += 100) {
    script << f << " up " << kRight << "\n" << f << " down " << kUp << "\n";
    script << f + 8 << " up " << kUp << "\n" << f + 8 << " down " << kRight << "\n";
  }
  script << "3500 quit\n";
  WriteText(dir_ / "walk.script", script.str());
  const RunResult result = Run({"walk.script"}, 100);
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  EXPECT_EQ(result.exitCode, 0) << result.stderrText;

  const std::string log = ReadText(dir_ / "engine.log");
  const int gameOver = FrameOfState(log, 21);
  ASSERT_GT(gameOver, 0) << "the run never ended:\n" << log;
  // A level needs 2480 scroll steps; three lives were lost long before.
  EXPECT_LT(gameOver, 200 + 2480) << log;
  EXPECT_EQ(CountOfState(log, 13), 2) << "two lives lost before the last:\n" << log;
  EXPECT_GT(FrameOfState(log, 3, gameOver), gameOver) << "a score of 0 goes back to the main menu:\n" << log;
  EXPECT_EQ(FrameOfState(log, 17), -1) << "no name entry for 0 points";
}

TEST_F(GameProcessTest, AHeroWhoShootsAFloatingPickUpCollectsItAndItsPointsReachTheRecords) {
  // Ten zero scores: any point enters the table.
  std::string records;
  for (int i = 0; i < 10; ++i) {
    const char entry[16] = {1, 'Z'};
    records.append(entry, sizeof entry);
  }
  WriteText(dir_ / "data/records.dat", records);
  // A few steps right bring the first pick-up (always 20 units out) into
  // play; standing behind the first crate he fires straight up while it
  // floats over him, it drops at his feet and he takes it. Then he ends the
  // run and saves his name.
  std::ostringstream script;
  script << "60 tap " << kEnter << "\n200 down " << kRight << "\n220 up " << kRight << "\n";
  for (int key : {kZ, kUp, kLeftCtrl}) script << "222 down " << key << "\n500 up " << key << "\n";
  script << "520 shot fight.png\n530 tap " << kEsc << "\n560 tap " << kEnter << "\n";
  script << "700 tap " << kC << "\n710 tap " << kO << "\n720 tap " << kEnter << "\n";
  script << "740 tap " << kDown << "\n750 tap " << kEnter << "\n760 tap " << kDown << "\n770 tap " << kEnter << "\n";
  script << "800 quit\n";
  WriteText(dir_ / "shoot.script", script.str());
  const RunResult result = Run({"shoot.script"}, 60);
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  EXPECT_EQ(result.exitCode, 0) << result.stderrText;

  const std::string log = ReadText(dir_ / "engine.log");
  ASSERT_GT(FrameOfState(log, 18), 0) << "the run's score entered the table:\n" << log;
  EXPECT_GT(FrameOfState(log, 22), 0) << "the name was saved:\n" << log;
  const std::vector<uint8_t> saved = ReadBytes(dir_ / "data/records.dat");
  ASSERT_EQ(saved.size(), 160u);
  EXPECT_EQ(saved[0], 2) << "the first entry holds the typed name";
  int32_t score = 0;
  std::memcpy(&score, &saved[12], sizeof score);
  EXPECT_GE(score, 50);
  EXPECT_EQ(score % 50, 0) << "pick-ups give 50, pop-ups 100";
  EXPECT_TRUE(std::filesystem::exists(dir_ / "fight.png"));
}

}  // namespace
