// ScoredProcess: the real score server for a test, on 127.0.0.1 with a port
// the system picks and its store where the test says (an SQLite file or a
// postgresql:// URI), with any further options.
#pragma once

#include <charconv>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"

namespace testing_support {

class ScoredProcess {
 public:
  // `binary` is the scored executable; output files go beside the database,
  // or at `outputBase` (".out" and ".err" added) when it is given.
  ScoredProcess(std::filesystem::path binary, std::string database, std::vector<std::string> options = {},
                std::filesystem::path outputBase = {})
      : binary_(std::move(binary)),
        database_(std::move(database)),
        options_(std::move(options)),
        outputBase_(outputBase.empty() ? std::filesystem::path(database_) : std::move(outputBase)) {}

  // Starts the server through `launcher` (a program and its arguments that
  // runs the rest of its command line, such as prlimit) from now on.
  void RunUnder(std::vector<std::string> launcher) { launcher_ = std::move(launcher); }

  // Starts the server and waits (up to 10 s) until it listens; false when it did not.
  bool Start() {
    const auto out = outputBase_.string() + ".out", err = outputBase_.string() + ".err";
    std::vector<std::string> argv = launcher_;
    argv.insert(argv.end(), {binary_.string(), "--listen", "127.0.0.1:0", "--db", database_});
    argv.insert(argv.end(), options_.begin(), options_.end());
    if (!process_.Start(argv, {}, out, err)) return false;
    const std::string marker = "listening on 127.0.0.1:";
    for (int i = 0; i < 1000; ++i) {
      const std::string text = ReadText(out);
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
  std::string ErrorOutput() const { return ReadText(outputBase_.string() + ".err"); }
  int Port() const { return port_; }

 private:
  std::filesystem::path binary_;
  std::string database_;
  std::vector<std::string> options_;
  std::vector<std::string> launcher_;
  std::filesystem::path outputBase_;
  ChildProcess process_;
  int port_ = 0;
};

}  // namespace testing_support
