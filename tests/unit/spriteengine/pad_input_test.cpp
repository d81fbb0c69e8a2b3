// Game controllers as the game polls them: presses seen once, focus loss,
// the input script's pad lines through the engine, an unplugged pad.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/engine.h"
#include "core/pad_state.h"
#include "core/script.h"
#include "fake_platform.h"
#include "test_assets.h"

namespace spriteengine {
namespace {

TEST(PadStateTest, PressesAreSeenOnceInTheNextFrameAndFocusLossLetsGo) {
  PadState pads;
  pads.Button(0, PadButton::kA, true);
  pads.Button(0, PadButton::kA, true);  // a repeat is not a new press
  pads.Button(0, PadButton::kB, true);
  pads.Button(0, PadButton::kB, false);  // a tap between two frames still counts
  pads.BeginFrame();
  EXPECT_EQ(pads.Pads(), std::vector<int>{0}) << "events of an unknown pad add it";
  EXPECT_TRUE(pads.IsButtonDown(0, PadButton::kA));
  EXPECT_FALSE(pads.IsButtonDown(0, PadButton::kB));
  EXPECT_TRUE(pads.TakeButtonClick(0, PadButton::kA));
  EXPECT_FALSE(pads.TakeButtonClick(0, PadButton::kA));
  EXPECT_TRUE(pads.TakeButtonClick(0, PadButton::kB));
  pads.BeginFrame();
  EXPECT_FALSE(pads.TakeButtonClick(0, PadButton::kB));

  pads.Axis(0, PadAxis::kLeftX, -0.8f);
  pads.ReleaseAll();
  EXPECT_FALSE(pads.IsButtonDown(0, PadButton::kA)) << "held through the focus loss";
  EXPECT_EQ(pads.AxisValue(0, PadAxis::kLeftX), 0.0f);
  pads.Button(0, PadButton::kA, false);
  pads.Button(0, PadButton::kA, true);
  pads.Axis(0, PadAxis::kLeftX, 7.0f);  // out of range: clamped
  pads.BeginFrame();
  EXPECT_TRUE(pads.IsButtonDown(0, PadButton::kA));
  EXPECT_TRUE(pads.TakeButtonClick(0, PadButton::kA));
  EXPECT_EQ(pads.AxisValue(0, PadAxis::kLeftX), 1.0f);
  EXPECT_FALSE(pads.IsButtonDown(9, PadButton::kA));
  EXPECT_FALSE(pads.IsButtonDown(0, static_cast<PadButton>(40)));
  EXPECT_TRUE(pads.Remove(0));
  EXPECT_FALSE(pads.Remove(0));
  EXPECT_TRUE(pads.Pads().empty());
}

TEST(PadScriptTest, PadLinesParseAndMalformedOnesAreReported) {
  Script s = ParseScript(
      "1 pad 0 add\n"
      "2 pad 0 down a\n"
      "3 pad 1 tap dpleft\n"
      "4 pad 0 axis lefty -0.75\n"
      "5 pad 0 remove\n"
      "6 pad 0 down turbo\n"
      "7 pad 0 axis leftx 2\n"
      "8 pad 300 add\n"
      "9 pad 0\n"
      "10 pad x add\n"
      "11 pad 0 add now\n");
  ASSERT_EQ(s.byFrame.size(), 5u);
  const ScriptCommand& axis = s.byFrame.find(4)->second;
  EXPECT_EQ(axis.op, ScriptOp::kPadAxis);
  EXPECT_EQ(axis.axis, PadAxis::kLeftY);
  EXPECT_FLOAT_EQ(axis.x, -0.75f);
  const ScriptCommand& tap = s.byFrame.find(3)->second;
  EXPECT_EQ(tap.op, ScriptOp::kPadTap);
  EXPECT_EQ(tap.pad, 1);
  EXPECT_EQ(tap.button, PadButton::kDpadLeft);
  std::vector<int> bad;
  for (const ScriptError& e : s.errors) bad.push_back(e.line);
  EXPECT_EQ(bad, (std::vector<int>{6, 7, 8, 9, 10, 11}));
}

void RecordCommand(void* context, int32_t command) { static_cast<std::vector<int>*>(context)->push_back(command); }

class PadEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing::MakeTempFolder("pads");
    ::unsetenv("VARNOK_ENGINE_SCRIPT");
    ::setenv("VARNOK_ENGINE_LOG", (dir + "/log").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("VARNOK_ENGINE_SCRIPT");
    ::unsetenv("VARNOK_ENGINE_LOG");
  }
  std::string Log() {
    std::ifstream in(dir + "/log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string dir;
  std::shared_ptr<testing::FakeRecord> record = std::make_shared<testing::FakeRecord>();
};

TEST_F(PadEngineTest, ScriptedPadIsReportedByFrameAndItsRemovalReachesTheMainWindow) {
  testing::WriteFile(dir + "/script",
                     "1 pad 0 add\n"
                     "2 pad 0 tap a\n"
                     "4 pad 0 down b\n"
                     "4 pad 0 axis leftx -0.75\n"
                     "6 pad 0 remove\n");
  ::setenv("VARNOK_ENGINE_SCRIPT", (dir + "/script").c_str(), 1);
  Engine e(testing::MakeFakePlatform(record));
  std::vector<int> commands;
  VarnokWindowLink link{&commands, RecordCommand};
  e.WindowLinkSet(&link);
  int32_t block[6] = {0, 0, 15360000, 0, 0, -1};
  e.EngineOpen(1, 0);
  ASSERT_TRUE(e.EngineSettings(block));
  e.InitEnd();

  std::vector<std::string> frames;  // per frame: pads listed, A clicked, B held, left x
  for (int frame = 1; frame <= 6; ++frame) {
    e.RunBegin();
    std::ostringstream line;
    line << e.PadList().size() << (e.PadButtonClick(0, VARNOK_PAD_A) ? " A" : " -")
         << (e.PadButtonDown(0, VARNOK_PAD_B) ? " B " : " - ") << e.PadAxisValue(0, VARNOK_PAD_AXIS_LEFT_X);
    frames.push_back(line.str());
    e.RunEnd();
  }
  e.EngineClose();

  EXPECT_EQ(frames, (std::vector<std::string>{"1 - - 0", "1 A - 0", "1 - - 0", "1 - B -0.75", "1 - B -0.75",
                                              "0 - - 0"}));
  EXPECT_EQ(commands, std::vector<int>{VARNOK_WINDOW_PAD_REMOVED});
  EXPECT_NE(Log().find("1 pad 0 added"), std::string::npos);
  EXPECT_NE(Log().find("6 pad 0 removed"), std::string::npos);
}

TEST_F(PadEngineTest, LostFocusLetsGoOfThePadsButtons) {
  Engine e(testing::MakeFakePlatform(record));
  e.OnPadAdded(7);
  e.OnPadButton(7, PadButton::kX, true);
  EXPECT_TRUE(e.PadButtonDown(7, VARNOK_PAD_X));
  e.OnWindowCommand(VARNOK_WINDOW_DEACTIVATE);
  EXPECT_FALSE(e.PadButtonDown(7, VARNOK_PAD_X));
}

TEST_F(PadEngineTest, ClosingTheEngineForgetsThePads) {
  Engine e(testing::MakeFakePlatform(record));
  int32_t block[6] = {0, 0, 15360000, 0, 0, -1};
  e.EngineOpen(1, 0);
  ASSERT_TRUE(e.EngineSettings(block));
  e.OnPadAdded(4);
  e.OnPadButton(4, PadButton::kDpadRight, true);
  e.EngineClose();
  EXPECT_TRUE(e.PadList().empty()) << "the next window reports its pads afresh";
  std::vector<int> commands;
  VarnokWindowLink link{&commands, RecordCommand};
  e.WindowLinkSet(&link);
  e.OnPadRemoved(4);
  EXPECT_TRUE(commands.empty()) << "a pad of the closed window is not unplugged in play";
}

TEST_F(PadEngineTest, RemovingAPadNeverConnectedTellsNobody) {
  Engine e(testing::MakeFakePlatform(record));
  std::vector<int> commands;
  VarnokWindowLink link{&commands, RecordCommand};
  e.WindowLinkSet(&link);
  e.OnPadRemoved(3);
  EXPECT_TRUE(commands.empty());
}

}  // namespace
}  // namespace spriteengine
