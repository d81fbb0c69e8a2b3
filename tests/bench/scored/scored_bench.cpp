// Load test of the score server on loopback. For each store (SQLite, and
// PostgreSQL when its server programs are installed), with one server and
// with two sharing the store, and with and without 200 slow clients holding
// connections open, it starts fresh servers and N concurrent clients (32
// unless told), each sending M whole submissions the way the game does
// (version query, then the submission, each on a new connection; with two
// servers a client asks one for its p value and sends to the other). It
// prints submissions per second and the latency of a whole submission and
// of the submission request alone (p50, p99).
// Bounded: N x M submissions a run, no run past a minute, the slow clients
// stop with their run.
// Run: build/tests/scored_bench [clients] [submissions-per-client]
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "postgres_server.h"
#include "raw_http.h"
#include "scored_process.h"
#include "online/score_protocol.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kDefaultClients = 32;
constexpr int kDefaultPerClient = 50;
constexpr int kSlowClients = 200;
constexpr auto kTimeLimit = 60s;

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

// Client c speaks from 127.0.2.(c+1), so the per-client caps see many clients.
std::string LoadAddress(int c) { return "127.0." + std::to_string(2 + c / 250) + "." + std::to_string(1 + c % 250); }

void RunClient(std::vector<int> ports, int index, int count, Clock::time_point deadline, ClientFigures& out) {
  const std::string source = LoadAddress(index);
  for (int i = 0; i < count && Clock::now() < deadline; ++i) {
    const int versionPort = ports[static_cast<size_t>(index + i) % ports.size()];
    const int submitPort = ports[static_cast<size_t>(index + i + 1) % ports.size()];
    const auto start = Clock::now();
    auto reply = raw_http::Get(source, versionPort, online::kVersionQuery, "", 10s);
    if (!reply || reply->status != 200 || !online::ReplyAccepted(reply->body)) {
      ++out.failed;
      continue;
    }
    const std::string payload =
        online::BuildPayload("LOAD" + std::to_string(index), i, online::PValueFromReply(reply->body), "BENCH");
    const auto sendStart = Clock::now();
    auto sent = raw_http::Get(source, submitPort, online::kSubmissionQuery + online::EncodePayload(payload), "", 10s);
    const auto end = Clock::now();
    if (!sent || sent->status != 200) {
      ++out.failed;
      continue;
    }
    out.wholeMs.push_back(Ms(end - start));
    out.submitMs.push_back(Ms(end - sendStart));
  }
}

// 200 clients, each from an address of its own (127.0.1.x), each holding a
// connection with half a request and a header line every 200 ms; a
// connection the server cuts is opened again.
class SlowClients {
 public:
  SlowClients(std::vector<int> ports) : ports_(std::move(ports)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~SlowClients() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Run() {
    std::vector<int> fds(kSlowClients, -1);
    while (!stop_) {
      for (size_t i = 0; i < fds.size() && !stop_; ++i) {
        if (fds[i] < 0) {
          fds[i] = raw_http::Connect("127.0.1." + std::to_string(i + 1), ports_[i % ports_.size()]);
          if (fds[i] >= 0) raw_http::SendAll(fds[i], "GET /cgi/version.pl?version&prg=Quellix3 HTTP/1.1\r\n");
        } else if (!raw_http::SendAll(fds[i], "X-Slow: 1\r\n")) {
          close(fds[i]);
          fds[i] = -1;
        }
      }
      std::this_thread::sleep_for(200ms);
    }
    for (int fd : fds) {
      if (fd >= 0) close(fd);
    }
  }

  std::vector<int> ports_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

bool RunOnce(const std::string& label, const std::string& db, int instances, bool slow, int clients, int perClient,
             const fs::path& dir) {
  std::vector<std::unique_ptr<testing_support::ScoredProcess>> servers;
  std::vector<int> ports;
  for (int i = 0; i < instances; ++i) {
    servers.push_back(std::make_unique<testing_support::ScoredProcess>(
        VARNOK_SCORED, db, std::vector<std::string>{"--version-limit", "0", "--submit-limit", "0"},
        dir / (label + "-" + std::to_string(i))));
    if (!servers.back()->Start()) {
      std::fprintf(stderr, "scored did not start: %s\n", servers.back()->ErrorOutput().c_str());
      return false;
    }
    ports.push_back(servers.back()->Port());
  }
  std::unique_ptr<SlowClients> slowClients;
  if (slow) {
    slowClients = std::make_unique<SlowClients>(ports);
    std::this_thread::sleep_for(500ms);  // all of them connected
  }
  std::vector<ClientFigures> figures(static_cast<size_t>(clients));
  std::vector<std::thread> threads;
  const auto start = Clock::now();
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back(RunClient, ports, c, perClient, start + kTimeLimit, std::ref(figures[static_cast<size_t>(c)]));
  }
  for (auto& t : threads) t.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  slowClients.reset();

  std::vector<double> whole, submit;
  int failed = 0;
  for (const auto& f : figures) {
    whole.insert(whole.end(), f.wholeMs.begin(), f.wholeMs.end());
    submit.insert(submit.end(), f.submitMs.begin(), f.submitMs.end());
    failed += f.failed;
  }
  std::printf("%-10s %d server%s %-9s %6.0f/s  whole p50 %6.2f p99 %7.2f ms  submission p50 %6.2f p99 %7.2f ms  (%zu stored, %d failed)\n",
              label.c_str(), instances, instances == 1 ? " " : "s", slow ? "200 slow" : "no slow",
              static_cast<double>(whole.size()) / seconds, Quantile(whole, 0.5), Quantile(whole, 0.99),
              Quantile(submit, 0.5), Quantile(submit, 0.99), whole.size(), failed);
  std::fflush(stdout);
  return failed == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int clients = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 500) : kDefaultClients;
  const int perClient = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultPerClient;

  std::string pattern = (fs::temp_directory_path() / "scored-bench-XXXXXX").string();
  const fs::path dir = ::mkdtemp(pattern.data());
  std::printf("scored on loopback, %d concurrent clients x %d submissions (version query + submission, new "
              "connections), on %u cores\n",
              clients, perClient, std::thread::hardware_concurrency());
  bool ok = true;
  for (int instances : {1, 2}) {
    for (bool slow : {false, true}) {
      const std::string file = (dir / ("sqlite-" + std::to_string(instances) + (slow ? "-slow" : "") + ".db")).string();
      ok = RunOnce("SQLite", file, instances, slow, clients, perClient, dir) && ok;
    }
  }
  if (!testing_support::PostgresServer::Available()) {
    std::printf("PostgreSQL: %s\n", testing_support::PostgresServer::kMissing);
  } else {
    testing_support::PostgresServer postgres;
    if (!postgres.Start()) {
      std::fprintf(stderr, "PostgreSQL did not start:\n%s\n", postgres.Log().c_str());
      ok = false;
    } else {
      for (int instances : {1, 2}) {
        for (bool slow : {false, true}) {
          ok = RunOnce("PostgreSQL", postgres.Uri(postgres.CreateDatabase()), instances, slow, clients, perClient, dir) &&
               ok;
        }
      }
    }
  }
  fs::remove_all(dir);
  return ok ? 0 : 1;
}
