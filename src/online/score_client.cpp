#include "online/score_client.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include "online/score_protocol.h"

namespace services {
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

SubmissionOutcome RunScoreSequence(THttpClient& http, const std::string& server, const ScoreEntry& entry) {
  const std::string reply = http.Get(Url(server, kVersionQuery)).value_or(std::string());
  if (!ReplyAccepted(reply)) return SubmissionOutcome::kRefused;
  const std::string payload = BuildPayload(entry.name, entry.score, PValueFromReply(reply), entry.addText);
  // The server's answer to the submission is not ours to judge.
  (void)http.Get(Url(server, kSubmissionQuery + EncodePayload(payload)));
  return SubmissionOutcome::kSent;
}

TConnThrd::TConnThrd(std::function<void(Task)> post, Task onRefused, Task onSent)
    : post_(std::move(post)), onRefused_(std::move(onRefused)), onSent_(std::move(onSent)) {}

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
    const SubmissionOutcome outcome = RunScoreSequence(*request.http, request.server, request.entry);
    lock.lock();
    running_.reset();
    if (stopping_) return;
    post_(outcome == SubmissionOutcome::kSent ? onSent_ : onRefused_);
  }
}

}  // namespace services
