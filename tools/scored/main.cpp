// scored: Varnok's score server.
//   scored [--listen HOST:PORT] [--db FILE|postgresql://…] [--threads N]
//          [--trusted-proxy ADDRESS]... [--keep N]
//          [--version-limit N] [--submit-limit N]
//          [--max-connections N] [--max-per-client N] [--page-limit N]
//          [--verify-workers N] [--verifier PATH] [--unverified-per-client N]
// Listens on 127.0.0.1:8642 unless told otherwise (port 0 picks a free one)
// and prints "scored listening on HOST:PORT" once it accepts connections.
// SIGINT or SIGTERM stops it; a kill at any moment leaves the store whole.
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <thread>
#include <unistd.h>
#include <iterator>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "http_server.h"
#include "score_keeper.h"
#include "score_service.h"
#include "score_store.h"
#include "table_page.h"
#include "varnok_about.h"
#include "verify_workers.h"

namespace {

constexpr const char* kDefaultHost = "127.0.0.1";
constexpr int kDefaultPort = 8642;
constexpr const char* kDefaultDb = "scores.db";
constexpr int kDefaultThreads = 2;
constexpr int kMaxThreads = 64;
constexpr int kMaxPort = 65535;
constexpr int64_t kMaxCount = 1000000000;
constexpr int kMaxWorkers = 256;
constexpr int kDefaultUnverifiedPerClient = 10;
// Descriptors the server needs beside its connections: the listener, the
// stores' connections, the verifiers' pipes and files, the log.
constexpr int kReservedDescriptors = 64;
constexpr int kDescriptorsPerWorker = 8;

constexpr const char* kUsage =
    "Usage: scored [OPTION]...\n"
    "Varnok's score server: takes the game's score submissions over HTTP and\n"
    "serves the table of the best scores.\n"
    "\n"
    "      --listen HOST:PORT       listen there (default 127.0.0.1:8642; port 0\n"
    "                               picks a free one)\n"
    "      --db FILE|URI            an SQLite file (default scores.db) or a\n"
    "                               postgresql:// connection URI\n"
    "      --threads N              worker threads, 1 to 64 (default 2)\n"
    "      --trusted-proxy ADDRESS  a proxy whose X-Forwarded-For names the client\n"
    "                               (may be repeated)\n"
    "      --keep N                 keep only the best N scores (0, the default,\n"
    "                               keeps all)\n"
    "      --version-limit N        version queries a client may make a minute\n"
    "                               (default 120; 0: no limit)\n"
    "      --submit-limit N         submissions a client may make a minute\n"
    "                               (default 30; 0: no limit)\n"
    "      --max-connections N      open connections in all (default 1000)\n"
    "      --max-per-client N       open connections per client (default 16)\n"
    "      --page-limit N           table pages, JSON views and replay downloads a\n"
    "                               client may fetch a minute (default 600; 0: no\n"
    "                               limit)\n"
    "      --verify-workers N       replays verified at once (default: the\n"
    "                               processors less one, at least 1; 0: replays are\n"
    "                               not taken)\n"
    "      --verifier PATH          the game executable whose --verify judges\n"
    "                               replays (default " VARNOK_INSTALLED_VERIFIER ")\n"
    "      --unverified-per-client N  rows not verified that one client keeps in\n"
    "                               the table; its lowest beyond go (default 10\n"
    "                               with a verifier, else no bound; 0: no bound)\n"
    "  -h, --help                   display this help and exit\n"
    "      --version                output version information and exit\n"
    "\n"
    "SIGINT or SIGTERM stops it; a score it acknowledged is already stored.\n"
    "\n"
    "Report bugs to: <" VARNOK_BUG_URL ">\n"
    "Varnok home page: <" VARNOK_HOME_URL ">\n";

struct Options {
  std::string host = kDefaultHost;
  int port = kDefaultPort;
  std::string db = kDefaultDb;
  int threads = kDefaultThreads;
  scored::TrustedProxies trusted;
  scored::KeeperOptions keeper;
  scored::ServiceLimits service;
  scored::HttpLimits http;
  int verifyWorkers = -1;  // -1: the processors less one
  std::string verifier = VARNOK_INSTALLED_VERIFIER;
  bool verifierGiven = false;
  int unverifiedPerClient = -1;  // -1: the default, which depends on whether replays are verified
};

std::optional<int64_t> ParseNumber(std::string_view text, int64_t low, int64_t high) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
  return value;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "scored: %s\nTry 'scored --help' for more information.\n", message.c_str());
  return 2;
}

// Standard output may be a closed pipe or a full disk: that is a failure too.
int Answer(const char* text) {
  std::fputs(text, stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// Every connection is a file descriptor: the soft limit (often 1024) is
// raised to the hard one so the connection cap, not the system, refuses. A
// connection past the descriptors left would wait unaccepted instead of
// being refused with 503, so the cap is lowered to fit, and said so; the
// number of descriptors the server may open, or 0 when they are too few.
int64_t FitConnectionsToDescriptors(int& maxConnections, int reserved) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    getrlimit(RLIMIT_NOFILE, &limit);
  }
  if (limit.rlim_cur == RLIM_INFINITY) return kMaxCount;
  const auto available = static_cast<int64_t>(limit.rlim_cur);
  if (available - reserved < 1) return 0;
  if (maxConnections > available - reserved) {
    maxConnections = static_cast<int>(available - reserved);
    std::fprintf(stderr, "scored: --max-connections lowered to %d: the process may open only %lld files\n",
                 maxConnections, static_cast<long long>(available));
  }
  return available;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Answer(kUsage);
    if (arg == "--version") return Answer("scored (Varnok) " VARNOK_VERSION "\n" VARNOK_LICENSE_NOTICE);
    constexpr std::string_view kTakesValue[] = {"--listen", "--db", "--threads", "--trusted-proxy", "--keep",
                                                "--version-limit", "--submit-limit", "--max-connections",
                                                "--max-per-client", "--page-limit", "--verify-workers",
                                                "--verifier", "--unverified-per-client"};
    if (std::find(std::begin(kTakesValue), std::end(kTakesValue), arg) == std::end(kTakesValue)) {
      return Usage("unrecognized option '" + arg + "'");
    }
    if (i + 1 >= argc) return Usage("option '" + arg + "' requires a value");
    const std::string_view value = argv[++i];
    auto number = [&](int64_t low, int64_t high) { return ParseNumber(value, low, high); };
    if (arg == "--listen") {
      const size_t colon = value.rfind(':');
      const auto port = colon == std::string_view::npos ? std::nullopt : ParseNumber(value.substr(colon + 1), 0, kMaxPort);
      if (!port || colon == 0) return Usage("--listen takes HOST:PORT");
      options.host = std::string(value.substr(0, colon));
      if (options.host.size() > 2 && options.host.front() == '[' && options.host.back() == ']') {
        options.host = options.host.substr(1, options.host.size() - 2);
      }
      options.port = static_cast<int>(*port);
    } else if (arg == "--db") {
      if (value.empty()) return Usage("--db takes a file or a postgresql:// URI");
      options.db = std::string(value);
    } else if (arg == "--threads") {
      const auto threads = number(1, kMaxThreads);
      if (!threads) return Usage("--threads takes 1 to 64");
      options.threads = static_cast<int>(*threads);
    } else if (arg == "--trusted-proxy") {
      if (!options.trusted.Add(value)) return Usage("--trusted-proxy takes an IPv4 or IPv6 address");
    } else if (arg == "--keep") {
      const auto keep = number(0, kMaxCount);
      if (!keep) return Usage("--keep takes a count of scores");
      options.keeper.keep = *keep;
    } else if (arg == "--version-limit" || arg == "--submit-limit" || arg == "--page-limit") {
      const auto limit = number(0, kMaxCount);
      if (!limit) return Usage(arg + " takes a count a minute");
      (arg == "--version-limit"  ? options.service.versionsPerMinute
       : arg == "--page-limit"   ? options.service.pagesPerMinute
                                 : options.service.submissionsPerMinute) = static_cast<int>(*limit);
    } else if (arg == "--verify-workers") {
      const auto workers = number(0, kMaxWorkers);
      if (!workers) return Usage("--verify-workers takes 0 to 256");
      options.verifyWorkers = static_cast<int>(*workers);
    } else if (arg == "--verifier") {
      if (value.empty()) return Usage("--verifier takes the game executable");
      options.verifier = std::string(value);
      options.verifierGiven = true;
    } else if (arg == "--unverified-per-client") {
      const auto keep = number(0, kMaxCount);
      if (!keep) return Usage("--unverified-per-client takes a count of rows");
      options.unverifiedPerClient = static_cast<int>(*keep);
    } else if (arg == "--max-connections" || arg == "--max-per-client") {
      const auto limit = number(1, kMaxCount);
      if (!limit) return Usage(arg + " takes a count of connections");
      (arg == "--max-connections" ? options.http.maxConnections : options.http.maxPerClient) = static_cast<int>(*limit);
    }
  }

  signal(SIGPIPE, SIG_IGN);
  if (options.verifyWorkers < 0) options.verifyWorkers = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
  // Without the game's executable no replay can be judged: the server takes
  // none, and its table shows every submission, as before replays.
  if (options.verifyWorkers > 0 && access(options.verifier.c_str(), X_OK) != 0) {
    if (options.verifierGiven) {
      std::fprintf(stderr, "scored: the verifier %s cannot be run\n", options.verifier.c_str());
      return 1;
    }
    options.verifyWorkers = 0;
  }
  const bool verifying = options.verifyWorkers > 0;
  if (FitConnectionsToDescriptors(options.http.maxConnections,
                                  kReservedDescriptors + kDescriptorsPerWorker * options.verifyWorkers) == 0) {
    std::fprintf(stderr, "scored: too few file descriptors: raise the process's limit (ulimit -n)\n");
    return 1;
  }
  options.keeper.verifying = verifying;
  // Without verification every row is unverified: the table keeps them all, as before replays.
  options.keeper.unverifiedPerClient =
      options.unverifiedPerClient >= 0 ? options.unverifiedPerClient : verifying ? kDefaultUnverifiedPerClient : 0;
  const bool postgres = scored::IsPostgresUri(options.db);
  try {
    // The server goes last: its sessions may wait in the keeper's queue.
    scored::HttpServer server(options.http, options.trusted, options.threads);
    int port = 0;
    try {
      port = server.Listen(options.host, options.port);
    } catch (const scored::ListenError& error) {
      std::fprintf(stderr, "scored: cannot listen on %s:%d: %s\n", options.host.c_str(), options.port, error.what());
      return 1;
    }
    options.keeper.tableRows = scored::kTableRows;
    const auto open = [&] { return scored::OpenStore(options.db); };
    scored::ScoreKeeper keeper(open, scored::TablePage, options.keeper, scored::ScoresJson);
    std::unique_ptr<scored::VerifyWorkers> workers;
    if (verifying) {
      scored::VerifyOptions verify;
      verify.verifier = options.verifier;
      verify.workers = options.verifyWorkers;
      workers = std::make_unique<scored::VerifyWorkers>(open, verify, [&keeper] { keeper.TableChanged(); });
      keeper.OnJobQueued([&workers] { workers->Wake(); });
    }
    scored::ServiceLimits limits = options.service;
    scored::ScoreService service(keeper, limits);
    const scored::TrustedProxies& trusted = options.trusted;
    server.SetHandler([&service, &trusted, verifying](const scored::HttpRequest& request,
                                                       scored::ScoreService::Respond respond) {
      const std::string client = trusted.ClientOf(request.peer, request.forwardedFor);
      // Without a verifier no replay is taken: the game's upload gets 404 and gives up.
      if (!verifying && request.post) return service.Handle(std::string_view("/not-taken"), client, std::move(respond));
      service.Handle(scored::ServiceRequest{request.target, request.post, request.contentType, request.body}, client,
                     std::move(respond));
    });
    std::printf("scored listening on %s:%d (%s store, %s)\n", options.host.c_str(), port,
                postgres ? "PostgreSQL" : "SQLite",
                verifying ? ("replays verified by " + options.verifier).c_str() : "replays not taken");
    std::fflush(stdout);
    server.Run();
    keeper.OnJobQueued({});
  } catch (const scored::StoreError& error) {
    std::fprintf(stderr, "scored: %s\n", error.what());
    return 1;
  }
  return 0;
}
