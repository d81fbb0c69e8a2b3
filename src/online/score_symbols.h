// The 32 symbols of the score payload's base-32 text, shared by the game's
// score client and the score server: symbol v stands for the 5-bit value v.
#pragma once

#include <string_view>

namespace online {

inline constexpr std::string_view kScoreSymbols = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
static_assert(kScoreSymbols.size() == 32);

inline constexpr int kBitsPerSymbol = 5;
inline constexpr int kPayloadBlock = 5;  // payload bytes are padded to a multiple of this

// The value of `symbol`, or -1 when it is not one of the table's symbols.
constexpr int ScoreSymbolValue(char symbol) {
  const size_t at = kScoreSymbols.find(symbol);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace online
