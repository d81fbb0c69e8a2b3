// Game controllers through SDL's own game-controller layer, driven by SDL's
// virtual joysticks (no hardware): hot-plugging in a menu and in play, the
// stick as SDL reports it, the buttons, a pad unplugged, two pads at once.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/engine.h"
#include "fake_platform.h"
#include "sdl/sdl_pads.h"
#include "sdl/sdl_video.h"
#include "test_assets.h"

namespace spriteengine {
namespace {

constexpr int kEnter = 0x1C, kCtrl = 0x1D, kZ = 0x2C, kNumpad0 = 0x52, kPause = 0xC5, kEscape = 0x01;
constexpr int kUp = 0xC8, kLeft = 0xCB, kRight = 0xCD;
constexpr int kPlayState = 2, kMenuState = 3;
constexpr Sint16 kFull = 32767;

void RecordCommand(void* context, int32_t command) { static_cast<std::vector<int>*>(context)->push_back(command); }

class SdlPadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("VARNOK_ENGINE_SCRIPT");
    ::unsetenv("VARNOK_ENGINE_LOG");
    engine.WindowLinkSet(&link);
    engine.PadPlayStatesSet({kPlayState});
    engine.GameStateSet(kMenuState);
    ASSERT_TRUE(pads.Open(&engine));
  }
  void TearDown() override {
    for (int index : attached) SDL_JoystickDetachVirtual(index);
    Pump();
    pads.Close();
  }

  // Plugs in a virtual pad with SDL's game-controller layout; returns its joystick.
  SDL_Joystick* Plug() {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                SDL_CONTROLLER_BUTTON_MAX, 0);
    EXPECT_GE(index, 0) << SDL_GetError();
    attached.push_back(index);
    Pump();
    // The controller layer has opened it: find its joystick by instance.
    return SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
  }
  void Unplug(SDL_Joystick* stick) {
    const SDL_JoystickID id = SDL_JoystickInstanceID(stick);
    for (size_t i = 0; i < attached.size(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(attached[i]) == id) {
        SDL_JoystickDetachVirtual(attached[i]);
        attached.erase(attached.begin() + static_cast<long>(i));
        break;
      }
    }
    Pump();
  }
  void Press(SDL_Joystick* stick, SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(stick, button, down ? 1 : 0);
    Pump();
  }
  void Tilt(SDL_Joystick* stick, SDL_GameControllerAxis axis, double fraction) {
    SDL_JoystickSetVirtualAxis(stick, axis, static_cast<Sint16>(fraction * kFull));
    Pump();
  }
  // Handles what SDL has queued, as the window's event loop does.
  void Pump() {
    SDL_Event e;
    for (int round = 0; round < 3; ++round) {
      SDL_PumpEvents();
      while (SDL_PollEvent(&e)) pads.Handle(e);
    }
  }
  bool Down(int dik) { return engine.Input().IsKeyDown(dik); }

  std::shared_ptr<testing::FakeRecord> record = std::make_shared<testing::FakeRecord>();
  Engine engine{testing::MakeFakePlatform(record)};
  std::vector<int> commands;
  VarnokWindowLink link{&commands, RecordCommand};
  sdl::SdlPads pads;
  std::vector<int> attached;  // virtual device indexes still plugged in
};

TEST_F(SdlPadsTest, PadPluggedInAMenuWorksItThenPlays) {
  SDL_Joystick* pad = Plug();
  ASSERT_NE(pad, nullptr);
  Press(pad, SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_TRUE(Down(kEnter));
  Press(pad, SDL_CONTROLLER_BUTTON_A, false);
  Press(pad, SDL_CONTROLLER_BUTTON_B, true);
  EXPECT_TRUE(Down(kEscape));
  Press(pad, SDL_CONTROLLER_BUTTON_B, false);

  engine.GameStateSet(kPlayState);
  const std::pair<SDL_GameControllerButton, int> play[] = {
      {SDL_CONTROLLER_BUTTON_A, kUp},       {SDL_CONTROLLER_BUTTON_X, kCtrl},
      {SDL_CONTROLLER_BUTTON_B, kNumpad0},  {SDL_CONTROLLER_BUTTON_Y, kZ},
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, kZ}, {SDL_CONTROLLER_BUTTON_START, kPause},
      {SDL_CONTROLLER_BUTTON_BACK, kEscape},
  };
  for (const auto& [button, key] : play) {
    Press(pad, button, true);
    EXPECT_TRUE(Down(key)) << SDL_GameControllerGetStringForButton(button);
    Press(pad, button, false);
    EXPECT_FALSE(Down(key)) << SDL_GameControllerGetStringForButton(button);
  }
}

TEST_F(SdlPadsTest, PadPluggedInDuringPlayFightsAtOnce) {
  engine.GameStateSet(kPlayState);
  SDL_Joystick* pad = Plug();
  ASSERT_NE(pad, nullptr);
  Press(pad, SDL_CONTROLLER_BUTTON_X, true);
  EXPECT_TRUE(Down(kCtrl));
}

TEST_F(SdlPadsTest, StickBeyondItsDeadZoneWalksAndDiagonalAims) {
  SDL_Joystick* pad = Plug();
  ASSERT_NE(pad, nullptr);
  Tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, 0.25);
  EXPECT_FALSE(Down(kRight)) << "a stick near rest never walks";
  Tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, 0.9);
  EXPECT_TRUE(Down(kRight));
  Tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, 0.4);
  EXPECT_TRUE(Down(kRight)) << "hysteresis: still walking";
  Tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, 0.1);
  EXPECT_FALSE(Down(kRight));
  Tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, -0.71);
  Tilt(pad, SDL_CONTROLLER_AXIS_LEFTY, -0.71);
  EXPECT_TRUE(Down(kLeft) && Down(kUp)) << "45 degrees up-left";
}

TEST_F(SdlPadsTest, PadUnpluggedLetsGoAndTellsTheMainWindow) {
  engine.GameStateSet(kPlayState);
  SDL_Joystick* pad = Plug();
  ASSERT_NE(pad, nullptr);
  Press(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  EXPECT_TRUE(Down(kRight));
  Unplug(pad);
  EXPECT_FALSE(Down(kRight));
  EXPECT_EQ(commands, std::vector<int>{VARNOK_WINDOW_PAD_REMOVED});
}

TEST_F(SdlPadsTest, TwoPadsAtOnce) {
  engine.GameStateSet(kPlayState);
  SDL_Joystick* first = Plug();
  SDL_Joystick* second = Plug();
  ASSERT_TRUE(first && second && first != second);
  Press(first, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  Press(second, SDL_CONTROLLER_BUTTON_X, true);
  EXPECT_TRUE(Down(kLeft) && Down(kCtrl));
  Unplug(first);
  EXPECT_FALSE(Down(kLeft));
  EXPECT_TRUE(Down(kCtrl)) << "the second pad still fires";
  Press(second, SDL_CONTROLLER_BUTTON_X, false);
  EXPECT_FALSE(Down(kCtrl));
}

// (SDL keeps its own layout for virtual pads, so the mapping is checked as
// SDL holds it rather than through a virtual pad's buttons.)
TEST_F(SdlPadsTest, PlayersMappingFileInTheirDataFolderIsRead) {
  pads.Close();
  const char* kGuid = "03000000f00d0000beef000001000000";  // no pad SDL knows
  const std::string home = testing::MakeTempFolder("padmap");
  std::filesystem::create_directories(home + "/varnok");
  testing::WriteFile(home + "/varnok/gamecontrollerdb.txt",
                     std::string("# the player's pads\n") + kGuid +
                         ",Players Pad,a:b1,b:b0,x:b2,y:b3,back:b6,start:b7,leftx:a0,lefty:a1,platform:Linux,\n"
                         "not a mapping line\n");
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old ? old : "";
  ::setenv("XDG_DATA_HOME", home.c_str(), 1);
  const bool opened = pads.Open(&engine);
  if (old) ::setenv("XDG_DATA_HOME", saved.c_str(), 1); else ::unsetenv("XDG_DATA_HOME");
  ASSERT_TRUE(opened);

  char* mapping = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUIDFromString(kGuid));
  ASSERT_NE(mapping, nullptr);
  EXPECT_NE(std::string(mapping).find("Players Pad,a:b1,b:b0"), std::string::npos) << mapping;
  SDL_free(mapping);
}

// The window's own event loop (SDL's dummy display, asked for by name) hands
// pad events to the engine. SDL drops pad events while no window of the
// process has the keyboard focus, which a dummy window never gets.
TEST(SdlWindowPadsTest, TheWindowsEventLoopHandsPadEventsToTheEngine) {
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  ::setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
  auto record = std::make_shared<testing::FakeRecord>();
  Engine engine(testing::MakeFakePlatform(record));
  std::unique_ptr<VideoBackend> video = sdl::MakeSdlVideo();
  ASSERT_TRUE(video->Open(false, &engine));
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_MAX, 0);
  auto pump = [&] {
    for (int round = 0; round < 3; ++round) {
      SDL_PumpEvents();
      while (video->HandleEvent(0)) {
      }
    }
  };
  pump();
  SDL_Joystick* pad = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
  ASSERT_NE(pad, nullptr) << "the window opened the pad when it was plugged in";
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
  pump();
  EXPECT_TRUE(engine.Input().IsKeyDown(kEnter));
  SDL_JoystickDetachVirtual(index);
  pump();
  EXPECT_FALSE(engine.Input().IsKeyDown(kEnter));
  video->Close();
  ::unsetenv("SDL_VIDEODRIVER");
  ::unsetenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS");
}

}  // namespace
}  // namespace spriteengine
