// The checked-in golden replays re-run in-process to their checked-in
// verdicts, so that a change of the game's behaviour that would replay old
// files differently cannot pass unnoticed (see golden/README.md). They are
// re-run with app::RunReplay, not `varnok --verify`: other data files or
// another version string do not fail them, a different run does.
#include <cstdlib>

#include "app/replay_watch.h"
#include "engine_link/engine_calls.h"
#include "replay_runs.h"

namespace replay_test {
namespace {

const fs::path kGoldenDir = VARNOK_GOLDEN_DIR;

// How each was recorded; VARNOK_RECORD_GOLDEN=1 records them again.
const RunCase kGolden[] = {
    {.name = "quit", .levelSeed = 1770, .player = 2, .bold = false, .frames = 900, .ending = Ending::kQuit},
    {.name = "game_over", .levelSeed = 2024, .player = 28, .bold = true, .frames = 2400,
     .ending = Ending::kGameOver},
    {.name = "alt_enter", .levelSeed = 1770, .player = 2, .bold = false, .frames = 600, .ending = Ending::kQuit,
     .restarts = {Switch::kAltEnter}},
};

// The game's files are read from the folder it runs in, as --verify does.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
  ~InFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

class GoldenReplayTest : public ReplayRunTest, public ::testing::WithParamInterface<RunCase> {
 protected:
  // Plays the run with the real game and keeps its replay and its verdict
  // beside the others, once the verdict is the run's own end.
  void RecordAgain(const RunCase& run, const fs::path& file, const fs::path& verdictFile) {
    const std::optional<core::Replay> replay = Record(ScriptsOf(run), run.levelSeed);
    ASSERT_TRUE(replay);
    ASSERT_EQ(replay->segments.size(), run.restarts.size() + 1);
    std::string why;
    InFolder inGame(dir_);
    const std::optional<app::ReplayVerdict> verdict = app::RunReplay(*replay, why);
    ASSERT_TRUE(verdict) << why;
    ASSERT_EQ(app::VerdictJson(*replay, *verdict) + "\n", RecordedLine(*replay));
    fs::copy_file(LastReplay(), file, fs::copy_options::overwrite_existing);
    process_test::WriteText(verdictFile, RecordedLine(*replay));
  }
};

TEST_P(GoldenReplayTest, ReRunsInProcessToItsVerdict) {
  const fs::path file = kGoldenDir / (std::string(GetParam().name) + ".vreplay");
  const fs::path verdictFile = fs::path(file).replace_extension(".json");
  if (std::getenv("VARNOK_RECORD_GOLDEN")) RecordAgain(GetParam(), file, verdictFile);
  std::string why;
  const std::optional<core::Replay> replay = DecodeFile(file, why);
  ASSERT_TRUE(replay) << file << ": " << why;
  InFolder inGame(dir_);
  const std::optional<app::ReplayVerdict> verdict = app::RunReplay(*replay, why);
  ASSERT_TRUE(verdict) << why;
  EXPECT_EQ(app::VerdictJson(*replay, *verdict) + "\n", process_test::ReadText(verdictFile));
}

// Watched in the game, restarts and all, the run comes to the verifier's end.
TEST_P(GoldenReplayTest, WatchedInTheGameEndsAsVerified) {
  std::string why;
  const std::optional<core::Replay> replay =
      DecodeFile(kGoldenDir / (std::string(GetParam().name) + ".vreplay"), why);
  ASSERT_TRUE(replay) << why;
  InFolder inGame(dir_);
  const std::optional<app::ReplayVerdict> verdict = app::RunReplay(*replay, why);
  ASSERT_TRUE(verdict) << why;
  engine_link::InstallNullEngine();
  {
    app::ReplayWatch watch(*replay, {});
    for (size_t frame = 0; frame <= verdict->frames && !watch.End(); ++frame) watch.Frame({});
    ASSERT_TRUE(watch.End()) << watch.Failure();
    EXPECT_EQ(watch.End()->outcome, verdict->end.outcome);
    EXPECT_EQ(watch.End()->score, verdict->end.score);
    EXPECT_EQ(watch.End()->world, verdict->end.world);
  }
  engine_link::ResetEngineCalls();
}

// The score server's test data: 30 runs of scripted players, each quit to
// the menu at its end (the quit's score stands in the table as a game
// over's does), recorded with VARNOK_RECORD_SCORE_REPLAYS=1 into
// tests/integration/scored/replays with "FILE SCORE" lines in runs.txt.
TEST_F(ReplayRunTest, ScoreServerReplaysAreRecordedOnRequest) {
  if (!std::getenv("VARNOK_RECORD_SCORE_REPLAYS")) GTEST_SKIP() << "VARNOK_RECORD_SCORE_REPLAYS is not set";
  const fs::path out = VARNOK_SCORE_REPLAYS_DIR;
  fs::create_directories(out);
  std::string list;
  // A run whose quit did not land (the hero fell as Esc came) is passed over.
  for (uint32_t i = 0, kept = 0; kept < 30 && i < 60; ++i) {
    const RunCase run{.name = "score", .levelSeed = 3000 + 7 * i, .player = 100 + i, .bold = i % 2 == 1,
                      .frames = 400 + 25 * static_cast<int>(i % 30), .ending = Ending::kQuit};
    const std::optional<core::Replay> replay = Record(ScriptsOf(run), run.levelSeed);
    ASSERT_TRUE(replay);
    if (replay->end.outcome != core::RunOutcome::kQuit) continue;
    const std::string name = "run" + std::to_string(10 + kept++) + ".vreplay";
    fs::copy_file(LastReplay(), out / name, fs::copy_options::overwrite_existing);
    list += name + " " + std::to_string(replay->end.score) + "\n";
  }
  process_test::WriteText(out / "runs.txt", list);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenReplayTest, ::testing::ValuesIn(kGolden),
                         [](const ::testing::TestParamInfo<RunCase>& param) { return param.param.name; });

}  // namespace
}  // namespace replay_test
