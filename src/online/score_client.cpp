#include "online/score_client.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include "online/score_protocol.h"

namespace online {
namespace {

constexpr int kLowestNice = 19;

void LowerThisThreadsPriority() {
  sched_param param{};
  param.sched_priority = 0;
  if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0) return;
  // Without SCHED_IDLE the thread's own nice value is the next best thing.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kLowestNice);
}

std::string Url(const std::string& server, const std::string& pathAndQuery) {
  return "http://" + server + pathAndQuery;
}

}  // namespace

SubmissionOutcome RunScoreSequence(THttpClient& http, const std::string& server, const ScoreEntry& entry,
                                   std::string* acknowledged) {
  const std::string reply = http.Get(Url(server, kVersionQuery)).value_or(std::string());
  if (!ReplyAccepted(reply)) return SubmissionOutcome::kRefused;
  const std::string p = PValueFromReply(reply);
  const std::string payload = BuildPayload(entry.name, entry.score, p, entry.addText);
  // The server's answer to the submission is not ours to judge; it only
  // says whether a replay may follow.
  const auto answer = http.Get(Url(server, kSubmissionQuery + EncodePayload(payload)));
  if (acknowledged && answer && ReplyAccepted(*answer)) *acknowledged = p;
  return SubmissionOutcome::kSent;
}

bool UploadReplay(THttpClient& http, const std::string& server, const std::string& p, const std::string& replay,
                  const UploadRetry& retry, const std::function<bool(std::chrono::milliseconds)>& pause) {
  // The p value came from the server's reply: only its plain characters go into the address.
  for (char c : p) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
    if (!plain) return false;
  }
  if (p.empty() || replay.empty() || replay.size() > kMaxReplayUploadBytes) return false;
  auto wait = retry.firstPause;
  for (int attempt = 0; attempt < retry.tries; ++attempt) {
    if (attempt > 0) {
      if (!pause(wait)) return false;
      wait *= 2;
    }
    const int status = http.Post(Url(server, kReplayUploadPath + p), kReplayContentType, replay);
    if (status >= 200 && status < 300) return true;
    // Another answer will not change by asking again (no such submission, too large, …).
    if (status != 0 && status != 429 && status < 500) return false;
  }
  return false;
}

TConnThrd::TConnThrd(std::function<void(Task)> post, Task onRefused, Task onSent, UploadRetry retry)
    : post_(std::move(post)), onRefused_(std::move(onRefused)), onSent_(std::move(onSent)), retry_(retry) {}

bool TConnThrd::PauseUpload(std::chrono::milliseconds pause) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, pause, [this] { return stopping_ || pending_.has_value(); });
}

TConnThrd::~TConnThrd() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    pending_.reset();
    if (running_) running_->Abort();
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool TConnThrd::Resume(std::shared_ptr<THttpClient> http, std::string server, ScoreEntry entry) {
  if (!http) return false;
  std::lock_guard lock(mutex_);
  if (stopping_) return false;
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
      return false;
    }
  }
  pending_ = Request{std::move(http), std::move(server), std::move(entry)};
  wake_.notify_one();
  return true;
}

void TConnThrd::Loop() {
  LowerThisThreadsPriority();
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
    if (stopping_) return;
    Request request = std::move(*pending_);
    pending_.reset();
    running_ = request.http;
    lock.unlock();
    std::string acknowledged;
    const SubmissionOutcome outcome = RunScoreSequence(*request.http, request.server, request.entry, &acknowledged);
    lock.lock();
    if (stopping_) {
      running_.reset();
      return;
    }
    post_(outcome == SubmissionOutcome::kSent ? onSent_ : onRefused_);
    if (acknowledged.empty() || request.entry.replay.empty()) {
      running_.reset();
      continue;
    }
    // After the answer the player sees: the replay, for the server to verify.
    lock.unlock();
    UploadReplay(*request.http, request.server, acknowledged, request.entry.replay, retry_,
                 [this](std::chrono::milliseconds pause) { return PauseUpload(pause); });
    lock.lock();
    running_.reset();
  }
}

}  // namespace online
