// The real varnok binary on the desktop: a start without a display, a game
// controller scripted through the engine.
#include "game_process.h"

namespace {

using process_test::GameProcessTest;
using process_test::ReadText;
using process_test::RunResult;
using process_test::WriteText;

TEST_F(GameProcessTest, StartWithoutADisplaySaysSoAndFailsAtOnce) {
  envOverrides_ = {"VARNOK_ENGINE=sdl"};  // the real window, and no DISPLAY in the environment
  const RunResult result = Run({});
  ASSERT_FALSE(result.timedOut) << "left running with nothing on screen";
  EXPECT_NE(result.exitCode, 0);
  EXPECT_NE(result.stderrText.find("The game window could not be opened"), std::string::npos) << result.stderrText;
}

TEST_F(GameProcessTest, PadStartsAGameAndUnpluggingItInPlayPauses) {
  WriteText(dir_ / "pad.script",
            "5 pad 0 add\n"
            "30 pad 0 tap a\n"           // A is Enter in the menu: its first item, a new game
            "120 pad 0 axis leftx 0.9\n"  // walk right
            "180 pad 0 axis leftx 0\n"
            "200 pad 0 remove\n"
            "230 quit\n");
  const RunResult result = Run({"pad.script"});
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  EXPECT_EQ(result.exitCode, 0) << result.stderrText;
  const std::string log = ReadText(dir_ / "engine.log");
  const size_t playing = log.find("gamestate 2\n");
  const size_t removed = log.find("pad 0 removed");
  const size_t paused = log.find("gamestate 12\n");
  ASSERT_NE(playing, std::string::npos) << log;
  ASSERT_NE(removed, std::string::npos) << log;
  ASSERT_NE(paused, std::string::npos) << log;
  EXPECT_LT(playing, removed);
  EXPECT_LT(removed, paused) << "unplugged in play: the game pauses";
}

}  // namespace
