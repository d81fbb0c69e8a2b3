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

ScoreKeeper::ScoreKeeper(const OpenFn& open, RenderFn render, KeeperOptions options)
    : render_(std::move(render)), options_(options), writerStore_(open()), maintainStore_(open()) {
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

std::shared_ptr<const std::string> ScoreKeeper::TablePage() const {
  std::lock_guard lock(pageMutex_);
  return page_;
}

void ScoreKeeper::WriteLoop() {
  std::vector<Pending> batch;
  std::vector<Entry> entries;
  for (;;) {
    {
      std::unique_lock lock(queueMutex_);
      queueReady_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      while (!queue_.empty() && batch.size() < options_.maxBatch) {
        batch.push_back(std::move(queue_.front()));
        queue_.pop_front();
      }
    }
    entries.clear();
    for (const Pending& pending : batch) entries.push_back(pending.entry);
    std::vector<bool> stored;
    try {
      stored = writerStore_->Submit(entries);
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
  }
}

void ScoreKeeper::RefreshTable() {
  const std::vector<ScoreRow> rows = maintainStore_->Best(options_.tableRows);
  auto page = std::make_shared<const std::string>(render_(rows));
  {
    std::lock_guard lock(queueMutex_);
    tableFloor_ = static_cast<int>(rows.size()) < options_.tableRows ? -1 : rows.back().score;
  }
  std::lock_guard lock(pageMutex_);
  page_ = std::move(page);
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
      maintainWake_.wait_for(lock, options_.tableRefresh, [this] { return stopping_ || tableChanged_; });
      if (stopping_) return;
      tableChanged_ = false;
    }
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
