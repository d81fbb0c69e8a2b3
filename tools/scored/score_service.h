// ScoreService: the score server's one script "/cgi/version.pl".
//   ?version&prg=Quellix3          "OK|Quellix3|1|0|<p>|" with a fresh one-time p value
//   ?hs&prg=Quellix3&inf=<base-32> a submission: decoded, checked, stored ("OK")
//   ?prg=Quellix3&show&type=0      the online table page, best first
// Anything else, every submission that is not of the game's form or whose
// p value was not issued by a server on this store, has expired or is used,
// and every request over its client's rate limit (429) is answered with an
// error and leaves the store as it was. "OK" to a submission means it is
// durable. No answer but the table page may be kept by a cache.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client_limits.h"
#include "score_keeper.h"
#include "ticket_signer.h"

namespace scored {

// The longest request target taken (path and query); longer ones get 414.
inline constexpr size_t kMaxTargetLength = 1024;
inline constexpr int kTableRows = 100;

struct Reply {
  int status = 200;
  std::string contentType = "text/plain";
  std::string body;
  // Further header fields, name and value.
  std::vector<std::pair<std::string, std::string>> headers = {{"Cache-Control", "no-store"}};
};

struct ServiceLimits {
  int versionsPerMinute = 120;    // version queries per client; 0: no limit
  int submissionsPerMinute = 30;  // submissions per client; 0: no limit
};

class ScoreService {
 public:
  using Respond = std::function<void(Reply)>;

  ScoreService(ScoreKeeper& keeper, ServiceLimits limits);

  // Answers a GET of `target` (path and query, as sent) from `client` (a
  // ClientKey). `respond` is called once, maybe on another thread: a
  // submission is answered when the store has it.
  void Handle(std::string_view target, const std::string& client, Respond respond);

 private:
  Reply Version(const std::string& client);
  void Submit(std::string_view inf, const std::string& client, Respond respond);
  Reply Table();

  ScoreKeeper& keeper_;
  TicketSigner signer_;
  RateLimiter versions_, submissions_;
};

}  // namespace scored
