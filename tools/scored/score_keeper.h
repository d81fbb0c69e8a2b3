// ScoreKeeper: the server's work on its store, off the network threads.
//
// Submissions queue for one writer thread, which stores all that are
// waiting in one transaction (a group commit: one flush to the disk for
// many submissions) and then answers each. A second thread keeps the table
// page: it renders the best scores again when a stored score enters them,
// and every few seconds besides (other servers sharing the store add scores
// too), so a reader takes the last page rendered and never waits for a
// writer. The same thread prunes the store when told to keep only the best
// N scores, and forgets used p values once they have expired.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "score_store.h"

namespace scored {

enum class SubmitOutcome {
  kStored,       // durable in the store
  kUsed,         // its p value was used already; nothing stored
  kUnavailable,  // the store failed or the queue is full; nothing acknowledged
};

struct KeeperOptions {
  int tableRows = 100;
  int64_t keep = 0;                                   // best scores kept; 0 keeps all
  std::chrono::milliseconds tableRefresh{2000};       // page rendered again at least this often
  std::chrono::milliseconds maintenanceEvery{5000};   // pruning and forgetting
  size_t maxQueued = 10000;                           // waiting submissions beyond it are refused
  size_t maxBatch = 512;                              // submissions in one transaction at most
};

class ScoreKeeper {
 public:
  using OpenFn = std::function<std::unique_ptr<ScoreStore>()>;
  using RenderFn = std::function<std::string(const std::vector<ScoreRow>&)>;
  using Done = std::function<void(SubmitOutcome)>;

  // Opens a store for each of its threads with `open` (StoreError when it
  // cannot) and renders the first page before it returns.
  ScoreKeeper(const OpenFn& open, RenderFn render, KeeperOptions options);
  ~ScoreKeeper();  // answers what still waits with kUnavailable
  ScoreKeeper(const ScoreKeeper&) = delete;
  ScoreKeeper& operator=(const ScoreKeeper&) = delete;

  // The key shared by every server on the store.
  const std::string& TicketKey() const { return ticketKey_; }
  // Queues `entry`; `done` is called once, on the writer thread (or on the
  // caller's when the queue is full).
  void Submit(Entry entry, Done done);
  // The last page rendered.
  std::shared_ptr<const std::string> TablePage() const;

 private:
  struct Pending {
    Entry entry;
    Done done;
  };

  void WriteLoop();
  void MaintainLoop();
  void RefreshTable();
  void Prune();

  const RenderFn render_;
  const KeeperOptions options_;
  std::unique_ptr<ScoreStore> writerStore_, maintainStore_;
  std::string ticketKey_;

  mutable std::mutex queueMutex_;
  std::condition_variable queueReady_;
  std::deque<Pending> queue_;
  bool stopping_ = false;

  mutable std::mutex pageMutex_;
  std::shared_ptr<const std::string> page_;
  std::condition_variable maintainWake_;  // with queueMutex_
  bool tableChanged_ = false;             // with queueMutex_
  int64_t tableFloor_ = -1;               // lowest score on a full page; -1 while not full (with queueMutex_)

  std::thread writer_, maintainer_;
};

}  // namespace scored
