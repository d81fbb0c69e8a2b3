#include "score_service.h"

#include <httplib.h>

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

Reply Error(int status, std::string body) { return {status, "text/plain", std::move(body) + "\n", {}}; }

}  // namespace

Reply ScoreService::Handle(std::string_view target) {
  if (target.size() > kMaxTargetLength) return Error(414, "ERR request too long");
  const size_t question = target.find('?');
  if (target.substr(0, question) != kScript) return Error(404, "ERR not found");
  if (question == std::string_view::npos) return Error(400, "ERR no query");
  const std::vector<std::string_view> parts = SplitQuery(target.substr(question + 1));
  if (!Has(parts, kProgram)) return Error(400, "ERR unknown program");
  try {
    if (parts.size() == 2 && Has(parts, "version")) return Version();
    if (parts.size() == 3 && Has(parts, "show") && Has(parts, "type=0")) return Table();
    if (parts.size() == 3 && Has(parts, "hs")) {
      for (std::string_view part : parts) {
        if (part.substr(0, kInfKey.size()) == kInfKey) return Submit(part.substr(kInfKey.size()));
      }
    }
  } catch (const StoreError&) {
    return Error(503, "ERR store unavailable");
  }
  return Error(400, "ERR unknown request");
}

Reply ScoreService::Version() { return {200, "text/plain", "OK|Quellix3|1|0|" + store_.IssueTicket() + "|\n", {}}; }

Reply ScoreService::Submit(std::string_view inf) {
  if (inf.size() > kMaxInfSymbols) return Error(413, "ERR submission too long");
  const auto submission = DecodeSubmission(inf);
  if (!submission) return Error(400, "ERR malformed submission");
  if (!store_.Submit(*submission)) return Error(403, "ERR unknown or used p");
  return {200, "text/plain", "OK\n", {}};
}

Reply ScoreService::Table() {
  return {200, "text/html; charset=utf-8", TablePage(store_.Best(kTableRows)), TablePageHeaders()};
}

void ScoreService::Install(httplib::Server& server) {
  server.set_payload_max_length(kMaxBodyBytes);
  server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Reply reply = Handle(request.target);
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) response.set_header(name, value);
    response.set_content(reply.body, reply.contentType.c_str());
  });
}

}  // namespace scored
