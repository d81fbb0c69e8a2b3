// The keeper: submissions answered only once stored, the table page kept up
// to date off the writer's path, pruning in the background.
#include "score_keeper.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <thread>

#include "ticket_signer.h"
#include "wait_for.h"

namespace scored {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::WaitFor;

std::string Names(const std::vector<ScoreRow>& rows, TableView) {
  std::string text;
  for (const ScoreRow& row : rows) text += row.name + "=" + std::to_string(row.score) + ";";
  return text;
}

// Issued now: the keeper forgets used p values only once they have expired.
Entry Sent(std::string p, int32_t score, std::string name = "N") {
  const int64_t now = TicketSigner::Now();
  return {{std::move(name), "", score, std::move(p)}, now, now};
}

class ScoreKeeperTest : public ::testing::Test {
 protected:
  ScoreKeeperTest() {
    std::string pattern = (fs::temp_directory_path() / "scored-keeper-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  ~ScoreKeeperTest() override { fs::remove_all(dir_); }
  std::unique_ptr<ScoreKeeper> Keeper(KeeperOptions options = {}) {
    return std::make_unique<ScoreKeeper>([this] { return OpenStore(Db()); }, Names, options);
  }
  std::string Db() const { return (dir_ / "scores.db").string(); }
  static SubmitOutcome Submit(ScoreKeeper& keeper, Entry entry) {
    std::promise<SubmitOutcome> outcome;
    keeper.Submit(std::move(entry), [&](SubmitOutcome o) { outcome.set_value(o); });
    return outcome.get_future().get();
  }

  fs::path dir_;
};

TEST_F(ScoreKeeperTest, ConcurrentSubmissionsAreEachAnsweredOnceStoredAndAUsedPIsRefused) {
  auto keeper = Keeper();
  constexpr int kClients = 8, kEach = 25;
  std::atomic<int> stored{0}, used{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      for (int i = 0; i < kEach; ++i) {
        // Every client sends p0 first: only one of them may store it.
        const std::string p = i == 0 ? "p0" : "p" + std::to_string(c) + "-" + std::to_string(i);
        const SubmitOutcome outcome = Submit(*keeper, Sent(p, i));
        if (outcome == SubmitOutcome::kStored) ++stored;
        if (outcome == SubmitOutcome::kUsed) ++used;
      }
    });
  }
  for (auto& client : clients) client.join();
  EXPECT_EQ(used, kClients - 1);
  EXPECT_EQ(stored, kClients * (kEach - 1) + 1);
  EXPECT_EQ(OpenStore(Db())->ScoreCount(), stored.load());
}

TEST_F(ScoreKeeperTest, ThePageFollowsScoresThatEnterTheTableAndOnesOtherServersStore) {
  KeeperOptions options;
  options.tableRows = 2;
  options.tableRefresh = 200ms;
  auto keeper = Keeper(options);
  EXPECT_EQ(*keeper->TablePage(), "");
  ASSERT_EQ(Submit(*keeper, Sent("a", 50, "A")), SubmitOutcome::kStored);
  EXPECT_TRUE(WaitFor([&] { return *keeper->TablePage() == "A=50;"; })) << *keeper->TablePage();
  // Another server on the same store: its score shows at the next refresh.
  OpenStore(Db())->Submit({Sent("b", 70, "B")});
  EXPECT_TRUE(WaitFor([&] { return *keeper->TablePage() == "B=70;A=50;"; })) << *keeper->TablePage();
}

TEST_F(ScoreKeeperTest, KeepingTheBestNPrunesTheRestInTheBackground) {
  {
    auto store = OpenStore(Db());
    std::vector<Entry> many;
    for (int i = 0; i < 2500; ++i) many.push_back(Sent("p" + std::to_string(i), i));
    store->Submit(many);
  }
  KeeperOptions options;
  options.keep = 10;
  options.maintenanceEvery = 50ms;
  options.tableRefresh = 50ms;
  auto keeper = Keeper(options);
  auto store = OpenStore(Db());
  EXPECT_TRUE(WaitFor([&] { return store->ScoreCount() == 10; })) << store->ScoreCount();
  EXPECT_EQ(store->Best(1)[0].score, 2499);
  EXPECT_EQ(store->Best(10).back().score, 2490);
}

// A store whose transactions fail, as on a full disk or a lost database server.
class FailingStore final : public ScoreStore {
 public:
  std::string TicketKey() override { return std::string(32, 'k'); }
  std::vector<bool> Submit(const std::vector<Entry>&) override { throw StoreError("disk full"); }
  std::vector<ScoreRow> Best(int, bool) override { return {}; }
  int64_t ScoreCount() override { return 0; }
  int64_t PruneScores(int64_t, int) override { return 0; }
  int64_t ForgetUsedTickets(int64_t, int) override { return 0; }
  AttachOutcome AttachReplay(const std::string&, const std::string&, int64_t) override { throw StoreError("disk full"); }
  std::optional<Job> ClaimJob(int, const std::string&) override { return std::nullopt; }
  bool RenewLease(int64_t, const std::string&, int) override { return false; }
  std::optional<Verdict> FinishJob(int64_t, const std::string&, Verdict, const std::string&) override { return {}; }
  std::optional<std::string> VerifiedReplay(int64_t) override { return std::nullopt; }

 protected:
  void DropUnverifiedBeyond(const std::string&, int) override {}
};

TEST_F(ScoreKeeperTest, ASubmissionTheStoreCouldNotMakeDurableIsNotAcknowledged) {
  ScoreKeeper keeper([] { return std::make_unique<FailingStore>(); }, Names, {});
  EXPECT_EQ(Submit(keeper, Sent("p", 1)), SubmitOutcome::kUnavailable);
  EXPECT_EQ(Submit(keeper, Sent("q", 1)), SubmitOutcome::kUnavailable);
}

}  // namespace
}  // namespace scored
