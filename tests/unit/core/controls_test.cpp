// The player's controls: what the play layout's keyboard becomes under them,
// swaps that never lose a binding, and the file's hostile texts.
#include "core/controls.h"

#include <gtest/gtest.h>

#include "engine_link/pad_reports.h"
#include "engine_link/scan_codes.h"
#include "temp_game_folder.h"

namespace core {
namespace {

constexpr int32_t kSpace = 0x39, kW = 0x11, kF1 = 0x3B;

std::bitset<kScanCodes> Set(std::initializer_list<int32_t> codes) {
  std::bitset<kScanCodes> set;
  for (int32_t code : codes) set.set(static_cast<size_t>(code));
  return set;
}

TEST(ControlsTest, ThePlayKeyboardReadsTheBoundKeysAsTheActionsKeys) {
  Controls rebound = DefaultControls();
  BindKey(rebound, {Action::kFire, 0}, kSpace);
  BindKey(rebound, {Action::kUp, 0}, kW);
  struct Case {
    const char* what;
    const Controls& controls;
    std::bitset<kScanCodes> held, expected;
  };
  const Controls defaults = DefaultControls();
  const Case cases[] = {
      {"defaults: the game's keys, the right Ctrl as fire", defaults, Set({keys::kLeft, keys::kRightCtrl, kF1}),
       Set({keys::kLeft, keys::kLeftCtrl, kF1})},
      {"defaults: X throws, and is the hide key too", defaults, Set({keys::kX}), Set({keys::kNumpad0, keys::kX})},
      {"Space fires and W jumps", rebound, Set({kSpace, kW}), Set({keys::kLeftCtrl, keys::kUp})},
      {"moved away, Ctrl and Up do nothing", rebound, Set({keys::kLeftCtrl, keys::kUp, keys::kEscape}),
       Set({keys::kEscape})},
      {"the swapped key took the place it left", rebound, Set({keys::kLeftCtrl}), Set({})},
  };
  for (const Case& c : cases) {
    std::bitset<kScanCodes> held = c.held, pressed = c.held;
    ApplyControls(c.controls, keys::kX, held, pressed);
    EXPECT_EQ(held, c.expected) << c.what;
    EXPECT_EQ(pressed, c.expected) << c.what;
  }
  // Fire's first key went to the slot Space came from (none): Right Ctrl still fires.
  EXPECT_EQ(rebound[Action::kFire].keys, (std::array<uint8_t, 2>{kSpace, keys::kRightCtrl}));
}

TEST(ControlsTest, BindingABoundKeyOrButtonSwapsIt) {
  Controls c = DefaultControls();
  BindKey(c, {Action::kFire, 0}, keys::kUp);  // Up was jump's: jump gets Left Ctrl
  EXPECT_EQ(c[Action::kFire].keys[0], keys::kUp);
  EXPECT_EQ(c[Action::kUp].keys[0], keys::kLeftCtrl);
  BindPadButton(c, {Action::kGrenade, 1}, VARNOK_PAD_A);  // A leaves jump's first slot empty
  EXPECT_EQ(c[Action::kGrenade].pad[1], VARNOK_PAD_A);
  EXPECT_EQ(c[Action::kUp].pad[0], kNoPadButton);
  const Controls before = c;
  BindKey(c, {Action::kFire, 0}, keys::kEscape);
  BindPadButton(c, {Action::kFire, 0}, VARNOK_PAD_BACK);
  BindKey(c, {Action::kFire, 2}, kW);
  EXPECT_EQ(c, before) << "Esc, Back and slots out of range are refused";
  EXPECT_EQ(ParseControls(FormatControls(c)), c);
}

TEST(ControlsTest, OnlyOneWholeConsistentSetIsRead) {
  const std::string good = FormatControls(DefaultControls());
  ASSERT_EQ(ParseControls(good), DefaultControls());
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::string bad[] = {
      "", good.substr(0, good.size() - 1), good.substr(0, good.size() / 2), good + "pause 1 - - -\n",
      replaced("varnok controls 1", "varnok controls 2"), replaced("fire 29", "fire 203"),  // Left twice
      replaced("fire 29", "fire 1"), replaced("fire 29", "fire 256"), replaced("fire 29", "fire 0x1d"),
      replaced("fire 29", "fire  29"), replaced("x -", "a -"), replaced("x -", "back -"),
      replaced("x -", "turbo -"), replaced("left", "right"), replaced("\n", "\r\n"), std::string(2000, '-'),
  };
  for (const std::string& text : bad) EXPECT_EQ(ParseControls(text), std::nullopt) << text;
}

TEST(ControlsTest, ADamagedFileGivesTheDefaultsAndSaysSo) {
  testing_support::TempGameFolder folder;
  EXPECT_EQ(LoadControls(), DefaultControls());
  Controls c = DefaultControls();
  BindKey(c, {Action::kFire, 0}, kSpace);
  ASSERT_TRUE(SaveControls(c));
  EXPECT_EQ(LoadControls(), c);
  folder.Write("data/controls.txt", {'v', 'a', 'r'});
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(LoadControls(), DefaultControls());
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot be used"), std::string::npos);
}

}  // namespace
}  // namespace core
