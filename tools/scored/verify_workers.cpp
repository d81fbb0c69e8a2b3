#include "verify_workers.h"

#include <cstdio>

#include "ticket_signer.h"

namespace scored {
namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(500);
constexpr size_t kTokenBytes = 12;

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kVerified: return "verified";
    case Verdict::kRejected: return "rejected";
    case Verdict::kUnverifiable: return "unverifiable";
    case Verdict::kPending: return "pending";
    case Verdict::kNone: break;
  }
  return "none";
}

}  // namespace

VerifyWorkers::VerifyWorkers(const OpenFn& open, VerifyOptions options, std::function<void()> verdictGiven)
    : options_(std::move(options)), sandbox_(options_.verifier), verdictGiven_(std::move(verdictGiven)) {
  for (int i = 0; i < options_.workers; ++i) stores_.push_back(open());
  for (auto& store : stores_) threads_.emplace_back([this, s = store.get()] { Work(*s); });
}

VerifyWorkers::~VerifyWorkers() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
}

void VerifyWorkers::Wake() {
  {
    std::lock_guard lock(mutex_);
    ++wakes_;
  }
  wake_.notify_one();
}

void VerifyWorkers::Wait() {
  std::unique_lock lock(mutex_);
  wake_.wait_for(lock, options_.poll, [this] { return stopping_ || wakes_ > 0; });
  if (wakes_ > 0) --wakes_;
}

void VerifyWorkers::Work(ScoreStore& store) {
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
    }
    // A fresh token a claim: a job this worker lost to its lease and claimed
    // again is a new holding.
    const std::string token = RandomHex(kTokenBytes);
    try {
      const std::optional<Job> job = store.ClaimJob(options_.leaseSeconds, token);
      if (!job) {
        Wait();
        continue;
      }
      Judgement judgement;
      if (job->attempts > options_.maxAttempts) {
        judgement.why = "no verifier finished it in " + std::to_string(options_.maxAttempts) + " tries";
      } else {
        judgement = sandbox_.Judge(job->replay, job->score, [&] { store.RenewLease(job->scoreId, token, options_.leaseSeconds); });
      }
      if (judgement.retry) {
        // The verifier could not run here: the job goes back after its lease.
        std::fprintf(stderr, "scored: replay of score %lld: %s\n", static_cast<long long>(job->scoreId),
                     judgement.why.c_str());
        std::this_thread::sleep_for(kRetryPause);
        continue;
      }
      const auto given = store.FinishJob(job->scoreId, token, judgement.verdict, judgement.run);
      if (given) {
        std::fprintf(stderr, "scored: replay of score %lld: %s (%s)\n", static_cast<long long>(job->scoreId),
                     VerdictName(*given), *given == judgement.verdict ? judgement.why.c_str() : "a copy of a verified run");
        if (verdictGiven_) verdictGiven_();
      }
    } catch (const StoreError& error) {
      std::fprintf(stderr, "scored: verification job failed: %s\n", error.what());
      std::this_thread::sleep_for(kRetryPause);
    }
  }
}

}  // namespace scored
