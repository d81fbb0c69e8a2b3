// Every run the real game records re-runs to the end it recorded: seeded
// scripted runs of the real varnok (headless, unpaced), each verified by
// `varnok --verify` twice on an idle machine and twice with every core busy.
#include "replay_runs.h"

namespace replay_test {
namespace {

using core::RunOutcome;

// What each run reaches was read off its re-run frame by frame when its seeds
// were chosen; the comments say so. The recorded end is checked for what it
// can tell (level, lives, outcome, a segment a process). Weapon A is in hand
// at every level's start; B..E come from drones that the hero shoots down.
const RunCase kRuns[] = {
    // Pick-ups and weapons.
    {.name = "ShortRunQuitWithTheFlamethrowerJustTaken", .levelSeed = 1770, .player = 2, .bold = false,
     .frames = 900, .ending = Ending::kQuit},  // A, D
    {.name = "FlamethrowerBurningAlongTheStreet", .levelSeed = 1770, .player = 2, .bold = false, .frames = 3000,
     .ending = Ending::kQuit},  // A, D burning for 2000 frames
    {.name = "EveryWeaponTwoLevelEndsAndQuitOnTheTrain", .levelSeed = 1770, .player = 28, .bold = true,
     .frames = 6650, .ending = Ending::kQuit, .minLevel = 3, .maxLives = 2},  // a death, C B C E C E D, levels 2, 3
    {.name = "EveryWeaponThenGameOver", .levelSeed = 13, .player = 46, .bold = true, .frames = 6000,
     .ending = Ending::kGameOver},  // A..E
    {.name = "SeventeenGrenadesAndEveryWeaponThenGameOver", .levelSeed = 4242, .player = 25, .bold = true,
     .frames = 6200, .ending = Ending::kGameOver},  // A..E
    {.name = "EveryWeaponInAShortGameOver", .levelSeed = 2024, .player = 28, .bold = true, .frames = 2400,
     .ending = Ending::kGameOver},  // A..E in 2214 frames
    // Deaths and level ends.
    {.name = "DeathThenQuit", .levelSeed = 1770, .player = 3, .bold = false, .frames = 5500,
     .ending = Ending::kQuit, .maxLives = 2},  // A, B, C, E
    {.name = "LevelEndThenQuit", .levelSeed = 1770, .player = 13, .bold = false, .frames = 6900,
     .ending = Ending::kQuit, .minLevel = 2},  // A, D
    {.name = "LevelEndThenGameOverOnLevelTwo", .levelSeed = 12, .player = 44, .bold = true, .frames = 5500,
     .ending = Ending::kGameOver, .minLevel = 2},  // A, C, D, E
    {.name = "LongRunLostOnLevelTwo", .levelSeed = 11, .player = 47, .bold = false, .frames = 11500,
     .ending = Ending::kGameOver, .minLevel = 2},  // A..D, 11248 frames
    {.name = "ClosedMidRun", .levelSeed = 4242, .player = 21, .bold = true, .frames = 3000,
     .ending = Ending::kClosed, .maxLives = 1},  // A, B, D, E, two deaths
    // Window commands and a pad, recorded as the frame's input.
    {.name = "MinimisedAndPausedThenQuit", .levelSeed = 99, .player = 24, .bold = false, .frames = 1200,
     .ending = Ending::kQuit,
     .extra = "500 minimize\n540 activate\n560 tap 197\n700 tap 197\n760 tap 197\n"},
    {.name = "APadPlaysThenComesUnplugged", .levelSeed = 2024, .player = 22, .bold = true, .frames = 1500,
     .ending = Ending::kQuit,
     .extra = "400 pad 0 add\n400 pad 0 down dpright\n400 pad 0 down x\n600 pad 0 tap a\n700 pad 0 down y\n"
              "800 pad 0 up y\n900 pad 0 remove\n950 tap 197\n"},
    // Self-restarts: each relaunched process plays a segment of its own.
    {.name = "AltEnterMidRun", .levelSeed = 1770, .player = 2, .bold = false, .frames = 1500,
     .ending = Ending::kQuit, .restarts = {Switch::kAltEnter}},  // A, D
    {.name = "AltEnterInThePauseAfterADeath", .levelSeed = 1770, .player = 1, .bold = false, .frames = 580,
     .ending = Ending::kQuit, .restarts = {Switch::kAltEnter}},
    {.name = "AltEnterOnTheTrainThenGameOver", .levelSeed = 1770, .player = 28, .bold = true, .frames = 6676,
     .ending = Ending::kGameOver, .restarts = {Switch::kAltEnter}, .minLevel = 3},  // A..E
    {.name = "HideKeyInFullScreen", .levelSeed = 13, .player = 45, .bold = false, .frames = 1400,
     .ending = Ending::kQuit, .restarts = {Switch::kHide}, .fullScreen = true},  // A, B, E
    {.name = "HideKeyWithTheFlamethrowerInHand", .levelSeed = 1770, .player = 13, .bold = false, .frames = 1200,
     .ending = Ending::kQuit, .restarts = {Switch::kHide}, .fullScreen = true},  // A, D; back with A
    {.name = "AltEnterThenHideKey", .levelSeed = 4242, .player = 25, .bold = true, .frames = 500,
     .ending = Ending::kQuit, .restarts = {Switch::kAltEnter, Switch::kHide}},  // A, B
    {.name = "MaximiseThenAltEnterThenGameOver", .levelSeed = 11, .player = 40, .bold = false, .frames = 1500,
     .ending = Ending::kGameOver, .restarts = {Switch::kMaximize, Switch::kAltEnter}},  // A..D
};

class ReplayRunsTest : public ReplayRunTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(ReplayRunsTest, VerifiesToItsRecordedEndIdleAndOnABusyMachine) {
  const RunCase& run = GetParam();
  const std::optional<core::Replay> replay = Record(ScriptsOf(run), run.levelSeed, run.fullScreen);
  ASSERT_TRUE(replay);
  const RunOutcome outcome = run.ending == Ending::kQuit       ? RunOutcome::kQuit
                             : run.ending == Ending::kGameOver ? RunOutcome::kGameOver
                                                               : RunOutcome::kEnded;
  EXPECT_EQ(replay->end.outcome, outcome);
  EXPECT_GE(replay->end.level, run.minLevel);
  EXPECT_LE(replay->end.lives, run.maxLives);
  EXPECT_EQ(replay->segments.size(), run.restarts.size() + 1) << "a segment a process";
  ExpectVerifiesToItsEnd(*replay);
}

INSTANTIATE_TEST_SUITE_P(Runs, ReplayRunsTest, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<RunCase>& param) { return param.param.name; });

// A run after another in the same process starts from what the first run
// started from: the hero keeps nothing of the run before (his animation,
// fire and Up ticks, his shots), which the verifier's new process never had.
TEST_F(ReplayRunTest, ARunAfterAnotherInTheSameProcessVerifiesToItsEnd) {
  // Walk and fire, let go and tap Up (a jump's first half); quit through the
  // dialog; start again, hold Up and close the window.
  const std::optional<core::Replay> replay =
      Record({"30 tap 28\n40 down 205\n40 down 29\n50 up 205\n50 up 29\n55 tap 200\n60 tap 1\n70 tap 28\n"
              "80 tap 28\n90 down 200\n100 up 200\n120 quit\n"},
             1770);
  ASSERT_TRUE(replay);
  EXPECT_EQ(replay->FrameCount(), 41u) << "the second run, from its start";
  ExpectVerifiesToItsEnd(*replay);
}

// The hide key restarts the game minimised; closed before it is ever shown,
// it leaves the game and its run to the next start, which plays on.
TEST_F(ReplayRunTest, ARunHiddenAndClosedUnseenGoesOnAtTheNextStartAndVerifiesToItsEnd) {
  Launch({"30 tap 28\n60 down 205\n200 up 205\n210 down 56\n212 tap 88\n", "50 quit\n"}, 1770, true);
  ASSERT_TRUE(WaitFor([&] {
    return process_test::ReadText(dir_ / "engine.log").find(" window quit\n") != std::string::npos &&
           PlayerFilesFree();
  }, 60)) << "the minimised game never ended";
  const std::optional<core::Replay> replay =
      Record({"30 down 205\n100 up 205\n110 tap 1\n120 tap 28\n160 quit\n"}, 1770);
  ASSERT_TRUE(replay);
  EXPECT_EQ(replay->segments.size(), 2u) << "the unseen process played no frame";
  EXPECT_EQ(replay->end.outcome, RunOutcome::kQuit);
  ExpectVerifiesToItsEnd(*replay);
}

}  // namespace
}  // namespace replay_test
