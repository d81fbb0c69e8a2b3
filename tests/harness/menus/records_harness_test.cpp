// The high-score table, the end-of-run check and the name entry through whole frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "app/main_form.h"
#include "fake_http_client.h"
#include "menu_driver.h"
#include "core/player_files.h"
#include "world/play_session.h"
#include "platform/file_io.h"
#include "platform/shell.h"
#include "online/score_protocol.h"
#include "world/game.h"

namespace {

using namespace menus_test;
using testing_support::GameHarness;
using Entry = menus::TRecordInputMenu;

constexpr int kFramesOfRecordsWait = world::kRecordsCheckMs / 15 + 2;

class RecordsHarness : public ::testing::Test {
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

  // A lost game with `score`: the game-over wait, then the records check.
  void LoseGameWithScore(int32_t score) {
    game.context().game->SetScore(score);
    core::SetGameState(core::gsGameOverWait);
    game.context().game->session.AwaitRecordsCheck();
    game.Frame(kFramesOfRecordsWait);
  }
  void TypeName(const std::vector<int32_t>& keysToType) {
    for (int32_t code : keysToType) Chord(game, {keys::kLeftShift}, code);
  }
  core::TRecordsTable RecordsFile() {
    core::TRecordsTable table{};
    EXPECT_TRUE(core::ParseRecords(game.folder().Read("data/records.dat"), table));
    return table;
  }
  static std::string NameOf(const core::TRecordEntry& entry) {
    return std::string(reinterpret_cast<const char*>(entry.Name), entry.NameLength);
  }
  // Runs frames while the score client works on its own thread.
  bool WaitForState(uint8_t state) {
    for (int i = 0; i < 2000 && core::GameState() != state; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      game.Frame();
    }
    return core::GameState() == state;
  }
  void SaveByKeys() {
    Press(game, keys::kEnter);  // name typed: to the buttons
    while (Menus().recordInput.item() != Entry::kSave) Press(game, keys::kDown);
    Press(game, keys::kEnter);
  }

  GameHarness game;
  std::vector<std::string> opened;
};

TEST_F(RecordsHarness, Score950TakesRank2AndPushesTheRestDown) {
  LoseGameWithScore(950);
  EXPECT_EQ(game.context().pendingRecordRank, 2);
  EXPECT_EQ(core::GameState(), core::gsRecordName);
  TypeName({0x2E, 0x18});  // C O
  SaveByKeys();
  EXPECT_EQ(core::GameState(), core::gsSubmitConfirm);
  const core::TRecordsTable table = RecordsFile();
  EXPECT_EQ(table[0].Score, 1000);
  EXPECT_EQ(NameOf(table[1]), "CO");
  EXPECT_EQ(table[1].Score, 950);
  EXPECT_EQ(table[2].Score, 900);
  EXPECT_EQ(table[9].Score, 200);
}

TEST_F(RecordsHarness, ScoreEqualToAStoredScoreRanksBelowIt) {
  LoseGameWithScore(1000);
  EXPECT_EQ(game.context().pendingRecordRank, 2);
}

TEST_F(RecordsHarness, ScoreThatBeatsNoEntryReturnsToTheMainMenuWithMenuMusic) {
  game.engine().SoundFor("sound\\Menu.ogg");
  LoseGameWithScore(100);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_EQ(game.context().musicChoice, 1);
  EXPECT_TRUE(game.engine().SoundFor("sound\\Menu.ogg")->playing);
  EXPECT_TRUE(Shown(game, "data\\PMMStart.png"));
  EXPECT_TRUE(game.engine().sprites[game.context().res.cursorSprite].shown);
  game.Frame(kFramesOfRecordsWait);
  EXPECT_EQ(core::GameState(), core::gsMainMenu) << "the check is made once";
}

TEST_F(RecordsHarness, Score1001TakesRank1AndMovesAllNineDown) {
  LoseGameWithScore(1001);
  EXPECT_EQ(game.context().pendingRecordRank, 1);
  SaveByKeys();
  const core::TRecordsTable table = RecordsFile();
  EXPECT_EQ(table[0].Score, 1001);
  for (int i = 1; i < 10; ++i) EXPECT_EQ(table[i].Score, 1000 - 100 * (i - 1));
}

TEST_F(RecordsHarness, Rank10OverwritesTheLastEntryOnly) {
  LoseGameWithScore(150);
  EXPECT_EQ(game.context().pendingRecordRank, 10);
  SaveByKeys();
  const core::TRecordsTable table = RecordsFile();
  EXPECT_EQ(table[8].Score, 200);
  EXPECT_EQ(table[9].Score, 150);
}

TEST_F(RecordsHarness, TheEntryOffersTheAddTextAndSavesItIntoTheSettings) {
  menus::SetAddText(game.context().ActiveSettings, "CREW");
  LoseGameWithScore(500);
  EXPECT_EQ(Menus().recordInput.addText(), "CREW");
  Press(game, keys::kDown);  // to the add text
  EXPECT_EQ(core::GameState(), core::gsRecordAdd);
  Press(game, 0x1E);
  SaveByKeys();
  EXPECT_EQ(menus::AddTextOf(game.context().ActiveSettings), "CREWa");
}

TEST_F(RecordsHarness, NameEntryShowsTheScoreAndABlinkingCursor) {
  LoseGameWithScore(700);
  TypeName({0x1E});
  int withCursor = 0;
  for (int i = 0; i < 100; ++i) {
    game.Frame();
    withCursor += Printed(game, "AI");
  }
  EXPECT_GT(withCursor, 20);
  EXPECT_LT(withCursor, 80);
  EXPECT_TRUE(Printed(game, "YOUR SCORE: 700"));
}

TEST_F(RecordsHarness, CancelReturnsToTheMenuAndWritesNothing) {
  const auto before = game.folder().Read("data/records.dat");
  LoseGameWithScore(800);
  Press(game, keys::kEscape);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_EQ(game.folder().Read("data/records.dat"), before);
}

// A full disk when the entry is saved: nothing is taken as saved (no table
// change, no submission question), the screen says so, the player is told
// once on standard error, and the entry can be saved once there is room.
TEST_F(RecordsHarness, AnEntryThatCannotBeWrittenStaysOpenUntilItIsSaved) {
  const auto before = game.folder().Read("data/records.dat");
  LoseGameWithScore(950);
  TypeName({0x2E, 0x18});  // C O
  ::testing::internal::CaptureStderr();
  {
    const platform::ScopedWriteFault fullDisk(platform::WriteStep::kWrite, ENOSPC, "records");
    SaveByKeys();
    EXPECT_EQ(core::GameState(), core::gsRecordButtons);
    game.Frame();
    EXPECT_TRUE(Printed(game, "THE TABLE COULD NOT BE SAVED"));
    Press(game, keys::kEnter);  // OK again, still no room
    EXPECT_EQ(core::GameState(), core::gsRecordButtons);
  }
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(game.folder().Read("data/records.dat"), before);
  EXPECT_EQ(game.context().records, core::DefaultRecords());
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
  EXPECT_NE(told.find("high-score table could not be saved"), std::string::npos) << told;

  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsSubmitConfirm);
  EXPECT_EQ(NameOf(RecordsFile()[1]), "CO");
  EXPECT_EQ(game.context().records[1].Score, 950);
  EXPECT_FALSE(Printed(game, "THE TABLE COULD NOT BE SAVED"));
}

TEST_F(RecordsHarness, EntryClicksSaveAndCancel) {
  LoseGameWithScore(800);
  ClickAt(game, -5, -5.5f);  // save
  EXPECT_EQ(core::GameState(), core::gsSubmitConfirm);
  EXPECT_EQ(RecordsFile()[2].Score, 800);
}

TEST_F(RecordsHarness, ARefusedSubmissionOffersAnotherTryAndEscGoesToTheTable) {
  auto http = std::make_shared<testing_support::FakeHttpClient>(std::vector<std::optional<std::string>>{"NO"});
  Menus().submission.http = http;
  LoseGameWithScore(800);
  SaveByKeys();
  Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kYes);
  Press(game, keys::kEnter);
  EXPECT_TRUE(WaitForState(core::gsSubmitResult));
  EXPECT_EQ(http->urls().size(), 1u);
  game.Frame();
  EXPECT_TRUE(Printed(game, "TRY AGAIN?"));
  Press(game, keys::kEscape);
  EXPECT_EQ(core::GameState(), core::gsRecords);
  EXPECT_TRUE(Shown(game, "data\\Table.png"));
  EXPECT_FALSE(Shown(game, "data\\Query.png"));
}

TEST_F(RecordsHarness, ASubmissionSendsTheSavedEntryAndReturnsToTheMainMenu) {
  auto http = std::make_shared<testing_support::FakeHttpClient>(
      std::vector<std::optional<std::string>>{std::nullopt, "OK|Quellix3|1|0|p42|", "OK"});
  Menus().submission.http = http;
  LoseGameWithScore(800);
  TypeName({0x1E, 0x30});  // "AB"
  SaveByKeys();
  Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kYes);
  // The first try finds no server; the second goes through.
  Press(game, keys::kEnter);
  ASSERT_TRUE(WaitForState(core::gsSubmitResult));
  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsSubmitting);
  game.Frame();
  EXPECT_TRUE(Printed(game, "SENDING..."));
  ASSERT_TRUE(WaitForState(core::gsMainMenu));
  const auto urls = http->urls();
  ASSERT_EQ(urls.size(), 3u);
  EXPECT_NE(urls[2].find("inf=" + online::EncodePayload(online::BuildPayload("AB", 800, "p42", ""))),
            std::string::npos);
  EXPECT_FALSE(Shown(game, "data\\Query.png"));
  EXPECT_TRUE(Shown(game, "data\\PMMStart.png"));
  EXPECT_EQ(game.context().musicChoice, 1);
  EXPECT_EQ(RecordsFile()[game.context().pendingRecordRank - 1].Score, 800);
}

TEST_F(RecordsHarness, TableLinesUseTheFixedWidthFormat) {
  Menus().mainMenu.HighScores();
  game.Frame();
  const fake::Print* first = FindPrint(game, "      NOVA         1000");
  ASSERT_NE(first, nullptr);
  EXPECT_FLOAT_EQ(first->location.x, -10);
  EXPECT_FLOAT_EQ(first->location.y, 5 - 1.05f);
  EXPECT_TRUE(Printed(game, "      NOVA          100"));
}

TEST_F(RecordsHarness, ClearingAfterConfirmationRewritesTheDefaultFile) {
  game.context().records[0].Score = 5000;
  core::SaveRecords(game.context().records);
  Menus().mainMenu.HighScores();
  game.Frame();
  Press(game, keys::kEnter);  // clear
  EXPECT_EQ(core::GameState(), core::gsRecordsResetConfirm);
  Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kNo);
  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsRecords);
  EXPECT_EQ(RecordsFile()[0].Score, 5000);
  Press(game, keys::kEnter);
  Press(game, keys::kLeft);  // to "yes"
  Press(game, keys::kEnter);
  EXPECT_EQ(core::GameState(), core::gsRecords);
  EXPECT_EQ(RecordsFile(), core::DefaultRecords());
  game.Frame();
  EXPECT_TRUE(Printed(game, "      NOVA         1000"));
}

TEST_F(RecordsHarness, ViewOnlineInAWindowMinimisesAndOpensThePage) {
  Menus().mainMenu.HighScores();
  game.Frame();
  Press(game, keys::kDown);
  EXPECT_EQ(Menus().recordsMenu.item(), menus::TRecordsMenu::kView);
  Press(game, keys::kEnter);
  game.Frame();
  EXPECT_EQ(game.form().Window().State(), platform::WindowState::kMinimized);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_NE(opened[0].find("/cgi/version.pl?prg=Quellix3&show&type=0"), std::string::npos);
}

TEST_F(RecordsHarness, ViewOnlineInFullScreenRestartsWithThePageRequested) {
  game.context().ActiveSettings.Windowed = 0;
  Menus().mainMenu.HighScores();
  game.Frame();
  ClickAt(game, -4, -8);
  const auto record = game.folder().Read("data/boss.dat");
  ASSERT_EQ(record.size(), 6u);
  EXPECT_EQ(record[5], 1);
  EXPECT_TRUE(game.form().Window().TimerEnabled(game.form().Timer4));
}

TEST_F(RecordsHarness, HelpClickedBesideTheTableTakesTheTableLinesAway) {
  Menus().mainMenu.HighScores();
  game.Frame();
  ClickAt(game, 9, 0.2f);  // help
  EXPECT_EQ(core::GameState(), core::gsHelp);
  EXPECT_TRUE(game.engine().prints.empty());
}

TEST_F(RecordsHarness, EscLeavesTheTableForTheMainMenu) {
  Menus().mainMenu.HighScores();
  game.Frame();
  Press(game, keys::kEscape);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_FALSE(Shown(game, "data\\Table.png"));
}

}  // namespace
