#include "http_server.h"

#include "replay_sandbox.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace scored {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

// A full accept (no file descriptors left) is tried again after this pause.
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);

constexpr std::string_view kTooManyFromClient =
    "HTTP/1.1 429 Too Many Requests\r\nContent-Type: text/plain\r\nContent-Length: 25\r\n"
    "Cache-Control: no-store\r\nConnection: close\r\n\r\nERR too many connections\n";
constexpr std::string_view kTooManyInAll =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain\r\nContent-Length: 25\r\n"
    "Cache-Control: no-store\r\nConnection: close\r\n\r\nERR too many connections\n";

// Open connections, per client and in all.
class ConnectionCounts {
 public:
  // Counts a connection from `client` if the caps allow; the refusal's reply otherwise.
  std::optional<std::string_view> Take(const std::string& client, bool counted, const HttpLimits& limits) {
    std::lock_guard lock(mutex_);
    if (total_ >= limits.maxConnections) return kTooManyInAll;
    if (counted) {
      int& mine = perClient_[client];
      if (mine >= limits.maxPerClient) return kTooManyFromClient;
      ++mine;
    }
    ++total_;
    return std::nullopt;
  }
  void Give(const std::string& client, bool counted) {
    std::lock_guard lock(mutex_);
    --total_;
    if (!counted) return;
    auto found = perClient_.find(client);
    if (found != perClient_.end() && --found->second <= 0) perClient_.erase(found);
  }

 private:
  std::mutex mutex_;
  int total_ = 0;
  std::unordered_map<std::string, int> perClient_;
};

}  // namespace

struct HttpServer::Impl {
  Impl(HttpLimits limits, TrustedProxies trusted, int threads)
      : limits(limits), trusted(std::move(trusted)), threads(std::max(1, threads)), io(this->threads),
        acceptor(io), retry(io), signals(io, SIGINT, SIGTERM) {}

  void Accept();
  void OnAccept(beast::error_code error, tcp::socket socket);

  const HttpLimits limits;
  const TrustedProxies trusted;
  const int threads;
  // Sessions left in the context when it goes give back their counts and
  // drop their handlers: those two are declared before it.
  ConnectionCounts counts;
  Handler handler;
  net::io_context io;
  tcp::acceptor acceptor;
  net::steady_timer retry;
  net::signal_set signals;
};

namespace {

// One connection: read a request, hand it to the handler, write its reply,
// and again while the connection is kept alive.
class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(tcp::socket socket, HttpServer::Impl* server, std::string peer, std::string client,
          bool counted)
      : stream_(std::move(socket)), server_(server), peer_(std::move(peer)), client_(std::move(client)),
        counted_(counted) {}
  ~Session() { server_->counts.Give(client_, counted_); }

  void Start() {
    net::dispatch(stream_.get_executor(), beast::bind_front_handler(&Session::Read, shared_from_this()));
  }

 private:
  void Read() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(server_->limits.maxHeaderBytes));
    parser_->body_limit(kMaxReplayUploadBytes);
    stream_.expires_after(served_ == 0 ? server_->limits.requestTime : server_->limits.keepAliveIdle);
    http::async_read_header(stream_, buffer_, *parser_,
                            beast::bind_front_handler(&Session::OnHeader, shared_from_this()));
  }

  // Only a POST of a replay has a body worth reading; anything else with
  // one is answered before its body is read.
  void OnHeader(beast::error_code error, std::size_t bytes) {
    if (error) return OnRead(error, bytes);
    const auto& request = parser_->get();
    const bool hasBody = parser_->chunked() || parser_->content_length().value_or(0) > 0;
    const bool post = request.method() == http::verb::post;
    if (request.method() != http::verb::get && !post) return RefuseRequest(405, "ERR only GET\n");
    if (post && request.target().substr(0, 12) != "/cgi/replay?") return RefuseRequest(405, "ERR only GET\n");
    if (!post && hasBody) return RefuseRequest(400, "ERR bad request\n");
    if (parser_->is_done()) return OnRead({}, bytes);
    stream_.expires_after(server_->limits.uploadTime);
    http::async_read(stream_, buffer_, *parser_, beast::bind_front_handler(&Session::OnRead, shared_from_this()));
  }

  void RefuseRequest(int status, const char* body) {
    Reply reply;
    reply.status = status;
    reply.body = body;
    if (status == 405) reply.headers.emplace_back("Allow", "GET");
    keepAlive_ = false;
    Write(std::move(reply));
  }

  void OnRead(beast::error_code error, std::size_t) {
    if (error) {
      // A closed connection, a time-out or a cut-off request: nothing to answer.
      const bool refusedByParser = &error.category() == &http::make_error_code(http::error::bad_target).category() &&
                                   error != http::error::end_of_stream && error != http::error::partial_message;
      if (!refusedByParser) return Close();
      // What the parser refused: say why, then close.
      Reply reply;
      reply.status = error == http::error::header_limit ? 431 : error == http::error::body_limit ? 413 : 400;
      reply.body = "ERR bad request\n";
      keepAlive_ = false;
      return Write(std::move(reply));
    }
    ++served_;
    auto& request = parser_->get();
    keepAlive_ = request.keep_alive() && served_ < server_->limits.maxRequestsPerConnection;
    HttpRequest forward;
    forward.target = std::string(request.target());
    forward.peer = peer_;
    forward.post = request.method() == http::verb::post;
    forward.contentType = std::string(request[http::field::content_type]);
    forward.body = std::move(request.body());
    for (auto [field, end] = request.equal_range("X-Forwarded-For"); field != end; ++field) {
      if (!forward.forwardedFor.empty()) forward.forwardedFor += ',';
      forward.forwardedFor += std::string_view(field->value().data(), field->value().size());
    }
    auto respond = [self = shared_from_this()](Reply reply) {
      net::post(self->stream_.get_executor(),
                [self, reply = std::move(reply)]() mutable { self->Write(std::move(reply)); });
    };
    server_->handler(forward, std::move(respond));
  }

  void Write(Reply reply) {
    response_ = {};
    response_.version(11);
    response_.result(static_cast<unsigned>(reply.status));
    response_.set(http::field::content_type, reply.contentType);
    for (const auto& [name, value] : reply.headers) response_.set(name, value);
    response_.body() = std::move(reply.body);
    response_.keep_alive(keepAlive_);
    response_.prepare_payload();
    stream_.expires_after(server_->limits.replyTime);
    http::async_write(stream_, response_, beast::bind_front_handler(&Session::OnWrite, shared_from_this()));
  }

  void OnWrite(beast::error_code error, std::size_t) {
    if (error) return Close();
    if (!keepAlive_) return Close();
    Read();
  }

  void Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.close();
  }

  beast::tcp_stream stream_;
  HttpServer::Impl* server_;  // outlives every session
  const std::string peer_, client_;
  const bool counted_;  // counts toward its client's cap
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  http::response<http::string_body> response_;
  int served_ = 0;
  bool keepAlive_ = false;
};

void Refuse(tcp::socket& socket, std::string_view reply) {
  beast::error_code ignored;
  socket.non_blocking(true, ignored);
  socket.write_some(net::buffer(reply.data(), reply.size()), ignored);
  socket.shutdown(tcp::socket::shutdown_both, ignored);
  socket.close(ignored);
}

}  // namespace

void HttpServer::Impl::Accept() {
  acceptor.async_accept(net::make_strand(io),
                        beast::bind_front_handler(&Impl::OnAccept, this));
}

void HttpServer::Impl::OnAccept(beast::error_code error, tcp::socket socket) {
  if (error == net::error::operation_aborted || !acceptor.is_open()) return;
  if (error) {
    // Out of file descriptors or a connection reset before it was taken:
    // pause a little rather than spin.
    retry.expires_after(kAcceptRetry);
    retry.async_wait([this](beast::error_code) { Accept(); });
    return;
  }
  beast::error_code endpointError;
  const auto remote = socket.remote_endpoint(endpointError);
  if (endpointError) {
    Accept();
    return;
  }
  const std::string peer = remote.address().to_string();
  const std::string client = ClientKey(peer).value_or(peer);
  const bool counted = !trusted.Contains(peer);
  if (const auto refusal = counts.Take(client, counted, limits)) {
    Refuse(socket, *refusal);
  } else {
    std::make_shared<Session>(std::move(socket), this, peer, client, counted)->Start();
  }
  Accept();
}

HttpServer::HttpServer(HttpLimits limits, TrustedProxies trusted, int threads)
    : impl_(std::make_unique<Impl>(limits, std::move(trusted), threads)) {}

HttpServer::~HttpServer() { Stop(); }

int HttpServer::Listen(const std::string& host, int port) {
  try {
    tcp::resolver resolver(impl_->io);
    const auto endpoints = resolver.resolve(host, std::to_string(port), tcp::resolver::passive |
                                                                          tcp::resolver::numeric_service);
    if (endpoints.empty()) throw ListenError("no address for " + host);
    const tcp::endpoint endpoint = *endpoints.begin();
    impl_->acceptor.open(endpoint.protocol());
    impl_->acceptor.set_option(net::socket_base::reuse_address(true));
    impl_->acceptor.bind(endpoint);
    impl_->acceptor.listen(net::socket_base::max_listen_connections);
    return impl_->acceptor.local_endpoint().port();
  } catch (const boost::system::system_error& error) {
    throw ListenError(error.code().message());
  }
}

void HttpServer::SetHandler(Handler handler) { impl_->handler = std::move(handler); }

void HttpServer::Run() {
  impl_->signals.async_wait([impl = impl_.get()](beast::error_code error, int) {
    if (!error) {
      beast::error_code ignored;
      impl->acceptor.close(ignored);
      impl->io.stop();
    }
  });
  impl_->Accept();
  std::vector<std::thread> others;
  for (int i = 1; i < impl_->threads; ++i) others.emplace_back([this] { impl_->io.run(); });
  impl_->io.run();
  for (auto& thread : others) thread.join();
}

void HttpServer::Stop() {
  net::post(impl_->io, [impl = impl_.get()] {
    beast::error_code ignored;
    impl->acceptor.close(ignored);
    impl->signals.cancel(ignored);
  });
  impl_->io.stop();
}

}  // namespace scored
