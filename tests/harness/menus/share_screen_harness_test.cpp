// Quitting through the promotion screen, driven through whole frames.
#include <gtest/gtest.h>

#include "menu_driver.h"
#include "platform/shell.h"
#include "menus/share_screen.h"

namespace {

using namespace menus_test;
using testing_support::GameHarness;

class ShareScreenHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Shell::SetSpawner([this](const std::vector<std::string>& argv, const std::string&) {
      opened.push_back(argv.back());
      return true;
    });
    for (const char* file : {"wdata/back.png", "wdata/n.png", "wdata/h.png", "wdata/d.png", "wdata/readme.html"}) {
      WriteText(game, file, "x");
    }
    WriteText(game, "play.url", "[InternetShortcut]\nURL=https://varnok.example.org/play\n");
  }
  void TearDown() override { platform::Shell::SetSpawner(nullptr); }

  void Quit() {
    game.Start();
    game.Frame();
    Menus().mainMenu.Exit();
    Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kYes);
    Press(game, keys::kEnter);
    game.Frame();  // the screen's first frame
  }

  // A link button at (100, 100, 200 x 50) and the exit button at (500, 500, 200 x 60).
  std::string Config(int countdown) {
    return "2\nwdata\\back.png\n"
           "100 100 200 50\n100 100 200 50\nwdata\\n.png\nwdata\\h.png\nwdata\\readme.html\n"
           "500 500 200 60\n500 500 200 60\n500 500 200 60\nwdata\\n.png\nwdata\\h.png\nwdata\\d.png\n"
           "40 40\n" + std::to_string(countdown) + "\n255 128 0\nFALSE\n";
  }

  GameHarness game;
  std::vector<std::string> opened;
};

TEST_F(ShareScreenHarness, ConfirmingQuitShowsTheScreenAndCountsDown) {
  WriteText(game, "wdata/config.ini", Config(5));
  Quit();
  EXPECT_EQ(core::GameState(), core::gsShareScreen);
  EXPECT_TRUE(Shown(game, "wdata\\back.png"));
  EXPECT_TRUE(Printed(game, "6"));
  EXPECT_FALSE(Printed(game, "QUIT THE GAME?"));
  game.Frame(100);
  EXPECT_TRUE(Printed(game, "5"));
  EXPECT_EQ(game.engine().prints.size(), 1u);
}

TEST_F(ShareScreenHarness, LinkButtonOpensItsFileOnClick) {
  WriteText(game, "wdata/config.ini", Config(5));
  Quit();
  ClickAt(game, -16 + 200 / 25.0f, 12 - 125 / 25.0f);
  game.Frame();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_NE(opened[0].find("readme.html"), std::string::npos);
  EXPECT_EQ(core::GameState(), core::gsShareScreen);
}

TEST_F(ShareScreenHarness, ExitButtonWorksOnlyAfterTheCountdownAndClosesTheWindow) {
  WriteText(game, "wdata/config.ini", Config(1));
  Quit();
  const float x = -16 + 600 / 25.0f, y = 12 - 530 / 25.0f;
  ClickAt(game, x, y);
  EXPECT_EQ(game.engine().exits, 0);
  game.Frame(80);
  ClickAt(game, x, y);
  EXPECT_EQ(game.engine().exits, 1);
  game.Frame(10);
  EXPECT_TRUE(game.form().Window().Closed());
  ASSERT_FALSE(opened.empty());
  EXPECT_EQ(opened.back(), "https://varnok.example.org/play");
}

TEST_F(ShareScreenHarness, MissingConfigEndsTheEngineOnTheFirstFrameAndClosesTheWindow) {
  Quit();
  EXPECT_EQ(core::GameState(), core::gsShareScreen);
  EXPECT_EQ(game.engine().exits, 1);
  game.Frame(10);
  EXPECT_EQ(game.engine().exits, 1);
  EXPECT_TRUE(game.form().Window().Closed());
  EXPECT_TRUE(opened.empty()) << "an invalid screen does not open the play link";
}

TEST_F(ShareScreenHarness, NoMenuInputRunsOnTheScreen) {
  WriteText(game, "wdata/config.ini", Config(5));
  Quit();
  Press(game, keys::kEscape);
  Press(game, keys::kUp);
  EXPECT_EQ(core::GameState(), core::gsShareScreen);
}

}  // namespace
