// ScoredProcess: the real score server for a test, on 127.0.0.1 with a port
// the system picks and its database file where the test says.
#pragma once

#include <charconv>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "child_process.h"

namespace testing_support {

class ScoredProcess {
 public:
  // `binary` is the scored executable; output files go beside the database.
  ScoredProcess(std::filesystem::path binary, std::filesystem::path database)
      : binary_(std::move(binary)), database_(std::move(database)) {}

  // Starts the server and waits (up to 10 s) until it listens; false when it did not.
  bool Start() {
    const auto out = database_.string() + ".out", err = database_.string() + ".err";
    if (!process_.Start({binary_.string(), "--listen", "127.0.0.1:0", "--db", database_.string()}, {}, out, err)) {
      return false;
    }
    const std::string marker = "listening on 127.0.0.1:";
    for (int i = 0; i < 1000; ++i) {
      const std::string text = ReadWholeFile(out);
      const size_t at = text.find(marker);
      if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
        const char* digits = text.data() + at + marker.size();
        std::from_chars(digits, text.data() + text.size(), port_);
        return port_ > 0;
      }
      if (!process_.Running()) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& pathAndQuery) const { return "http://" + Address() + pathAndQuery; }
  ChildProcess& process() { return process_; }
  std::string ErrorOutput() const { return ReadWholeFile(database_.string() + ".err"); }

 private:
  std::filesystem::path binary_, database_;
  ChildProcess process_;
  int port_ = 0;
};

}  // namespace testing_support
