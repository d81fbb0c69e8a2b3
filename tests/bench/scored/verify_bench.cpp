// The score server's verification of replays, over the 30 recorded runs of
// the integration tests. First the game's verifier in the server's sandbox,
// one run after another: its processor time per minute of play and the
// verifications a second that one core does. Then 32 clients (unless told)
// at once, each sending runs the way the game does (version query,
// submission, replay upload, through the game's own client) to two scored
// instances sharing a PostgreSQL store, each with one verify worker: the
// time from each upload's answer to its verdict in the store (p50, p99).
// Most of those uploads are copies of runs verified already: they are
// verified in full all the same and then rejected.
// Bounded: three rounds of the 30 runs, clients x runs-per-client uploads,
// no phase past two minutes.
// Run: build/tests/verify_bench [clients] [runs-per-client]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "online/http_client.h"
#include "online/score_client.h"
#include "postgres_server.h"
#include "recorded_score_runs.h"
#include "replay_sandbox.h"
#include "score_store.h"
#include "scored_process.h"
#include "text_file.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const fs::path kReplays = VARNOK_SCORE_REPLAYS_DIR;
const std::string kVerifier = std::string(VARNOK_GAME_DIR) + "/varnok";
constexpr int kDefaultClients = 32;
constexpr int kDefaultPerClient = 4;
constexpr int kSandboxRounds = 3;
constexpr double kSecondsPerFrame = 0.015;  // the game's frame
constexpr auto kTimeLimit = 120s;

using Run = testing_support::RecordedRun;

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1))];
}

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The verifier in the sandbox, one run at a time (so on one core).
bool SandboxFigures(const std::vector<Run>& runs) {
  const scored::ReplaySandbox sandbox(kVerifier);
  std::vector<std::pair<double, double>> costs;  // minutes of play, processor seconds: one a verified run
  int judged = 0;
  const double cpuBefore = ChildrenCpuSeconds();
  const auto start = Clock::now();
  for (int round = 0; round < kSandboxRounds && Clock::now() - start < kTimeLimit; ++round) {
    for (const Run& run : runs) {
      const double before = ChildrenCpuSeconds();
      const scored::Judgement judgement = sandbox.Judge(run.replay, run.score, {});
      ++judged;
      if (judgement.verdict != scored::Verdict::kVerified) {
        std::fprintf(stderr, "a recorded run was not verified: %s\n", judgement.why.c_str());
        continue;
      }
      const double frames = std::atof(judgement.run.c_str());  // "frames:score:world"
      costs.emplace_back(frames * kSecondsPerFrame / 60, ChildrenCpuSeconds() - before);
    }
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = ChildrenCpuSeconds() - cpuBefore;
  // Processor time = start + slope x minutes, fitted over the runs (least squares).
  double minutes = 0, sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
  for (const auto& [x, y] : costs) {
    minutes += x;
    sumX += x;
    sumY += y;
    sumXX += x * x;
    sumXY += x * y;
  }
  const double n = static_cast<double>(costs.size());
  const double slope = n > 1 ? (n * sumXY - sumX * sumY) / (n * sumXX - sumX * sumX) : 0;
  const double fixed = n > 0 ? (sumY - slope * sumX) / n : 0;
  std::printf("sandbox: %d verifications (%zu verified), %.1f minutes of play (%.0f s a run on average), "
              "%.2f s processor, %.2f s wall\n",
              judged, costs.size(), minutes, n > 0 ? 60 * minutes / n : 0, cpu, wall);
  std::printf("  verifier processor time per minute of play  %.3f s all told; fitted: %.0f ms a verification "
              "(start, data files hashed) + %.3f s a minute of play\n",
              minutes > 0 ? cpu / minutes : 0, 1000 * fixed, slope);
  std::printf("  processor time per verification             %.1f ms\n", 1000 * cpu / judged);
  std::printf("  verifications a second on one core          %.1f (wall clock), %.1f (processor time)\n",
              judged / wall, cpu > 0 ? judged / cpu : 0);
  std::fflush(stdout);
  return static_cast<int>(costs.size()) == judged;
}

// Upload to verdict: 32 clients against two instances on one PostgreSQL.
bool LoadFigures(const std::vector<Run>& runs, int clients, int perClient, const fs::path& dir) {
  testing_support::PostgresServer postgres;
  if (!postgres.Start()) {
    std::fprintf(stderr, "PostgreSQL did not start:\n%s\n", postgres.Log().c_str());
    return false;
  }
  const std::string uri = postgres.Uri(postgres.CreateDatabase());
  std::vector<std::unique_ptr<testing_support::ScoredProcess>> servers;
  for (int i = 0; i < 2; ++i) {
    servers.push_back(std::make_unique<testing_support::ScoredProcess>(
        VARNOK_SCORED, uri,
        std::vector<std::string>{"--verifier", kVerifier, "--verify-workers", "1", "--version-limit", "0",
                                 "--submit-limit", "0", "--page-limit", "0", "--max-per-client", "1000",
                                 "--unverified-per-client", "0"},
        dir / ("scored-" + std::to_string(i))));
    if (!servers.back()->Start()) {
      std::fprintf(stderr, "scored did not start: %s\n", servers.back()->ErrorOutput().c_str());
      return false;
    }
  }

  std::mutex mutex;
  std::map<std::string, Clock::time_point> uploaded;  // by name: when its upload was answered
  std::atomic<int> failed{0}, started{0};
  std::atomic<bool> go{false};
  const auto deadline = Clock::now() + kTimeLimit;
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      online::TCurlHttpClient http(online::HttpLimits{.maxReplyBytes = 1 << 16});
      const std::string server = servers[static_cast<size_t>(c) % servers.size()]->Address();
      ++started;
      while (!go) std::this_thread::yield();
      for (int k = 0; k < perClient && Clock::now() < deadline; ++k) {
        const Run& run = runs[static_cast<size_t>(c * perClient + k) % runs.size()];
        const std::string name = "C" + std::to_string(c) + "K" + std::to_string(k);
        std::string p;
        if (online::RunScoreSequence(http, server, {name, "", run.score, run.replay}, &p) !=
                online::SubmissionOutcome::kSent ||
            p.empty() ||
            !online::UploadReplay(http, server, p, run.replay, {.tries = 3, .firstPause = 200ms},
                                    [](std::chrono::milliseconds pause) {
                                      std::this_thread::sleep_for(pause);
                                      return true;
                                    })) {
          ++failed;
          continue;
        }
        std::lock_guard lock(mutex);
        uploaded[name] = Clock::now();
      }
    });
  }
  while (started < clients) std::this_thread::yield();
  const auto start = Clock::now();
  go = true;

  // The verdicts, as the store has them, looked at every 20 ms.
  auto store = scored::OpenStore(uri);
  std::map<std::string, Clock::time_point> decided;
  std::map<scored::Verdict, int> verdicts;
  const int expected = clients * perClient;
  while (Clock::now() < deadline && static_cast<int>(decided.size()) + failed < expected) {
    for (const scored::ScoreRow& row : store->Best(expected + 1, false)) {
      if (row.verdict != scored::Verdict::kPending && row.verdict != scored::Verdict::kNone &&
          decided.emplace(row.name, Clock::now()).second) {
        ++verdicts[row.verdict];
      }
    }
    std::this_thread::sleep_for(20ms);
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  for (auto& t : threads) t.join();

  std::vector<double> ms;
  for (const auto& [name, at] : uploaded) {
    const auto verdict = decided.find(name);
    if (verdict == decided.end()) continue;
    ms.push_back(std::max(0.0, std::chrono::duration<double, std::milli>(verdict->second - at).count()));
  }
  std::printf("%d clients x %d runs against 2 instances (1 verify worker each) on PostgreSQL: %zu uploaded, %d "
              "failed, %zu decided (%d verified, %d rejected as copies or otherwise) in %.1f s\n",
              clients, perClient, uploaded.size(), failed.load(), ms.size(), verdicts[scored::Verdict::kVerified],
              verdicts[scored::Verdict::kRejected], wall);
  std::printf("  upload to verdict  p50 %.0f ms  p99 %.0f ms  max %.0f ms  (verdicts looked for every 20 ms)\n",
              Quantile(ms, 0.5), Quantile(ms, 0.99), Quantile(ms, 1.0));
  std::fflush(stdout);
  return failed == 0 && static_cast<int>(ms.size()) == expected;
}

}  // namespace

int main(int argc, char** argv) {
  const int clients = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 256) : kDefaultClients;
  const int perClient = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 100) : kDefaultPerClient;
  if (access(kVerifier.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "the game is not built: %s\n", kVerifier.c_str());
    return 1;
  }
  const std::vector<Run> runs = testing_support::RecordedScoreRuns(kReplays);
  if (runs.empty()) {
    std::fprintf(stderr, "no recorded runs in %s\n", kReplays.c_str());
    return 1;
  }
  std::printf("verifying %zu recorded runs on %u cores\n", runs.size(), std::thread::hardware_concurrency());
  bool ok = SandboxFigures(runs);
  if (!testing_support::PostgresServer::Available()) {
    std::printf("PostgreSQL: %s\n", testing_support::PostgresServer::kMissing);
    return ok ? 0 : 1;
  }
  std::string pattern = (fs::temp_directory_path() / "verify-bench-XXXXXX").string();
  const fs::path dir = ::mkdtemp(pattern.data());
  ok = LoadFigures(runs, clients, perClient, dir) && ok;
  fs::remove_all(dir);
  return ok ? 0 : 1;
}
