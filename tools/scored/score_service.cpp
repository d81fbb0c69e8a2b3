#include "score_service.h"

#include <algorithm>
#include <vector>

#include "table_page.h"

namespace scored {
namespace {

constexpr std::string_view kScript = "/cgi/version.pl";
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
      submissions_(limits.submissionsPerMinute) {}

void ScoreService::Handle(std::string_view target, const std::string& client, Respond respond) {
  if (target.size() > kMaxTargetLength) return respond(Error(414, "ERR request too long"));
  const size_t question = target.find('?');
  if (target.substr(0, question) != kScript) return respond(Error(404, "ERR not found"));
  if (question == std::string_view::npos) return respond(Error(400, "ERR no query"));
  const std::vector<std::string_view> parts = SplitQuery(target.substr(question + 1));
  if (!Has(parts, kProgram)) return respond(Error(400, "ERR unknown program"));
  if (parts.size() == 2 && Has(parts, "version")) return respond(Version(client));
  if (parts.size() == 3 && Has(parts, "show") && Has(parts, "type=0")) return respond(Table());
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
  keeper_.Submit({std::move(*submission), *issued, now}, [respond = std::move(respond)](SubmitOutcome outcome) {
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

Reply ScoreService::Table() {
  Reply reply;
  reply.contentType = "text/html; charset=utf-8";
  reply.headers = TablePageHeaders();
  reply.body = *keeper_.TablePage();
  return reply;
}

}  // namespace scored
