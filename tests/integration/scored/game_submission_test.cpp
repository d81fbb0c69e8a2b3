// The real game on the headless engine, pointed at a real score server: the
// enemies end a run, its score enters the table, the player types a name,
// saves it and sends it, and the name and score appear on the online table.
#include <sstream>

#include "game_process.h"
#include "core/player_files.h"
#include "scored_process.h"
#include "online/http_client.h"
#include "online/score_protocol.h"

namespace {

using process_test::GameProcessTest;
using process_test::ReadText;
using process_test::RunResult;
using process_test::WriteText;
using testing_support::ScoredProcess;

constexpr int kEnter = 28, kLeftShift = 42, kA = 0x1E, kB = 0x30, kUp = 200, kRight = 205;
// A hero who walks right and never fires is shot dead three times well before
// this frame, and the game-over pause leads to the name entry.
constexpr int kWalkUntil = 2900, kNameEntryFrom = 3100;

// The pointer at (x, y) in engine units, as the script's 0..1 frame position.
std::string PointAt(int frame, float x, float y) {
  std::ostringstream line;
  line << frame << " mouse " << (x + 16) / 32 << " " << (12 - y) / 24 << "\n";
  return line.str();
}

// New game; walk right, jumping every 100 frames, until the run is lost.
// The jumps' Up key may have moved the entry's selection, so the entry is
// worked by clicks: the name field, "AB" typed with Shift, save, then "yes".
std::string LostRunScript() {
  std::ostringstream script;
  script << "60 tap " << kEnter << "\n200 down " << kRight << "\n";
  for (int f = 300; f < kWalkUntil; f += 100) {
    script << f << " up " << kRight << "\n" << f << " down " << kUp << "\n";
    script << f + 8 << " up " << kUp << "\n" << f + 8 << " down " << kRight << "\n";
  }
  script << kWalkUntil << " up " << kRight << "\n";
  const int f = kNameEntryFrom;
  script << PointAt(f, 0.25f, 0) << f + 5 << " click\n";
  script << f + 10 << " down " << kLeftShift << "\n" << f + 12 << " tap " << kA << "\n" << f + 14 << " tap " << kB
         << "\n" << f + 16 << " up " << kLeftShift << "\n";
  script << PointAt(f + 20, -5, -5.5f) << f + 25 << " click\n";
  script << PointAt(f + 35, -1.5f, -2.65f) << f + 40 << " click\n";
  script << f + 200 << " quit\n";
  return script.str();
}

class GameSubmissionTest : public GameProcessTest {
 protected:
  // A table that any run beats (even one of 0 points), so the test does not
  // depend on how many points the hero made before he fell.
  void SeedBeatableRecords() {
    core::TRecordsTable table{};
    for (auto& entry : table) entry.Score = -1;
    WriteText(dir_ / "data/records.dat",
              std::string(reinterpret_cast<const char*>(table.data()), sizeof(table)));
  }
};

TEST_F(GameSubmissionTest, ALostRunIsSavedSentAndShownOnTheOnlineTable) {
  ScoredProcess server(VARNOK_SCORED, dir_ / "scores.db");
  ASSERT_TRUE(server.Start()) << server.ErrorOutput();
  SeedBeatableRecords();
  WriteText(dir_ / "lost.script", LostRunScript());
  envOverrides_.push_back("VARNOK_SCORE_SERVER=" + server.Address());
  const RunResult result = Run({"lost.script"}, 100);
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  ASSERT_EQ(result.exitCode, 0) << result.stderrText;

  // Game over (21), the name entry (18), submitting (24), then the main menu (3).
  const std::string log = ReadText(dir_ / "engine.log");
  const size_t gameOver = log.find("gamestate 21\n");
  ASSERT_NE(gameOver, std::string::npos) << log;
  const size_t submitting = log.find("gamestate 24\n", log.find("gamestate 18\n", gameOver));
  ASSERT_NE(submitting, std::string::npos) << log;
  EXPECT_NE(log.find("gamestate 3\n", submitting), std::string::npos) << log;
  EXPECT_EQ(log.find("gamestate 25\n"), std::string::npos) << log;

  core::TRecordsTable table{};
  const std::string records = ReadText(dir_ / "data/records.dat");
  ASSERT_TRUE(core::ParseRecords(std::span(reinterpret_cast<const uint8_t*>(records.data()), records.size()), table));
  ASSERT_EQ(std::string(reinterpret_cast<const char*>(table[0].Name), table[0].NameLength), "AB");

  online::TCurlHttpClient http(online::HttpLimits{.maxReplyBytes = 1 << 20});
  const auto page = http.Get(server.Url(online::kOnlineTableQuery));
  ASSERT_TRUE(page);
  EXPECT_NE(page->find("<td>AB</td><td class=\"score\">" + std::to_string(table[0].Score) + "</td>"),
            std::string::npos)
      << *page;
}

}  // namespace
