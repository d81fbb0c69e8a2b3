// The main menu driven by keys and by the pointer through whole frames.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "menu_driver.h"
#include "platform/shell.h"

namespace {

using namespace menus_test;
using testing_support::GameHarness;
using Item = menus::TMainMenu::Item;

// Centres of the six items.
struct Spot {
  float x, y;
};
constexpr Spot kItemSpot[] = {{0, 0}, {9, 2.75f}, {9, 0.2f}, {9, -2.1f}, {9, -4.7f}, {9, -7.2f}, {9, -9.7f}};

class MainMenuHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Shell::SetSpawner([this](const std::vector<std::string>& argv, const std::string&) {
      opened.push_back(argv.back());
      return true;
    });
    game.Start();
    game.Frame();
  }
  void TearDown() override { platform::Shell::SetSpawner(nullptr); }

  // Selects `item` with Down presses from start, then presses Enter.
  void EnterItem(int item) {
    for (int i = 1; i < item; ++i) Press(game, keys::kDown);
    Press(game, keys::kEnter);
  }

  GameHarness game;
  std::vector<std::string> opened;
};

TEST_F(MainMenuHarness, StartsWithStartSelectedAndTheMenuShown) {
  EXPECT_EQ(Menus().mainMenu.item(), Item::kStart);
  EXPECT_TRUE(Shown(game, "data\\PMMStart.png"));
  EXPECT_TRUE(Shown(game, "data\\AMMExit.png"));
}

TEST_F(MainMenuHarness, OptionsHighlightLitAtStartFadesOutWithin20Frames) {
  EXPECT_GT(Menus().mainMenu.Opacity(Item::kOptions), 0.9);
  game.Frame(20);
  EXPECT_LE(Menus().mainMenu.Opacity(Item::kOptions), 0.0);
  EXPECT_GE(Menus().mainMenu.Opacity(Item::kStart), 1.0);
  const EHandle lit = game.engine().SpritesShowing("data\\AMMOptions.png").front();
  EXPECT_LE(game.engine().sprites[lit].color[3], 0.0f);
}

TEST_F(MainMenuHarness, UpFromStartSelectsExitAndDownFromExitSelectsStart) {
  Press(game, keys::kUp);
  EXPECT_EQ(Menus().mainMenu.item(), Item::kExit);
  Press(game, keys::kDown);
  EXPECT_EQ(Menus().mainMenu.item(), Item::kStart);
}

TEST_F(MainMenuHarness, KeySelectionPlaysTheClickWhileSoundIsOn) {
  Press(game, keys::kDown);
  EXPECT_EQ(game.engine().SoundFor("sound\\mainmenuchg.WAV")->playCount, 1);
  game.context().ActiveSettings.SoundOn = 0;
  Press(game, keys::kDown);
  EXPECT_EQ(game.engine().SoundFor("sound\\mainmenuchg.WAV")->playCount, 1);
}

TEST_F(MainMenuHarness, StartByKeyLeavesForTheLevelBuildWithGameMusicChosen) {
  EnterItem(Item::kStart);
  EXPECT_NE(core::GameState(), core::gsMainMenu);
  EXPECT_EQ(game.engine().gameStates.at(1), core::gsLevelBuild);
  EXPECT_EQ(game.context().musicChoice, 0);
  EXPECT_FALSE(Shown(game, "data\\PMMStart.png"));
  EXPECT_FALSE(game.engine().SoundFor("sound\\Menu.ogg")->playing);
}

TEST_F(MainMenuHarness, HelpByKeyShowsThePagesBesideTheMenu) {
  EnterItem(Item::kHelp);
  EXPECT_EQ(core::GameState(), core::gsHelp);
  EXPECT_TRUE(Shown(game, "data\\over1.png"));
  EXPECT_TRUE(Shown(game, "data\\PMMStart.png"));
}

TEST_F(MainMenuHarness, OptionsByKeyCopiesTheSettingsForEditing) {
  game.context().PendingSettings.MusicOn = 0;
  EnterItem(Item::kOptions);
  EXPECT_EQ(core::GameState(), core::gsOptions);
  EXPECT_TRUE(Shown(game, "data\\Options.png"));
  EXPECT_EQ(game.context().PendingSettings, game.context().ActiveSettings);
}

TEST_F(MainMenuHarness, HighScoresByKeyShowsTheTableAndItsLines) {
  EnterItem(Item::kHighScores);
  EXPECT_EQ(core::GameState(), core::gsRecords);
  EXPECT_TRUE(Shown(game, "data\\Table.png"));
  EXPECT_TRUE(Printed(game, "      NOVA         1000"));
}

TEST_F(MainMenuHarness, WebByKeyInAWindowMinimisesAndOpensTheShortcut) {
  WriteText(game, "moregames.url", "[InternetShortcut]\nURL=https://varnok.example.org/more\n");
  EnterItem(Item::kWeb);
  game.Frame();  // the shell call runs on the main window's thread
  EXPECT_EQ(game.form().Window().State(), platform::WindowState::kMinimized);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "https://varnok.example.org/more");
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
}

TEST_F(MainMenuHarness, WebInFullScreenRestartsWithTheShortcutRequest) {
  game.context().ActiveSettings.Windowed = 0;
  EnterItem(Item::kWeb);
  const auto record = game.folder().Read("data/boss.dat");
  ASSERT_EQ(record.size(), 6u);
  EXPECT_EQ(record[1], core::gsMainMenu);
  EXPECT_EQ(record[2], 1);
  EXPECT_EQ(record[4], 1);
  EXPECT_TRUE(game.form().Window().TimerEnabled(game.form().Timer4));
}

TEST_F(MainMenuHarness, ExitByKeyOpensTheQuitDialogAndEscDoesTheSame) {
  EnterItem(Item::kExit);
  EXPECT_EQ(core::GameState(), core::gsExitConfirm);
  EXPECT_TRUE(Shown(game, "data\\Query.png"));
  Press(game, keys::kEscape);  // "no"
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  Press(game, keys::kEscape);
  EXPECT_EQ(core::GameState(), core::gsExitConfirm);
}

TEST_F(MainMenuHarness, HoverSelectsTheItemUnderThePointerWithTheClick) {
  PointAt(game, kItemSpot[Item::kHighScores].x, kItemSpot[Item::kHighScores].y);
  EXPECT_EQ(Menus().mainMenu.item(), Item::kHighScores);
  EXPECT_EQ(game.engine().SoundFor("sound\\mainmenuchg.WAV")->playCount, 1);
  const EHandle cursor = game.context().res.cursorSprite;
  EXPECT_NEAR(game.engine().sprites[cursor].location.x, 9, 1e-4);
}

TEST(MainMenuClicks, HelpOptionsHighScoresAndExitRunByClick) {
  struct Case {
    Item item;
    uint8_t state;
  };
  for (Case c : {Case{Item::kHelp, core::gsHelp}, Case{Item::kOptions, core::gsOptions},
                 Case{Item::kHighScores, core::gsRecords}, Case{Item::kExit, core::gsExitConfirm}}) {
    GameHarness fresh;
    fresh.Start();
    fresh.Frame();
    ClickAt(fresh, kItemSpot[c.item].x, kItemSpot[c.item].y);
    EXPECT_EQ(core::GameState(), c.state) << "item " << int(c.item);
  }
}

TEST_F(MainMenuHarness, StartAndWebRunByClick) {
  WriteText(game, "moregames.url", "[InternetShortcut]\nURL=https://varnok.example.org/more\n");
  ClickAt(game, kItemSpot[Item::kWeb].x, kItemSpot[Item::kWeb].y);
  game.Frame();
  EXPECT_EQ(opened.size(), 1u);
  ClickAt(game, kItemSpot[Item::kStart].x, kItemSpot[Item::kStart].y);
  EXPECT_EQ(game.context().musicChoice, 0);
  EXPECT_NE(std::find(game.engine().gameStates.begin(), game.engine().gameStates.end(), core::gsLevelBuild),
            game.engine().gameStates.end());
}

TEST_F(MainMenuHarness, PointerOutsideTheWindowNeitherMovesNorSelectsNorClicks) {
  PointAt(game, kItemSpot[Item::kHelp].x, kItemSpot[Item::kHelp].y);
  const EHandle cursor = game.context().res.cursorSprite;
  const EngineVec before = game.engine().sprites[cursor].location;
  game.MoveMouse(1.2f, 0.4f);
  game.Click();
  game.Frame();
  EXPECT_EQ(Menus().mainMenu.item(), Item::kHelp);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_EQ(game.engine().sprites[cursor].location.x, before.x);
  // The click made outside is not kept for when the pointer comes back.
  PointAt(game, kItemSpot[Item::kHelp].x, kItemSpot[Item::kHelp].y);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
}

TEST_F(MainMenuHarness, CloseBoxInTheMainMenuOpensTheQuitDialogWithNoSelected) {
  game.form().Window().PostCommand(VARNOK_WINDOW_CLOSE);
  game.Frame(2);
  EXPECT_EQ(core::GameState(), core::gsExitConfirm);
  EXPECT_EQ(Menus().exitMenu.item(), menus::TExitMenu::kNo);
  EXPECT_FALSE(game.form().Window().Closed());
  Press(game, keys::kEnter);  // "no"
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
}

TEST_F(MainMenuHarness, CloseBoxDuringPlayDoesNothing) {
  core::SetGameState(core::gsPlaying);
  game.form().Window().PostCommand(VARNOK_WINDOW_CLOSE);
  game.Frame(2);
  EXPECT_EQ(core::GameState(), core::gsPlaying);
  EXPECT_FALSE(game.form().Window().Closed());
}

}  // namespace
