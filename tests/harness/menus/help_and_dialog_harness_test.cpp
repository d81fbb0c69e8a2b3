// Help pages, the in-play dialogs and captions through whole frames.
#include <gtest/gtest.h>

#include "menu_driver.h"
#include "platform/shell.h"
#include "world/game.h"

namespace {

using namespace menus_test;
using testing_support::GameHarness;
using Help = menus::THelpMenu;

class HelpAndDialogHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    // A restart started here must never start a real process.
    platform::Shell::SetSpawner([](const std::vector<std::string>&, const std::string&) { return true; });
    game.Start();
    game.Frame();
  }
  void TearDown() override { platform::Shell::SetSpawner(nullptr); }
  GameHarness game;
};

TEST_F(HelpAndDialogHarness, NextOnPage8ShowsPage1AndPreviousOnPage1ShowsPage8) {
  Menus().mainMenu.Help();
  game.Frame();
  Help& help = Menus().helpMenu;
  for (int i = 0; i < 7; ++i) Press(game, keys::kEnter);
  EXPECT_EQ(help.page(), 8);
  EXPECT_TRUE(Shown(game, "data\\over8.png"));
  Press(game, keys::kEnter);
  EXPECT_EQ(help.page(), 1);
  EXPECT_FALSE(Shown(game, "data\\over8.png"));
  Press(game, keys::kLeft);  // to "previous"
  EXPECT_EQ(help.button(), Help::kPrevious);
  Press(game, keys::kEnter);
  EXPECT_EQ(help.page(), 8);
}

TEST_F(HelpAndDialogHarness, ClickingTheButtonsTurnsPagesWithoutChangingTheSelectedButton) {
  Menus().mainMenu.Help();
  game.Frame();
  ClickAt(game, -10, -7.8f);  // previous
  EXPECT_EQ(Menus().helpMenu.page(), 8);
  ClickAt(game, -5, -7.8f);  // next
  ClickAt(game, -5, -7.8f);
  EXPECT_EQ(Menus().helpMenu.page(), 2);
}

TEST_F(HelpAndDialogHarness, EscLeavesHelpForTheMainMenu) {
  Menus().mainMenu.Help();
  game.Frame();
  Press(game, keys::kEscape);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_FALSE(Shown(game, "data\\Frame.png"));
}

TEST_F(HelpAndDialogHarness, QuitDialogPrintsItsQuestionAndFadesTowardTheSelection) {
  Menus().mainMenu.Exit();
  game.Frame(25);
  EXPECT_TRUE(Printed(game, "QUIT THE GAME?"));
  const EHandle yesLit = game.engine().SpritesShowing("data\\AEMYes.png").front();
  const EHandle noLit = game.engine().SpritesShowing("data\\AEMNo.png").front();
  const bool yesSelected = Menus().exitMenu.item() == menus::TExitMenu::kYes;
  EXPECT_EQ(game.engine().sprites[yesLit].color[3] >= 1.0f, yesSelected);
  EXPECT_EQ(game.engine().sprites[noLit].color[3] >= 1.0f, !yesSelected);
}

TEST_F(HelpAndDialogHarness, ArrowsSwitchTheDialogAndHoverSelectsSilently) {
  Menus().mainMenu.Exit();
  game.Frame();
  const uint8_t first = Menus().exitMenu.item();
  Press(game, keys::kRight);
  EXPECT_NE(Menus().exitMenu.item(), first);
  const int clicks = game.engine().SoundFor("sound\\mainmenuchg.WAV")->playCount;
  PointAt(game, 2.5f, -2.6f);
  EXPECT_EQ(Menus().exitMenu.item(), menus::TExitMenu::kNo);
  PointAt(game, -1.5f, -2.6f);
  EXPECT_EQ(Menus().exitMenu.item(), menus::TExitMenu::kYes);
  EXPECT_EQ(game.engine().SoundFor("sound\\mainmenuchg.WAV")->playCount, clicks);
}

TEST_F(HelpAndDialogHarness, EscDuringPlayOpensTheDialogAndNoResumesPlay) {
  core::SetGameState(core::gsPlaying);
  Press(game, keys::kEscape);
  EXPECT_EQ(core::GameState(), core::gsGameExitConfirm);
  const EHandle cursor = game.context().res.cursorSprite;
  EXPECT_TRUE(game.engine().sprites[cursor].shown);
  EXPECT_TRUE(Printed(game, "END THIS RUN?"));
  Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kNo);
  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsPlaying);
  EXPECT_FALSE(game.engine().sprites[cursor].shown);
  EXPECT_FALSE(Shown(game, "data\\Query.png"));
}

TEST_F(HelpAndDialogHarness, EndingARunThatBeatsNoScoreGoesToTheMenuWithMenuMusic) {
  core::SetGameState(core::gsPlaying);
  game.context().musicChoice = 0;
  Press(game, keys::kEscape);
  ClickAt(game, -1.5f, -2.6f);  // yes
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_EQ(game.context().musicChoice, 1);
  EXPECT_TRUE(game.engine().SoundFor("sound\\Menu.ogg")->playing);
}

TEST_F(HelpAndDialogHarness, EndingARunWithAQualifyingScoreOpensTheNameEntry) {
  core::SetGameState(core::gsPlaying);
  Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kYes);
  game.context().game->SetScore(650);
  Press(game, keys::kEscape);
  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsRecordName);
  EXPECT_EQ(game.context().pendingRecordRank, 5);
}

TEST_F(HelpAndDialogHarness, PauseKeyPausesWithItsCaptionAndResumes) {
  core::SetGameState(core::gsPlaying);
  Press(game, keys::kPause);
  EXPECT_EQ(core::GameState(), core::gsPaused);
  const fake::Print* caption = FindPrint(game, "PAUSED");
  ASSERT_NE(caption, nullptr);
  EXPECT_TRUE(caption->centered);
  EXPECT_FLOAT_EQ(caption->color[0], 0.65f);
  Press(game, keys::kPause);
  EXPECT_EQ(core::GameState(), core::gsPlaying);
}

TEST_F(HelpAndDialogHarness, LevelIntroShowsTheComingLevelOnce) {
  core::SetGameState(core::gsLevelIntro);
  game.Frame(3);
  EXPECT_TRUE(Printed(game, "LEVEL   1"));
  EXPECT_EQ(game.engine().prints.size(), 1u) << "the caption is not piled up frame after frame";
}

TEST_F(HelpAndDialogHarness, AltEnterSwitchesWindowModeOnceAndTakesNoOtherKey) {
  game.Hold(keys::kLeftAlt);
  game.Hold(keys::kEnter);
  game.Tap(keys::kDown);
  game.Frame(3);
  EXPECT_EQ(game.context().ActiveSettings.Windowed, 0);
  EXPECT_EQ(Menus().mainMenu.item(), menus::TMainMenu::kStart);
  EXPECT_TRUE(game.form().Window().TimerEnabled(game.form().Timer2));
  EXPECT_EQ(game.folder().Read("data/boss.dat").at(1), core::gsMainMenu);
}

TEST_F(HelpAndDialogHarness, LeavingPlaySilencesStepsAndWeaponsButTheRailwayRunsOnUnderTheDialog) {
  const auto& res = game.context().res;
  game.context().game->SetLevel(3);
  game.context().game->levelKind = world::kTrainLevel;
  core::SetGameState(core::gsPlaying);
  game.Hold(keys::kLeftCtrl);
  for (EHandle sound : {res.stepSound, res.gunSound}) iSoundPlay(sound, -1);
  game.Frame();
  EXPECT_TRUE(game.engine().sounds[res.railwaySound].playing);
  EXPECT_TRUE(game.engine().sounds[res.gunSound].playing) << "the gun is in hand while firing";
  Press(game, keys::kEscape);
  EXPECT_EQ(core::GameState(), core::gsGameExitConfirm);
  EXPECT_FALSE(game.engine().sounds[res.stepSound].playing);
  EXPECT_FALSE(game.engine().sounds[res.gunSound].playing);
  EXPECT_TRUE(game.engine().sounds[res.railwaySound].playing);
  game.Release(keys::kLeftCtrl);
}

TEST_F(HelpAndDialogHarness, CursorAnimationStopsDuringPlay) {
  core::SetGameState(core::gsPlaying);
  const int frame = game.context().cursorFrame;
  game.Frame(10);
  EXPECT_EQ(game.context().cursorFrame, frame);
}

}  // namespace
