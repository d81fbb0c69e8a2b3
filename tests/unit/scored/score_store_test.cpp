// The server's store: one-time p values and the scores they carry.
#include "score_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace scored {
namespace {

namespace fs = std::filesystem;

class ScoreStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "scored-store-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string DbPath() const { return (dir_ / "scores.db").string(); }
  static Submission Entry(std::string p, int32_t score, std::string name = "NOVA") {
    return {std::move(name), "ADD", score, std::move(p)};
  }

  fs::path dir_;
};

TEST_F(ScoreStoreTest, APValueCarriesOneScoreOnly) {
  ScoreStore store(DbPath());
  const std::string p = store.IssueTicket();
  EXPECT_EQ(p.size(), 32u);
  EXPECT_NE(store.IssueTicket(), p);
  EXPECT_TRUE(store.Submit(Entry(p, 500)));
  EXPECT_FALSE(store.Submit(Entry(p, 900)));           // replayed
  EXPECT_FALSE(store.Submit(Entry("0123456789abcdef0123456789abcdef", 900)));  // never issued
  EXPECT_EQ(store.ScoreCount(), 1);
}

TEST_F(ScoreStoreTest, BestScoresComeFirstAndEqualOnesInTheOrderSent) {
  ScoreStore store(DbPath());
  for (auto [name, score] : {std::pair{"LOW", 10}, {"FIRST", 70}, {"TOP", 99}, {"SECOND", 70}}) {
    ASSERT_TRUE(store.Submit(Entry(store.IssueTicket(), score, name)));
  }
  const auto best = store.Best(3);
  ASSERT_EQ(best.size(), 3u);
  EXPECT_EQ(best[0].name, "TOP");
  EXPECT_EQ(best[1].name, "FIRST");
  EXPECT_EQ(best[2].name, "SECOND");
  EXPECT_EQ(best[2].addText, "ADD");
}

TEST_F(ScoreStoreTest, ScoresAndOutstandingPValuesOutliveTheServerAndKeepEveryByte) {
  std::string p;
  const std::string name("\x00|<\xFF", 4);
  {
    ScoreStore store(DbPath());
    ASSERT_TRUE(store.Submit(Entry(store.IssueTicket(), 42, name)));
    p = store.IssueTicket();
  }
  ScoreStore reopened(DbPath());
  ASSERT_EQ(reopened.Best(10).size(), 1u);
  EXPECT_EQ(reopened.Best(10)[0].name, name);
  EXPECT_TRUE(reopened.Submit(Entry(p, 43)));
}

TEST_F(ScoreStoreTest, AFloodOfVersionQueriesKeepsOnlyTheNewestPValues) {
  std::vector<std::string> issued;
  {
    ScoreStore store(DbPath(), 3);
    for (int i = 0; i < 5; ++i) issued.push_back(store.IssueTicket());
  }
  ScoreStore store(DbPath(), 3);  // the count of waiting p values is read back
  issued.push_back(store.IssueTicket());
  EXPECT_FALSE(store.Submit(Entry(issued[0], 1)));
  EXPECT_FALSE(store.Submit(Entry(issued[2], 1)));
  for (size_t i = 3; i < issued.size(); ++i) EXPECT_TRUE(store.Submit(Entry(issued[i], 1))) << i;
}

TEST_F(ScoreStoreTest, TheFileIsInWalMode) {
  { ScoreStore store(DbPath()); }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(DbPath().c_str(), &db), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal");
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

TEST_F(ScoreStoreTest, AFileThatIsNotADatabaseIsReported) {
  { std::ofstream(DbPath()) << std::string(4096, 'x'); }
  EXPECT_THROW(ScoreStore store(DbPath()), StoreError);
  EXPECT_THROW(ScoreStore store((dir_ / "missing" / "scores.db").string()), StoreError);
}

}  // namespace
}  // namespace scored
