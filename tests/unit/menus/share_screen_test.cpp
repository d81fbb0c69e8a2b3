#include "menus/share_screen.h"

#include <gtest/gtest.h>

#include "core/game_context.h"
#include "core/pad_keys.h"
#include "fake_engine.h"
#include "fake_shell.h"

namespace menus {
namespace {

class ShareScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { engine.Install(); }
  void TearDown() override { engine.Uninstall(); }

  static ShareConfig Config(int32_t countdown) {
    ShareConfig config;
    config.valid = true;
    config.buttonCount = 1;
    config.background = "wdata\\back.png";
    ShareButtonSpec exit;
    exit.hoverRect = exit.normalRect = exit.disabledRect = menus::ScreenRect{.left = 500, .top = 500, .height = 60, .width = 200};
    exit.normalImage = "n.png";
    exit.hoverImage = "h.png";
    exit.disabledImage = "d.png";
    exit.action = menus::kExitAction;
    config.buttons.push_back(exit);
    config.countdownStart = countdown;
    config.countdownSize = 20;
    config.red = 128;
    return config;
  }
  // One frame of the screen as the frame loop runs it, with the frame's input.
  void Frame() {
    core::Ctx().frameInput.Begin(core::CaptureFrameInput({}, core::PadKeys{}, {}));
    screen.HoverStep();
    screen.Draw();
  }
  void PointAtExitButton() {
    engine.mouseX = 600 / 800.0f;
    engine.mouseY = 530 / 600.0f;
  }

  core::ScopedGameContext context;
  fake::FakeShell shell;
  fake::FakeEngine engine;
  TShareScreen screen;
};

TEST_F(ShareScreenTest, CountdownOfZeroEnablesExitOnTheFirstFrameWithoutDigits) {
  screen.Build(Config(0));
  Frame();
  EXPECT_TRUE(screen.buttons()[0].enabled());
  EXPECT_TRUE(engine.prints.empty());
  PointAtExitButton();
  ++engine.mouseClicks;
  Frame();
  EXPECT_EQ(shell.exitsOpeningPlayLink, 1);
  EXPECT_EQ(shell.exits, 0);
}

TEST_F(ShareScreenTest, ClickOnExitAtOnceWithCountdownZeroExitsInTheFirstFrame) {
  screen.Build(Config(0));
  PointAtExitButton();
  ++engine.mouseClicks;
  Frame();
  ++engine.mouseClicks;
  Frame();
  EXPECT_EQ(shell.exitsOpeningPlayLink, 1);
}

TEST_F(ShareScreenTest, CountdownOfFivePrintsSixAndFallsByOneEvery77Frames) {
  screen.Build(Config(5));
  Frame();
  ASSERT_EQ(engine.prints.size(), 1u);
  EXPECT_EQ(engine.prints[0].text, "6");
  EXPECT_FLOAT_EQ(engine.prints[0].scale.x, 20 * 0.06f);
  EXPECT_FLOAT_EQ(engine.prints[0].color[0], 0.5f);
  int frame = 1;
  while (engine.prints.size() == 1 && engine.prints[0].text == "6") {
    Frame();
    ++frame;
  }
  const int firstChange = frame;
  while (engine.prints.size() == 1 && engine.prints[0].text == "5") {
    Frame();
    ++frame;
  }
  EXPECT_NEAR(frame - firstChange, 77, 1);
  EXPECT_FALSE(screen.buttons()[0].enabled());
}

TEST_F(ShareScreenTest, ExitClickWhileCountingDoesNothing) {
  screen.Build(Config(5));
  PointAtExitButton();
  ++engine.mouseClicks;
  Frame();
  EXPECT_EQ(shell.exitsOpeningPlayLink + shell.exits, 0);
  EXPECT_TRUE(engine.sprites[screen.buttons()[0].exitImage()].shown);
}

TEST_F(ShareScreenTest, HoverShowsTheHoverImageOnceEnabled) {
  screen.Build(Config(0));
  PointAtExitButton();
  Frame();
  Frame();
  EXPECT_TRUE(engine.sprites[screen.buttons()[0].hoverImage()].shown);
  EXPECT_TRUE(engine.sprites[screen.background()].shown);
}

TEST_F(ShareScreenTest, AnInvalidScreenEndsTheEngineOnceAndShowsNothing) {
  screen.Build(ShareConfig{});
  Frame();
  Frame();
  EXPECT_EQ(shell.exits, 1);
  EXPECT_EQ(shell.exitsOpeningPlayLink, 0);
  EXPECT_TRUE(engine.sprites.empty());
}

}  // namespace
}  // namespace menus
