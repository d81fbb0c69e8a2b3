// A decoder of the score payload written for the tests alone, bit by bit and
// independent of the game's encoder and of the server's decoder: symbols to
// 5-bit groups, the leading pad bits dropped, then 8-bit bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace reference {

inline constexpr std::string_view kSymbols = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

inline std::optional<std::string> DecodeBase32(std::string_view text) {
  std::string bits;
  for (char symbol : text) {
    const size_t value = kSymbols.find(symbol);
    if (value == std::string_view::npos) return std::nullopt;
    for (int bit = 4; bit >= 0; --bit) bits += ((value >> bit) & 1) ? '1' : '0';
  }
  const size_t lead = bits.size() % 8;
  if (bits.find('1') < lead) return std::nullopt;  // pad bits are always 0
  std::string bytes;
  for (size_t i = lead; i < bits.size(); i += 8) bytes += static_cast<char>(std::stoi(bits.substr(i, 8), nullptr, 2));
  return bytes;
}

}  // namespace reference
