// HttpServer: HTTP/1.1 for the score server, on Boost.Beast over Asio.
//
// Event-driven: a few threads serve every connection, so a client that
// sends slowly holds a connection, never a thread. Each connection has
// deadlines for a whole request and a whole reply (not per read: a client
// trickling a byte at a time is cut off all the same), a short idle time
// between kept-alive requests, and a cap on its requests. Connections are
// counted per client and in all; one beyond either cap is answered at once
// (429 or 503) and closed, without reading it. GET is served, and POST of a
// replay (a body up to the upload cap, 413 beyond, refused before it is
// read); a GET with a body, a header block over the limit or anything the
// parser refuses gets an error reply and the connection is closed.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "client_limits.h"
#include "score_service.h"

namespace scored {

struct HttpLimits {
  std::chrono::milliseconds requestTime{4000};    // a whole request, from the connection's opening
  std::chrono::milliseconds keepAliveIdle{2000};  // the whole next request on a kept-alive connection
  std::chrono::milliseconds replyTime{5000};      // a whole reply
  std::chrono::milliseconds uploadTime{10000};    // a POST's body, from the end of its headers
  int maxConnections = 1000;                      // in all
  int maxPerClient = 16;                          // per client (trusted proxies are not counted)
  int maxRequestsPerConnection = 100;
  size_t maxHeaderBytes = 4096;                   // request line and headers
};

struct HttpRequest {
  std::string target;        // path and query, as sent
  std::string peer;          // the address the connection comes from
  std::string forwardedFor;  // the X-Forwarded-For values, joined by ","
  bool post = false;         // a POST (else a GET)
  std::string contentType;
  std::string body;
};

struct ListenError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class HttpServer {
 public:
  using Handler = std::function<void(const HttpRequest&, ScoreService::Respond)>;

  HttpServer(HttpLimits limits, TrustedProxies trusted, int threads);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds `host`:`port` (0 picks a free port) and listens; the port bound.
  // ListenError with the reason when it cannot.
  int Listen(const std::string& host, int port);
  // Called for every request, on a network thread; it must not block.
  void SetHandler(Handler handler);
  // Serves until SIGINT, SIGTERM or Stop(), on the given number of threads
  // (the caller's among them).
  void Run();
  void Stop();

  struct Impl;  // the source file's

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace scored
