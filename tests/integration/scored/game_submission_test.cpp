// The real game on the headless engine, pointed at a real score server: a run
// ends with a qualifying score, the player types a name, saves it and sends
// it, and the name and score appear on the online table page.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "menus/player_files.h"
#include "scored_process.h"
#include "services/http_client.h"
#include "services/score_protocol.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ChildProcess;
using testing_support::ReadWholeFile;
using testing_support::ScoredProcess;

const fs::path kGameDir = VARNOK_GAME_DIR;

// Frames: start a game, end the run from the quit dialog, type "AB" with
// Shift, go down to save, save, say yes to the submission, quit later.
constexpr const char* kScript = R"(# a run that enters the table and is sent online
30 tap 28
150 tap 1
170 tap 28
200 down 42
202 tap 0x1E
204 tap 0x30
206 up 42
210 tap 28
220 tap 208
230 tap 208
240 tap 28
260 tap 28
400 quit
)";

class GameSubmissionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kGameDir / "SYSTEm.DLL") || !fs::exists(kGameDir / "data" / "sprite.x")) {
      GTEST_SKIP() << "the game folder is not complete (engine library or data files missing)";
    }
    std::string pattern = (fs::temp_directory_path() / "varnok-online-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    fs::copy(kGameDir, dir_ / "game", fs::copy_options::recursive);
    for (const char* file : {"data/settings.dat", "data/boss.dat"}) fs::remove(dir_ / "game" / file);
  }
  void TearDown() override {
    std::error_code error;
    if (!dir_.empty()) fs::remove_all(dir_, error);
  }

  // A table that any run beats, so the test does not depend on how the run goes.
  void SeedBeatableRecords() {
    menus::TRecordsTable table{};
    for (auto& entry : table) entry.Score = -1;
    std::ofstream(dir_ / "game/data/records.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(table.data()), sizeof(table));
  }

  fs::path dir_;
};

TEST_F(GameSubmissionTest, ASavedRunIsSentAndShowsOnTheOnlineTable) {
  ScoredProcess server(VARNOK_SCORED, dir_ / "scores.db");
  ASSERT_TRUE(server.Start()) << server.ErrorOutput();
  SeedBeatableRecords();
  std::ofstream(dir_ / "run.script") << kScript;

  ChildProcess game;
  ASSERT_TRUE(game.Start({(dir_ / "game/varnok").string()},
                         {"VARNOK_ENGINE=headless", "VARNOK_ENGINE_SCRIPT=" + (dir_ / "run.script").string(),
                          "VARNOK_ENGINE_LOG=" + (dir_ / "engine.log").string(), "VARNOK_NO_DIALOGS=1",
                          "SDL_AUDIODRIVER=dummy", "HOME=" + dir_.string(), "PATH=/usr/bin:/bin",
                          "VARNOK_SCORE_SERVER=" + server.Address()},
                         dir_ / "game.out", dir_ / "game.err"));
  ASSERT_EQ(game.Wait(std::chrono::seconds(60)), 0) << ReadWholeFile(dir_ / "game.err");

  // Submitting (24), then straight back to the main menu (3).
  const std::string log = ReadWholeFile(dir_ / "engine.log");
  const size_t submitting = log.find("gamestate 24");
  ASSERT_NE(submitting, std::string::npos) << log;
  EXPECT_NE(log.find("gamestate 3", submitting), std::string::npos) << log;
  EXPECT_EQ(log.find("gamestate 25"), std::string::npos) << log;

  menus::TRecordsTable table{};
  const std::string records = ReadWholeFile(dir_ / "game/data/records.dat");
  ASSERT_TRUE(menus::ParseRecords(std::span(reinterpret_cast<const uint8_t*>(records.data()), records.size()), table));
  ASSERT_EQ(std::string(reinterpret_cast<const char*>(table[0].Name), table[0].NameLength), "AB");

  services::TCurlHttpClient http(services::HttpLimits{.maxReplyBytes = 1 << 20});
  const auto page = http.Get(server.Url(services::kOnlineTableQuery));
  ASSERT_TRUE(page);
  EXPECT_NE(page->find("<td>AB</td><td class=\"score\">" + std::to_string(table[0].Score) + "</td>"),
            std::string::npos)
      << *page;
}

}  // namespace
