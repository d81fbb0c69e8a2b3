// ScoreService: the score server's script "/cgi/version.pl".
//   ?version&prg=Quellix3          "OK|Quellix3|1|0|<p>|" with a fresh one-time p value
//   ?hs&prg=Quellix3&inf=<base-32> a submission: decoded, checked, stored ("OK")
//   ?prg=Quellix3&show&type=0      the online table page, best first (&all: every
//                                  submission with its mark, when replays are verified)
// and the replays of the scores:
//   POST /cgi/replay?p=<p>         the replay of the acknowledged submission of p
//                                  (application/x-varnok-replay), queued for verification
//   GET /cgi/replay?id=<n>         a verified score's replay
//   GET /api/scores[?verified]     the table as JSON
// Anything else, every submission that is not of the game's form or whose
// p value was not issued by a server on this store, has expired or is used,
// and every request over its client's rate limit (429) is answered with an
// error and leaves the store as it was. "OK" to a submission means it is
// durable. No answer but the table's views and replays may be kept by a cache.
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
  int submissionsPerMinute = 30;  // submissions per client, and replay uploads as many; 0: no limit
  int pagesPerMinute = 600;       // table pages, JSON views and replay downloads per client; 0: no limit
};

// A replay is taken this long after its submission arrived, no longer.
inline constexpr int64_t kUploadWindowSeconds = 600;
inline constexpr std::string_view kReplayType = "application/x-varnok-replay";

struct ServiceRequest {
  std::string_view target;       // path and query, as sent
  bool post = false;             // POST (else GET)
  std::string_view contentType;  // of a POST's body
  std::string body;
};

class ScoreService {
 public:
  using Respond = std::function<void(Reply)>;

  ScoreService(ScoreKeeper& keeper, ServiceLimits limits);

  // Answers a GET of `target` (path and query, as sent) from `client` (a
  // ClientKey). `respond` is called once, maybe on another thread: a
  // submission is answered when the store has it.
  void Handle(std::string_view target, const std::string& client, Respond respond);
  void Handle(ServiceRequest request, const std::string& client, Respond respond);

 private:
  Reply Version(const std::string& client);
  void Submit(std::string_view inf, const std::string& client, Respond respond);
  Reply Table(bool all, const std::string& client);
  Reply Json(bool verifiedOnly, const std::string& client);
  void Upload(std::string_view p, const ServiceRequest& request, const std::string& client, Respond respond);
  void Download(std::string_view id, const std::string& client, Respond respond);

  ScoreKeeper& keeper_;
  TicketSigner signer_;
  RateLimiter versions_, submissions_, uploads_, pages_;
};

}  // namespace scored
