// Reading a submission's "inf" value: the base-32 text back to the payload
// bytes, then the payload's fields checked against the one form the game's
// client sends ("type=0|name=…|score=…|key=X|p=…|add=…|z=" and "0" padding
// to a multiple of 5 bytes), and the name and add text unshifted.
//
// Everything here reads bytes from the network: any input gives a result or
// nothing, within the size limit, never a crash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scored {

// The longest "inf" taken: a payload of 320 bytes, twice the longest the
// game's client sends to this server.
inline constexpr size_t kMaxInfSymbols = 512;
inline constexpr size_t kMaxTextLength = 10;  // names and add texts
inline constexpr size_t kMaxPLength = 64;

struct Submission {
  std::string name;     // unshifted: the bytes the player typed
  std::string addText;  // unshifted
  int32_t score = 0;    // 0 or more
  std::string p;        // as the server issued it
};

// The payload bytes of a base-32 text over the shared symbol table; nothing
// when it is empty, longer than kMaxInfSymbols, holds another character, or
// is not 8 symbols for every 5 payload bytes.
std::optional<std::string> DecodeInf(std::string_view inf);

// The fields of a payload; nothing when it is not of the client's form.
std::optional<Submission> ParsePayload(std::string_view payload);

// DecodeInf, then ParsePayload.
std::optional<Submission> DecodeSubmission(std::string_view inf);

}  // namespace scored
