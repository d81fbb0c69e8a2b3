// scored: Varnok's score server.
//   scored [--listen HOST:PORT] [--db FILE] [--threads N]
// Listens on 127.0.0.1:8642 unless told otherwise (port 0 picks a free one)
// and prints "scored listening on HOST:PORT" once it accepts connections.
// SIGINT or SIGTERM stops it; a kill at any moment leaves the store whole.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "score_service.h"
#include "score_store.h"

namespace {

constexpr const char* kDefaultHost = "127.0.0.1";
constexpr int kDefaultPort = 8642;
constexpr const char* kDefaultDb = "scores.db";
constexpr int kDefaultThreads = 16;
constexpr int kMaxThreads = 256;
constexpr time_t kReadTimeoutSeconds = 5;
constexpr time_t kWriteTimeoutSeconds = 5;
constexpr int kMaxPort = 65535;

struct Options {
  std::string host = kDefaultHost;
  int port = kDefaultPort;
  std::string db = kDefaultDb;
  int threads = kDefaultThreads;
};

std::optional<int> ParseNumber(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
  return value;
}

int Usage(const char* message) {
  std::fprintf(stderr, "scored: %s\nusage: scored [--listen HOST:PORT] [--db FILE] [--threads N]\n", message);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return Usage(("missing value after " + std::string(arg)).c_str());
    const std::string_view value = argv[++i];
    if (arg == "--listen") {
      const size_t colon = value.rfind(':');
      const auto port = colon == std::string_view::npos ? std::nullopt
                                                        : ParseNumber(value.substr(colon + 1), 0, kMaxPort);
      if (!port || colon == 0) return Usage("--listen takes HOST:PORT");
      options.host = std::string(value.substr(0, colon));
      options.port = *port;
    } else if (arg == "--db") {
      options.db = std::string(value);
    } else if (arg == "--threads") {
      const auto threads = ParseNumber(value, 1, kMaxThreads);
      if (!threads) return Usage("--threads takes 1 to 256");
      options.threads = *threads;
    } else {
      return Usage(("unknown option " + std::string(arg)).c_str());
    }
  }

  // The signals are taken by a thread of our own, so the stop happens
  // outside a signal handler; every other thread inherits the blocked set.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  try {
    scored::ScoreStore store(options.db);
    scored::ScoreService service(store);
    httplib::Server server;
    const int threads = options.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    server.set_read_timeout(kReadTimeoutSeconds, 0);
    server.set_write_timeout(kWriteTimeoutSeconds, 0);
    service.Install(server);
    // The library listens with a backlog of 5: under a burst of new
    // connections the rest would wait for the client's SYN to be sent again
    // a second later. The listening socket is noted to widen it after binding.
    int listeningSocket = -1;
    server.set_socket_options([&listeningSocket](socket_t socket) {
      httplib::default_socket_options(socket);
      listeningSocket = socket;
    });

    const int port = options.port == 0 ? server.bind_to_any_port(options.host)
                                       : (server.bind_to_port(options.host, options.port) ? options.port : -1);
    if (port <= 0) {
      std::fprintf(stderr, "scored: cannot listen on %s:%d\n", options.host.c_str(), options.port);
      return 1;
    }
    if (listeningSocket >= 0) ::listen(listeningSocket, SOMAXCONN);
    std::thread stopper([&server, stopSignals] {
      int received = 0;
      sigwait(&stopSignals, &received);
      server.stop();
    });
    stopper.detach();
    std::printf("scored listening on %s:%d\n", options.host.c_str(), port);
    std::fflush(stdout);
    server.listen_after_bind();
  } catch (const scored::StoreError& error) {
    std::fprintf(stderr, "scored: %s\n", error.what());
    return 1;
  }
  return 0;
}
