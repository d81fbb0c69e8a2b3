// The game's score client against the real score server on 127.0.0.1, and
// the server against hostile requests, a silent peer and a kill under load.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <thread>

#include "raw_http.h"
#include "scored_process.h"
#include "wait_for.h"
#include "online/http_client.h"
#include "online/score_client.h"
#include "online/score_protocol.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ScoredProcess;

class ClientServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "scored-e2e-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    // Every request comes from 127.0.0.1 here: no rate limits.
    server_ = std::make_unique<ScoredProcess>(VARNOK_SCORED, dir_ / "scores.db",
                                              std::vector<std::string>{"--version-limit", "0", "--submit-limit", "0"});
    ASSERT_TRUE(server_->Start()) << server_->ErrorOutput();
  }
  void TearDown() override {
    server_.reset();
    fs::remove_all(dir_);
  }
  raw_http::Answer Get(const std::string& target) {
    return raw_http::Get("127.0.0.1", server_->Port(), target).value_or(raw_http::Answer{});
  }
  std::string TablePage() {
    const raw_http::Answer reply = Get(online::kOnlineTableQuery);
    return reply.status == 200 ? reply.body : std::string();
  }
  // The page is rendered again just after a score that enters it is
  // acknowledged, so for a moment a reader may still get the one before.
  std::string TablePageWith(const std::string& text) {
    std::string page;
    for (int tries = 0; tries < 250; ++tries) {
      page = TablePage();
      if (page.find(text) != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return page;
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
  online::TCurlHttpClient http;
  const online::ScoreEntry entry{"Nova", "CITY", 4321};
  EXPECT_EQ(online::RunScoreSequence(http, server_->Address(), entry), online::SubmissionOutcome::kSent);
  const std::string page = TablePageWith("<td>Nova</td>");
  EXPECT_NE(page.find("<td>Nova</td><td class=\"score\">4321</td><td>CITY</td>"), std::string::npos) << page;
  EXPECT_EQ(Rows(page), 1u);
}

TEST_F(ClientServerTest, HostileSubmissionsAreRefusedAndTheServerStaysUp) {
  const std::string p = online::PValueFromReply(Get(online::kVersionQuery).body);
  const std::string submit =
      online::kSubmissionQuery + online::EncodePayload(online::BuildPayload("ONCE", 10, p, ""));
  const std::string inf = submit.substr(submit.find("inf=") + 4);
  const std::string base = online::kSubmissionQuery;

  EXPECT_EQ(Get(base + inf.substr(0, inf.size() - 3)).status, 400);  // truncated
  EXPECT_EQ(Get(base + "a1b8c9d0" + inf).status, 400);               // not base 32
  EXPECT_EQ(Get(base + std::string(20000, 'A')).status, 431);        // oversized
  // A body, with a GET or a POST, and garbage for a request line.
  for (const std::string& request : {"GET " + submit + " HTTP/1.1\r\nHost: s\r\nContent-Length: 65536\r\n\r\n" +
                                        std::string(65536, 'x'),
                                    "POST " + submit + " HTTP/1.1\r\nHost: s\r\nContent-Length: 3\r\n\r\nabc",
                                    std::string("\x16\x03\x01\x00\xA5\x01\x00\x00\xA1\x03\x03\r\n\r\n", 17)}) {
    const int fd = raw_http::Connect("127.0.0.1", server_->Port());
    raw_http::SendAll(fd, request);
    const auto answer = raw_http::ReadToEnd(fd, std::chrono::seconds(10));
    close(fd);
    ASSERT_TRUE(answer);
    EXPECT_GE(raw_http::Parse(*answer).status, 400) << *answer;
  }
  EXPECT_EQ(Get(submit).status, 200);
  EXPECT_EQ(Get(submit).status, 403);                                // replayed p
  EXPECT_EQ(Get("/cgi/version.pl?version&prg=Quellix3&x").status, 400);

  EXPECT_TRUE(server_->process().Running());
  EXPECT_EQ(Rows(TablePageWith("<td class=\"score\">")), 1u);
  EXPECT_TRUE(online::ReplyAccepted(Get(online::kVersionQuery).body));
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

  online::TCurlHttpClient http;
  auto run = std::async(std::launch::async, [&] {
    return online::RunScoreSequence(http, "127.0.0.1:" + std::to_string(ntohs(address.sin_port)), {"NOVA", "", 1});
  });
  // Far beyond the client's own time-out: only a client that waits for ever runs into it.
  const bool gaveUp = run.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
  silent.join();
  EXPECT_TRUE(gaveUp) << "the client is still waiting on a silent peer";
  if (!gaveUp) shutdown(accepted, SHUT_RDWR);
  EXPECT_EQ(run.get(), online::SubmissionOutcome::kRefused);
  EXPECT_GE(accepted, 0);
  close(accepted);
  close(listener);
}

TEST_F(ClientServerTest, AKillUnderLoadLosesNoAcknowledgedScoreAndLeavesTheStoreWhole) {
  std::atomic<int> acknowledged{0};
  std::atomic<bool> stop{false};
  std::atomic<int> finished{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < 8; ++c) {
    clients.emplace_back([&, c] {
      for (int i = 0; i < 500 && !stop; ++i) {
        const int port = server_->Port();
        auto version = raw_http::Get("127.0.0.1", port, online::kVersionQuery, "", std::chrono::seconds(2));
        if (!version || version->status != 200) break;
        const std::string payload = online::BuildPayload("C" + std::to_string(c), i, online::PValueFromReply(version->body), "");
        auto sent = raw_http::Get("127.0.0.1", port, online::kSubmissionQuery + online::EncodePayload(payload), "",
                                  std::chrono::seconds(2));
        if (!sent || sent->status != 200) break;
        ++acknowledged;
      }
      ++finished;
    });
  }
  // The kill lands while the clients are busy: once a good many scores are acknowledged.
  testing_support::WaitFor([&] { return acknowledged >= 40 || finished == 8; }, std::chrono::seconds(60));
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
  online::TCurlHttpClient http;
  EXPECT_EQ(online::RunScoreSequence(http, restarted.Address(), {"AFTER", "", 1}), online::SubmissionOutcome::kSent);
}

}  // namespace
