// TicketSigner: the one-time p values of the version query, made without
// touching the store. A p value is the second it was issued, a random part
// and a MAC over both under a key that every server sharing a store reads
// from it, so any of them can check a p value another one issued. That a p
// value is used only once is the store's part (its table of used p values).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scored {

class TicketSigner {
 public:
  // A p value is good for this long after it was issued.
  static constexpr std::chrono::seconds kLifetime{600};
  // Servers' clocks may differ by this much: a p value from a little in the
  // future is taken.
  static constexpr std::chrono::seconds kClockSkew{60};
  // 8 hexadecimal digits of time, 16 of random part, 24 of MAC.
  static constexpr size_t kLength = 48;

  // `key` is the shared secret (any bytes, at least 16).
  explicit TicketSigner(std::string key);

  // A fresh p value issued at `now` (seconds since the epoch).
  std::string Issue(int64_t now) const;
  // When `p` was issued; nothing when it is not one of ours (wrong form or
  // MAC), has expired at `now`, or comes from too far in the future.
  std::optional<int64_t> IssuedAt(std::string_view p, int64_t now) const;

  static int64_t Now();

 private:
  std::string Mac(std::string_view text) const;

  std::string key_;
};

// `count` random bytes from the system as lower-case hexadecimal digits.
std::string RandomHex(size_t count);

}  // namespace scored
