// Verified scores end to end: 30 recorded runs of the real game sent and
// uploaded through the game's own score client to scored instances that
// re-run them with the game's verifier, beside forged entries that must
// never be verified; on PostgreSQL two instances behind nginx (the committed
// site) share the jobs and one is killed with SIGKILL in the middle of one.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <span>
#include <sstream>
#include <thread>

#include "core/replay_file.h"
#include "nginx_server.h"
#include "online/http_client.h"
#include "online/score_client.h"
#include "postgres_server.h"
#include "recorded_score_runs.h"
#include "raw_http.h"
#include "scored_process.h"
#include "text_file.h"
#include "wait_for.h"

namespace {

namespace fs = std::filesystem;
using testing_support::NginxServer;
using testing_support::PostgresServer;
using testing_support::ScoredProcess;

const fs::path kReplays = VARNOK_SCORE_REPLAYS_DIR;
const std::string kVerifier = std::string(VARNOK_GAME_DIR) + "/varnok";

using testing_support::RecordedRun;

std::vector<RecordedRun> RecordedRuns() { return testing_support::RecordedScoreRuns(kReplays); }

std::string Encoded(const core::Replay& replay) {
  const std::vector<uint8_t> bytes = core::EncodeReplay(replay);
  return std::string(bytes.begin(), bytes.end());
}

core::Replay Decoded(const std::string& bytes) {
  return *core::DecodeReplay(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())).replay;
}

// The verdict of each row of /api/scores, by name.
std::map<std::string, std::string> Verdicts(int port) {
  std::map<std::string, std::string> verdicts;
  const auto answer = raw_http::Get("127.0.0.1", port, "/api/scores");
  if (!answer || answer->status != 200) return verdicts;
  std::istringstream rows(answer->body);
  for (std::string row; std::getline(rows, row);) {
    const size_t name = row.find("\"name\":\""), verdict = row.find("\"verdict\":\"");
    if (name == std::string::npos || verdict == std::string::npos) continue;
    const std::string n = row.substr(name + 8, row.find('"', name + 8) - name - 8);
    verdicts[n] = row.substr(verdict + 11, row.find('"', verdict + 11) - verdict - 11);
  }
  return verdicts;
}

// Sends `entry` as the game does: the two requests, then its replay.
bool SendAsTheGame(const std::string& server, const online::ScoreEntry& entry) {
  online::TCurlHttpClient http(online::HttpLimits{.maxReplyBytes = 1 << 16});
  std::string p;
  if (online::RunScoreSequence(http, server, entry, &p) != online::SubmissionOutcome::kSent || p.empty()) {
    return false;
  }
  if (entry.replay.empty()) return true;
  return online::UploadReplay(http, server, p, entry.replay, {.tries = 3, .firstPause = std::chrono::milliseconds(200)},
                                [](std::chrono::milliseconds pause) {
                                  std::this_thread::sleep_for(pause);
                                  return true;
                                });
}

class VerifiedScoresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kVerifier)) GTEST_SKIP() << "the game is not built";
    std::string pattern = (fs::temp_directory_path() / "scored-verify-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    runs_ = RecordedRuns();
    ASSERT_EQ(runs_.size(), 30u);
  }
  // A failed test leaves its servers' logs.
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }

  // Every player of these tests is one address: no bound on its unverified rows unless `bounded`.
  std::unique_ptr<ScoredProcess> Start(const std::string& db, const std::string& verifier, const std::string& name,
                                       bool bounded = false) {
    std::vector<std::string> args{"--verifier", verifier, "--verify-workers", "1", "--version-limit", "0",
                                  "--submit-limit", "0", "--page-limit", "0", "--max-per-client", "100"};
    if (!bounded) args.insert(args.end(), {"--unverified-per-client", "0"});
    auto server = std::make_unique<ScoredProcess>(VARNOK_SCORED, db, args, dir_ / name);
    EXPECT_TRUE(server->Start()) << server->ErrorOutput();
    return server;
  }

  // Every run and every forgery, spread over `servers`; `midway` runs once
  // the 30 runs are uploaded. Then waits for every verdict and checks them.
  void SendEverythingAndCheck(const std::vector<std::string>& servers, int port, const std::function<void()>& midway) {
    std::vector<std::thread> players;
    std::atomic<int> sent{0};
    for (size_t i = 0; i < runs_.size(); ++i) {
      players.emplace_back([&, i] {
        if (SendAsTheGame(servers[i % servers.size()], {runs_[i].name, "", runs_[i].score, runs_[i].replay})) ++sent;
      });
    }
    for (auto& player : players) player.join();
    EXPECT_EQ(sent, 30);
    midway();

    const RecordedRun& run = runs_[16];  // a run that scored
    std::string truncated = run.replay.substr(0, run.replay.size() / 2);
    std::string flipped = run.replay;
    for (size_t i = 20; i < 28 && i < flipped.size(); ++i) flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    core::Replay other = Decoded(run.replay);
    other.version = "0.9";
    core::Replay enormous = Decoded(run.replay);
    enormous.segments.back().frames.resize(core::kMaxReplayFrames - 10, enormous.segments.back().frames.back());
    const std::string a = servers.front();
    EXPECT_TRUE(SendAsTheGame(a, {"PROTOCOL", "", 9999999, ""}));
    EXPECT_TRUE(SendAsTheGame(a, {"HIGHER", "", run.score + 50, run.replay}));
    EXPECT_TRUE(SendAsTheGame(a, {"CUT", "", run.score, truncated}));
    EXPECT_TRUE(SendAsTheGame(a, {"FLIPPED", "", run.score, flipped}));
    EXPECT_TRUE(SendAsTheGame(a, {"VERSION", "", run.score, Encoded(other)}));
    const std::string huge = Encoded(enormous);
    EXPECT_LT(huge.size(), 64u * 1024) << "the enormous run must be a small file";
    EXPECT_TRUE(SendAsTheGame(a, {"ENORMOUS", "", run.score, huge}));
    {
      // 10 MB: refused before it is read, and the score stays not verified.
      online::TCurlHttpClient http;
      std::string p;
      online::RunScoreSequence(http, a, {"BIG", "", run.score, ""}, &p);
      EXPECT_EQ(http.Post("http://" + a + online::kReplayUploadPath + p, online::kReplayContentType,
                          "VARNOKRP" + std::string(10 << 20, 'V')),
                413);
    }

    std::map<std::string, std::string> verdicts;
    const auto settled = [&] {
      verdicts = Verdicts(port);
      if (verdicts.size() < 37) return false;
      for (const auto& [name, verdict] : verdicts) {
        if (verdict == "pending") return false;
      }
      return true;
    };
    ASSERT_TRUE(testing_support::WaitFor(settled, std::chrono::seconds(60))) << verdicts.size() << " rows in " << dir_;
    // A downloaded run posted under a new name is a copy.
    EXPECT_TRUE(SendAsTheGame(a, {"COPY", "", run.score, run.replay}));
    // (The table is rendered again a moment after each change.)
    ASSERT_TRUE(testing_support::WaitFor([&] { return settled() && verdicts.count("COPY") == 1 && verdicts["COPY"] != "none"; },
                                         std::chrono::seconds(30)));

    // Recorded runs are of the data files they were recorded with: after a
    // change of the game's pictures or sounds, record them again with
    // VARNOK_RECORD_SCORE_REPLAYS=1 tests/replay_integration_tests --gtest_filter='*ScoreServerReplays*'
    for (const RecordedRun& r : runs_) EXPECT_EQ(verdicts[r.name], "verified") << r.name;
    const std::map<std::string, std::string> forged = {
        {"PROTOCOL", "none"}, {"HIGHER", "rejected"}, {"CUT", "rejected"},  {"FLIPPED", "rejected"},
        {"VERSION", "unverifiable"}, {"ENORMOUS", "rejected"}, {"BIG", "none"}, {"COPY", "rejected"}};
    for (const auto& [name, verdict] : forged) EXPECT_EQ(verdicts[name], verdict) << name;

    // The default page shows only the verified, and each links its replay, which downloads whole.
    const auto page = raw_http::Get("127.0.0.1", port, "/cgi/version.pl?prg=Quellix3&show&type=0");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->body.find("PROTOCOL"), std::string::npos);
    const size_t link = page->body.find("/cgi/replay?id=");
    ASSERT_NE(link, std::string::npos);
    const auto download = raw_http::Get("127.0.0.1", port, page->body.substr(link, page->body.find('"', link) - link));
    ASSERT_TRUE(download);
    EXPECT_EQ(download->status, 200);
    EXPECT_EQ(download->body.substr(0, 8), "VARNOKRP");
  }

  fs::path dir_;
  std::vector<RecordedRun> runs_;
};

TEST_F(VerifiedScoresTest, WithAVerifierOneAddressKeepsTenUnverifiedRowsByDefault) {
  auto server = Start((dir_ / "scores.db").string(), kVerifier, "one", /*bounded=*/true);
  for (int i = 0; i < 12; ++i) {
    ASSERT_TRUE(SendAsTheGame(server->Address(), {"FLOOD" + std::to_string(i), "", 2147483647 - i, ""}));
  }
  EXPECT_TRUE(testing_support::WaitFor([&] { return Verdicts(server->Port()).size() == 10; }, std::chrono::seconds(10)))
      << Verdicts(server->Port()).size() << " rows";
}

TEST_F(VerifiedScoresTest, OnSqliteEveryRecordedRunIsVerifiedAndNoForgeryIs) {
  auto server = Start((dir_ / "scores.db").string(), kVerifier, "one");
  SendEverythingAndCheck({server->Address()}, server->Port(), [] {});
}

TEST_F(VerifiedScoresTest, TwoServersOnPostgresBehindNginxShareTheJobsAndAKilledOnesJobIsFinishedOnceByTheOther) {
  if (!PostgresServer::Available()) GTEST_SKIP() << PostgresServer::kMissing;
  if (!NginxServer::Installed()) GTEST_SKIP() << NginxServer::kBinary << " is missing (scripts/setup.sh --test)";
  PostgresServer pg;
  ASSERT_TRUE(pg.Start(false)) << pg.Log();
  const std::string uri = pg.Uri(pg.CreateDatabase());
  // The second server's verifier takes its time, so the kill finds it mid-job.
  const fs::path slow = dir_ / "slow-verifier";
  testing_support::WriteText(slow, "#!/bin/sh\nsleep 2\nexec '" + kVerifier + "' \"$@\"\n");
  fs::permissions(slow, fs::perms::owner_all);
  auto first = Start(uri, kVerifier, "first");
  auto second = Start(uri, slow.string(), "second");
  // The players are all 127.0.0.1 here: the per-address limits are opened up.
  NginxServer nginx(dir_);
  const std::string site = testing_support::ReadText(fs::path(VARNOK_SOURCE_DIR) / "dist/scored/varnok-scores.nginx");
  const int port = nginx.StartOnFreePort([&](int p) {
    return testing_support::ScoresSite(site, p, first->Port(), second->Port(), dir_ / "cache",
                                       {{"zone=varnok_play burst=30", "zone=varnok_play burst=1000"},
                                        {"limit_conn varnok_conn 20;", "limit_conn varnok_conn 200;"}});
  });
  ASSERT_NE(port, 0) << "the site no longer has the lines this test moves, or " << nginx.ErrorLog();
  SendEverythingAndCheck({"127.0.0.1:" + std::to_string(port)}, first->Port(), [&] {
    second->process().Signal(SIGKILL);
    second->process().Wait(std::chrono::seconds(5));
  });
}

}  // namespace
