// ScoreStore: the server's SQLite file. It holds the p values handed out by
// the version query and not yet used, and the scores sent with them.
//
// The file is in WAL mode and every change is one transaction, so a server
// killed at any moment leaves either the whole change or none of it. One
// connection serves every thread, one call at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "submission_decoder.h"

struct sqlite3;

namespace scored {

struct StoreError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct ScoreRow {
  std::string name;
  std::string addText;
  int32_t score = 0;
};

class ScoreStore {
 public:
  // A p value is good for this long after it was issued.
  static constexpr std::chrono::seconds kTicketLifetime{600};
  // At most this many p values wait to be used; past it the oldest go, so a
  // flood of version queries cannot grow the file without end.
  static constexpr int64_t kMaxOutstandingTickets = 100000;

  // Opens or creates the file; StoreError when it cannot be used.
  explicit ScoreStore(const std::string& path, int64_t maxOutstandingTickets = kMaxOutstandingTickets);
  ~ScoreStore();
  ScoreStore(const ScoreStore&) = delete;
  ScoreStore& operator=(const ScoreStore&) = delete;

  // A fresh one-time p value (32 random hexadecimal digits), stored as issued.
  // Expired ones, and the oldest beyond the limit, are dropped on the way.
  std::string IssueTicket();
  // Uses up the submission's p value and stores its score, in one
  // transaction; false, and nothing changed, when the p value was never
  // issued, is used or has expired.
  bool Submit(const Submission& submission);
  // The best `limit` scores, highest first; equal scores in the order sent.
  std::vector<ScoreRow> Best(int limit);
  int64_t ScoreCount();

 private:
  void Execute(const char* sql);
  void Rollback() noexcept;
  static int64_t Now();

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  int64_t maxTickets_;
  int64_t outstandingTickets_ = 0;  // rows of the tickets table
};

}  // namespace scored
