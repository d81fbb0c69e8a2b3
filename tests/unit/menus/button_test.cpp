#include "menus/button.h"

#include <gtest/gtest.h>

#include "core/game_context.h"
#include "fake_engine.h"

namespace menus {
namespace {

TEST(ScreenToEngine, CentresThePixelRectangleWithHalvesRoundedTowardZero) {
  const EnginePlacement at = ScreenToEngine(ScreenRect{.left = 0, .top = 0, .height = 600, .width = 800});
  EXPECT_FLOAT_EQ(at.x, 0);
  EXPECT_FLOAT_EQ(at.y, 0);
  EXPECT_FLOAT_EQ(at.scaleW, 20);
  EXPECT_FLOAT_EQ(at.scaleH, 15);
  const EnginePlacement odd = ScreenToEngine(ScreenRect{.left = 100, .top = 50, .height = 31, .width = 51});
  EXPECT_FLOAT_EQ(odd.x, 125 / 25.0f - 16);        // 51 / 2 = 25
  EXPECT_FLOAT_EQ(odd.y, (600 - 50 - 15) / 25.0f - 12);  // 31 / 2 = 15
}

TEST(ScreenRect, HitTestIncludesTheRightAndBottomEdges) {
  const ScreenRect rect{.left = 10, .top = 20, .height = 30, .width = 40};
  EXPECT_TRUE(rect.Holds(10, 20));
  EXPECT_TRUE(rect.Holds(50, 50));
  EXPECT_FALSE(rect.Holds(51, 50));
  EXPECT_FALSE(rect.Holds(50, 51));
  EXPECT_FALSE(rect.Holds(9, 20));
}

TEST(ScreenRect, HugeRectanglesFromAFileDoNotOverflow) {
  const ScreenRect rect{.left = 2147483000, .top = 0, .height = 10, .width = 2147483000};
  EXPECT_TRUE(rect.Holds(2147483600, 5));
}

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override { engine.Install(); }
  void TearDown() override { engine.Uninstall(); }
  core::ScopedGameContext context;
  fake::FakeEngine engine;
};

TEST_F(ButtonTest, EmptyImageNamesGetNoSpriteAndDrawNothing) {
  TButton button;
  const ScreenRect rect{.left = 0, .top = 0, .height = 10, .width = 10};
  button.Create(rect, rect, rect, "", "wdata\\n.png", "", "wdata\\x.html");
  EXPECT_EQ(button.hoverImage(), 0u);
  EXPECT_EQ(button.exitImage(), 0u);
  button.HoverAt(5, 5);
  button.Draw();  // hover image missing: nothing shows, nothing breaks
  EXPECT_FALSE(engine.sprites[button.normalImage()].shown);
}

TEST_F(ButtonTest, ExitButtonStartsDisabledShowingItsExitImage) {
  TButton button;
  const ScreenRect rect{.left = 0, .top = 0, .height = 10, .width = 10};
  button.Create(rect, rect, rect, "h.png", "n.png", "d.png", kExitAction);
  EXPECT_FALSE(button.enabled());
  button.HoverAt(3, 3);
  button.Draw();
  EXPECT_TRUE(engine.sprites[button.exitImage()].shown);
  EXPECT_FALSE(engine.sprites[button.hoverImage()].shown);
  button.set_enabled(true);
  button.Draw();
  EXPECT_TRUE(engine.sprites[button.hoverImage()].shown);
  EXPECT_FALSE(engine.sprites[button.exitImage()].shown);
}

}  // namespace
}  // namespace menus
