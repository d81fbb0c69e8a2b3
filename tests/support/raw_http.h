// A bare HTTP/1.1 client over a socket, for tests that need what a library
// client hides: the source address (any of 127.0.0.0/8 on loopback, so one
// test can be several clients), half-sent requests, and a hard deadline.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>

namespace raw_http {

struct Answer {
  int status = 0;
  std::string head, body;
};

// A connection from `source` to 127.0.0.1:`port`; -1 when it failed.
inline int Connect(const std::string& source, int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in from{}, to{};
  from.sin_family = to.sin_family = AF_INET;
  inet_pton(AF_INET, source.c_str(), &from.sin_addr);
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  to.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof(from)) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof(to)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

inline bool SendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// Reads until the peer closes or `limit` passes; nothing on the time-out.
inline std::optional<std::string> ReadToEnd(int fd, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string text;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
    if (n <= 0) return text;  // closed (or reset)
    text.append(buffer, static_cast<size_t>(n));
  }
}

inline Answer Parse(const std::string& text) {
  Answer answer;
  const size_t end = text.find("\r\n\r\n");
  answer.head = text.substr(0, end);
  if (end != std::string::npos) answer.body = text.substr(end + 4);
  if (text.rfind("HTTP/1.1 ", 0) == 0) answer.status = std::atoi(text.c_str() + 9);
  return answer;
}

// One GET with "Connection: close" from `source`; nothing when no whole
// answer came within `limit` (the test's guard against a hang).
inline std::optional<Answer> Get(const std::string& source, int port, const std::string& target,
                                 const std::string& extraHeaders = "",
                                 std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const int fd = Connect(source, port);
  if (fd < 0) return std::nullopt;
  std::optional<Answer> answer;
  if (SendAll(fd, "GET " + target + " HTTP/1.1\r\nHost: scores\r\n" + extraHeaders + "Connection: close\r\n\r\n")) {
    if (auto text = ReadToEnd(fd, limit)) answer = Parse(*text);
  }
  close(fd);
  return answer;
}

}  // namespace raw_http
