#include "online/score_server.h"

#include <cstdlib>

#include "online/score_protocol.h"

namespace online {
namespace {

constexpr size_t kMaxAddressLength = 253 + 6;  // longest host name and ":65535"
constexpr size_t kMaxPortDigits = 5;

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

}  // namespace

bool IsPlainServerAddress(std::string_view address) {
  if (address.empty() || address.size() > kMaxAddressLength) return false;
  const size_t colon = address.find(':');
  const std::string_view host = address.substr(0, colon);
  if (host.empty() || host.front() == '-' || host.front() == '.') return false;
  for (char c : host) {
    if (!IsHostChar(c)) return false;
  }
  if (colon == std::string_view::npos) return true;
  const std::string_view port = address.substr(colon + 1);
  if (port.empty() || port.size() > kMaxPortDigits) return false;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string ScoreServer() {
  const char* value = std::getenv(kScoreServerVariable);
  if (value && IsPlainServerAddress(value)) return value;
  return kDefaultScoreServer;
}

std::string OnlineTableUrl() { return "http://" + ScoreServer() + kOnlineTableQuery; }

}  // namespace online
