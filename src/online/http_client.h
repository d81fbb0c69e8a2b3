// The HTTP client the score client makes its requests with: a blocking GET
// of a URL that gives the reply body, or nothing on any failure. The game's
// client is libcurl with time-outs, so a dead or silent server never holds
// the submission dialog for long; tests put a fake in its place.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

namespace online {

class THttpClient {
 public:
  virtual ~THttpClient() = default;
  // The body of a 2xx reply to a GET of `url`; nothing on a refused or lost
  // connection, a time-out, an HTTP error status or an oversized reply.
  virtual std::optional<std::string> Get(const std::string& url) = 0;
  // POSTs `body` as `contentType`; the reply's HTTP status, 0 when none came.
  virtual int Post(const std::string& url, const std::string& contentType, const std::string& body) { return 0; }
  // Asks a Get or Post running on another thread to give up soon (the game is closing).
  virtual void Abort() {}
};

// Time-outs and limits of the libcurl client. Two requests at most make one
// submission, so the dialog waits at most about twice the total time-out.
struct HttpLimits {
  std::chrono::milliseconds connectTimeout{3000};
  std::chrono::milliseconds totalTimeout{5000};
  size_t maxReplyBytes = 4096;   // a score server's replies are a line or two
};

class TCurlHttpClient final : public THttpClient {
 public:
  explicit TCurlHttpClient(HttpLimits limits = {});
  std::optional<std::string> Get(const std::string& url) override;
  int Post(const std::string& url, const std::string& contentType, const std::string& body) override;
  void Abort() override { aborted_ = true; }

 private:
  HttpLimits limits_;
  std::atomic<bool> aborted_{false};
};

}  // namespace online
