#include "client_limits.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

namespace scored {
namespace {

constexpr size_t kPrefixBytes = 8;  // an IPv6 /64

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The address in `text` in inet_ntop's form, and whether it is IPv6 (not mapped IPv4).
std::optional<std::pair<std::string, in6_addr>> Parse(std::string_view text, bool& isV6) {
  constexpr size_t kLongest = INET6_ADDRSTRLEN;
  if (text.empty() || text.size() >= kLongest) return std::nullopt;
  char buffer[kLongest] = {};
  std::memcpy(buffer, text.data(), text.size());
  char out[INET6_ADDRSTRLEN] = {};
  in_addr v4{};
  if (inet_pton(AF_INET, buffer, &v4) == 1) {
    isV6 = false;
    inet_ntop(AF_INET, &v4, out, sizeof(out));
    return std::pair{std::string(out), in6_addr{}};
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, buffer, &v6) != 1) return std::nullopt;
  if (IN6_IS_ADDR_V4MAPPED(&v6)) {
    isV6 = false;
    std::memcpy(&v4, v6.s6_addr + 12, 4);
    inet_ntop(AF_INET, &v4, out, sizeof(out));
    return std::pair{std::string(out), v6};
  }
  isV6 = true;
  inet_ntop(AF_INET6, &v6, out, sizeof(out));
  return std::pair{std::string(out), v6};
}

}  // namespace

std::optional<std::string> ClientKey(std::string_view text) {
  bool isV6 = false;
  auto parsed = Parse(Trim(text), isV6);
  if (!parsed) return std::nullopt;
  if (!isV6) return parsed->first;
  in6_addr network = parsed->second;
  std::memset(network.s6_addr + kPrefixBytes, 0, sizeof(network.s6_addr) - kPrefixBytes);
  char out[INET6_ADDRSTRLEN] = {};
  inet_ntop(AF_INET6, &network, out, sizeof(out));
  return std::string(out) + "/64";
}

bool TrustedProxies::Add(std::string_view address) {
  bool isV6 = false;
  auto parsed = Parse(Trim(address), isV6);
  if (!parsed) return false;
  proxies_.push_back(parsed->first);
  return true;
}

bool TrustedProxies::Contains(std::string_view address) const {
  bool isV6 = false;
  auto parsed = Parse(Trim(address), isV6);
  return parsed && std::find(proxies_.begin(), proxies_.end(), parsed->first) != proxies_.end();
}

std::string TrustedProxies::ClientOf(std::string_view peer, std::string_view forwardedFor) const {
  const std::string peerKey = ClientKey(peer).value_or(std::string(peer));
  if (!Contains(peer)) return peerKey;
  while (!forwardedFor.empty()) {
    const size_t comma = forwardedFor.rfind(',');
    const std::string_view hop = Trim(comma == std::string_view::npos ? forwardedFor : forwardedFor.substr(comma + 1));
    forwardedFor = comma == std::string_view::npos ? std::string_view() : forwardedFor.substr(0, comma);
    if (Contains(hop)) continue;
    return ClientKey(hop).value_or(peerKey);
  }
  return peerKey;
}

RateLimiter::RateLimiter(int perMinute, size_t maxClients)
    : capacity_(std::max(0, perMinute)), perSecond_(capacity_ / 60.0), maxClients_(std::max<size_t>(1, maxClients)) {}

double RateLimiter::Refilled(const Bucket& bucket, Clock::time_point now) const {
  const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
  return std::min(capacity_, bucket.tokens + std::max(0.0, seconds) * perSecond_);
}

bool RateLimiter::Allow(const std::string& client, Clock::time_point now) {
  if (capacity_ <= 0) return true;
  std::lock_guard lock(mutex_);
  auto found = buckets_.find(client);
  if (found == buckets_.end()) {
    if (buckets_.size() >= maxClients_) {
      // A sweep walks every client: at most one a second, so a flood of new
      // addresses cannot make each of its requests cost that much.
      if (now - lastSweep_ < std::chrono::seconds(1)) return false;
      lastSweep_ = now;
      std::erase_if(buckets_, [&](const auto& item) { return Refilled(item.second, now) >= capacity_; });
      if (buckets_.size() >= maxClients_) return false;
    }
    found = buckets_.emplace(client, Bucket{capacity_, now}).first;
  }
  Bucket& bucket = found->second;
  bucket.tokens = Refilled(bucket, now);
  bucket.updated = now;
  if (bucket.tokens < 1) return false;
  bucket.tokens -= 1;
  return true;
}

}  // namespace scored
