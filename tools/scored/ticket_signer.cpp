#include "ticket_signer.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/random.h>

#include <stdexcept>

namespace scored {
namespace {

constexpr size_t kTimeDigits = 8, kRandomDigits = 16, kMacDigits = 24;
constexpr size_t kMinKeyBytes = 16;
constexpr char kHex[] = "0123456789abcdef";

std::string ToHex(const unsigned char* bytes, size_t count) {
  std::string text;
  text.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    text += kHex[bytes[i] >> 4];
    text += kHex[bytes[i] & 0xF];
  }
  return text;
}

bool IsLowerHex(std::string_view text) {
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace

std::string RandomHex(size_t count) {
  std::string bytes(count, '\0');
  size_t filled = 0;
  while (filled < count) {
    const ssize_t got = getrandom(bytes.data() + filled, count - filled, 0);
    if (got <= 0) throw std::runtime_error("no random bytes from the system");
    filled += static_cast<size_t>(got);
  }
  return ToHex(reinterpret_cast<const unsigned char*>(bytes.data()), count);
}

TicketSigner::TicketSigner(std::string key) : key_(std::move(key)) {
  if (key_.size() < kMinKeyBytes) throw std::invalid_argument("the p value key is too short");
}

int64_t TicketSigner::Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string TicketSigner::Mac(std::string_view text) const {
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()), reinterpret_cast<const unsigned char*>(text.data()),
       text.size(), mac, &length);
  return ToHex(mac, kMacDigits / 2);
}

std::string TicketSigner::Issue(int64_t now) const {
  const auto seconds = static_cast<uint32_t>(now);
  std::string p;
  for (int shift = 28; shift >= 0; shift -= 4) p += kHex[(seconds >> shift) & 0xF];
  p += RandomHex(kRandomDigits / 2);
  return p + Mac(p);
}

std::optional<int64_t> TicketSigner::IssuedAt(std::string_view p, int64_t now) const {
  if (p.size() != kLength || !IsLowerHex(p)) return std::nullopt;
  const std::string_view signedPart = p.substr(0, kTimeDigits + kRandomDigits);
  const std::string expected = Mac(signedPart);
  if (CRYPTO_memcmp(expected.data(), p.data() + signedPart.size(), kMacDigits) != 0) return std::nullopt;
  int64_t issued = 0;
  for (char c : p.substr(0, kTimeDigits)) issued = issued * 16 + (c <= '9' ? c - '0' : c - 'a' + 10);
  if (issued > now + kClockSkew.count() || issued < now - kLifetime.count()) return std::nullopt;
  return issued;
}

}  // namespace scored
