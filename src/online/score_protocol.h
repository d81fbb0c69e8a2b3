// The score server's protocol as the game speaks it: the version query, the
// reading of its reply, and the packing and base-32 encoding of a submission.
// Pure functions over bytes; the requests themselves are made by the score
// client (score_client.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace online {

inline constexpr const char* kVersionQuery = "/cgi/version.pl?version&prg=Quellix3";
inline constexpr const char* kSubmissionQuery = "/cgi/version.pl?hs&prg=Quellix3&inf=";
inline constexpr const char* kOnlineTableQuery = "/cgi/version.pl?prg=Quellix3&show&type=0";

// A version reply lets the submission go ahead only when its first two
// characters are "OK" (upper case).
bool ReplyAccepted(std::string_view reply);

// The p value of a version reply: the field taken by the fifth cut at "|".
// A cut that finds no "|" takes an empty field and keeps the text, so a reply
// with fewer than five "|" gives an empty p value.
std::string PValueFromReply(std::string_view reply);

// Every byte c becomes (c + 64) mod 256, so bytes 192..255 wrap (200 -> 8).
std::string ShiftText(std::string_view text);

// "type=0|name=<shifted name>|score=<decimal>|key=X|p=<p>|add=<shifted add>|z="
// followed by "0" characters up to a multiple of 5 bytes.
std::string BuildPayload(std::string_view name, int32_t score, std::string_view p, std::string_view addText);

// The payload's bits, most significant first, with "0" bits in front up to a
// multiple of 5, read 5 at a time as symbols of the table: 8 symbols per 5 bytes.
std::string EncodePayload(std::string_view payload);

}  // namespace online
