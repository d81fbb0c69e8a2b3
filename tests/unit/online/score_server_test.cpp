#include "online/score_server.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace online {
namespace {

TEST(ScoreServer, PlainHostsWithAnOptionalPortAreAccepted) {
  EXPECT_TRUE(IsPlainServerAddress("127.0.0.1:8080"));
  EXPECT_TRUE(IsPlainServerAddress("scores.example.org"));
  EXPECT_FALSE(IsPlainServerAddress(""));
  EXPECT_FALSE(IsPlainServerAddress("host:"));
  EXPECT_FALSE(IsPlainServerAddress("host:123456"));
  EXPECT_FALSE(IsPlainServerAddress("evil.org/x?y"));
  EXPECT_FALSE(IsPlainServerAddress("-oProxy"));
  EXPECT_FALSE(IsPlainServerAddress("a b"));
}

TEST(ScoreServer, TheEnvironmentReplacesTheBuiltInHostOnlyWithAPlainAddress) {
  setenv(kScoreServerVariable, "127.0.0.1:9000", 1);
  EXPECT_EQ(OnlineTableUrl(), "http://127.0.0.1:9000/cgi/version.pl?prg=Quellix3&show&type=0");
  setenv(kScoreServerVariable, "x.org/#", 1);
  EXPECT_EQ(ScoreServer(), kDefaultScoreServer);
  unsetenv(kScoreServerVariable);
}

}  // namespace
}  // namespace online
