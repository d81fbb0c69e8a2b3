// ScoreService: the score server's one script "/cgi/version.pl" over HTTP.
//   ?version&prg=Quellix3          "OK|Quellix3|1|0|<p>|" with a fresh one-time p value
//   ?hs&prg=Quellix3&inf=<base-32> a submission: decoded, checked, stored ("OK")
//   ?prg=Quellix3&show&type=0      the online table page, best first
// Anything else, and every submission that is not of the game's form or
// whose p value was not issued or is used, is answered with an error and
// leaves the store as it was.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "score_store.h"

namespace httplib {
class Server;
}

namespace scored {

// The longest request target taken (path and query); longer ones get 414.
inline constexpr size_t kMaxTargetLength = 1024;
// Request bodies are never needed; a larger one is refused by the HTTP layer.
inline constexpr size_t kMaxBodyBytes = 1024;
inline constexpr int kTableRows = 100;

struct Reply {
  int status = 200;
  std::string contentType = "text/plain";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // further header fields, name and value
};

class ScoreService {
 public:
  explicit ScoreService(ScoreStore& store) : store_(store) {}

  // The answer to a GET of `target` (path and query, as sent).
  Reply Handle(std::string_view target);
  // Serves Handle on `server` with the request limits above.
  void Install(httplib::Server& server);

 private:
  Reply Version();
  Reply Submit(std::string_view inf);
  Reply Table();

  ScoreStore& store_;
};

}  // namespace scored
