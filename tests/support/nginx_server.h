// NginxServer: Debian's nginx for a test, in the foreground, on a loopback
// port, with its pid file, logs, temporary files and cache in the test's
// folder, and the http-level configuration (a site) the test gives it. It
// runs as the test's own user, root or not.
#pragma once

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "child_process.h"

namespace testing_support {

inline sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

// A loopback port that nothing listens on right now.
inline int FreeLoopbackPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof(address);
  const bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                     ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  ::close(s);
  return bound ? ntohs(address.sin_port) : 0;
}

// Whether something accepts connections on 127.0.0.1:port.
inline bool Accepts(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = LoopbackAddress(port);
  const bool accepted = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  ::close(s);
  return accepted;
}

// The committed site (dist/scored/varnok-scores.nginx, as `site`) moved into
// a test: it listens on 127.0.0.1:`port`, sends to scored on `first` and
// `second`, keeps its cache in `cache`, and takes any further `moves`
// (text, its replacement, wherever it is); empty when a place it moves is no
// longer in it.
inline std::string ScoresSite(std::string site, int port, int first, int second, const std::filesystem::path& cache,
                              const std::vector<std::pair<std::string, std::string>>& moves = {}) {
  std::vector<std::pair<std::string, std::string>> all = {
      {"listen 80;", "listen 127.0.0.1:" + std::to_string(port) + ";"},
      {"listen [::]:80;", ""},
      {"server 127.0.0.1:8642 ", "server 127.0.0.1:" + std::to_string(first) + " "},
      {"server 127.0.0.1:8643 ", "server 127.0.0.1:" + std::to_string(second) + " "},
      {"/var/lib/nginx/varnok-scores-cache", cache.string()},
  };
  all.insert(all.end(), moves.begin(), moves.end());
  for (const auto& [from, to] : all) {
    size_t at = site.find(from);
    if (at == std::string::npos) return {};
    for (; at != std::string::npos; at = site.find(from, at + to.size())) site.replace(at, from.size(), to);
  }
  return site;
}

class NginxServer {
 public:
  static constexpr const char* kBinary = "/usr/sbin/nginx";
  static bool Installed() { return ::access(kBinary, X_OK) == 0; }

  // Everything nginx writes goes in `dir`, which must exist.
  explicit NginxServer(std::filesystem::path dir) : dir_(std::move(dir)) {}
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;
  ~NginxServer() { Stop(); }

  // Starts nginx with `site` inside its http block and waits (up to 10 s)
  // until `port`, where the site listens, accepts connections; false when
  // it did not (ErrorLog() says why).
  bool Start(const std::string& site, int port) {
    const std::string d = dir_.string() + "/";
    std::ofstream(dir_ / "site.conf") << site;
    std::ofstream conf(dir_ / "nginx.conf");
    // As root the master hands its workers to the `user`; ours keeps them
    // able to write the test's folder. Anyone else runs them as themselves.
    if (::geteuid() == 0) {
      const passwd* self = ::getpwuid(0);
      conf << "user " << (self ? self->pw_name : "root") << ";\n";
    }
    conf << "worker_processes 1;\ndaemon off;\npid " << d << "nginx.pid;\nerror_log " << d << "error.log info;\n"
         << "events { worker_connections 1024; }\n"
         << "http {\n  access_log " << d << "access.log;\n"
         << "  client_body_temp_path " << d << "body;\n  proxy_temp_path " << d << "proxy;\n"
         << "  fastcgi_temp_path " << d << "fastcgi;\n  uwsgi_temp_path " << d << "uwsgi;\n"
         << "  scgi_temp_path " << d << "scgi;\n  include " << d << "site.conf;\n}\n";
    conf.close();
    if (!process_.Start({kBinary, "-p", d, "-c", d + "nginx.conf", "-e", d + "error.log"}, {}, dir_ / "nginx.out",
                        dir_ / "nginx.err")) {
      return false;
    }
    for (int i = 0; i < 1000; ++i) {
      if (Accepts(port)) return true;
      if (!process_.Running()) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    return false;
  }

  // Fast shutdown: the master ends its workers before it exits.
  void Stop() {
    process_.Signal(SIGTERM);
    if (!process_.Wait(std::chrono::seconds(10))) process_.Kill();
  }

  // Starts `site` (as ScoresSite makes it, from `siteFor(port)`) on a free
  // loopback port: its port, or 0 when it did not start. Another program may
  // take the free port before nginx binds it, hence a few tries.
  template <typename SiteFor>
  int StartOnFreePort(SiteFor&& siteFor) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const int port = FreeLoopbackPort();
      const std::string site = siteFor(port);
      if (site.empty()) return 0;
      if (Start(site, port)) return port;
    }
    return 0;
  }

  std::string ErrorLog() const {
    return ReadText(dir_ / "nginx.err") + ReadText(dir_ / "error.log");
  }
  std::string AccessLog() const { return ReadText(dir_ / "access.log"); }

 private:
  std::filesystem::path dir_;
  ChildProcess process_;
};

}  // namespace testing_support
