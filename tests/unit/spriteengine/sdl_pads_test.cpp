// Game controllers through SDL's own game-controller layer, driven by SDL's
// virtual joysticks (no hardware): hot-plugging, the buttons and the stick
// as SDL reports them, a pad unplugged, two pads at once.
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

constexpr Sint16 kFull = 32767;

void RecordCommand(void* context, int32_t command) { static_cast<std::vector<int>*>(context)->push_back(command); }

class SdlPadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("VARNOK_ENGINE_SCRIPT");
    ::unsetenv("VARNOK_ENGINE_LOG");
    engine.WindowLinkSet(&link);
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
  // The one pad connected (SDL's instance id), or -1.
  int OnlyPad() {
    const std::vector<int> pads = engine.PadList();
    return pads.size() == 1 ? pads[0] : -1;
  }
  bool Down(int pad, SDL_GameControllerButton button) { return engine.PadButtonDown(pad, button); }

  std::shared_ptr<testing::FakeRecord> record = std::make_shared<testing::FakeRecord>();
  Engine engine{testing::MakeFakePlatform(record)};
  std::vector<int> commands;
  VarnokWindowLink link{&commands, RecordCommand};
  sdl::SdlPads pads;
  std::vector<int> attached;  // virtual device indexes still plugged in
};

TEST_F(SdlPadsTest, ButtonsAndTheStickReachTheEngineAsSdlReportsThem) {
  SDL_Joystick* pad = Plug();
  ASSERT_NE(pad, nullptr);
  const int id = OnlyPad();
  ASSERT_EQ(id, SDL_JoystickInstanceID(pad));
  for (SDL_GameControllerButton button : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_X,
                                          SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_DPAD_LEFT}) {
    Press(pad, button, true);
    EXPECT_TRUE(Down(id, button)) << SDL_GameControllerGetStringForButton(button);
    Press(pad, button, false);
    EXPECT_FALSE(Down(id, button)) << SDL_GameControllerGetStringForButton(button);
  }
  Tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, -0.71);
  Tilt(pad, SDL_CONTROLLER_AXIS_LEFTY, 0.9);
  EXPECT_NEAR(engine.PadAxisValue(id, VARNOK_PAD_AXIS_LEFT_X), -0.71, 0.01);
  EXPECT_NEAR(engine.PadAxisValue(id, VARNOK_PAD_AXIS_LEFT_Y), 0.9, 0.01);
}

TEST_F(SdlPadsTest, PadUnpluggedGoesAndTellsTheMainWindow) {
  SDL_Joystick* pad = Plug();
  ASSERT_NE(pad, nullptr);
  Press(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  Unplug(pad);
  EXPECT_TRUE(engine.PadList().empty());
  EXPECT_EQ(commands, std::vector<int>{VARNOK_WINDOW_PAD_REMOVED});
}

TEST_F(SdlPadsTest, TwoPadsAtOnce) {
  SDL_Joystick* first = Plug();
  SDL_Joystick* second = Plug();
  ASSERT_TRUE(first && second && first != second);
  Press(second, SDL_CONTROLLER_BUTTON_X, true);
  EXPECT_EQ(engine.PadList().size(), 2u);
  Unplug(first);
  EXPECT_TRUE(Down(OnlyPad(), SDL_CONTROLLER_BUTTON_X)) << "the second pad still fires";
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
  const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
  EXPECT_TRUE(engine.PadButtonDown(id, VARNOK_PAD_A));
  SDL_JoystickDetachVirtual(index);
  pump();
  EXPECT_TRUE(engine.PadList().empty());
  video->Close();
  ::unsetenv("SDL_VIDEODRIVER");
  ::unsetenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS");
}

}  // namespace
}  // namespace spriteengine
