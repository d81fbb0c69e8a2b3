// A run started from the main menu on the real world, ended by the in-play
// dialog or by a lost game, back to the menus.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "menu_driver.h"
#include "world/game.h"

namespace {

using namespace menus_test;
using testing_support::GameHarness;

class RunEndHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    game.Start();
    game.Frame();
    Press(game, keys::kEnter);  // start
    ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsPlaying; }, 5));
    game.Frame(5);
  }
  bool MenuBackgroundShown() { return game.engine().sprites[game.context().res.menuBackground].shown; }
  bool TileShown() {
    const EHandle tile = game.context().game->backgroundTiles[0].sprite;
    return tile != 0 && game.engine().sprites[tile].shown;
  }

  GameHarness game;
};

TEST_F(RunEndHarness, StartBuildsALevelAndHidesTheMenus) {
  EXPECT_TRUE(TileShown());
  EXPECT_FALSE(MenuBackgroundShown());
  EXPECT_FALSE(Shown(game, "data\\PMMStart.png"));
  EXPECT_FALSE(game.engine().sprites[game.context().res.cursorSprite].shown);
}

TEST_F(RunEndHarness, QuittingTheRunWithALowScoreShowsTheMainMenuOverNoPlayScreen) {
  game.context().game->SetScore(50);
  Press(game, keys::kEscape);
  ASSERT_EQ(core::GameState(), core::gsGameExitConfirm);
  Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kYes);
  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_TRUE(MenuBackgroundShown());
  EXPECT_FALSE(TileShown());
  EXPECT_TRUE(Shown(game, "data\\PMMStart.png"));
  EXPECT_EQ(game.context().game->Score(), 0) << "the world is reset for the next run";
  // The next start builds a fresh run.
  Press(game, keys::kEnter);
  EXPECT_TRUE(game.RunUntil([] { return core::GameState() == core::gsPlaying; }, 5));
}

TEST_F(RunEndHarness, ALostGameWithAQualifyingScoreOpensTheNameEntryAfterTheTwoPauses) {
  game.context().game->SetScore(950);
  core::SetGameState(core::gsGameOver);
  game.context().game->session.GameLost();
  EXPECT_TRUE(game.RunUntil([] { return core::GameState() == core::gsGameOverWait; }, world::kGameOverMs / 15 + 3));
  EXPECT_TRUE(game.RunUntil([] { return core::GameState() == core::gsRecordName; }, world::kRecordsCheckMs / 15 + 3));
  EXPECT_EQ(game.context().pendingRecordRank, 2);
  EXPECT_TRUE(Shown(game, "data\\Frame.png"));
  EXPECT_TRUE(game.engine().sprites[game.context().res.cursorSprite].shown);
  Press(game, keys::kEscape);  // cancel
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_FALSE(TileShown());
  EXPECT_TRUE(game.engine().SoundFor("sound\\Menu.ogg")->playing);
}

}  // namespace
