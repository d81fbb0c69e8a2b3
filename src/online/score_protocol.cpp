#include "online/score_protocol.h"

#include "online/score_symbols.h"

namespace online {
namespace {

constexpr int kPFieldCut = 5;          // the cut whose field is the p value
constexpr uint8_t kShift = 64;
constexpr char kSeparator = '|';
constexpr unsigned kSymbolMask = (1u << kBitsPerSymbol) - 1;

}  // namespace

bool ReplyAccepted(std::string_view reply) { return reply.size() >= 2 && reply[0] == 'O' && reply[1] == 'K'; }

std::string PValueFromReply(std::string_view reply) {
  std::string_view rest = reply;
  std::string_view field;
  for (int cut = 1; cut <= kPFieldCut; ++cut) {
    const size_t bar = rest.find(kSeparator);
    if (bar == std::string_view::npos) {
      field = {};
      continue;
    }
    field = rest.substr(0, bar);
    rest.remove_prefix(bar + 1);
  }
  return std::string(field);
}

std::string ShiftText(std::string_view text) {
  std::string shifted(text);
  for (char& c : shifted) c = static_cast<char>(static_cast<uint8_t>(static_cast<uint8_t>(c) + kShift));
  return shifted;
}

std::string BuildPayload(std::string_view name, int32_t score, std::string_view p, std::string_view addText) {
  std::string payload = "type=0";
  payload += "|name=";
  payload += ShiftText(name);
  payload += "|score=";
  payload += std::to_string(score);
  payload += "|key=X";
  payload += "|p=";
  payload += p;
  payload += "|add=";
  payload += ShiftText(addText);
  payload += "|z=";
  while (payload.size() % kPayloadBlock != 0) payload += '0';
  return payload;
}

std::string EncodePayload(std::string_view payload) {
  const size_t bits = payload.size() * 8;
  const size_t symbols = (bits + kBitsPerSymbol - 1) / kBitsPerSymbol;
  // The leading "0" bits that make the bit text a multiple of 5 long.
  const size_t lead = symbols * kBitsPerSymbol - bits;
  std::string encoded;
  encoded.reserve(symbols);
  unsigned buffer = 0;
  int held = static_cast<int>(lead);
  for (char c : payload) {
    buffer = (buffer << 8) | static_cast<uint8_t>(c);
    held += 8;
    while (held >= kBitsPerSymbol) {
      held -= kBitsPerSymbol;
      encoded += kScoreSymbols[(buffer >> held) & kSymbolMask];
    }
    buffer &= (1u << held) - 1;
  }
  return encoded;
}

}  // namespace online
