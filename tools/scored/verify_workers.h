// VerifyWorkers: the threads that give uploaded replays their verdicts.
//
// Jobs live in the store, so any server on it may work any job: a worker
// claims one under a short lease (PostgreSQL: FOR UPDATE SKIP LOCKED; the
// lease is timed by the database's clock), renews the lease while the
// verifier runs, and ends the job with its verdict in one transaction that
// holds only while the job is still its own. A worker or a whole server
// killed mid-job leaves the job to whoever claims it after the lease, and no
// job gets two verdicts. A job whose verifier never finished after a few
// claims is rejected.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "replay_sandbox.h"
#include "score_store.h"

namespace scored {

struct VerifyOptions {
  std::string verifier;  // the game executable whose --verify judges
  int workers = 1;
  int leaseSeconds = 15;                      // renewed every few seconds while a job runs
  std::chrono::milliseconds poll{1000};       // jobs other servers queued are looked for this often
  int maxAttempts = 3;                        // claims of one job before it is rejected
};

class VerifyWorkers {
 public:
  using OpenFn = std::function<std::unique_ptr<ScoreStore>()>;
  // Opens a store per worker (StoreError when it cannot); `verdictGiven`
  // is called on a worker's thread after each verdict.
  VerifyWorkers(const OpenFn& open, VerifyOptions options, std::function<void()> verdictGiven);
  ~VerifyWorkers();  // a job in progress is left to its lease
  VerifyWorkers(const VerifyWorkers&) = delete;
  VerifyWorkers& operator=(const VerifyWorkers&) = delete;

  // A job was queued here: a waiting worker looks at once.
  void Wake();

 private:
  void Work(ScoreStore& store);
  void Wait();

  const VerifyOptions options_;
  const ReplaySandbox sandbox_;
  const std::function<void()> verdictGiven_;
  std::vector<std::unique_ptr<ScoreStore>> stores_;
  std::mutex mutex_;
  std::condition_variable wake_;
  int wakes_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace scored
