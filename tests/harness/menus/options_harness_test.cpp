// The options screen and the hide hot key driven through whole frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "menu_driver.h"
#include "platform/file_io.h"
#include "platform/shell.h"
#include "core/player_files.h"

namespace {

using namespace menus_test;
using testing_support::GameHarness;
using Opt = menus::TOptMenu;

class OptionsHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    // A restart started here must never start a real process.
    platform::Shell::SetSpawner([](const std::vector<std::string>&, const std::string&) { return true; });
    game.Start();
    game.Frame();
  }
  void TearDown() override { platform::Shell::SetSpawner(nullptr); }
  void OpenOptions() {
    Menus().mainMenu.Options();
    game.Frame();
  }
  void SelectItem(int item) {
    while (Menus().optMenu.item() != item) Press(game, keys::kDown);
  }
  core::TSettings SettingsFile() {
    core::TSettings settings;
    const auto bytes = game.folder().Read("data/settings.dat");
    EXPECT_TRUE(core::ParseSettings(bytes, settings));
    return settings;
  }

  GameHarness game;
};

TEST_F(OptionsHarness, DefaultHotKeyIsAltF12AndHidesTheWindowedGame) {
  Chord(game, {keys::kLeftAlt}, kF12);
  EXPECT_EQ(game.form().Window().State(), platform::WindowState::kMinimized);
  EXPECT_TRUE(game.context().pendingSoundRestore);
  EXPECT_EQ(game.context().ActiveSettings.MusicOn, 0);
}

TEST_F(OptionsHarness, F12AloneOrWithCtrlAndAltDoesNothing) {
  Press(game, kF12);
  Chord(game, {keys::kLeftCtrl, keys::kLeftAlt}, kF12);
  EXPECT_EQ(game.form().Window().State(), platform::WindowState::kNormal);
  EXPECT_FALSE(game.context().pendingSoundRestore);
}

TEST_F(OptionsHarness, KeyCaptureOfF12WithCtrlAndShiftIsShownWithItsSuffixes) {
  OpenOptions();
  SelectItem(Opt::kHotKey);
  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsOptionsKeyCapture);
  EXPECT_TRUE(Printed(game, "..."));
  Chord(game, {keys::kLeftCtrl, keys::kRightShift}, kF12);
  EXPECT_EQ(core::GameState(), core::gsOptions);
  game.Frame();
  EXPECT_TRUE(Printed(game, "F12+SHIFT+CTRL"));
  const core::TSettings saved = SettingsFile();
  EXPECT_EQ(static_cast<int>(saved.BossKey), kF12);
  EXPECT_EQ(saved.BossKeyAlt, 0);
  EXPECT_EQ(saved.BossKeyShift, 1);
  EXPECT_EQ(saved.BossKeyCtrl, 1);
  // The new chord hides the game; the old one no longer does.
  Chord(game, {keys::kLeftAlt}, kF12);
  EXPECT_FALSE(game.context().pendingSoundRestore);
  Chord(game, {keys::kRightCtrl, keys::kLeftShift}, kF12);
  EXPECT_TRUE(game.context().pendingSoundRestore);
}

TEST_F(OptionsHarness, ScanCode69IsAcceptedAndShownAsItsSuffixesAlone) {
  OpenOptions();
  SelectItem(Opt::kHotKey);
  Press(game, keys::kEnter);
  Chord(game, {keys::kRightAlt}, 69);
  game.Frame();
  EXPECT_EQ(static_cast<int>(game.context().ActiveSettings.BossKey), 69);
  EXPECT_TRUE(Printed(game, "+ALT"));
}

TEST_F(OptionsHarness, TheHotKeyDuringKeyCaptureReturnsWithoutStoringIt) {
  OpenOptions();
  SelectItem(Opt::kHotKey);
  Press(game, keys::kEnter);
  Chord(game, {keys::kLeftAlt}, kF12);
  EXPECT_EQ(core::GameState(), core::gsOptions);
  EXPECT_FALSE(game.context().pendingSoundRestore);
  EXPECT_EQ(static_cast<int>(game.context().PendingSettings.BossKey), kF12);
  EXPECT_EQ(game.context().PendingSettings.BossKeyAlt, 1);
}

TEST_F(OptionsHarness, KeysOutsideTheCaptureRangesAreNotTaken) {
  OpenOptions();
  SelectItem(Opt::kHotKey);
  Press(game, keys::kEnter);
  Press(game, 0x39);  // space bar
  EXPECT_EQ(core::GameState(), core::gsOptionsKeyCapture);
  EXPECT_EQ(static_cast<int>(game.context().PendingSettings.BossKey), kF12);
}

TEST_F(OptionsHarness, TypingTheAddTextTakesTenCharactersAndIgnoresTheEleventh) {
  OpenOptions();
  SelectItem(Opt::kAddText);
  Press(game, keys::kEnter);
  ASSERT_EQ(core::GameState(), core::gsOptionsTextEdit);
  for (int i = 0; i < 10; ++i) Press(game, 0x1E);  // A
  EXPECT_EQ(menus::AddTextOf(game.context().PendingSettings), "aaaaaaaaaa");
  Chord(game, {keys::kLeftShift}, 0x30);  // B
  EXPECT_EQ(menus::AddTextOf(game.context().PendingSettings), "aaaaaaaaaa");
  Press(game, keys::kBackspace);
  Chord(game, {keys::kLeftShift}, 0x30);
  EXPECT_EQ(menus::AddTextOf(game.context().PendingSettings), "aaaaaaaaaB");
  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsOptions);
  EXPECT_EQ(menus::AddTextOf(SettingsFile()), "aaaaaaaaaB");
}

TEST_F(OptionsHarness, BackspaceOnAnEmptyFieldDoesNothing) {
  OpenOptions();
  SelectItem(Opt::kAddText);
  Press(game, keys::kEnter);
  Press(game, keys::kBackspace);
  EXPECT_EQ(game.context().PendingSettings.AddTextLength, 0);
  EXPECT_EQ(core::GameState(), core::gsOptionsTextEdit);
}

TEST_F(OptionsHarness, TwoKeysInOneFrameTypeOnlyTheLowerCode) {
  OpenOptions();
  SelectItem(Opt::kAddText);
  Press(game, keys::kEnter);
  game.Tap(0x2C);  // Z
  game.Tap(0x10);  // Q
  game.Frame();
  EXPECT_EQ(menus::AddTextOf(game.context().PendingSettings), "q");
}

TEST_F(OptionsHarness, TheAddTextCursorBlinksEveryHalfSecond) {
  OpenOptions();
  SelectItem(Opt::kAddText);
  Press(game, keys::kEnter);
  Press(game, 0x1E);
  int withCursor = 0, without = 0;
  for (int i = 0; i < 140; ++i) {  // about two seconds
    game.Frame();
    withCursor += Printed(game, "aI");
    without += Printed(game, "a");
  }
  EXPECT_GT(withCursor, 40);
  EXPECT_GT(without, 40);
}

TEST_F(OptionsHarness, TogglingWindowModeTwiceLeavesItUnchangedAndApplyDoesNotRestart) {
  OpenOptions();
  Press(game, keys::kEnter);
  EXPECT_TRUE(Menus().optMenu.windowModeChanged());
  EXPECT_EQ(game.context().PendingSettings.Windowed, 0);
  Press(game, keys::kEnter);
  EXPECT_FALSE(Menus().optMenu.windowModeChanged());
  EXPECT_EQ(game.context().PendingSettings.Windowed, 1);
  Press(game, keys::kEscape);  // Leave applies
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_FALSE(game.form().Window().TimerEnabled(game.form().Timer2));
}

TEST_F(OptionsHarness, ChangingWindowModeWithAnArrowAppliesAndRestarts) {
  OpenOptions();
  Press(game, keys::kRight);
  EXPECT_EQ(SettingsFile().Windowed, 0);
  EXPECT_TRUE(game.form().Window().TimerEnabled(game.form().Timer2));
}

// A read-only disk: what is applied plays on for the run but the screen says
// it was not saved; a new display mode is not restarted into (the restart
// would read the old one), and a later save that works clears the line.
TEST_F(OptionsHarness, SettingsThatCannotBeSavedSaySoAndDoNotRestartIntoANewMode) {
  OpenOptions();
  ::testing::internal::CaptureStderr();
  {
    const platform::ScopedWriteFault readOnly(platform::WriteStep::kCreate, EROFS, "settings");
    Press(game, keys::kRight);  // full screen, applied at once
    EXPECT_FALSE(game.form().Window().TimerEnabled(game.form().Timer2));
    EXPECT_EQ(game.context().ActiveSettings.Windowed, 1);
    EXPECT_FALSE(Menus().optMenu.windowModeChanged());
    SelectItem(Opt::kMusic);
    Press(game, keys::kLeft);  // music off, applied at once
    EXPECT_EQ(game.context().ActiveSettings.MusicOn, 0);
    game.Frame();
    EXPECT_TRUE(Printed(game, "SETTINGS NOT SAVED"));
  }
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(SettingsFile(), core::DefaultSettings());
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;

  Press(game, keys::kRight);  // music on, saved
  EXPECT_EQ(SettingsFile().MusicOn, 1);
  EXPECT_FALSE(Printed(game, "SETTINGS NOT SAVED"));
}

TEST_F(OptionsHarness, ApplyWithMusicOffStopsTheMenuMusicAndOnPlaysItFromTheStart) {
  OpenOptions();
  SelectItem(Opt::kMusic);
  const fake::Sound* menuMusic = game.engine().SoundFor("sound\\Menu.ogg");
  ASSERT_TRUE(menuMusic->playing);
  Press(game, keys::kLeft);
  EXPECT_FALSE(menuMusic->playing);
  EXPECT_EQ(SettingsFile().MusicOn, 0);
  const int starts = menuMusic->playCount;
  Press(game, keys::kRight);
  EXPECT_TRUE(menuMusic->playing);
  EXPECT_EQ(menuMusic->playCount, starts + 1);
}

TEST_F(OptionsHarness, MusicHighlightFollowsTheAppliedValueOnly) {
  OpenOptions();
  SelectItem(Opt::kMusic);
  Press(game, keys::kEnter);  // pending only
  game.Frame(25);
  const EHandle onLit = game.engine().SpritesShowing("data\\AOn.png").front();
  EXPECT_GE(game.engine().sprites[onLit].color[3], 1.0f);
  Press(game, keys::kLeft);  // toggles back on and applies: music stays on
  Press(game, keys::kLeft);  // off, applied
  game.Frame(25);
  EXPECT_LE(game.engine().sprites[onLit].color[3], 0.0f);
}

TEST_F(OptionsHarness, ClicksOnTheOnAndOffButtonsSetAndApply) {
  OpenOptions();
  ClickAt(game, -3.5f, -0.3f);  // sound off
  EXPECT_EQ(SettingsFile().SoundOn, 0);
  EXPECT_EQ(game.context().ActiveSettings.SoundOn, 0);
  ClickAt(game, -6.8f, -0.3f);  // sound on
  EXPECT_EQ(game.context().ActiveSettings.SoundOn, 1);
  ClickAt(game, -7, 3.6f);  // window "on" while windowed: no restart
  EXPECT_FALSE(Menus().optMenu.windowModeChanged());
  ClickAt(game, -3, 3.6f);  // full screen
  EXPECT_TRUE(game.form().Window().TimerEnabled(game.form().Timer2));
}

TEST_F(OptionsHarness, ClickingTheRowsStartsTypingOrKeyCapture) {
  OpenOptions();
  ClickAt(game, -7, -3.2f);
  EXPECT_EQ(core::GameState(), core::gsOptionsTextEdit);
  ClickAt(game, -7, -7);
  EXPECT_EQ(core::GameState(), core::gsOptionsKeyCapture);
}

TEST_F(OptionsHarness, HoverMovesTheSelectionAndItsUnderline) {
  OpenOptions();
  PointAt(game, -10, 1.8f);
  EXPECT_EQ(Menus().optMenu.item(), Opt::kMusic);
  const EHandle underline = game.engine().SpritesShowing("data\\Underline.png").front();
  EXPECT_FLOAT_EQ(game.engine().sprites[underline].location.y, 1.2f);
}

TEST_F(OptionsHarness, ClickingAnotherMainMenuItemAppliesThePendingValues) {
  OpenOptions();
  SelectItem(Opt::kSound);
  Press(game, keys::kEnter);  // pending only
  EXPECT_EQ(game.context().ActiveSettings.SoundOn, 1);
  ClickAt(game, 9, 0.2f);  // help
  EXPECT_EQ(core::GameState(), core::gsHelp);
  EXPECT_EQ(game.context().ActiveSettings.SoundOn, 0);
  EXPECT_FALSE(Shown(game, "data\\Options.png"));
}

}  // namespace
