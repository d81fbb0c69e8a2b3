// scored: Varnok's score server.
//   scored [--listen HOST:PORT] [--db FILE|postgresql://…] [--threads N]
//          [--trusted-proxy ADDRESS]... [--keep N]
//          [--version-limit N] [--submit-limit N]
//          [--max-connections N] [--max-per-client N]
// Listens on 127.0.0.1:8642 unless told otherwise (port 0 picks a free one)
// and prints "scored listening on HOST:PORT" once it accepts connections.
// SIGINT or SIGTERM stops it; a kill at any moment leaves the store whole.
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
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

namespace {

constexpr const char* kDefaultHost = "127.0.0.1";
constexpr int kDefaultPort = 8642;
constexpr const char* kDefaultDb = "scores.db";
constexpr int kDefaultThreads = 2;
constexpr int kMaxThreads = 64;
constexpr int kMaxPort = 65535;
constexpr int64_t kMaxCount = 1000000000;

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
// raised to the hard one so the connection cap, not the system, refuses.
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
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
                                                "--max-per-client"};
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
    } else if (arg == "--version-limit" || arg == "--submit-limit") {
      const auto limit = number(0, kMaxCount);
      if (!limit) return Usage(arg + " takes a count a minute");
      (arg == "--version-limit" ? options.service.versionsPerMinute : options.service.submissionsPerMinute) =
          static_cast<int>(*limit);
    } else if (arg == "--max-connections" || arg == "--max-per-client") {
      const auto limit = number(1, kMaxCount);
      if (!limit) return Usage(arg + " takes a count of connections");
      (arg == "--max-connections" ? options.http.maxConnections : options.http.maxPerClient) = static_cast<int>(*limit);
    }
  }

  signal(SIGPIPE, SIG_IGN);
  RaiseDescriptorLimit();
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
    scored::ScoreKeeper keeper([&] { return scored::OpenStore(options.db); }, scored::TablePage, options.keeper);
    scored::ScoreService service(keeper, options.service);
    const scored::TrustedProxies& trusted = options.trusted;
    server.SetHandler([&service, &trusted](const scored::HttpRequest& request, scored::ScoreService::Respond respond) {
      service.Handle(request.target, trusted.ClientOf(request.peer, request.forwardedFor), std::move(respond));
    });
    std::printf("scored listening on %s:%d (%s store)\n", options.host.c_str(), port, postgres ? "PostgreSQL" : "SQLite");
    std::fflush(stdout);
    server.Run();
  } catch (const scored::StoreError& error) {
    std::fprintf(stderr, "scored: %s\n", error.what());
    return 1;
  }
  return 0;
}
