// The server's stores, SQLite and PostgreSQL alike: one-time p values, the
// scores they carry, the layout, pruning.
#include "score_store.h"

#include <fstream>

#include "store_backends.h"

namespace scored {
namespace {

Entry Sent(std::string p, int32_t score, std::string name = "NOVA", int64_t issued = 1000) {
  return {{std::move(name), "ADD", score, std::move(p)}, issued, issued + 1};
}

class ScoreStoreTest : public BackendTest {};

TEST_P(ScoreStoreTest, APValueCarriesOneScoreAcrossEveryServerOnTheStore) {
  auto first = OpenStore(db_);
  auto second = OpenStore(db_);  // another server sharing it
  EXPECT_EQ(first->TicketKey(), second->TicketKey());
  EXPECT_GE(first->TicketKey().size(), 32u);
  EXPECT_EQ(first->Submit({Sent("p1", 500), Sent("p2", 600), Sent("p1", 700)}), (std::vector<bool>{true, true, false}));
  EXPECT_EQ(second->Submit({Sent("p2", 900), Sent("p3", 100)}), (std::vector<bool>{false, true}));
  EXPECT_EQ(first->ScoreCount(), 3);
  EXPECT_EQ(second->Best(1)[0].score, 600);
}

TEST_P(ScoreStoreTest, BestScoresComeFirstEqualOnesInTheOrderStoredWithEveryByteKept) {
  auto store = OpenStore(db_);
  const std::string odd("\x00|<'\xFF\x80", 6);
  int p = 0;
  for (auto [name, score] : {std::pair<std::string, int>{"LOW", 10}, {"FIRST", 70}, {odd, 99}, {"SECOND", 70}}) {
    ASSERT_EQ(store->Submit({Sent("p" + std::to_string(++p), score, name)}), std::vector<bool>{true});
  }
  const auto best = store->Best(3);
  ASSERT_EQ(best.size(), 3u);
  EXPECT_EQ(best[0].name, odd);
  EXPECT_EQ(best[0].score, 99);
  EXPECT_EQ(best[1].name, "FIRST");
  EXPECT_EQ(best[2].name, "SECOND");
  EXPECT_EQ(best[2].addText, "ADD");
  EXPECT_EQ(store->Best(100).size(), 4u);
}

TEST_P(ScoreStoreTest, ScoresUsedPValuesAndTheKeyOutliveTheServer) {
  std::string key;
  {
    auto store = OpenStore(db_);
    key = store->TicketKey();
    ASSERT_EQ(store->Submit({Sent("p1", 42)}), std::vector<bool>{true});
  }
  auto reopened = OpenStore(db_);
  EXPECT_EQ(reopened->TicketKey(), key);
  EXPECT_EQ(reopened->Best(10).size(), 1u);
  EXPECT_EQ(reopened->Submit({Sent("p1", 43)}), std::vector<bool>{false});
}

TEST_P(ScoreStoreTest, PruningKeepsTheBestAndForgettingDropsOnlyExpiredPValues) {
  auto store = OpenStore(db_);
  std::vector<Entry> entries;
  for (int i = 0; i < 10; ++i) entries.push_back(Sent("p" + std::to_string(i), i * 10, "N", 1000 + i));
  store->Submit(entries);
  EXPECT_EQ(store->PruneScores(4, 3), 3);
  EXPECT_EQ(store->PruneScores(4, 100), 3);
  EXPECT_EQ(store->PruneScores(4, 100), 0);
  const auto best = store->Best(10);
  ASSERT_EQ(best.size(), 4u);
  EXPECT_EQ(best.back().score, 60);

  EXPECT_EQ(store->ForgetUsedTickets(1005, 100), 5);
  // A forgotten p value stays refused (a clock stepped back would make it
  // good again); one issued after the newest forgotten is taken.
  EXPECT_EQ(store->Submit({Sent("p0", 1), Sent("p5", 1), Sent("q", 1, "N", 1005)}),
            (std::vector<bool>{false, false, true}));
}

// A job is held by one claim at a time and ends with one verdict; a claim
// whose lease ran out loses the job to the next one.
TEST_P(ScoreStoreTest, AReplayIsJudgedOnceAndACopyOfAVerifiedRunIsRejected) {
  auto one = OpenStore(db_), two = OpenStore(db_);
  ASSERT_EQ(one->Submit({Sent("p1", 500), Sent("p2", 500), Sent("p3", 10)}), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(one->AttachReplay("p9", "R", 0), AttachOutcome::kNoSubmission);
  EXPECT_EQ(one->AttachReplay("p1", "R", 5000), AttachOutcome::kNoSubmission);  // too long after it
  EXPECT_EQ(one->AttachReplay("p1", "R1", 0), AttachOutcome::kQueued);
  EXPECT_EQ(one->AttachReplay("p1", "R1", 0), AttachOutcome::kAlready);
  const auto job = one->ClaimJob(-1, "lost");  // a lease already run out
  ASSERT_TRUE(job);
  EXPECT_EQ(job->replay, "R1");
  EXPECT_EQ(job->score, 500);
  const auto again = two->ClaimJob(60, "held");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->attempts, 2);
  EXPECT_FALSE(one->ClaimJob(60, "none"));
  EXPECT_FALSE(one->FinishJob(job->scoreId, "lost", Verdict::kVerified, "run-a"));
  EXPECT_EQ(two->FinishJob(job->scoreId, "held", Verdict::kVerified, "run-a"), Verdict::kVerified);
  EXPECT_FALSE(two->FinishJob(job->scoreId, "held", Verdict::kRejected, ""));
  EXPECT_EQ(one->VerifiedReplay(job->scoreId), "R1");

  ASSERT_EQ(one->AttachReplay("p2", "R1", 0), AttachOutcome::kQueued);
  const auto copy = one->ClaimJob(60, "c");
  ASSERT_TRUE(copy);
  EXPECT_EQ(one->FinishJob(copy->scoreId, "c", Verdict::kVerified, "run-a"), Verdict::kRejected);
  EXPECT_FALSE(one->VerifiedReplay(copy->scoreId));
  const auto verified = one->Best(10, true);
  ASSERT_EQ(verified.size(), 1u);
  EXPECT_EQ(verified[0].id, job->scoreId);
}

// One client fills the table with unverified scores: its lowest beyond the
// bound go, and pruning drops unverified rows before any verified one.
TEST_P(ScoreStoreTest, UnverifiedFloodsNeitherCrowdOutVerifiedScoresNorFillTheTable) {
  auto store = OpenStore(db_);
  ASSERT_EQ(store->Submit({Sent("real", 5)}), std::vector<bool>{true});
  ASSERT_EQ(store->AttachReplay("real", "R", 0), AttachOutcome::kQueued);
  const auto job = store->ClaimJob(60, "t");
  ASSERT_TRUE(job);
  ASSERT_EQ(store->FinishJob(job->scoreId, "t", Verdict::kVerified, "run"), Verdict::kVerified);
  for (int i = 0; i < 8; ++i) {
    Entry flood = Sent("f" + std::to_string(i), 2147483647 - i, "FLOOD");
    flood.client = "203.0.113.7";
    ASSERT_EQ(store->SubmitBounded({flood}, 3), std::vector<bool>{true});
  }
  EXPECT_EQ(store->ScoreCount(), 4);
  EXPECT_EQ(store->Best(1)[0].score, 2147483647);
  EXPECT_EQ(store->PruneScores(1, 100), 3);
  const auto left = store->Best(10);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].verdict, Verdict::kVerified);
}

TEST_P(ScoreStoreTest, ABatchWithAFailingStatementLeavesNothingAndTheStoreGoesOn) {
  auto store = OpenStore(db_);
  // A trigger that refuses the score 13, as a full disk or a lost server would fail a statement.
  ASSERT_TRUE(Raw(GetParam() == Backend::kSqlite
                      ? "CREATE TRIGGER refuse BEFORE INSERT ON scores WHEN NEW.score = 13 "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END"
                      : "CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN IF NEW.score = 13 THEN "
                        "RAISE EXCEPTION 'refused'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql; "
                        "CREATE TRIGGER refuse BEFORE INSERT ON scores FOR EACH ROW EXECUTE FUNCTION refuse()"));
  EXPECT_THROW(store->Submit({Sent("a", 1), Sent("b", 13), Sent("c", 2)}), StoreError);
  EXPECT_EQ(store->ScoreCount(), 0);
  EXPECT_EQ(store->Submit({Sent("a", 1), Sent("c", 2)}), (std::vector<bool>{true, true}));  // not used up
  EXPECT_EQ(store->Submit({Sent("a", 3)}), std::vector<bool>{false});
  EXPECT_EQ(store->ScoreCount(), 2);
}

TEST_P(ScoreStoreTest, AStoreWithANewerLayoutIsRefused) {
  { OpenStore(db_); }
  ASSERT_TRUE(Raw("UPDATE meta SET value = '99' WHERE name = 'layout'"));
  EXPECT_THROW(OpenStore(db_), StoreError);
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreStoreTest, ::testing::Values(Backend::kSqlite, Backend::kPostgres), BackendName);

class SqliteStoreTest : public BackendTest {};

TEST_P(SqliteStoreTest, TheFirstLayoutIsBroughtUpToDateKeepingItsScores) {
  ASSERT_TRUE(Raw("CREATE TABLE scores(id INTEGER PRIMARY KEY, name BLOB NOT NULL, add_text BLOB NOT NULL,"
                  " score INTEGER NOT NULL, sent INTEGER NOT NULL);"
                  "CREATE TABLE tickets(p TEXT PRIMARY KEY, issued INTEGER NOT NULL);"
                  "INSERT INTO scores(name, add_text, score, sent) VALUES(x'4f4c44', x'', 77, 1);"
                  "INSERT INTO tickets VALUES('feed', 1);"));
  auto store = OpenStore(db_);
  ASSERT_EQ(store->Best(10).size(), 1u);
  EXPECT_EQ(store->Best(10)[0].name, "OLD");
  EXPECT_EQ(store->Submit({Sent("p1", 5)}), std::vector<bool>{true});
  EXPECT_FALSE(Raw("SELECT * FROM tickets"));
}

TEST_P(SqliteStoreTest, AFileThatIsNotADatabaseOrCannotBeMadeIsReported) {
  { std::ofstream(db_) << std::string(4096, 'x'); }
  EXPECT_THROW(OpenStore(db_), StoreError);
  EXPECT_THROW(OpenStore((dir_ / "missing" / "scores.db").string()), StoreError);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, SqliteStoreTest, ::testing::Values(Backend::kSqlite), BackendName);

TEST(PostgresStore, AServerThatIsNotThereIsReported) {
  // A port nothing listens on: bound and never listened to.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  const std::string uri = "postgresql://varnok@127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                          "/scores?connect_timeout=2";
  EXPECT_THROW(OpenStore(uri), StoreError);
  close(fd);
}

}  // namespace
}  // namespace scored
