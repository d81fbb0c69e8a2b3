#include "submission_decoder.h"

#include <charconv>

#include "online/score_symbols.h"

namespace scored {
namespace {

using online::kBitsPerSymbol;
using online::kPayloadBlock;

constexpr size_t kSymbolsPerBlock = kPayloadBlock * 8 / kBitsPerSymbol;  // 8
constexpr uint8_t kShift = 64;
constexpr size_t kMaxScoreDigits = 10;
constexpr std::string_view kHead = "type=0|name=";
constexpr std::string_view kScoreKey = "|score=";
constexpr std::string_view kKeyAndP = "|key=X|p=";
constexpr std::string_view kAddKey = "|add=";
constexpr std::string_view kEndKey = "|z=";

std::string Unshift(std::string_view text) {
  std::string plain(text);
  for (char& c : plain) c = static_cast<char>(static_cast<uint8_t>(static_cast<uint8_t>(c) - kShift));
  return plain;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsPChar(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-'; }

// Decimal digits without a sign or a leading zero, within int32.
std::optional<int32_t> ParseScore(std::string_view digits) {
  if (digits.empty() || digits.size() > kMaxScoreDigits || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::string> DecodeInf(std::string_view inf) {
  if (inf.empty() || inf.size() > kMaxInfSymbols || inf.size() % kSymbolsPerBlock != 0) return std::nullopt;
  std::string payload;
  payload.reserve(inf.size() / kSymbolsPerBlock * kPayloadBlock);
  unsigned buffer = 0;
  int held = 0;
  for (char symbol : inf) {
    const int value = online::ScoreSymbolValue(symbol);
    if (value < 0) return std::nullopt;
    buffer = (buffer << kBitsPerSymbol) | static_cast<unsigned>(value);
    held += kBitsPerSymbol;
    if (held >= 8) {
      held -= 8;
      payload += static_cast<char>((buffer >> held) & 0xFF);
      buffer &= (1u << held) - 1;
    }
  }
  return payload;
}

std::optional<Submission> ParsePayload(std::string_view payload) {
  if (payload.size() % kPayloadBlock != 0 || payload.substr(0, kHead.size()) != kHead) return std::nullopt;
  std::string_view rest = payload.substr(kHead.size());

  // The name may hold any byte, "|" too, but is at most 10 long; the score
  // key, digits and "|key=X|p=" after it fix where it ends.
  Submission submission;
  bool found = false;
  for (size_t length = 0; length <= kMaxTextLength && length < rest.size() && !found; ++length) {
    if (rest.substr(length, kScoreKey.size()) != kScoreKey) continue;
    std::string_view after = rest.substr(length + kScoreKey.size());
    size_t digits = 0;
    while (digits < after.size() && IsDigit(after[digits])) ++digits;
    const auto score = ParseScore(after.substr(0, digits));
    if (!score || after.substr(digits, kKeyAndP.size()) != kKeyAndP) continue;
    submission.name = Unshift(rest.substr(0, length));
    submission.score = *score;
    rest = after.substr(digits + kKeyAndP.size());
    found = true;
  }
  if (!found) return std::nullopt;

  // The p value is one the server made: letters, digits and '-'.
  size_t pLength = 0;
  while (pLength < rest.size() && IsPChar(rest[pLength])) ++pLength;
  if (pLength == 0 || pLength > kMaxPLength || rest.substr(pLength, kAddKey.size()) != kAddKey) return std::nullopt;
  submission.p = std::string(rest.substr(0, pLength));
  rest.remove_prefix(pLength + kAddKey.size());

  // Only "0" padding follows the real end key, so its last "|z=" is the one.
  const size_t end = rest.rfind(kEndKey);
  if (end == std::string_view::npos || end > kMaxTextLength) return std::nullopt;
  const std::string_view padding = rest.substr(end + kEndKey.size());
  if (padding.size() >= kPayloadBlock || padding.find_first_not_of('0') != std::string_view::npos) return std::nullopt;
  submission.addText = Unshift(rest.substr(0, end));
  return submission;
}

std::optional<Submission> DecodeSubmission(std::string_view inf) {
  const auto payload = DecodeInf(inf);
  if (!payload) return std::nullopt;
  return ParsePayload(*payload);
}

}  // namespace scored
