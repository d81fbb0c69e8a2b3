// Where the publisher's score server is: a built-in host that the environment
// variable VARNOK_SCORE_SERVER ("host" or "host:port") may replace, and the
// address of its online high-score page.
#pragma once

#include <string>
#include <string_view>

namespace online {

inline constexpr const char* kDefaultScoreServer = "scores.varnok.example.org";
inline constexpr const char* kScoreServerVariable = "VARNOK_SCORE_SERVER";

// "host" or "host:port"; a value that is not a plain host name (letters,
// digits, '.', '-') with an optional decimal port is ignored.
std::string ScoreServer();
// Whether `address` is a plain host with an optional port.
bool IsPlainServerAddress(std::string_view address);
// The online table page: http://<server>/cgi/version.pl?prg=Quellix3&show&type=0
std::string OnlineTableUrl();

}  // namespace online
