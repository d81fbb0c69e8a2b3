// The server's answers to the three requests of its script, and to anything else.
#include "score_service.h"

#include "replay_sandbox.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <thread>

#include "online/score_protocol.h"
#include "table_page.h"

namespace scored {
namespace {

namespace fs = std::filesystem;

class ScoreServiceTest : public ::testing::Test {
 protected:
  explicit ScoreServiceTest(ServiceLimits limits = {0, 0})
      : dir_(MakeDir()),
        keeper_([this] { return OpenStore(Db()); }, TablePage, Fast(), ScoresJson),
        service_(keeper_, limits),
        store_(OpenStore(Db())) {}
  ~ScoreServiceTest() override { fs::remove_all(dir_); }
  static fs::path MakeDir() {
    std::string pattern = (fs::temp_directory_path() / "scored-service-XXXXXX").string();
    return ::mkdtemp(pattern.data());
  }
  static KeeperOptions Fast() {
    KeeperOptions options;
    options.tableRefresh = std::chrono::milliseconds(50);
    return options;
  }
  std::string Db() const { return (dir_ / "scores.db").string(); }
  Reply Get(std::string_view target, const std::string& client = "192.0.2.1") {
    std::promise<Reply> reply;
    service_.Handle(target, client, [&](Reply r) { reply.set_value(std::move(r)); });
    return reply.get_future().get();
  }
  std::string IssueP(const std::string& client = "192.0.2.1") {
    const Reply reply = Get(online::kVersionQuery, client);
    EXPECT_EQ(reply.status, 200);
    return online::PValueFromReply(reply.body);
  }
  Reply Send(std::string_view name, int32_t score, std::string_view p, std::string_view add,
             const std::string& client = "192.0.2.1") {
    return Get(std::string(online::kSubmissionQuery) +
                   online::EncodePayload(online::BuildPayload(name, score, p, add)),
               client);
  }
  // The page once the keeper has rendered `rows` rows.
  std::string PageWith(size_t rows) {
    for (int i = 0; i < 2000; ++i) {
      const Reply page = Get(online::kOnlineTableQuery);
      size_t count = 0;
      for (size_t at = page.body.find("<td class=\"score\">"); at != std::string::npos;
           at = page.body.find("<td class=\"score\">", at + 1)) {
        ++count;
      }
      if (count == rows) return page.body;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }
  static std::string Header(const Reply& reply, const std::string& name) {
    for (const auto& [key, value] : reply.headers) {
      if (key == name) return value;
    }
    return {};
  }

  fs::path dir_;
  ScoreKeeper keeper_;
  ScoreService service_;
  std::unique_ptr<ScoreStore> store_;
};

TEST_F(ScoreServiceTest, TheVersionReplyIsAcceptedCarriesAFreshPAndIsNeverCached) {
  const Reply reply = Get(online::kVersionQuery);
  EXPECT_TRUE(online::ReplyAccepted(reply.body));
  EXPECT_EQ(Header(reply, "Cache-Control"), "no-store");
  const std::string p = online::PValueFromReply(reply.body);
  EXPECT_EQ(p.size(), TicketSigner::kLength);
  EXPECT_NE(IssueP(), p);
  EXPECT_EQ(Header(Get("/cgi/version.pl?version&prg=Other"), "Cache-Control"), "no-store");
}

TEST_F(ScoreServiceTest, ASubmissionWithAnIssuedPIsStoredOnce) {
  const std::string p = IssueP();
  const Reply stored = Send("NOVA", 777, p, "ZED");
  EXPECT_EQ(stored.status, 200);
  EXPECT_EQ(stored.body, "OK\n");
  EXPECT_EQ(Send("NOVA", 999, p, "ZED").status, 403);
  EXPECT_EQ(Send("NOVA", 999, "feedface", "ZED").status, 403);  // never issued
  std::string forged = IssueP();
  forged.back() = forged.back() == '0' ? '1' : '0';
  EXPECT_EQ(Send("NOVA", 999, forged, "ZED").status, 403);
  ASSERT_EQ(store_->ScoreCount(), 1);
  EXPECT_EQ(store_->Best(1)[0].score, 777);
}

TEST_F(ScoreServiceTest, MalformedOversizedAndUnknownRequestsChangeNothing) {
  const std::string p = IssueP();
  const std::string inf = online::EncodePayload(online::BuildPayload("NOVA", 5, p, ""));
  const std::string submit = online::kSubmissionQuery;
  EXPECT_EQ(Get(submit + inf.substr(0, inf.size() - 5)).status, 400);   // truncated
  EXPECT_EQ(Get(submit + "01234567" + inf).status, 400);                 // not base 32
  EXPECT_EQ(Get(submit + std::string(kMaxInfSymbols + 8, 'A')).status, 413);
  EXPECT_EQ(Get(submit + std::string(kMaxTargetLength, 'A')).status, 414);
  EXPECT_EQ(Get("/cgi/version.pl?hs&prg=Other&inf=" + inf).status, 400);
  EXPECT_EQ(Get("/cgi/version.pl?hs&prg=Quellix3").status, 400);
  EXPECT_EQ(Get("/cgi/other.pl?version&prg=Quellix3").status, 404);
  EXPECT_EQ(Get("/cgi/version.pl").status, 400);
  EXPECT_EQ(store_->ScoreCount(), 0);
  // The p value was not spent by the failures.
  EXPECT_EQ(Get(submit + inf).status, 200);
}

TEST_F(ScoreServiceTest, TheTablePageListsBestFirstWithEveryNameEscaped) {
  Send("LOW", 10, IssueP(), "");
  Send("<b>&'\"", 50, IssueP(), std::string_view("\x01\xE9", 2));
  const std::string page = PageWith(2);
  const size_t top = page.find("<tr><td>1</td><td>&lt;b&gt;&amp;&#39;&quot;</td><td class=\"score\">50</td>"
                               "<td>&#xFFFD;&#233;</td></tr>");
  const size_t low = page.find("<td>LOW</td><td class=\"score\">10</td>");
  EXPECT_NE(top, std::string::npos) << page;
  EXPECT_NE(low, std::string::npos);
  EXPECT_LT(top, low);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  const Reply reply = Get(online::kOnlineTableQuery);
  EXPECT_EQ(reply.contentType.rfind("text/html", 0), 0u);
  EXPECT_EQ(reply.headers, TablePageHeaders());
}

class RateLimitedServiceTest : public ScoreServiceTest {
 protected:
  RateLimitedServiceTest() : ScoreServiceTest({3, 2, 4}) {}
};

// The table's views and downloads have a per-client limit of their own
// (before, one client could fetch thousands of pages a second).
TEST_F(RateLimitedServiceTest, TablePagesJsonAndDownloadsShareOneLimitPerClient) {
  EXPECT_EQ(Get(online::kOnlineTableQuery).status, 200);
  EXPECT_EQ(Get("/api/scores").status, 200);
  EXPECT_EQ(Get("/api/scores?verified").status, 200);
  EXPECT_EQ(Get("/cgi/replay?id=1").status, 404);
  EXPECT_EQ(Get(online::kOnlineTableQuery).status, 429);
  EXPECT_EQ(Get("/api/scores").status, 429);
  EXPECT_EQ(Get(online::kOnlineTableQuery, "198.51.100.9").status, 200);
}

TEST_F(ScoreServiceTest, AReplayIsTakenOnceForAStoredSubmissionOfItsPAndAnythingElseGetsAClearRefusal) {
  const std::string p = IssueP();
  ASSERT_EQ(Send("A", 10, p, "").status, 200);
  const auto upload = [&](std::string_view target, std::string body, std::string_view type = kReplayType) {
    std::promise<Reply> reply;
    service_.Handle(ServiceRequest{target, true, type, std::move(body)}, "192.0.2.1",
                    [&](Reply r) { reply.set_value(std::move(r)); });
    return reply.get_future().get().status;
  };
  const std::string replay = "VARNOKRP" + std::string(100, '\0');
  const std::string target = "/cgi/replay?p=" + p;
  EXPECT_EQ(upload(target, replay, "text/plain"), 415);
  EXPECT_EQ(upload(target, "GIF89a"), 400);
  EXPECT_EQ(upload(target, "VARNOKRP" + std::string(kMaxReplayUploadBytes, 'x')), 413);
  EXPECT_EQ(upload("/cgi/replay?p=" + IssueP(), replay), 404);  // issued, never submitted
  EXPECT_EQ(upload("/cgi/replay?p=" + std::string(48, 'a'), replay), 403);
  EXPECT_EQ(upload(target, replay), 202);
  EXPECT_EQ(upload(target, replay), 409);
  EXPECT_EQ(upload("/cgi/version.pl?version&prg=Quellix3", replay), 405);
  EXPECT_EQ(store_->Best(10)[0].verdict, Verdict::kPending);
}

TEST_F(RateLimitedServiceTest, AClientOverItsLimitsGets429AndStoresNothingWhileOthersGoOn) {
  std::vector<std::string> ps;
  for (int i = 0; i < 3; ++i) ps.push_back(IssueP());
  EXPECT_EQ(Get(online::kVersionQuery).status, 429);
  EXPECT_EQ(Send("A", 1, ps[0], "").status, 200);
  EXPECT_EQ(Send("A", 2, "malformed p", "").status, 400);  // refused attempts count too
  const Reply over = Send("A", 3, ps[1], "");
  EXPECT_EQ(over.status, 429);
  EXPECT_EQ(Header(over, "Cache-Control"), "no-store");
  EXPECT_EQ(store_->ScoreCount(), 1);
  // Another client is not held back, and the refused p value is still good.
  EXPECT_EQ(Send("B", 4, ps[1], "", "198.51.100.9").status, 200);
  EXPECT_EQ(Send("B", 5, IssueP("198.51.100.9"), "", "198.51.100.9").status, 200);
  EXPECT_EQ(store_->ScoreCount(), 3);
}

TEST(TablePage, EveryByteBecomesPlainAsciiThatAddsNoMarkup) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::string escaped = EscapeHtml(all);
  for (char c : escaped) {
    EXPECT_GE(static_cast<unsigned char>(c), 0x20);
    EXPECT_LT(static_cast<unsigned char>(c), 0x7F);
    EXPECT_NE(c, '<');
    EXPECT_NE(c, '>');
    EXPECT_NE(c, '"');
  }
}

}  // namespace
}  // namespace scored
