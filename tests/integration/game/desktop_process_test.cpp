// The real varnok binary on the desktop: a start without a display, a game
// controller scripted through the engine, in play and on the controls screen.
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

TEST_F(GameProcessTest, APadAloneRebindsFireOnTheControlsScreen) {
  std::string script = "5 pad 0 add\n30 pad 0 tap dpdown\n33 pad 0 tap dpdown\n36 pad 0 tap a\n";  // options
  for (int f = 40; f <= 52; f += 3) script += std::to_string(f) + " pad 0 tap dpdown\n";           // its last item
  script += "56 pad 0 tap a\n";                                                                     // controls
  for (int f = 60; f <= 72; f += 3) script += std::to_string(f) + " pad 0 tap dpdown\n";           // fire's row
  script += "76 pad 0 tap dpright\n79 pad 0 tap dpright\n"  // its first pad button
            "83 pad 0 tap a\n"                              // wait for a button
            "88 pad 0 tap y\n"                              // aiming's: offered as a swap
            "92 pad 0 tap a\n"                              // taken
            "100 quit\n";
  WriteText(dir_ / "pad.script", script);
  const RunResult result = Run({"pad.script"});
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  EXPECT_EQ(result.exitCode, 0) << result.stderrText;
  const std::string controls = ReadText(dir_ / "data/controls.txt");
  EXPECT_NE(controls.find("\nfire 29 157 y -\n"), std::string::npos) << controls;
  EXPECT_NE(controls.find("\naim 44 - x rightshoulder\n"), std::string::npos) << controls;
}

}  // namespace
