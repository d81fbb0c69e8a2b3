// Game controllers as keys: the layouts, the stick's dead zone and
// hysteresis, a button's latched key, taps, several pads at once.
#include "core/pad_keys.h"

#include <gtest/gtest.h>

#include "core/game_state.h"
#include "engine_link/scan_codes.h"

namespace core {
namespace {

using engine_link::PadReport;

const Controls kDefaults = DefaultControls();

std::vector<int> Keys(const std::bitset<kScanCodes>& set) {
  std::vector<int> keys;
  for (int k = 0; k < kScanCodes; ++k)
    if (set[static_cast<size_t>(k)]) keys.push_back(k);
  return keys;
}

PadReport Pad(int32_t id, std::initializer_list<int> held = {}, std::initializer_list<int> pressed = {}) {
  PadReport r;
  r.pad = id;
  for (int b : held) r.held.set(static_cast<size_t>(b));
  for (int b : pressed) r.pressed.set(static_cast<size_t>(b));
  return r;
}

PadReport Stick(float x, float y) {
  PadReport r = Pad(0);
  r.axes[VARNOK_PAD_AXIS_LEFT_X] = x;
  r.axes[VARNOK_PAD_AXIS_LEFT_Y] = y;
  return r;
}

TEST(PadKeysTest, ButtonsPressTheGamesKeysInEachLayout) {
  struct Case {
    int button;
    int32_t play, menu;
  };
  const Case cases[] = {
      {VARNOK_PAD_A, keys::kUp, keys::kEnter},          {VARNOK_PAD_B, keys::kNumpad0, keys::kEscape},
      {VARNOK_PAD_X, keys::kLeftCtrl, 0},               {VARNOK_PAD_Y, keys::kZ, 0},
      {VARNOK_PAD_RIGHT_SHOULDER, keys::kZ, 0},         {VARNOK_PAD_START, keys::kPause, keys::kPause},
      {VARNOK_PAD_BACK, keys::kEscape, keys::kEscape},  {VARNOK_PAD_DPAD_UP, keys::kUp, keys::kUp},
      {VARNOK_PAD_DPAD_DOWN, keys::kDown, keys::kDown}, {VARNOK_PAD_DPAD_LEFT, keys::kLeft, keys::kLeft},
      {VARNOK_PAD_DPAD_RIGHT, keys::kRight, keys::kRight}, {VARNOK_PAD_GUIDE, 0, 0},
      {VARNOK_PAD_LEFT_SHOULDER, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PadButtonKey(c.button, PadLayout::kPlay, kDefaults), c.play) << c.button;
    EXPECT_EQ(PadButtonKey(c.button, PadLayout::kMenu, kDefaults), c.menu) << c.button;
  }
  EXPECT_EQ(PadLayoutOf(gsPlaying), PadLayout::kPlay);
  EXPECT_EQ(PadLayoutOf(gsGameExitConfirm), PadLayout::kMenu) << "the quit dialog over play is a menu";
}

TEST(PadKeysTest, StickHasADeadZoneAndHysteresis) {
  // Each step: the stick's (x, y), then the arrows held and newly pressed.
  struct Step {
    float x, y;
    std::vector<int> held, pressed;
  };
  const Step steps[] = {
      {0.12f, -0.2f, {}, {}},                       // at rest or wobbling: never walks
      {0.49f, 0.0f, {}, {}},
      {0.6f, 0.0f, {keys::kRight}, {keys::kRight}},  // beyond the press point
      {0.35f, 0.0f, {keys::kRight}, {}},             // between the points: held, no stutter
      {0.29f, 0.0f, {}, {}},                         // below the release point
      {0.45f, 0.0f, {}, {}},                         // back up, short of the press point
      {0.9f, 0.0f, {keys::kRight}, {keys::kRight}},
      {-0.9f, 0.0f, {keys::kLeft}, {keys::kLeft}},   // flicked across: the other arrow, never both
      {0.71f, -0.71f, {keys::kUp, keys::kRight}, {keys::kUp, keys::kRight}},  // 45 degrees: two arrows
  };
  PadKeys pads;
  for (size_t i = 0; i < std::size(steps); ++i) {
    pads.Frame({Stick(steps[i].x, steps[i].y)}, PadLayout::kPlay, kDefaults);
    EXPECT_EQ(Keys(pads.held()), steps[i].held) << "step " << i;
    EXPECT_EQ(Keys(pads.pressed()), steps[i].pressed) << "step " << i;
  }
}

TEST(PadKeysTest, AButtonKeepsItsKeyAcrossALayoutChangeAndATapIsOnePress) {
  PadKeys pads;
  pads.Frame({Pad(3, {VARNOK_PAD_A}, {VARNOK_PAD_A})}, PadLayout::kMenu, kDefaults);  // starts a game
  EXPECT_EQ(Keys(pads.pressed()), std::vector<int>{keys::kEnter});
  pads.Frame({Pad(3, {VARNOK_PAD_A})}, PadLayout::kPlay, kDefaults);
  EXPECT_EQ(Keys(pads.held()), std::vector<int>{keys::kEnter}) << "still Enter, never a stuck Up";
  EXPECT_TRUE(pads.pressed().none());
  pads.Frame({Pad(3)}, PadLayout::kPlay, kDefaults);
  EXPECT_TRUE(pads.held().none());
  // Down and up again between two frames: pressed once, held by nobody.
  pads.Frame({Pad(3, {}, {VARNOK_PAD_X})}, PadLayout::kPlay, kDefaults);
  EXPECT_EQ(Keys(pads.pressed()), std::vector<int>{keys::kLeftCtrl});
  EXPECT_TRUE(pads.held().none());
}

TEST(PadKeysTest, PadsHoldTheUnionAndAnUnpluggedPadLetsGo) {
  PadKeys pads;
  pads.Frame({Pad(1, {VARNOK_PAD_DPAD_LEFT}, {VARNOK_PAD_DPAD_LEFT}),
              Pad(2, {VARNOK_PAD_DPAD_LEFT, VARNOK_PAD_X}, {VARNOK_PAD_DPAD_LEFT, VARNOK_PAD_X})},
             PadLayout::kPlay, kDefaults);
  EXPECT_EQ(Keys(pads.held()), (std::vector<int>{keys::kLeftCtrl, keys::kLeft}));
  pads.Frame({Pad(1), Pad(2, {VARNOK_PAD_DPAD_LEFT, VARNOK_PAD_X})}, PadLayout::kPlay, kDefaults);
  EXPECT_EQ(Keys(pads.held()), (std::vector<int>{keys::kLeftCtrl, keys::kLeft})) << "pad 2 still holds Left";
  pads.Frame({Pad(1)}, PadLayout::kPlay, kDefaults);
  EXPECT_TRUE(pads.held().none());
  // Plugged in again under a new number with the button still down: a new press.
  pads.Frame({Pad(5, {VARNOK_PAD_X})}, PadLayout::kPlay, kDefaults);
  EXPECT_EQ(Keys(pads.pressed()), std::vector<int>{keys::kLeftCtrl});
}

}  // namespace
}  // namespace core
