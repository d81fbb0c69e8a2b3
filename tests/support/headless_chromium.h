// HeadlessChromium: Debian's chromium loading one page per run, without a
// window, a GPU or any traffic of its own (no sync, updates or background
// fetches), each run with a fresh profile in the test's folder.
#pragma once

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"

namespace testing_support {

class HeadlessChromium {
 public:
  static constexpr const char* kBinary = "/usr/bin/chromium";
  static bool Installed() { return ::access(kBinary, X_OK) == 0; }

  // Profiles, output and logs go in `dir`, which must exist.
  explicit HeadlessChromium(std::filesystem::path dir) : dir_(std::move(dir)) {}

  struct Run {
    bool finished = false;  // chromium ended by itself, with status 0, within the time limit
    std::string output;     // what it printed: the page's DOM for DumpDom
    std::string log;        // its log, with the page's console messages
  };

  // The page's DOM once loaded, serialised.
  Run DumpDom(const std::string& url) { return Start(url, {"--dump-dom"}); }
  // A PNG of the page in a window of width x height CSS pixels.
  Run Screenshot(const std::string& url, const std::filesystem::path& png, int width, int height) {
    return Start(url, {"--screenshot=" + png.string(),
                       "--window-size=" + std::to_string(width) + "," + std::to_string(height), "--hide-scrollbars"});
  }

 private:
  static constexpr std::chrono::seconds kTimeLimit{90};

  Run Start(const std::string& url, const std::vector<std::string>& extra) {
    const std::string n = std::to_string(++runs_);
    std::vector<std::string> argv{kBinary,
                                  "--headless",
                                  "--no-sandbox",
                                  "--disable-gpu",
                                  "--disable-quic",
                                  "--no-first-run",
                                  "--disable-background-networking",
                                  "--disable-component-update",
                                  "--disable-sync",
                                  "--user-data-dir=" + (dir_ / ("profile-" + n)).string(),
                                  "--enable-logging=stderr",
                                  "--v=0"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(url);
    const auto out = dir_ / ("chromium-" + n + ".out"), err = dir_ / ("chromium-" + n + ".log");
    Run run;
    ChildProcess chromium;
    if (!chromium.Start(argv, {"HOME=" + dir_.string(), "PATH=/usr/bin:/bin", "LANG=C.UTF-8"}, out, err)) return run;
    run.finished = chromium.Wait(kTimeLimit) == 0;
    run.output = ReadText(out);
    run.log = ReadText(err);
    return run;
  }

  std::filesystem::path dir_;
  int runs_ = 0;
};

}  // namespace testing_support
