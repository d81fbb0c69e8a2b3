// The score server as a hostile internet sees it: slow clients, too many
// connections (also past its descriptor limit), floods from one address,
// proxies, a port it cannot have, two servers sharing one PostgreSQL store
// and that store restarted.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <vector>

#include "postgres_server.h"
#include "raw_http.h"
#include "scored_process.h"
#include "online/score_protocol.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::ScoredProcess;

class HardeningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "scored-hard-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The version query, then a submission with its p value, from `source`.
  static std::pair<std::optional<raw_http::Answer>, std::optional<raw_http::Answer>> Submit(
      const std::string& source, int port, const std::string& name, const std::string& headers = "") {
    auto version = raw_http::Get(source, port, online::kVersionQuery, headers);
    if (!version || version->status != 200) return {version, std::nullopt};
    const std::string payload = online::BuildPayload(name, 10, online::PValueFromReply(version->body), "");
    return {version, raw_http::Get(source, port, online::kSubmissionQuery + online::EncodePayload(payload), headers)};
  }
  static std::optional<raw_http::Answer> SubmitWithP(const std::string& source, int port, const std::string& name,
                                                     const std::string& p) {
    const std::string payload = online::BuildPayload(name, 10, p, "");
    return raw_http::Get(source, port, online::kSubmissionQuery + online::EncodePayload(payload));
  }

  // The table page once it shows `text` (it is rendered again shortly after a store).
  static std::string PageShowing(int port, const std::string& text) {
    std::string page;
    for (int i = 0; i < 200 && page.find(text) == std::string::npos; ++i) {
      std::this_thread::sleep_for(50ms);
      if (auto answer = raw_http::Get("127.0.0.1", port, online::kOnlineTableQuery)) page = answer->body;
    }
    return page;
  }

  fs::path dir_;
};

TEST_F(HardeningTest, SlowClientsHoldNoOneElsesAnswersAndAreCutOffWhateverTheyTrickle) {
  ScoredProcess server(VARNOK_SCORED, (dir_ / "scores.db").string());
  ASSERT_TRUE(server.Start()) << server.ErrorOutput();
  constexpr int kSlow = 200;
  std::atomic<bool> holding{false}, done{false};
  std::atomic<int> refusedAtOnce{0}, cutOff{0};
  // One address opens 200 connections, sends half a request on each and
  // then a header line on each every 100 ms, for at most 3 s.
  std::thread holder([&] {
    std::vector<int> open;
    for (int i = 0; i < kSlow; ++i) {
      const int fd = raw_http::Connect("127.0.0.2", server.Port());
      if (fd < 0) continue;
      raw_http::SendAll(fd, "GET /cgi/version.pl?version&prg=Quellix3 HTTP/1.1\r\nHost: scores\r\n");
      open.push_back(fd);
    }
    holding = true;
    // Within these 3 s only a refusal closes a connection (the request
    // deadline is longer): an answer, a close or a reset all count.
    for (int round = 0; round < 30 && !(done && round >= 10); ++round) {
      for (int& fd : open) {
        if (fd < 0) continue;
        char buffer[256];
        const ssize_t n = recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if ((n < 0 && errno != EAGAIN) || n >= 0 || !raw_http::SendAll(fd, "X-Slow: 1\r\n")) {
          ++refusedAtOnce;
          close(fd);
          fd = -1;
        }
      }
      std::this_thread::sleep_for(100ms);
    }
    for (int fd : open) {
      if (fd >= 0) close(fd);
    }
  });
  // Another trickles one byte every 100 ms for up to 20 s: the server must cut it first.
  std::thread trickler([&] {
    const int fd = raw_http::Connect("127.0.0.3", server.Port());
    const std::string request = "GET /cgi/version.pl?version&prg=Quellix3 HTTP/1.1\r\nHost: scores\r\nX-Pad: " +
                                std::string(300, 'x');
    for (size_t i = 0; i < request.size() && fd >= 0; ++i) {
      if (!raw_http::SendAll(fd, request.substr(i, 1))) {
        ++cutOff;
        break;
      }
      char byte = 0;
      if (recv(fd, &byte, 1, MSG_DONTWAIT) == 0) {
        ++cutOff;
        break;
      }
      std::this_thread::sleep_for(100ms);
    }
    if (fd >= 0) close(fd);
  });
  while (!holding) std::this_thread::sleep_for(10ms);

  const auto start = std::chrono::steady_clock::now();
  const auto [version, submission] = Submit("127.0.0.1", server.Port(), "FRESH");
  const auto took = std::chrono::steady_clock::now() - start;
  done = true;
  holder.join();
  trickler.join();
  ASSERT_TRUE(version) << "no answer to the version query";
  EXPECT_EQ(version->status, 200);
  ASSERT_TRUE(submission) << "no answer to the submission";
  EXPECT_EQ(submission->status, 200) << submission->body;
  RecordProperty("fresh_client_ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  // Beyond the per-client cap the holder was refused at once, not queued.
  EXPECT_GE(refusedAtOnce, kSlow - 16 - 8);
  EXPECT_EQ(cutOff, 1);
  EXPECT_TRUE(server.process().Running());
}

TEST_F(HardeningTest, RateLimitsCountTheClientAProxyNamesOnlyWhenTheProxyIsTrusted) {
  ScoredProcess server(VARNOK_SCORED, (dir_ / "scores.db").string(),
                       {"--trusted-proxy", "127.0.0.1", "--version-limit", "2", "--submit-limit", "1"});
  ASSERT_TRUE(server.Start()) << server.ErrorOutput();
  const int port = server.Port();
  const std::string viaProxyA = "X-Forwarded-For: 203.0.113.5\r\n";
  auto status = [&](const std::string& source, const std::string& headers) {
    auto answer = raw_http::Get(source, port, online::kVersionQuery, headers);
    return answer ? answer->status : 0;
  };
  EXPECT_EQ(status("127.0.0.1", viaProxyA), 200);
  EXPECT_EQ(status("127.0.0.1", viaProxyA), 200);
  EXPECT_EQ(status("127.0.0.1", viaProxyA), 429);
  EXPECT_EQ(status("127.0.0.1", "X-Forwarded-For: 203.0.113.6\r\n"), 200);  // another client behind the proxy
  // Not the proxy: its header is ignored and the limit is its own address's.
  EXPECT_EQ(status("127.0.0.4", "X-Forwarded-For: 203.0.113.7\r\n"), 200);
  EXPECT_EQ(status("127.0.0.4", "X-Forwarded-For: 203.0.113.8\r\n"), 200);
  EXPECT_EQ(status("127.0.0.4", "X-Forwarded-For: 203.0.113.9\r\n"), 429);

  const auto [version, first] = Submit("127.0.0.5", port, "ONE");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 200);
  const auto second = Submit("127.0.0.5", port, "TWO").second;
  ASSERT_TRUE(second);
  EXPECT_EQ(second->status, 429);
  const std::string page = PageShowing(port, "ONE");
  EXPECT_NE(page.find("ONE"), std::string::npos) << page;
  EXPECT_EQ(page.find("TWO"), std::string::npos);
}

TEST_F(HardeningTest, APortItCannotHaveIsAClearFailure) {
  ScoredProcess first(VARNOK_SCORED, (dir_ / "one.db").string());
  ASSERT_TRUE(first.Start()) << first.ErrorOutput();
  testing_support::ChildProcess second;
  const auto err = dir_ / "second.err";
  ASSERT_TRUE(second.Start({VARNOK_SCORED, "--listen", first.Address(), "--db", (dir_ / "two.db").string()}, {},
                           dir_ / "second.out", err));
  const auto code = second.Wait(20s);
  ASSERT_TRUE(code);
  EXPECT_NE(*code, 0);
  const std::string message = testing_support::ReadText(err);
  EXPECT_NE(message.find("cannot listen on " + first.Address()), std::string::npos) << message;
}

TEST_F(HardeningTest, TwoServersOnOnePostgresStoreTakeEachPValueOnce) {
  if (!testing_support::PostgresServer::Available()) GTEST_SKIP() << testing_support::PostgresServer::kMissing;
  testing_support::PostgresServer postgres;
  ASSERT_TRUE(postgres.Start(false)) << postgres.Log();
  const std::string uri = postgres.Uri(postgres.CreateDatabase());
  ScoredProcess a(VARNOK_SCORED, uri, {}, dir_ / "a");
  ScoredProcess b(VARNOK_SCORED, uri, {}, dir_ / "b");
  ASSERT_TRUE(a.Start()) << a.ErrorOutput();
  ASSERT_TRUE(b.Start()) << b.ErrorOutput();

  const auto version = raw_http::Get("127.0.0.1", a.Port(), online::kVersionQuery);
  ASSERT_TRUE(version);
  const std::string p = online::PValueFromReply(version->body);
  const auto onB = SubmitWithP("127.0.0.1", b.Port(), "SHARED", p);
  ASSERT_TRUE(onB);
  EXPECT_EQ(onB->status, 200) << onB->body << b.ErrorOutput();
  const auto againOnA = SubmitWithP("127.0.0.1", a.Port(), "AGAIN", p);
  ASSERT_TRUE(againOnA);
  EXPECT_EQ(againOnA->status, 403);
  // A's page shows B's score once it renders again.
  const std::string page = PageShowing(a.Port(), "SHARED");
  EXPECT_NE(page.find("SHARED"), std::string::npos) << page;
  EXPECT_EQ(page.find("AGAIN"), std::string::npos);
}

TEST_F(HardeningTest, AConnectionCapPastTheDescriptorLimitIsLoweredSoTheRestGet503OrTooFewAreRefusedAtStart) {
  ASSERT_EQ(access("/usr/bin/prlimit", X_OK), 0) << "prlimit (util-linux) is missing";
  struct Case {
    int files;            // the process's descriptor limit, soft and hard
    const char* message;  // what scored says on standard error
    bool listens;
  };
  for (const Case& c : {Case{200, "--max-connections lowered to ", true},  //
                        Case{40, "too few file descriptors", false}}) {
    SCOPED_TRACE(c.files);
    ScoredProcess server(VARNOK_SCORED, (dir_ / (std::to_string(c.files) + ".db")).string(),
                         {"--verify-workers", "0", "--max-per-client", "1000"});
    server.RunUnder({"/usr/bin/prlimit", "--nofile=" + std::to_string(c.files), "--"});
    ASSERT_EQ(server.Start(), c.listens) << server.ErrorOutput();
    EXPECT_NE(server.ErrorOutput().find(c.message), std::string::npos) << server.ErrorOutput();
    if (!c.listens) {
      EXPECT_EQ(server.process().Wait(10s), 1);
      continue;
    }
    // More idle connections than the server has descriptors for: those
    // past the cap are answered 503 and closed, and so is the next request,
    // instead of waiting unaccepted.
    std::vector<int> held;
    for (int i = 0; i < c.files; ++i) held.push_back(raw_http::Connect("127.0.0.6", server.Port()));
    const auto answer = raw_http::Get("127.0.0.7", server.Port(), online::kVersionQuery);
    for (int fd : held) {
      if (fd >= 0) close(fd);
    }
    ASSERT_TRUE(answer) << "the connection past the cap waited unanswered";
    EXPECT_EQ(answer->status, 503);
  }
}

TEST_F(HardeningTest, TheFirstSubmissionAfterThePostgresServerRestartsIsStored) {
  if (!testing_support::PostgresServer::Available()) GTEST_SKIP() << testing_support::PostgresServer::kMissing;
  testing_support::PostgresServer postgres;
  ASSERT_TRUE(postgres.Start(false)) << postgres.Log();
  ScoredProcess server(VARNOK_SCORED, postgres.Uri(postgres.CreateDatabase()), {"--verify-workers", "0"}, dir_ / "s");
  ASSERT_TRUE(server.Start()) << server.ErrorOutput();
  const auto before = Submit("127.0.0.1", server.Port(), "BEFORE").second;
  ASSERT_TRUE(before);
  EXPECT_EQ(before->status, 200) << before->body;

  const auto used = std::chrono::steady_clock::now();
  ASSERT_TRUE(postgres.Restart()) << postgres.Log();
  // A real restart takes longer than this one on a test's empty database:
  // the server's connection has been idle a second by the next submission.
  std::this_thread::sleep_until(used + 1500ms);
  const auto after = Submit("127.0.0.1", server.Port(), "AFTER").second;
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200) << after->body << server.ErrorOutput();
}

}  // namespace
