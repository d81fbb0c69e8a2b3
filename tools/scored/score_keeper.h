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
//
// Uploaded replays queue for the writer too (each its own transaction), and
// the maintainer fetches a verified replay for a download. With
// verification on, the page is rendered in three views (verified only, the
// default; every submission with its mark; and the same rows as JSON).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "score_store.h"

namespace scored {

enum class UploadOutcome {
  kQueued,        // durable, with its verification job
  kNoSubmission,  // no stored submission of that p value, or it came too long ago
  kAlready,       // a replay came for that submission before
  kUnavailable,   // the store failed or the queue is full
};

// The renderings of the table the keeper keeps.
enum class TableView {
  kPlain,     // every submission, no marks (a server without a verifier)
  kVerified,  // the verified scores, ranked among themselves
  kAll,       // every submission with its mark
};

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
  bool verifying = false;                             // replays are verified: the default view is the verified one
  int unverifiedPerClient = 0;                        // unverified rows one client keeps; 0: no bound
  size_t maxQueuedUploads = 256;                      // replays waiting to be stored
  size_t maxQueuedFetches = 64;                       // downloads waiting for the store
};

class ScoreKeeper {
 public:
  using OpenFn = std::function<std::unique_ptr<ScoreStore>()>;
  using RenderFn = std::function<std::string(const std::vector<ScoreRow>&, TableView)>;
  using JsonFn = std::function<std::string(const std::vector<ScoreRow>&)>;
  using Done = std::function<void(SubmitOutcome)>;
  using UploadDone = std::function<void(UploadOutcome)>;
  using FetchDone = std::function<void(std::optional<std::string>)>;

  // Opens a store for each of its threads with `open` (StoreError when it
  // cannot) and renders the first page before it returns.
  ScoreKeeper(const OpenFn& open, RenderFn render, KeeperOptions options, JsonFn json = {});
  ~ScoreKeeper();  // answers what still waits with kUnavailable
  ScoreKeeper(const ScoreKeeper&) = delete;
  ScoreKeeper& operator=(const ScoreKeeper&) = delete;

  // The key shared by every server on the store.
  const std::string& TicketKey() const { return ticketKey_; }
  // Queues `entry`; `done` is called once, on the writer thread (or on the
  // caller's when the queue is full).
  void Submit(Entry entry, Done done);
  // Queues a replay for the submission of p value `p` that arrived at
  // `notBefore` or later; `done` is called once, on the writer thread (or
  // the caller's when the queue is full).
  void Upload(std::string p, std::string replay, int64_t notBefore, UploadDone done);
  // Called on the writer thread after each upload that queued a job.
  // Set it before the hook's target goes, to nothing.
  void OnJobQueued(std::function<void()> hook);
  // A verified score's replay, fetched on the maintainer's thread.
  void FetchReplay(int64_t scoreId, FetchDone done);
  // A verdict may have changed the table: render it again soon.
  void TableChanged();

  // The last page rendered: the default view, or every submission.
  std::shared_ptr<const std::string> TablePage(bool all = false) const;
  // The same rows as JSON: every one, or only the verified.
  std::shared_ptr<const std::string> TableJson(bool verifiedOnly) const;

 private:
  struct Pending {
    Entry entry;
    Done done;
  };
  struct PendingUpload {
    std::string p, replay;
    int64_t notBefore;
    UploadDone done;
  };
  struct PendingFetch {
    int64_t scoreId;
    FetchDone done;
  };
  struct Views {
    std::shared_ptr<const std::string> page, pageAll, json, jsonVerified;
  };
  void StoreUploads();
  void ServeFetches();

  void WriteLoop();
  void MaintainLoop();
  void RefreshTable();
  void Prune();

  const RenderFn render_;
  const JsonFn json_;
  std::function<void()> jobQueued_;
  const KeeperOptions options_;
  std::unique_ptr<ScoreStore> writerStore_, maintainStore_;
  std::string ticketKey_;

  mutable std::mutex queueMutex_;
  std::condition_variable queueReady_;
  std::deque<Pending> queue_;
  std::deque<PendingUpload> uploads_;
  std::deque<PendingFetch> fetches_;
  bool stopping_ = false;

  mutable std::mutex pageMutex_;
  Views views_;
  std::condition_variable maintainWake_;  // with queueMutex_
  bool tableChanged_ = false;             // with queueMutex_
  int64_t tableFloor_ = -1;               // lowest score on a full page; -1 while not full (with queueMutex_)

  std::thread writer_, maintainer_;
};

}  // namespace scored
