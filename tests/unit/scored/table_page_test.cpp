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
