#include "score_keeper.h"

#include <cstdio>

#include "ticket_signer.h"

namespace scored {
namespace {

constexpr int kPruneChunk = 1000;
constexpr int kForgetChunk = 5000;
// A failed store is tried again after this pause, not in a tight loop.
constexpr auto kRetryPause = std::chrono::milliseconds(200);

}  // namespace

ScoreKeeper::ScoreKeeper(const OpenFn& open, RenderFn render, KeeperOptions options, JsonFn json)
    : render_(std::move(render)), json_(std::move(json)), options_(options), writerStore_(open()), maintainStore_(open()) {
  ticketKey_ = writerStore_->TicketKey();
  RefreshTable();
  writer_ = std::thread([this] { WriteLoop(); });
  maintainer_ = std::thread([this] { MaintainLoop(); });
}

ScoreKeeper::~ScoreKeeper() {
  {
    std::lock_guard lock(queueMutex_);
    stopping_ = true;
  }
  queueReady_.notify_all();
  maintainWake_.notify_all();
  writer_.join();
  maintainer_.join();
  for (Pending& pending : queue_) pending.done(SubmitOutcome::kUnavailable);
  for (PendingUpload& upload : uploads_) upload.done(UploadOutcome::kUnavailable);
  for (PendingFetch& fetch : fetches_) fetch.done(std::nullopt);
}

void ScoreKeeper::Upload(std::string p, std::string replay, int64_t notBefore, UploadDone done) {
  {
    std::lock_guard lock(queueMutex_);
    if (!stopping_ && uploads_.size() < options_.maxQueuedUploads) {
      uploads_.push_back({std::move(p), std::move(replay), notBefore, std::move(done)});
      queueReady_.notify_one();
      return;
    }
  }
  done(UploadOutcome::kUnavailable);
}

void ScoreKeeper::FetchReplay(int64_t scoreId, FetchDone done) {
  {
    std::lock_guard lock(queueMutex_);
    if (!stopping_ && fetches_.size() < options_.maxQueuedFetches) {
      fetches_.push_back({scoreId, std::move(done)});
      maintainWake_.notify_one();
      return;
    }
  }
  done(std::nullopt);
}

void ScoreKeeper::OnJobQueued(std::function<void()> hook) {
  std::lock_guard lock(queueMutex_);
  jobQueued_ = std::move(hook);
}

void ScoreKeeper::TableChanged() {
  {
    std::lock_guard lock(queueMutex_);
    tableChanged_ = true;
  }
  maintainWake_.notify_one();
}

void ScoreKeeper::StoreUploads() {
  for (;;) {
    PendingUpload upload;
    {
      std::lock_guard lock(queueMutex_);
      if (stopping_ || uploads_.empty()) return;
      upload = std::move(uploads_.front());
      uploads_.pop_front();
    }
    UploadOutcome outcome = UploadOutcome::kUnavailable;
    try {
      switch (writerStore_->AttachReplay(upload.p, upload.replay, upload.notBefore)) {
        case AttachOutcome::kQueued: outcome = UploadOutcome::kQueued; break;
        case AttachOutcome::kNoSubmission: outcome = UploadOutcome::kNoSubmission; break;
        case AttachOutcome::kAlready: outcome = UploadOutcome::kAlready; break;
      }
    } catch (const StoreError& error) {
      std::fprintf(stderr, "scored: storing a replay failed: %s\n", error.what());
    }
    if (outcome == UploadOutcome::kQueued) {
      TableChanged();  // its row is pending now
      std::lock_guard lock(queueMutex_);
      if (jobQueued_) jobQueued_();
    }
    upload.done(outcome);
  }
}

void ScoreKeeper::ServeFetches() {
  for (;;) {
    PendingFetch fetch;
    {
      std::lock_guard lock(queueMutex_);
      if (fetches_.empty()) return;
      fetch = std::move(fetches_.front());
      fetches_.pop_front();
    }
    std::optional<std::string> replay;
    try {
      replay = maintainStore_->VerifiedReplay(fetch.scoreId);
    } catch (const StoreError& error) {
      std::fprintf(stderr, "scored: reading a replay failed: %s\n", error.what());
    }
    fetch.done(std::move(replay));
  }
}

void ScoreKeeper::Submit(Entry entry, Done done) {
  {
    std::lock_guard lock(queueMutex_);
    if (!stopping_ && queue_.size() < options_.maxQueued) {
      queue_.push_back({std::move(entry), std::move(done)});
      queueReady_.notify_one();
      return;
    }
  }
  done(SubmitOutcome::kUnavailable);
}

std::shared_ptr<const std::string> ScoreKeeper::TablePage(bool all) const {
  std::lock_guard lock(pageMutex_);
  return all ? views_.pageAll : views_.page;
}

std::shared_ptr<const std::string> ScoreKeeper::TableJson(bool verifiedOnly) const {
  std::lock_guard lock(pageMutex_);
  return verifiedOnly ? views_.jsonVerified : views_.json;
}

void ScoreKeeper::WriteLoop() {
  std::vector<Pending> batch;
  std::vector<Entry> entries;
  for (;;) {
    {
      std::unique_lock lock(queueMutex_);
      queueReady_.wait(lock, [this] { return stopping_ || !queue_.empty() || !uploads_.empty(); });
      if (stopping_) return;
      while (!queue_.empty() && batch.size() < options_.maxBatch) {
        batch.push_back(std::move(queue_.front()));
        queue_.pop_front();
      }
    }
    if (batch.empty()) {
      StoreUploads();
      continue;
    }
    entries.clear();
    for (const Pending& pending : batch) entries.push_back(pending.entry);
    std::vector<bool> stored;
    try {
      stored = writerStore_->SubmitBounded(entries, options_.unverifiedPerClient);
    } catch (const StoreError& error) {
      std::fprintf(stderr, "scored: storing %zu submissions failed: %s\n", entries.size(), error.what());
      for (Pending& pending : batch) pending.done(SubmitOutcome::kUnavailable);
      batch.clear();
      std::this_thread::sleep_for(kRetryPause);
      continue;
    }
    bool entersTable = false;
    {
      std::lock_guard lock(queueMutex_);
      for (size_t i = 0; i < batch.size(); ++i) {
        if (stored[i] && batch[i].entry.submission.score >= tableFloor_) entersTable = true;
      }
      if (entersTable) tableChanged_ = true;
    }
    if (entersTable) maintainWake_.notify_one();
    for (size_t i = 0; i < batch.size(); ++i) batch[i].done(stored[i] ? SubmitOutcome::kStored : SubmitOutcome::kUsed);
    batch.clear();
    StoreUploads();
  }
}

void ScoreKeeper::RefreshTable() {
  const std::vector<ScoreRow> rows = maintainStore_->Best(options_.tableRows);
  const std::vector<ScoreRow> verified =
      options_.verifying ? maintainStore_->Best(options_.tableRows, true) : std::vector<ScoreRow>();
  Views views;
  views.pageAll = std::make_shared<const std::string>(render_(rows, options_.verifying ? TableView::kAll : TableView::kPlain));
  views.page = options_.verifying ? std::make_shared<const std::string>(render_(verified, TableView::kVerified)) : views.pageAll;
  if (json_) {
    views.json = std::make_shared<const std::string>(json_(rows));
    std::vector<ScoreRow> onlyVerified;
    for (const ScoreRow& row : rows) {
      if (row.verdict == Verdict::kVerified) onlyVerified.push_back(row);
    }
    views.jsonVerified = std::make_shared<const std::string>(json_(options_.verifying ? verified : onlyVerified));
  }
  {
    std::lock_guard lock(queueMutex_);
    tableFloor_ = static_cast<int>(rows.size()) < options_.tableRows ? -1 : rows.back().score;
  }
  std::lock_guard lock(pageMutex_);
  views_ = std::move(views);
}

void ScoreKeeper::Prune() {
  if (options_.keep > 0) {
    while (maintainStore_->PruneScores(options_.keep, kPruneChunk) == kPruneChunk) {
      std::lock_guard lock(queueMutex_);
      if (stopping_) return;
    }
  }
  const int64_t before = TicketSigner::Now() - TicketSigner::kLifetime.count() - TicketSigner::kClockSkew.count();
  while (maintainStore_->ForgetUsedTickets(before, kForgetChunk) == kForgetChunk) {
    std::lock_guard lock(queueMutex_);
    if (stopping_) return;
  }
}

void ScoreKeeper::MaintainLoop() {
  auto nextMaintenance = std::chrono::steady_clock::now();
  for (;;) {
    {
      std::unique_lock lock(queueMutex_);
      maintainWake_.wait_for(lock, options_.tableRefresh,
                             [this] { return stopping_ || tableChanged_ || !fetches_.empty(); });
      if (stopping_) return;
      if (!fetches_.empty() && !tableChanged_) {
        lock.unlock();
        ServeFetches();
        continue;
      }
      tableChanged_ = false;
    }
    ServeFetches();
    try {
      RefreshTable();
      if (std::chrono::steady_clock::now() >= nextMaintenance) {
        Prune();
        nextMaintenance = std::chrono::steady_clock::now() + options_.maintenanceEvery;
      }
    } catch (const StoreError& error) {
      std::fprintf(stderr, "scored: store upkeep failed: %s\n", error.what());
      std::this_thread::sleep_for(kRetryPause);
    }
  }
}

}  // namespace scored
