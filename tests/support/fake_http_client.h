// FakeHttpClient: an HTTP client for the score client's tests. It records
// every URL it is asked for and answers from a script of replies (nothing for
// a failed request); past the script it fails. It may instead block every
// request until Abort, like a server that never answers.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "online/http_client.h"

namespace testing_support {

class FakeHttpClient final : public online::THttpClient {
 public:
  explicit FakeHttpClient(std::vector<std::optional<std::string>> replies = {}, bool hang = false)
      : replies_(replies.begin(), replies.end()), hang_(hang) {}

  std::optional<std::string> Get(const std::string& url) override {
    std::unique_lock lock(mutex_);
    urls_.push_back(url);
    changed_.notify_all();
    if (hang_) {
      changed_.wait(lock, [this] { return aborted_; });
      return std::nullopt;
    }
    if (replies_.empty()) return std::nullopt;
    std::optional<std::string> reply = std::move(replies_.front());
    replies_.pop_front();
    return reply;
  }
  void Abort() override {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    changed_.notify_all();
  }

  std::vector<std::string> urls() {
    std::lock_guard lock(mutex_);
    return urls_;
  }
  // Waits until `count` requests have been asked for; false after two seconds.
  bool WaitForRequests(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(2), [&] { return urls_.size() >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::optional<std::string>> replies_;
  std::vector<std::string> urls_;
  bool hang_ = false;
  bool aborted_ = false;
};

}  // namespace testing_support
