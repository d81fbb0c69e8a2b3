// The server's answers to the three requests of its script, and to anything else.
#include "score_service.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "services/score_protocol.h"
#include "table_page.h"

namespace scored {
namespace {

namespace fs = std::filesystem;

class ScoreServiceTest : public ::testing::Test {
 protected:
  ScoreServiceTest() : dir_(MakeDir()), store_((dir_ / "scores.db").string()), service_(store_) {}
  ~ScoreServiceTest() override { fs::remove_all(dir_); }
  static fs::path MakeDir() {
    std::string pattern = (fs::temp_directory_path() / "scored-service-XXXXXX").string();
    return ::mkdtemp(pattern.data());
  }
  std::string IssueP() {
    const Reply reply = service_.Handle(services::kVersionQuery);
    EXPECT_EQ(reply.status, 200);
    return services::PValueFromReply(reply.body);
  }
  Reply Send(std::string_view name, int32_t score, std::string_view p, std::string_view add) {
    return service_.Handle(std::string(services::kSubmissionQuery) +
                           services::EncodePayload(services::BuildPayload(name, score, p, add)));
  }

  fs::path dir_;
  ScoreStore store_;
  ScoreService service_;
};

TEST_F(ScoreServiceTest, TheVersionReplyIsAcceptedAndCarriesAFreshPInItsFifthField) {
  const Reply reply = service_.Handle(services::kVersionQuery);
  EXPECT_TRUE(services::ReplyAccepted(reply.body));
  const std::string p = services::PValueFromReply(reply.body);
  EXPECT_EQ(p.size(), 32u);
  EXPECT_NE(IssueP(), p);
}

TEST_F(ScoreServiceTest, ASubmissionWithAnIssuedPIsStoredOnce) {
  const std::string p = IssueP();
  EXPECT_EQ(Send("NOVA", 777, p, "ZED").status, 200);
  EXPECT_EQ(Send("NOVA", 999, p, "ZED").status, 403);
  EXPECT_EQ(Send("NOVA", 999, "feedface", "ZED").status, 403);
  ASSERT_EQ(store_.ScoreCount(), 1);
  EXPECT_EQ(store_.Best(1)[0].score, 777);
}

TEST_F(ScoreServiceTest, MalformedOversizedAndUnknownRequestsChangeNothing) {
  const std::string p = IssueP();
  const std::string inf = services::EncodePayload(services::BuildPayload("NOVA", 5, p, ""));
  const std::string submit = services::kSubmissionQuery;
  EXPECT_EQ(service_.Handle(submit + inf.substr(0, inf.size() - 5)).status, 400);   // truncated
  EXPECT_EQ(service_.Handle(submit + "01234567" + inf).status, 400);                 // not base 32
  EXPECT_EQ(service_.Handle(submit + std::string(kMaxInfSymbols + 8, 'A')).status, 413);
  EXPECT_EQ(service_.Handle(submit + std::string(kMaxTargetLength, 'A')).status, 414);
  EXPECT_EQ(service_.Handle("/cgi/version.pl?hs&prg=Other&inf=" + inf).status, 400);
  EXPECT_EQ(service_.Handle("/cgi/version.pl?hs&prg=Quellix3").status, 400);
  EXPECT_EQ(service_.Handle("/cgi/other.pl?version&prg=Quellix3").status, 404);
  EXPECT_EQ(service_.Handle("/cgi/version.pl").status, 400);
  EXPECT_EQ(store_.ScoreCount(), 0);
  // The p value was not spent by the failures.
  EXPECT_EQ(service_.Handle(submit + inf).status, 200);
}

TEST_F(ScoreServiceTest, TheTablePageListsBestFirstWithEveryNameEscaped) {
  Send("LOW", 10, IssueP(), "");
  Send("<b>&'\"", 50, IssueP(), std::string_view("\x01\xE9", 2));
  const Reply page = service_.Handle(services::kOnlineTableQuery);
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.contentType.rfind("text/html", 0), 0u);
  EXPECT_EQ(page.headers, TablePageHeaders());
  const size_t top = page.body.find("<tr><td>1</td><td>&lt;b&gt;&amp;&#39;&quot;</td><td class=\"score\">50</td>"
                                    "<td>&#xFFFD;&#233;</td></tr>");
  const size_t low = page.body.find("<td>LOW</td><td class=\"score\">10</td>");
  EXPECT_NE(top, std::string::npos) << page.body;
  EXPECT_NE(low, std::string::npos);
  EXPECT_LT(top, low);
  EXPECT_EQ(page.body.find("<b>"), std::string::npos);
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
