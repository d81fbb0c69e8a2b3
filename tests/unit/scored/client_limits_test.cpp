// Who a client is (addresses, proxies), how often it may ask, and the p
// values it is handed.
#include "client_limits.h"

#include <gtest/gtest.h>

#include "ticket_signer.h"

namespace scored {
namespace {

TEST(ClientLimits, ClientsAreAddressesAndIPv6NetworksOfSize64) {
  EXPECT_EQ(ClientKey("192.0.2.7"), "192.0.2.7");
  EXPECT_EQ(ClientKey("::ffff:192.0.2.7"), "192.0.2.7");
  EXPECT_EQ(ClientKey("2001:db8:1:2:aaaa::1"), "2001:db8:1:2::/64");
  EXPECT_EQ(ClientKey("2001:db8:1:2:bbbb::9"), ClientKey("2001:db8:1:2:aaaa::1"));
  for (const char* bad : {"", "192.0.2", "1.2.3.4.5", "example.org", "::g", "1.2.3.4, 5.6.7.8"}) {
    EXPECT_FALSE(ClientKey(bad)) << bad;
  }
}

TEST(ClientLimits, ForwardedForIsBelievedOnlyFromATrustedProxy) {
  TrustedProxies proxies;
  ASSERT_TRUE(proxies.Add("127.0.0.1"));
  ASSERT_TRUE(proxies.Add("10.0.0.2"));
  EXPECT_FALSE(proxies.Add("not-an-address"));
  // Not a proxy: the header is the client's own writing.
  EXPECT_EQ(proxies.ClientOf("198.51.100.4", "203.0.113.9"), "198.51.100.4");
  // From a proxy: the nearest hop that is not one of ours, whatever the client put in front.
  EXPECT_EQ(proxies.ClientOf("127.0.0.1", "203.0.113.9"), "203.0.113.9");
  EXPECT_EQ(proxies.ClientOf("127.0.0.1", "1.1.1.1, 203.0.113.9"), "203.0.113.9");
  EXPECT_EQ(proxies.ClientOf("127.0.0.1", "1.1.1.1,203.0.113.9 , 10.0.0.2"), "203.0.113.9");
  EXPECT_EQ(proxies.ClientOf("::ffff:127.0.0.1", "2001:db8::5"), "2001:db8::/64");
  // No header, or a nearest hop that is no address: the proxy itself.
  EXPECT_EQ(proxies.ClientOf("127.0.0.1", ""), "127.0.0.1");
  EXPECT_EQ(proxies.ClientOf("127.0.0.1", "203.0.113.9, unknown"), "127.0.0.1");
  EXPECT_EQ(proxies.ClientOf("127.0.0.1", "10.0.0.2"), "127.0.0.1");
}

TEST(ClientLimits, ABucketLetsABurstThroughThenRefillsAtTheRate) {
  using namespace std::chrono_literals;
  RateLimiter limiter(6);  // one every 10 s
  const auto t0 = RateLimiter::Clock::time_point{} + 1h;
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(limiter.Allow("a", t0)) << i;
  EXPECT_FALSE(limiter.Allow("a", t0));
  EXPECT_TRUE(limiter.Allow("b", t0));  // another client has its own
  EXPECT_FALSE(limiter.Allow("a", t0 + 9s));
  EXPECT_TRUE(limiter.Allow("a", t0 + 10s));
  EXPECT_FALSE(limiter.Allow("a", t0 + 10s));

  RateLimiter unlimited(0);
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(unlimited.Allow("a", t0));
}

TEST(ClientLimits, RememberedClientsAreBoundedAndIdleOnesMakeRoom) {
  using namespace std::chrono_literals;
  RateLimiter limiter(60, 2);
  const auto t0 = RateLimiter::Clock::time_point{} + 1h;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(limiter.Allow("a", t0));
    ASSERT_TRUE(limiter.Allow("b", t0));
  }
  EXPECT_FALSE(limiter.Allow("c", t0 + 2s));   // a and b still hold their buckets (one a second back)
  EXPECT_TRUE(limiter.Allow("c", t0 + 10s));   // full again: forgotten
}

TEST(TicketSigner, APValueIsTakenOnlyWithItsKeyUnalteredAndInItsLifetime) {
  const TicketSigner signer(std::string(32, 'k'));
  const int64_t now = 1'800'000'000;
  const std::string p = signer.Issue(now);
  ASSERT_EQ(p.size(), TicketSigner::kLength);
  EXPECT_NE(signer.Issue(now), p);
  EXPECT_EQ(signer.IssuedAt(p, now + 599), now);
  EXPECT_EQ(signer.IssuedAt(p, now - 30), now);  // another server's clock a little behind
  EXPECT_FALSE(signer.IssuedAt(p, now + 601));
  EXPECT_FALSE(signer.IssuedAt(p, now - 61));
  EXPECT_FALSE(TicketSigner(std::string(32, 'j')).IssuedAt(p, now));
  for (size_t i = 0; i < p.size(); ++i) {
    std::string altered = p;
    altered[i] = altered[i] == '0' ? '1' : '0';
    EXPECT_FALSE(signer.IssuedAt(altered, now)) << i;
  }
  EXPECT_FALSE(signer.IssuedAt(p.substr(1), now));
  std::string upper = p;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ASSERT_NE(upper, p);  // 24 digits of MAC are never all decimal in practice
  EXPECT_FALSE(signer.IssuedAt(upper, now));
}

}  // namespace
}  // namespace scored
