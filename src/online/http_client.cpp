#include "online/http_client.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace online {
namespace {

struct Transfer {
  std::string body;
  size_t limit = 0;
  bool overflowed = false;
  const std::atomic<bool>* aborted = nullptr;
};

size_t Collect(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (transfer.body.size() + bytes > transfer.limit) {
    transfer.overflowed = true;
    return 0;  // any other count makes curl end the transfer
  }
  transfer.body.append(data, bytes);
  return bytes;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->aborted->load() ? 1 : 0;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// What every request of the game sets: plain HTTP only and no redirects (the
// address is ours to choose, never the reply's), no signals from another
// thread of a game that handles its own, the time limits, and the reply
// collected up to its limit while a give-up can stop it.
void SetCommonOptions(CURL* c, const std::string& url, const HttpLimits& limits, Transfer& transfer) {
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeout.count()));
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeout.count()));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "Varnok");
}

}  // namespace

TCurlHttpClient::TCurlHttpClient(HttpLimits limits) : limits_(limits) { InitCurlOnce(); }

std::optional<std::string> TCurlHttpClient::Get(const std::string& url) {
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl || aborted_) return std::nullopt;
  Transfer transfer;
  transfer.limit = limits_.maxReplyBytes;
  transfer.aborted = &aborted_;
  CURL* c = curl.get();
  SetCommonOptions(c, url, limits_, transfer);
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  if (curl_easy_perform(c) != CURLE_OK || transfer.overflowed) return std::nullopt;
  return std::move(transfer.body);
}

int TCurlHttpClient::Post(const std::string& url, const std::string& contentType, const std::string& body) {
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl || aborted_) return 0;
  Transfer transfer;
  transfer.limit = limits_.maxReplyBytes;
  transfer.aborted = &aborted_;
  CURL* c = curl.get();
  SetCommonOptions(c, url, limits_, transfer);
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  const std::string type = "Content-Type: " + contentType;
  curl_slist* headers = curl_slist_append(nullptr, type.c_str());
  // No "Expect: 100-continue" pause: the body is small.
  headers = curl_slist_append(headers, "Expect:");
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
  long status = 0;
  if (curl_easy_perform(c) == CURLE_OK) curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  curl_slist_free_all(headers);
  return static_cast<int>(status);
}

}  // namespace online
