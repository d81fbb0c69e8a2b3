// Game controllers as keys: the stick's dead zone and hysteresis, the play
// and menu layouts, several pads at once, pads beside the keyboard, and the
// input script's pad lines through the engine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/engine.h"
#include "core/pad_mapper.h"
#include "core/script.h"
#include "fake_platform.h"
#include "test_assets.h"

namespace spriteengine {
namespace {

constexpr int kEscape = 0x01, kEnter = 0x1C, kCtrl = 0x1D, kZ = 0x2C, kNumpad0 = 0x52, kPause = 0xC5;
constexpr int kUp = 0xC8, kLeft = 0xCB, kRight = 0xCD, kDown = 0xD0;
constexpr int kPlayState = 2, kMenuState = 3;

std::vector<int> Held(const PadMapper& m) {
  std::vector<int> keys;
  KeySet set = m.HeldKeys();
  for (int k = 0; k < kKeyCount; ++k)
    if (set[k]) keys.push_back(k);
  return keys;
}

TEST(PadMapperTest, StickAtRestOrWobblingInsideTheDeadZoneNeverWalks) {
  PadMapper m;
  for (float v : {0.0f, 0.12f, -0.2f, 0.49f, -0.49f, 0.3f}) {
    m.Axis(0, PadAxis::kLeftX, v);
    m.Axis(0, PadAxis::kLeftY, -v);
    EXPECT_TRUE(Held(m).empty()) << v;
  }
}

TEST(PadMapperTest, StickHoldsItsArrowUntilItFallsBelowTheReleasePoint) {
  PadMapper m;
  m.Axis(0, PadAxis::kLeftX, 0.6f);
  EXPECT_EQ(Held(m), std::vector<int>{kRight});
  // Between the two thresholds the arrow stays: no stutter at the edge.
  m.Axis(0, PadAxis::kLeftX, 0.45f);
  m.Axis(0, PadAxis::kLeftX, 0.35f);
  EXPECT_EQ(Held(m), std::vector<int>{kRight});
  m.Axis(0, PadAxis::kLeftX, 0.29f);
  EXPECT_TRUE(Held(m).empty());
  // Coming back up, it presses again only beyond the press point.
  m.Axis(0, PadAxis::kLeftX, 0.45f);
  EXPECT_TRUE(Held(m).empty());
  // Flicked straight across: the other arrow, never both.
  m.Axis(0, PadAxis::kLeftX, 0.9f);
  m.Axis(0, PadAxis::kLeftX, -0.9f);
  EXPECT_EQ(Held(m), std::vector<int>{kLeft});
}

TEST(PadMapperTest, StickAt45DegreesHoldsTwoArrows) {
  PadMapper m;
  m.Axis(0, PadAxis::kLeftX, 0.71f);
  m.Axis(0, PadAxis::kLeftY, -0.71f);  // y grows downwards
  EXPECT_EQ(Held(m), (std::vector<int>{kUp, kRight}));
  m.Axis(0, PadAxis::kLeftY, 0.71f);
  EXPECT_EQ(Held(m), (std::vector<int>{kRight, kDown}));
}

TEST(PadMapperTest, ButtonsPressTheGamesKeysInEachLayout) {
  struct Case {
    PadButton button;
    int play, menu;
  };
  const Case cases[] = {
      {PadButton::kA, kUp, kEnter},          {PadButton::kB, kNumpad0, kEscape},
      {PadButton::kX, kCtrl, 0},             {PadButton::kY, kZ, 0},
      {PadButton::kRightShoulder, kZ, 0},    {PadButton::kStart, kPause, kPause},
      {PadButton::kBack, kEscape, kEscape},  {PadButton::kDpadUp, kUp, kUp},
      {PadButton::kDpadDown, kDown, kDown},  {PadButton::kDpadLeft, kLeft, kLeft},
      {PadButton::kDpadRight, kRight, kRight}, {PadButton::kGuide, 0, 0},
      {PadButton::kLeftShoulder, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PadButtonKey(c.button, PadLayout::kPlay), c.play) << static_cast<int>(c.button);
    EXPECT_EQ(PadButtonKey(c.button, PadLayout::kMenu), c.menu) << static_cast<int>(c.button);
  }
}

TEST(PadMapperTest, AButtonKeepsTheKeyItPressedWhenTheLayoutChanges) {
  PadMapper m;
  m.Button(0, PadButton::kA, true, PadLayout::kMenu);  // starts a game from the menu
  EXPECT_EQ(Held(m), std::vector<int>{kEnter});
  m.Button(0, PadButton::kA, true, PadLayout::kPlay);  // a repeated press changes nothing
  EXPECT_EQ(Held(m), std::vector<int>{kEnter});
  m.Button(0, PadButton::kA, false, PadLayout::kPlay);
  EXPECT_TRUE(Held(m).empty());
}

TEST(PadMapperTest, TwoPadsHoldTheUnionAndUnpluggingOneLeavesTheOthers) {
  PadMapper m;
  m.Add(1);
  m.Add(2);
  EXPECT_EQ(m.Connected(), 2);
  m.Button(1, PadButton::kDpadLeft, true, PadLayout::kPlay);
  m.Button(2, PadButton::kDpadLeft, true, PadLayout::kPlay);
  m.Button(2, PadButton::kX, true, PadLayout::kPlay);
  EXPECT_EQ(Held(m), (std::vector<int>{kCtrl, kLeft}));
  m.Button(1, PadButton::kDpadLeft, false, PadLayout::kPlay);
  EXPECT_EQ(Held(m), (std::vector<int>{kCtrl, kLeft})) << "pad 2 still holds Left";
  EXPECT_TRUE(m.Remove(2));
  EXPECT_TRUE(Held(m).empty());
  EXPECT_FALSE(m.Remove(2));
  EXPECT_EQ(m.Connected(), 1);
}

TEST(PadMapperTest, ReleaseAllLetsGoUntilTheNextPressOrMovement) {
  PadMapper m;
  m.Button(0, PadButton::kB, true, PadLayout::kPlay);
  m.Axis(0, PadAxis::kLeftX, -0.8f);
  m.ReleaseAll();
  EXPECT_TRUE(Held(m).empty());
  m.Button(0, PadButton::kB, false, PadLayout::kPlay);
  m.Axis(0, PadAxis::kLeftX, -0.8f);
  EXPECT_EQ(Held(m), std::vector<int>{kLeft});
}

TEST(PadInputStateTest, APadPressIsOneClickAndItsReleaseLeavesTheKeyboardsKey) {
  InputState in;
  KeySet keys;
  keys.set(kUp);
  in.SetPadKeys(keys);
  in.BeginFrame();
  EXPECT_TRUE(in.IsKeyDown(kUp));
  EXPECT_TRUE(in.TakeKeyClick(kUp));
  EXPECT_FALSE(in.TakeKeyClick(kUp));
  in.SetPadKeys(keys);  // held on: no new press
  in.BeginFrame();
  EXPECT_FALSE(in.TakeKeyClick(kUp));

  in.KeyDown(kLeft);
  KeySet both = keys;
  both.set(kLeft);
  in.SetPadKeys(both);  // the pad joins a key the keyboard holds: not a new press
  in.BeginFrame();
  EXPECT_TRUE(in.TakeKeyClick(kLeft));  // the keyboard's own press
  in.SetPadKeys(KeySet{});
  EXPECT_TRUE(in.IsKeyDown(kLeft)) << "the keyboard still holds it";
  EXPECT_FALSE(in.IsKeyDown(kUp));
  in.BeginFrame();
  EXPECT_FALSE(in.TakeKeyClick(kLeft));
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

TEST_F(PadEngineTest, ScriptedPadWorksTheMenusThenPlaysAndItsRemovalReachesTheMainWindow) {
  testing::WriteFile(dir + "/script",
                     "1 pad 0 add\n"
                     "2 pad 0 tap a\n"      // menu: Enter
                     "4 pad 0 tap a\n"      // play: Up
                     "4 pad 0 down b\n"     // play: grenade held
                     "6 pad 0 remove\n");
  ::setenv("VARNOK_ENGINE_SCRIPT", (dir + "/script").c_str(), 1);
  Engine e(testing::MakeFakePlatform(record));
  std::vector<int> commands;
  VarnokWindowLink link{&commands, RecordCommand};
  e.WindowLinkSet(&link);
  e.PadPlayStatesSet({kPlayState});
  int32_t block[6] = {0, 0, 15360000, 0, 0, -1};
  e.EngineOpen(1, 0);
  ASSERT_TRUE(e.EngineSettings(block));
  e.InitEnd();
  e.GameStateSet(kMenuState);

  std::vector<std::vector<int>> clicks;  // keys clicked in each frame
  std::vector<bool> grenadeHeld;
  for (int frame = 1; frame <= 6; ++frame) {
    e.RunBegin();
    std::vector<int> clicked;
    for (int k : {kEnter, kUp, kNumpad0, kEscape})
      if (e.Input().TakeKeyClick(k)) clicked.push_back(k);
    clicks.push_back(clicked);
    grenadeHeld.push_back(e.Input().IsKeyDown(kNumpad0));
    if (frame == 2) e.GameStateSet(kPlayState);  // Enter started a game
    e.RunEnd();
  }
  e.EngineClose();

  EXPECT_EQ(clicks[1], std::vector<int>{kEnter});
  EXPECT_EQ(clicks[3], (std::vector<int>{kUp, kNumpad0}));
  EXPECT_TRUE(grenadeHeld[4]);
  EXPECT_FALSE(grenadeHeld[5]) << "an unplugged pad lets go of its keys";
  EXPECT_EQ(commands, std::vector<int>{VARNOK_WINDOW_PAD_REMOVED});
  EXPECT_NE(Log().find("1 pad 0 added"), std::string::npos);
  EXPECT_NE(Log().find("6 pad 0 removed"), std::string::npos);
}

TEST_F(PadEngineTest, LostFocusLetsGoOfThePadsKeys) {
  Engine e(testing::MakeFakePlatform(record));
  e.PadPlayStatesSet({kPlayState});
  e.GameStateSet(kPlayState);
  e.OnPadAdded(7);
  e.OnPadButton(7, PadButton::kX, true);
  EXPECT_TRUE(e.Input().IsKeyDown(kCtrl));
  e.OnWindowCommand(VARNOK_WINDOW_DEACTIVATE);
  EXPECT_FALSE(e.Input().IsKeyDown(kCtrl));
}

TEST_F(PadEngineTest, ClosingTheEngineForgetsThePadsAndTheirKeys) {
  Engine e(testing::MakeFakePlatform(record));
  int32_t block[6] = {0, 0, 15360000, 0, 0, -1};
  e.EngineOpen(1, 0);
  ASSERT_TRUE(e.EngineSettings(block));
  e.OnPadAdded(4);
  e.OnPadButton(4, PadButton::kDpadRight, true);
  e.EngineClose();
  EXPECT_FALSE(e.Input().IsKeyDown(kRight)) << "the next window reports its pads afresh";
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
