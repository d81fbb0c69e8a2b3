// Load test of the score server on 127.0.0.1: a fresh scored with an empty
// database, N concurrent clients (32 unless told), each sending M whole
// submissions the way the game does (version query, then the submission,
// each on a new connection). Prints submissions per second and the latency
// of a whole submission and of the submission request alone (p50, p99).
// Bounded: N x M submissions, and no client runs past a minute.
// Run: build/tests/scored_bench [clients] [submissions-per-client]
#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "scored_process.h"
#include "services/score_protocol.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultClients = 32;
constexpr int kDefaultPerClient = 100;
constexpr auto kTimeLimit = std::chrono::seconds(60);

struct ClientFigures {
  std::vector<double> wholeMs, submitMs;
  int failed = 0;
};

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1))];
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void RunClient(const std::string& address, int index, int count, Clock::time_point deadline, ClientFigures& out) {
  for (int i = 0; i < count && Clock::now() < deadline; ++i) {
    const auto start = Clock::now();
    httplib::Client version(address);
    auto reply = version.Get(services::kVersionQuery);
    if (!reply || reply->status != 200 || !services::ReplyAccepted(reply->body)) {
      ++out.failed;
      continue;
    }
    const std::string payload =
        services::BuildPayload("LOAD" + std::to_string(index), i, services::PValueFromReply(reply->body), "BENCH");
    const auto sendStart = Clock::now();
    httplib::Client submit(address);
    auto sent = submit.Get((services::kSubmissionQuery + services::EncodePayload(payload)).c_str());
    const auto end = Clock::now();
    if (!sent || sent->status != 200) {
      ++out.failed;
      continue;
    }
    out.wholeMs.push_back(Ms(end - start));
    out.submitMs.push_back(Ms(end - sendStart));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int clients = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultClients;
  const int perClient = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultPerClient;

  std::string pattern = (fs::temp_directory_path() / "scored-bench-XXXXXX").string();
  const fs::path dir = ::mkdtemp(pattern.data());
  int status = 0;
  {
    testing_support::ScoredProcess server(VARNOK_SCORED, dir / "scores.db");
    if (!server.Start()) {
      std::fprintf(stderr, "scored did not start: %s\n", server.ErrorOutput().c_str());
      fs::remove_all(dir);
      return 1;
    }
    std::vector<ClientFigures> figures(static_cast<size_t>(clients));
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    const auto deadline = start + kTimeLimit;
    for (int c = 0; c < clients; ++c) {
      threads.emplace_back(RunClient, server.Address(), c, perClient, deadline, std::ref(figures[static_cast<size_t>(c)]));
    }
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::vector<double> whole, submit;
    int failed = 0;
    for (const auto& f : figures) {
      whole.insert(whole.end(), f.wholeMs.begin(), f.wholeMs.end());
      submit.insert(submit.end(), f.submitMs.begin(), f.submitMs.end());
      failed += f.failed;
    }
    std::printf("scored on 127.0.0.1, %d concurrent clients x %d submissions\n", clients, perClient);
    std::printf("  stored          %zu submissions in %.2f s, %d failed\n", whole.size(), seconds, failed);
    std::printf("  throughput      %.0f submissions/s\n", static_cast<double>(whole.size()) / seconds);
    std::printf("  whole (2 GETs)  p50 %.2f ms   p99 %.2f ms\n", Quantile(whole, 0.5), Quantile(whole, 0.99));
    std::printf("  submission GET  p50 %.2f ms   p99 %.2f ms\n", Quantile(submit, 0.5), Quantile(submit, 0.99));
    status = failed == 0 ? 0 : 1;
  }
  fs::remove_all(dir);
  return status;
}
