// PostgresServer: a throw-away PostgreSQL server for a test, from Debian's
// postgresql package: initdb in a temporary folder, the server on a free
// port of 127.0.0.1 with its unix socket in that folder, trust
// authentication for the user "varnok". PostgreSQL refuses to run as root,
// so when the tests run as root the folder is given to "nobody" and the
// server runs as that user. Stopped and removed with the object.
//
//   PostgresServer pg;
//   if (!PostgresServer::Available()) GTEST_SKIP() << PostgresServer::kMissing;
//   ASSERT_TRUE(pg.Start()) << pg.Log();
//   std::string uri = pg.Uri(pg.CreateDatabase());
#pragma once

#include <pwd.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "wait_for.h"

namespace testing_support {

class PostgresServer {
 public:
  static constexpr const char* kMissing =
      "PostgreSQL's server programs are not installed (Debian package postgresql); scripts/setup.sh --test installs them";

  // The folder of initdb and postgres, or empty when the package is missing.
  static std::filesystem::path Binaries() {
    namespace fs = std::filesystem;
    const fs::path root = "/usr/lib/postgresql";
    std::error_code error;
    fs::path best;
    for (const auto& entry : fs::directory_iterator(root, error)) {
      const fs::path bin = entry.path() / "bin";
      if (fs::exists(bin / "initdb") && fs::exists(bin / "postgres") && (best.empty() || bin > best)) best = bin;
    }
    return best;
  }
  static bool Available() { return !Binaries().empty(); }

  PostgresServer() = default;
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;
  ~PostgresServer() {
    Stop();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  // initdb and start; true once the server takes connections (up to 60 s).
  // `fsync` off makes a faster server for tests that do not cut the power.
  bool Start(bool fsync = true) {
    namespace fs = std::filesystem;
    bin_ = Binaries();
    if (bin_.empty()) return false;
    std::string pattern = (fs::temp_directory_path() / "varnok-pg-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return false;
    dir_ = pattern;
    if (getuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      if (!nobody) return false;
      uid_ = nobody->pw_uid;
      gid_ = nobody->pw_gid;
      if (chown(dir_.c_str(), uid_, gid_) != 0) return false;
    }
    ChildProcess initdb;
    if (!initdb.Start(AsServerUser({(bin_ / "initdb").string(), "-D", (dir_ / "data").string(), "-U", "varnok",
                                    "--auth=trust", "-E", "UTF8", "--locale=C", "--no-sync"}),
                      Environment(), dir_ / "initdb.log", dir_ / "initdb.log") ||
        initdb.Wait(std::chrono::seconds(120)) != 0) {
      return false;
    }
    fsync_ = fsync;
    for (int attempt = 0; attempt < 3; ++attempt) {
      port_ = FreePort();
      if (!Launch()) return false;
      if (WaitReady()) return true;
      process_.Kill();
    }
    return false;
  }

  // Stops the server and starts it again on its port and data, as a
  // database restart does to its clients; true once it takes connections.
  bool Restart() {
    Stop();
    return Launch() && WaitReady();
  }

  // Fast shutdown: sessions end, the server writes a checkpoint and exits.
  void Stop() {
    process_.Signal(SIGINT);
    if (!process_.Wait(std::chrono::seconds(20))) process_.Kill();
  }

  int Port() const { return port_; }
  // A fresh, empty database; its name.
  std::string CreateDatabase() {
    const std::string name = "t" + std::to_string(++databases_);
    ChildProcess createdb;
    const auto log = dir_ / "createdb.log";
    if (!createdb.Start({(bin_ / "createdb").string(), "-h", "127.0.0.1", "-p", std::to_string(port_), "-U",
                         "varnok", name},
                        Environment(), log, log) ||
        createdb.Wait(std::chrono::seconds(60)) != 0) {
      return {};
    }
    return name;
  }
  std::string Uri(const std::string& database = "postgres") const {
    return "postgresql://varnok@127.0.0.1:" + std::to_string(port_) + "/" + database + "?connect_timeout=5";
  }
  std::string Log() const { return ReadText(dir_ / "initdb.log") + ReadText(dir_ / "server.log"); }
  ChildProcess& process() { return process_; }

 private:
  std::vector<std::string> AsServerUser(std::vector<std::string> args) const {
    if (uid_ == 0) return args;
    std::vector<std::string> wrapped = {"/usr/bin/setpriv", "--reuid=" + std::to_string(uid_),
                                        "--regid=" + std::to_string(gid_), "--clear-groups", "--"};
    wrapped.insert(wrapped.end(), args.begin(), args.end());
    return wrapped;
  }
  std::vector<std::string> Environment() const { return {"LC_ALL=C", "PATH=/usr/bin:/bin", "TZ=UTC"}; }

  bool Launch() {
    const std::vector<std::string> args = {(bin_ / "postgres").string(), "-D", (dir_ / "data").string(),
                                           "-p", std::to_string(port_), "-k", dir_.string(),
                                           "-c", "listen_addresses=127.0.0.1", "-c", "max_connections=200",
                                           "-c", fsync_ ? "fsync=on" : "fsync=off"};
    return process_.Start(AsServerUser(args), Environment(), dir_ / "server.log", dir_ / "server.log");
  }

  static int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
  }

  // postmaster.pid's last line says "ready" once connections are taken.
  bool WaitReady() {
    bool ready = false;
    WaitFor([&] {
      ready = process_.Running() && ReadText(dir_ / "data" / "postmaster.pid").find("ready") != std::string::npos;
      return ready || !process_.Running();
    }, std::chrono::seconds(60));
    return ready;
  }

  std::filesystem::path bin_, dir_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  int port_ = 0;
  int databases_ = 0;
  bool fsync_ = true;
  ChildProcess process_;
};

}  // namespace testing_support
