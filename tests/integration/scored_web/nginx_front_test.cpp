// scored as an operator deploys it: two instances started with the systemd
// unit's own command line and settings, sharing one store (an SQLite file or
// a PostgreSQL database), behind Debian's nginx with the committed site
// (moved to loopback ports and the test's folder). Players are threads, each
// from its own loopback address.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "nginx_server.h"
#include "postgres_server.h"
#include "score_store.h"
#include "online/score_protocol.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ChildProcess;
using testing_support::NginxServer;
using testing_support::ReadText;

std::string Source(const char* relative) { return ReadText(fs::path(VARNOK_SOURCE_DIR) / relative); }

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The unit's ExecStart for an instance on port 0, with the settings file's
// options, the test's binary and the test's store.
std::vector<std::string> UnitCommand(const std::string& store) {
  const std::string unit = Source("dist/scored/scored@.service");
  const size_t exec = unit.find("\nExecStart=");
  if (exec == std::string::npos) return {};
  const size_t from = exec + 11;
  std::map<std::string, std::string> settings;
  std::istringstream defaults(Source("dist/scored/scored.default"));
  for (std::string line; std::getline(defaults, line);) {
    const size_t equals = line.find('=');
    if (!line.empty() && line[0] != '#' && equals != std::string::npos) {
      settings[line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  std::vector<std::string> argv;
  for (std::string word : Words(unit.substr(from, unit.find('\n', from) - from))) {
    if (word == "/usr/sbin/scored") {
      argv.push_back(VARNOK_SCORED);
    } else if (word == "${SCORED_DB}") {
      argv.push_back(store);
    } else if (word.size() > 1 && word[0] == '$') {
      for (const std::string& option : Words(settings[word.substr(1)])) argv.push_back(option);
    } else {
      if (const size_t at = word.find("%i"); at != std::string::npos) word.replace(at, 2, "0");
      argv.push_back(word);
    }
  }
  return argv;
}

// One scored process; Start waits until it says where it listens.
class Instance {
 public:
  bool Start(const std::vector<std::string>& argv, const fs::path& stem) {
    out_ = stem.string() + ".out";
    if (argv.empty() || !process_.Start(argv, {}, out_, stem.string() + ".err")) return false;
    const std::string marker = "listening on 127.0.0.1:";
    for (int i = 0; i < 1000 && process_.Running(); ++i) {
      const std::string text = ReadText(out_);
      const size_t at = text.find(marker);
      if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
        std::from_chars(text.data() + at + marker.size(), text.data() + text.size(), port_);
        return port_ > 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  int port() const { return port_; }
  ChildProcess& process() { return process_; }

 private:
  ChildProcess process_;
  fs::path out_;
  int port_ = 0;
};

struct Answer {
  long status = 0;  // 0: no answer
  std::string body, headers;
};

// A player's HTTP client, its requests leaving from its own loopback address.
class Player {
 public:
  Player(int port, const std::string& address) : base_("http://127.0.0.1:" + std::to_string(port)) {
    curl_ = curl_easy_init();
    interface_ = "host!" + address;
    curl_easy_setopt(curl_, CURLOPT_INTERFACE, interface_.c_str());
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS, 3000L);
    curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &Player::Append);
    curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, &Player::Append);
  }
  ~Player() { curl_easy_cleanup(curl_); }
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  Answer Get(const std::string& target) {
    Answer answer;
    const std::string url = base_ + target;
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &answer.headers);
    if (curl_easy_perform(curl_) == CURLE_OK) curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &answer.status);
    return answer;
  }
  // The version query, then the game's submission with its p value; true
  // when the server acknowledged it.
  bool Submit(const std::string& name, int32_t score) {
    const Answer version = Get(online::kVersionQuery);
    if (version.status != 200 || !online::ReplyAccepted(version.body)) return false;
    const std::string payload = online::BuildPayload(name, score, online::PValueFromReply(version.body), "");
    const Answer sent = Get(online::kSubmissionQuery + online::EncodePayload(payload));
    return sent.status == 200 && sent.body == "OK\n";
  }

 private:
  static size_t Append(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
  }

  CURL* curl_ = nullptr;
  std::string base_, interface_;
};

std::string PlayerAddress(int n) { return "127.0.0." + std::to_string(10 + n); }

// The PostgreSQL server the instances share, started by the first test that
// needs it and stopped at the end of the program. Its fsync is off: the
// tests kill scored, never the database.
testing_support::PostgresServer* SharedPostgres() {
  static const std::unique_ptr<testing_support::PostgresServer> server = [] {
    auto started = std::make_unique<testing_support::PostgresServer>();
    return started->Start(false) ? std::move(started) : nullptr;
  }();
  return server.get();
}

class NginxFront : public ::testing::Test {
 protected:
  // Two instances on an SQLite file or a fresh PostgreSQL database, and nginx.
  void StartAll(bool postgres) {
    if (!NginxServer::Installed()) {
      GTEST_SKIP() << NginxServer::kBinary << " is missing: scripts/setup.sh --test installs nginx";
    }
    if (postgres && !testing_support::PostgresServer::Available()) {
      GTEST_SKIP() << testing_support::PostgresServer::kMissing;
    }
    std::string pattern = (fs::temp_directory_path() / "scored-nginx-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    store_ = (dir_ / "scores.db").string();
    if (postgres) {
      testing_support::PostgresServer* server = SharedPostgres();
      ASSERT_NE(server, nullptr) << "PostgreSQL did not start";
      const std::string database = server->CreateDatabase();
      ASSERT_FALSE(database.empty()) << server->Log();
      store_ = server->Uri(database);
    }
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(instances_[i].Start(UnitCommand(store_), dir_ / ("scored-" + std::to_string(i))))
          << ReadText(dir_ / ("scored-" + std::to_string(i) + ".err"));
    }
    nginx_ = std::make_unique<NginxServer>(dir_);
    const std::string site = Source("dist/scored/varnok-scores.nginx");
    port_ = nginx_->StartOnFreePort([&](int port) {
      return testing_support::ScoresSite(site, port, instances_[0].port(), instances_[1].port(), dir_ / "cache");
    });
    ASSERT_NE(port_, 0) << "the site no longer has the listen, upstream or cache lines this test moves, or "
                        << nginx_->ErrorLog();
  }
  void TearDown() override {
    nginx_.reset();
    for (Instance& instance : instances_) instance.process().Kill();
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  fs::path dir_;
  std::string store_;
  Instance instances_[2];
  int port_ = 0;
  std::unique_ptr<NginxServer> nginx_;
};

// What the site does, whatever the store: on an SQLite file.
class NginxFrontTest : public NginxFront {
 protected:
  void SetUp() override { StartAll(false); }
};

// Both stores behind the site.
class NginxFrontStoreTest : public NginxFront, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override { StartAll(GetParam()); }
};

TEST_P(NginxFrontStoreTest, AKillOfOneInstanceUnderLoadLosesNoAcknowledgedScoreAndStoresNoneTwice) {
  constexpr int kPlayers = 16, kRunsEach = 12, kKillAfter = 40;
  std::vector<std::unique_ptr<Player>> players;
  for (int p = 0; p < kPlayers; ++p) players.push_back(std::make_unique<Player>(port_, PlayerAddress(p)));
  std::mutex mutex;
  std::set<std::pair<std::string, int32_t>> acknowledged;
  std::atomic<int> count{0}, done{0};
  std::vector<std::thread> threads;
  for (int p = 0; p < kPlayers; ++p) {
    threads.emplace_back([&, p] {
      for (int run = 0; run < kRunsEach; ++run) {
        const std::string name = "P" + std::to_string(p) + "R" + std::to_string(run);
        const int32_t score = p * 100 + run;
        if (!players[p]->Submit(name, score)) continue;
        std::lock_guard lock(mutex);
        acknowledged.insert({name, score});
        ++count;
      }
      ++done;
    });
  }
  while (count < kKillAfter && done < kPlayers) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  instances_[0].process().Signal(SIGKILL);
  const int beforeKill = count;
  for (std::thread& t : threads) t.join();

  // nginx passes over the dead instance, so each player loses at most the
  // run in flight at the kill; and scored limits each player by the address
  // nginx forwards, not all of them as one client.
  EXPECT_GE(count, kPlayers * kRunsEach - kPlayers) << nginx_->ErrorLog();
  auto store = scored::OpenStore(store_);
  std::map<std::pair<std::string, int32_t>, int> stored;
  for (const scored::ScoreRow& row : store->Best(kPlayers * kRunsEach + 1)) ++stored[{row.name, row.score}];
  std::printf("acknowledged %d before the kill, %d in all; %zu stored\n", beforeKill, count.load(), stored.size());
  for (const auto& [entry, times] : stored) EXPECT_EQ(times, 1) << entry.first;
  for (const auto& entry : acknowledged) EXPECT_EQ(stored.count(entry), 1u) << entry.first << " was acknowledged";
}

std::string StoreName(const ::testing::TestParamInfo<bool>& store) { return store.param ? "Postgres" : "Sqlite"; }
INSTANTIATE_TEST_SUITE_P(Stores, NginxFrontStoreTest, ::testing::Bool(), StoreName);

TEST_F(NginxFrontTest, TheTablePageIsCachedForAFewSecondsWithItsHeadersAndVersionAnswersNeverAre) {
  Player player(port_, PlayerAddress(0));
  const Answer first = player.Get(online::kOnlineTableQuery), second = player.Get(online::kOnlineTableQuery);
  ASSERT_EQ(first.status, 200) << nginx_->ErrorLog();
  EXPECT_NE(second.headers.find("X-Cache-Status: HIT"), std::string::npos) << second.headers;
  for (const char* header : {"Content-Security-Policy: default-src 'none'", "X-Content-Type-Options: nosniff",
                             "Cache-Control: public, max-age="}) {
    EXPECT_NE(second.headers.find(header), std::string::npos) << header << " not in\n" << second.headers;
  }
  const Answer a = player.Get(online::kVersionQuery), b = player.Get(online::kVersionQuery);
  ASSERT_EQ(a.status, 200);
  EXPECT_NE(online::PValueFromReply(a.body), online::PValueFromReply(b.body));
  EXPECT_EQ(b.headers.find("X-Cache-Status: HIT"), std::string::npos) << b.headers;
}

TEST_F(NginxFrontTest, AnAddressOverItsLimitIsRefusedWithoutHoldingUpAnother) {
  Player greedy(port_, PlayerAddress(1)), other(port_, PlayerAddress(2));
  int refused = 0;
  for (int i = 0; i < 60; ++i) refused += greedy.Get(online::kVersionQuery).status == 429;
  EXPECT_GT(refused, 0);
  EXPECT_TRUE(other.Submit("OTHER", 5));
}

TEST_F(NginxFrontTest, SlowClientsCostOtherPlayersNothingAndAreClosedOnceTheirHeaderTimeIsUp) {
  constexpr int kSlow = 200;
  std::vector<int> slow;
  sockaddr_in source = testing_support::LoopbackAddress(0);
  source.sin_addr.s_addr = htonl(0x7F000003);  // 127.0.0.3
  const sockaddr_in target = testing_support::LoopbackAddress(port_);
  const std::string start = std::string("GET ") + online::kVersionQuery + " HTTP/1.1\r\nHost: x\r\n";
  for (int i = 0; i < kSlow; ++i) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&source), sizeof(source)), 0);
    ASSERT_EQ(connect(s, reinterpret_cast<const sockaddr*>(&target), sizeof(target)), 0);
    ASSERT_EQ(send(s, start.data(), start.size(), MSG_NOSIGNAL), static_cast<ssize_t>(start.size()));
    slow.push_back(s);
  }
  Player player(port_, PlayerAddress(4));
  EXPECT_TRUE(player.Submit("FRESH", 7));

  // A byte of header every half second on every slow connection, until nginx
  // has closed them all (each a little after its header time) or 20 s pass.
  size_t open = slow.size();
  for (int tick = 0; tick < 40 && open > 0; ++tick) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    open = 0;
    for (int& s : slow) {
      if (s < 0) continue;
      char buffer[512];
      const ssize_t got = recv(s, buffer, sizeof(buffer), MSG_DONTWAIT);
      if (got == 0 || (got < 0 && errno != EAGAIN) || send(s, "X", 1, MSG_NOSIGNAL) < 0) {
        close(s);
        s = -1;
      } else {
        ++open;
      }
    }
  }
  EXPECT_EQ(open, 0u) << "slow connections still open after 20 s of trickling";
  for (int s : slow) {
    if (s >= 0) close(s);
  }
}

}  // namespace
