#include "score_service.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "replay_sandbox.h"
#include "table_page.h"

namespace scored {
namespace {

constexpr std::string_view kScript = "/cgi/version.pl";
constexpr std::string_view kReplayScript = "/cgi/replay";
constexpr std::string_view kApiScores = "/api/scores";
constexpr std::string_view kReplayMagic = "VARNOKRP";
constexpr size_t kMaxIdDigits = 18;
constexpr std::string_view kProgram = "prg=Quellix3";
constexpr std::string_view kInfKey = "inf=";

std::vector<std::string_view> SplitQuery(std::string_view query) {
  std::vector<std::string_view> parts;
  while (!query.empty()) {
    const size_t amp = query.find('&');
    parts.push_back(query.substr(0, amp));
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return parts;
}

bool Has(const std::vector<std::string_view>& parts, std::string_view part) {
  return std::find(parts.begin(), parts.end(), part) != parts.end();
}

Reply Error(int status, std::string body) {
  Reply reply;
  reply.status = status;
  reply.body = std::move(body) + "\n";
  return reply;
}

}  // namespace

ScoreService::ScoreService(ScoreKeeper& keeper, ServiceLimits limits)
    : keeper_(keeper),
      signer_(keeper.TicketKey()),
      versions_(limits.versionsPerMinute),
      submissions_(limits.submissionsPerMinute),
      uploads_(limits.submissionsPerMinute),
      pages_(limits.pagesPerMinute) {}

void ScoreService::Handle(std::string_view target, const std::string& client, Respond respond) {
  Handle(ServiceRequest{target, false, {}, {}}, client, std::move(respond));
}

void ScoreService::Handle(ServiceRequest request, const std::string& client, Respond respond) {
  const std::string_view target = request.target;
  if (target.size() > kMaxTargetLength) return respond(Error(414, "ERR request too long"));
  const size_t question = target.find('?');
  const std::string_view path = target.substr(0, question);
  const std::string_view query = question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
  if (path == kReplayScript) {
    if (request.post && query.substr(0, 2) == "p=") return Upload(query.substr(2), request, client, std::move(respond));
    if (!request.post && query.substr(0, 3) == "id=") return Download(query.substr(3), client, std::move(respond));
    return respond(Error(400, "ERR unknown request"));
  }
  if (request.post) {
    Reply reply = Error(405, "ERR only GET");
    reply.headers.emplace_back("Allow", "GET");
    return respond(std::move(reply));
  }
  if (path == kApiScores) {
    if (query.empty() || query == "verified") return respond(Json(!query.empty(), client));
    return respond(Error(400, "ERR unknown request"));
  }
  if (path != kScript) return respond(Error(404, "ERR not found"));
  if (question == std::string_view::npos) return respond(Error(400, "ERR no query"));
  const std::vector<std::string_view> parts = SplitQuery(query);
  if (!Has(parts, kProgram)) return respond(Error(400, "ERR unknown program"));
  if (parts.size() == 2 && Has(parts, "version")) return respond(Version(client));
  if (parts.size() == 3 && Has(parts, "show") && Has(parts, "type=0")) return respond(Table(false, client));
  if (parts.size() == 4 && Has(parts, "show") && Has(parts, "type=0") && Has(parts, "all")) {
    return respond(Table(true, client));
  }
  if (parts.size() == 3 && Has(parts, "hs")) {
    for (std::string_view part : parts) {
      if (part.substr(0, kInfKey.size()) == kInfKey) return Submit(part.substr(kInfKey.size()), client, std::move(respond));
    }
  }
  respond(Error(400, "ERR unknown request"));
}

Reply ScoreService::Version(const std::string& client) {
  if (!versions_.Allow(client, RateLimiter::Clock::now())) return Error(429, "ERR too many requests");
  Reply reply;
  reply.body = "OK|Quellix3|1|0|" + signer_.Issue(TicketSigner::Now()) + "|\n";
  return reply;
}

void ScoreService::Submit(std::string_view inf, const std::string& client, Respond respond) {
  if (!submissions_.Allow(client, RateLimiter::Clock::now())) return respond(Error(429, "ERR too many requests"));
  if (inf.size() > kMaxInfSymbols) return respond(Error(413, "ERR submission too long"));
  auto submission = DecodeSubmission(inf);
  if (!submission) return respond(Error(400, "ERR malformed submission"));
  const int64_t now = TicketSigner::Now();
  const auto issued = signer_.IssuedAt(submission->p, now);
  if (!issued) return respond(Error(403, "ERR unknown or used p"));
  keeper_.Submit({std::move(*submission), *issued, now, client}, [respond = std::move(respond)](SubmitOutcome outcome) {
    switch (outcome) {
      case SubmitOutcome::kStored: {
        Reply reply;
        reply.body = "OK\n";
        return respond(std::move(reply));
      }
      case SubmitOutcome::kUsed: return respond(Error(403, "ERR unknown or used p"));
      case SubmitOutcome::kUnavailable: return respond(Error(503, "ERR store unavailable"));
    }
  });
}

Reply ScoreService::Table(bool all, const std::string& client) {
  if (!pages_.Allow(client, RateLimiter::Clock::now())) return Error(429, "ERR too many requests");
  Reply reply;
  reply.contentType = "text/html; charset=utf-8";
  reply.headers = TablePageHeaders();
  reply.body = *keeper_.TablePage(all);
  return reply;
}

Reply ScoreService::Json(bool verifiedOnly, const std::string& client) {
  if (!pages_.Allow(client, RateLimiter::Clock::now())) return Error(429, "ERR too many requests");
  const auto json = keeper_.TableJson(verifiedOnly);
  if (!json) return Error(404, "ERR not found");
  Reply reply;
  reply.contentType = "application/json";
  reply.headers = ScoresJsonHeaders();
  reply.body = *json;
  return reply;
}

void ScoreService::Upload(std::string_view p, const ServiceRequest& request, const std::string& client,
                          Respond respond) {
  if (!uploads_.Allow(client, RateLimiter::Clock::now())) return respond(Error(429, "ERR too many requests"));
  if (request.body.size() > kMaxReplayUploadBytes) return respond(Error(413, "ERR replay too large"));
  if (request.contentType != kReplayType) return respond(Error(415, "ERR not a replay"));
  if (request.body.substr(0, kReplayMagic.size()) != kReplayMagic) return respond(Error(400, "ERR not a replay"));
  const int64_t now = TicketSigner::Now();
  if (!signer_.IssuedAt(p, now)) return respond(Error(403, "ERR unknown or expired p"));
  keeper_.Upload(std::string(p), request.body, now - kUploadWindowSeconds,
                 [respond = std::move(respond)](UploadOutcome outcome) {
                   switch (outcome) {
                     case UploadOutcome::kQueued: {
                       Reply reply;
                       reply.status = 202;
                       reply.body = "OK\n";
                       return respond(std::move(reply));
                     }
                     case UploadOutcome::kNoSubmission: return respond(Error(404, "ERR no submission of this p"));
                     case UploadOutcome::kAlready: return respond(Error(409, "ERR a replay came for it already"));
                     case UploadOutcome::kUnavailable: return respond(Error(503, "ERR store unavailable"));
                   }
                 });
}

void ScoreService::Download(std::string_view id, const std::string& client, Respond respond) {
  if (!pages_.Allow(client, RateLimiter::Clock::now())) return respond(Error(429, "ERR too many requests"));
  int64_t scoreId = 0;
  const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), scoreId);
  if (id.empty() || id.size() > kMaxIdDigits || error != std::errc() || end != id.data() + id.size() || scoreId <= 0) {
    return respond(Error(400, "ERR unknown request"));
  }
  keeper_.FetchReplay(scoreId, [scoreId, respond = std::move(respond)](std::optional<std::string> replay) {
    if (!replay) return respond(Error(404, "ERR no verified replay"));
    Reply reply;
    reply.contentType = std::string(kReplayType);
    reply.headers = {{"Content-Disposition", "attachment; filename=\"varnok-" + std::to_string(scoreId) + ".vreplay\""},
                     {"X-Content-Type-Options", "nosniff"},
                     {"Cache-Control", "public, max-age=3600"}};
    reply.body = std::move(*replay);
    respond(std::move(reply));
  });
}

}  // namespace scored
