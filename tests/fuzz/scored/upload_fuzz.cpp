// libFuzzer target: the replay upload path of the score server. The bytes
// split into a request target and a body, posted to the service (whose
// store is a scratch SQLite file), as what a replay's head declares for the
// verifier's limits, and as the verifier's answer judged against a claim.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <string_view>

#include "replay_sandbox.h"
#include "score_keeper.h"
#include "score_service.h"
#include "table_page.h"

namespace {

scored::ScoreService& Service() {
  static const std::string db =
      (std::filesystem::temp_directory_path() / ("scored-upload-fuzz-" + std::to_string(getpid()) + ".db")).string();
  static scored::ScoreKeeper keeper([] { return scored::OpenStore(db); }, scored::TablePage, {}, scored::ScoresJson);
  static scored::ScoreService service(keeper, {0, 0, 0});
  return service;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const size_t cut = bytes.find('\n');
  const std::string_view target = cut == std::string_view::npos ? bytes : bytes.substr(0, cut);
  const std::string body(cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1));

  std::promise<int> status;
  Service().Handle(scored::ServiceRequest{target, true, scored::kReplayType, body}, "192.0.2.1",
                   [&](scored::Reply reply) { status.set_value(reply.status); });
  // Nothing posted from outside is taken without an issued p value and its stored submission.
  if (status.get_future().get() == 202) std::abort();

  const scored::SandboxLimits limits = scored::LimitsFor(bytes);
  if (limits.frames > 4000u * 60 * 4 || limits.cpuSeconds == 0 || limits.wall.count() <= 0) std::abort();
  const scored::Judgement judgement = scored::JudgeVerifierOutcome(0, 0, bytes, 1234);
  if (judgement.verdict == scored::Verdict::kVerified && bytes.find("1234") == std::string_view::npos) std::abort();
  return 0;
}
