// The game's score client against the real score server on 127.0.0.1, and
// the server against hostile requests, a silent peer and a kill under load.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "scored_process.h"
#include "services/http_client.h"
#include "services/score_client.h"
#include "services/score_protocol.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ScoredProcess;

class ClientServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "scored-e2e-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    server_ = std::make_unique<ScoredProcess>(VARNOK_SCORED, dir_ / "scores.db");
    ASSERT_TRUE(server_->Start()) << server_->ErrorOutput();
  }
  void TearDown() override {
    server_.reset();
    fs::remove_all(dir_);
  }
  std::unique_ptr<httplib::Client> Raw() {
    auto client = std::make_unique<httplib::Client>(server_->Address());
    client->set_read_timeout(5, 0);
    return client;
  }
  std::string TablePage() {
    auto reply = Raw()->Get(services::kOnlineTableQuery);
    return reply && reply->status == 200 ? reply->body : std::string();
  }
  static size_t Rows(const std::string& page) {
    size_t rows = 0;
    for (size_t at = page.find("<td class=\"score\">"); at != std::string::npos; at = page.find("<td class=", at + 1)) {
      ++rows;
    }
    return rows;
  }

  fs::path dir_;
  std::unique_ptr<ScoredProcess> server_;
};

TEST_F(ClientServerTest, ASubmissionFromTheGamesClientLandsWithItsNameScoreAndAddText) {
  services::TCurlHttpClient http;
  const services::ScoreEntry entry{"Nova", "CITY", 4321};
  EXPECT_EQ(services::RunScoreSequence(http, server_->Address(), entry), services::SubmissionOutcome::kSent);
  const std::string page = TablePage();
  EXPECT_NE(page.find("<td>Nova</td><td class=\"score\">4321</td><td>CITY</td>"), std::string::npos) << page;
  EXPECT_EQ(Rows(page), 1u);
}

TEST_F(ClientServerTest, HostileSubmissionsAreRefusedAndTheServerStaysUp) {
  auto raw = Raw();
  const std::string p = services::PValueFromReply(raw->Get(services::kVersionQuery)->body);
  const std::string submit =
      services::kSubmissionQuery + services::EncodePayload(services::BuildPayload("ONCE", 10, p, ""));
  const std::string inf = submit.substr(submit.find("inf=") + 4);
  const std::string base = services::kSubmissionQuery;

  EXPECT_EQ(raw->Get((base + inf.substr(0, inf.size() - 3)).c_str())->status, 400);  // truncated
  EXPECT_EQ(raw->Get((base + "a1b8c9d0" + inf).c_str())->status, 400);               // not base 32
  EXPECT_EQ(raw->Get((base + std::string(20000, 'A')).c_str())->status, 414);        // oversized
  auto posted = raw->Post(submit.c_str(), std::string(64 * 1024, 'x'), "text/plain");
  EXPECT_TRUE(!posted || posted->status >= 400);                                     // oversized body
  EXPECT_EQ(Raw()->Get(submit.c_str())->status, 200);
  EXPECT_EQ(Raw()->Get(submit.c_str())->status, 403);                                // replayed p
  EXPECT_EQ(Raw()->Get("/cgi/version.pl?version&prg=Quellix3&x")->status, 400);

  EXPECT_TRUE(server_->process().Running());
  EXPECT_EQ(Rows(TablePage()), 1u);
  EXPECT_TRUE(services::ReplyAccepted(Raw()->Get(services::kVersionQuery)->body));
}

TEST_F(ClientServerTest, APeerThatAcceptsAndNeverAnswersHoldsTheClientOnlyUntilItsTimeOut) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::atomic<int> accepted{-1};
  std::thread silent([&] { accepted = accept(listener, nullptr, nullptr); });

  services::TCurlHttpClient http;
  const auto start = std::chrono::steady_clock::now();
  const auto outcome = services::RunScoreSequence(http, "127.0.0.1:" + std::to_string(ntohs(address.sin_port)),
                                                  {"NOVA", "", 1});
  const auto waited = std::chrono::steady_clock::now() - start;
  silent.join();
  EXPECT_EQ(outcome, services::SubmissionOutcome::kRefused);
  EXPECT_GE(accepted, 0);
  EXPECT_LT(waited, std::chrono::seconds(10));
  close(accepted);
  close(listener);
}

TEST_F(ClientServerTest, AKillUnderLoadLosesNoAcknowledgedScoreAndLeavesTheStoreWhole) {
  std::atomic<int> acknowledged{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int c = 0; c < 8; ++c) {
    clients.emplace_back([&, c] {
      for (int i = 0; i < 500 && !stop; ++i) {
        httplib::Client client(server_->Address());
        client.set_read_timeout(2, 0);
        auto version = client.Get(services::kVersionQuery);
        if (!version || version->status != 200) return;
        const std::string payload = services::BuildPayload("C" + std::to_string(c), i, services::PValueFromReply(version->body), "");
        auto sent = client.Get((services::kSubmissionQuery + services::EncodePayload(payload)).c_str());
        if (!sent || sent->status != 200) return;
        ++acknowledged;
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  server_->process().Signal(SIGKILL);
  stop = true;
  for (auto& t : clients) t.join();
  server_->process().Wait(std::chrono::seconds(5));
  ASSERT_GT(acknowledged, 0);

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir_ / "scores.db").c_str(), &db), SQLITE_OK);
  auto single = [&](const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    std::string value = sqlite3_step(stmt) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)) : "";
    sqlite3_finalize(stmt);
    return value;
  };
  EXPECT_EQ(single("PRAGMA integrity_check"), "ok");
  EXPECT_GE(std::stoi(single("SELECT COUNT(*) FROM scores")), acknowledged.load());
  sqlite3_close(db);

  ScoredProcess restarted(VARNOK_SCORED, dir_ / "scores.db");
  ASSERT_TRUE(restarted.Start()) << restarted.ErrorOutput();
  services::TCurlHttpClient http;
  EXPECT_EQ(services::RunScoreSequence(http, restarted.Address(), {"AFTER", "", 1}), services::SubmissionOutcome::kSent);
}

}  // namespace
