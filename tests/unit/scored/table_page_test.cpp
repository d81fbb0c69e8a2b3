// The table page's own markup and headers: what its security policy admits
// must be all the page needs, or the browser drops it.
#include "table_page.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <array>
#include <string>

namespace scored {
namespace {

std::string Header(const std::string& name) {
  for (const auto& [field, value] : TablePageHeaders()) {
    if (field == name) return value;
  }
  return {};
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string Sha256Base64(const std::string& bytes) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr);
  std::string out(64, '\0');
  out.resize(static_cast<size_t>(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), digest.data(),
                                                 static_cast<int>(length))));
  return out;
}

TEST(TablePage, ThePolicyAdmitsNoScriptNoFetchAndExactlyThePagesOneStyleElement) {
  const std::string page = TablePage({{"NOVA", "CITY", 12}, {"", "", 3}});
  const std::string policy = Header("Content-Security-Policy");
  EXPECT_NE(policy.find("default-src 'none'"), std::string::npos) << policy;
  EXPECT_EQ(policy.find("script-src"), std::string::npos);
  EXPECT_EQ(policy.find("unsafe"), std::string::npos);

  ASSERT_EQ(Count(page, "<style>"), 1u);
  const size_t open = page.find("<style>") + 7, close = page.find("</style>");
  ASSERT_NE(close, std::string::npos);
  EXPECT_NE(policy.find("style-src 'sha256-" + Sha256Base64(page.substr(open, close - open)) + "'"),
            std::string::npos)
      << policy;
  // Everything the policy would block: style attributes, scripts, fetched things.
  for (const char* blocked : {" style=", "<script", "<link", "<img", "src=", "href=", "@import", "url(http"}) {
    EXPECT_EQ(page.find(blocked), std::string::npos) << blocked;
  }
  EXPECT_EQ(Header("X-Content-Type-Options"), "nosniff");
  EXPECT_NE(Header("Cache-Control").find("max-age=" + std::to_string(kTablePageMaxAgeSeconds)), std::string::npos);
}

TEST(TablePage, AnEmptyTableSaysSo) {
  EXPECT_NE(TablePage({}).find("NO SCORES YET"), std::string::npos);
  EXPECT_EQ(TablePage({{"A", "", 1}}).find("NO SCORES YET"), std::string::npos);
}

}  // namespace
}  // namespace scored

namespace scored {
namespace {

// The JSON view: every byte of a name reads as the page shows it, in ASCII
// with no character that means anything in HTML; only verified rows link a replay.
TEST(ScoresJson, EveryByteIsEscapedAsThePageShowsItAndOnlyVerifiedRowsLinkAReplay) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::string json = ScoresJson({{all, "\"x\\", 7, 3, Verdict::kVerified}, {"B", "", 5, 4, Verdict::kPending}});
  for (char c : json) EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80 && c != '<' && c != '>' && c != '&' && c != '\'');
  EXPECT_NE(json.find("\\u00e9"), std::string::npos);   // é, as on the page
  EXPECT_NE(json.find("\\ufffd"), std::string::npos);   // a control byte, as on the page
  EXPECT_NE(json.find("\"add\":\"\\u0022x\\u005c\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"verdict\":\"verified\",\"replay\":\"/cgi/replay?id=3\""), std::string::npos) << json;
  EXPECT_NE(json.find("{\"rank\":2,\"name\":\"B\",\"score\":5,\"add\":\"\",\"verdict\":\"pending\",\"replay\":null}"),
            std::string::npos) << json;
}

}  // namespace
}  // namespace scored
