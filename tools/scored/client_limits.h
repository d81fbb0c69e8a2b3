// Who a client is, and how much it may ask.
//
// A client is its address, and for IPv6 its /64 network (one subscriber
// usually holds a whole /64, and could otherwise take a fresh address for
// every request). Behind a proxy every connection comes from the proxy: its
// X-Forwarded-For header names the client, but it is believed only when the
// connection comes from a proxy the operator named, since anyone else can
// write the header.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scored {

// An address in the form the limits count by: "a.b.c.d" (also for an IPv6
// mapped IPv4 address) or "x:x:x:x::/64"; nothing when `text` is not an
// address.
std::optional<std::string> ClientKey(std::string_view text);

class TrustedProxies {
 public:
  // False when `address` is not an IPv4 or IPv6 address.
  bool Add(std::string_view address);
  bool Contains(std::string_view address) const;
  bool Empty() const { return proxies_.empty(); }

  // The client of a request from `peer` carrying `forwardedFor` (the
  // X-Forwarded-For values, comma separated, the nearest hop last): the
  // peer itself unless it is a trusted proxy; then the nearest address in
  // the header that is not a trusted proxy, walking back from its end. The
  // peer stands when the header is absent or its nearest untrusted entry is
  // not an address. Returned as a ClientKey.
  std::string ClientOf(std::string_view peer, std::string_view forwardedFor) const;

 private:
  std::vector<std::string> proxies_;  // in the form inet_ntop gives
};

// Requests per client per minute, as a token bucket: a client may send
// `perMinute` at once, then one every 60/perMinute seconds.
class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;
  // `perMinute` 0 lets everything through. At most `maxClients` are
  // remembered; past that, clients whose bucket has filled again are
  // forgotten, and a new client is refused while none can be.
  explicit RateLimiter(int perMinute, size_t maxClients = 100000);

  // Takes one request of `client` at `now`; false when it is over the limit.
  bool Allow(const std::string& client, Clock::time_point now);

 private:
  struct Bucket {
    double tokens;
    Clock::time_point updated;
  };
  double Refilled(const Bucket& bucket, Clock::time_point now) const;

  const double capacity_;
  const double perSecond_;
  const size_t maxClients_;
  std::mutex mutex_;
  std::unordered_map<std::string, Bucket> buckets_;
  Clock::time_point lastSweep_{};
};

}  // namespace scored
