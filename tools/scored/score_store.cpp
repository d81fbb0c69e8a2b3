#include "score_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <random>

namespace scored {
namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr size_t kTicketBytes = 16;

constexpr const char* kSchema = R"sql(
  CREATE TABLE IF NOT EXISTS scores(
    id INTEGER PRIMARY KEY,
    name BLOB NOT NULL,
    add_text BLOB NOT NULL,
    score INTEGER NOT NULL,
    sent INTEGER NOT NULL);
  CREATE INDEX IF NOT EXISTS scores_best ON scores(score DESC, id);
  CREATE TABLE IF NOT EXISTS tickets(
    p TEXT PRIMARY KEY,
    issued INTEGER NOT NULL);
  CREATE INDEX IF NOT EXISTS tickets_age ON tickets(issued);
)sql";

// A prepared statement that finalises itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) throw StoreError(sqlite3_errmsg(db));
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, int64_t value) {
    Check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
  }
  Statement& BindText(int index, const std::string& text) {
    Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Statement& BindBlob(int index, const std::string& bytes) {
    Check(sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
    return *this;
  }
  // True while there is a row to read.
  bool Step() {
    const int result = sqlite3_step(stmt_);
    if (result == SQLITE_ROW) return true;
    if (result != SQLITE_DONE) throw StoreError(sqlite3_errmsg(db_));
    return false;
  }
  int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string Bytes(int column) {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
  }

 private:
  void Check(int result) {
    if (result != SQLITE_OK) throw StoreError(sqlite3_errmsg(db_));
  }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

std::string RandomTicket() {
  static thread_local std::random_device device;
  constexpr char kHex[] = "0123456789abcdef";
  std::string ticket;
  for (size_t i = 0; i < kTicketBytes; ++i) {
    const unsigned byte = device() & 0xFF;
    ticket += kHex[byte >> 4];
    ticket += kHex[byte & 0xF];
  }
  return ticket;
}

}  // namespace

ScoreStore::ScoreStore(const std::string& path, int64_t maxOutstandingTickets)
    : maxTickets_(std::max<int64_t>(1, maxOutstandingTickets)) {
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw StoreError("cannot open " + path + ": " + message);
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  try {
    // WAL: readers never wait for the writer, and a kill never leaves half a
    // change. NORMAL syncs at checkpoints: a kill loses nothing committed.
    Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    Execute(kSchema);
    Statement count(db_, "SELECT COUNT(*) FROM tickets");
    if (count.Step()) outstandingTickets_ = count.Int(0);
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

ScoreStore::~ScoreStore() { sqlite3_close(db_); }

void ScoreStore::Execute(const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    throw StoreError(message);
  }
}

void ScoreStore::Rollback() noexcept {
  // A failed statement may already have ended the transaction; either way none of it stays.
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

int64_t ScoreStore::Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string ScoreStore::IssueTicket() {
  std::lock_guard lock(mutex_);
  const int64_t now = Now();
  const std::string ticket = RandomTicket();
  int64_t outstanding = outstandingTickets_;
  Execute("BEGIN IMMEDIATE");
  try {
    Statement(db_, "DELETE FROM tickets WHERE issued < ?").Bind(1, now - kTicketLifetime.count()).Step();
    outstanding -= sqlite3_changes(db_);
    if (outstanding >= maxTickets_) {
      // Row ids grow with every insert: the lowest are the oldest.
      Statement(db_, "DELETE FROM tickets WHERE p IN (SELECT p FROM tickets ORDER BY rowid LIMIT ?)")
          .Bind(1, outstanding - maxTickets_ + 1)
          .Step();
      outstanding -= sqlite3_changes(db_);
    }
    Statement(db_, "INSERT INTO tickets(p, issued) VALUES(?, ?)").BindText(1, ticket).Bind(2, now).Step();
    Execute("COMMIT");
  } catch (...) {
    Rollback();
    throw;
  }
  outstandingTickets_ = outstanding + 1;
  return ticket;
}

bool ScoreStore::Submit(const Submission& submission) {
  std::lock_guard lock(mutex_);
  const int64_t now = Now();
  Execute("BEGIN IMMEDIATE");
  try {
    Statement(db_, "DELETE FROM tickets WHERE p = ? AND issued >= ?")
        .BindText(1, submission.p)
        .Bind(2, now - kTicketLifetime.count())
        .Step();
    if (sqlite3_changes(db_) != 1) {
      Rollback();
      return false;
    }
    Statement(db_, "INSERT INTO scores(name, add_text, score, sent) VALUES(?, ?, ?, ?)")
        .BindBlob(1, submission.name)
        .BindBlob(2, submission.addText)
        .Bind(3, submission.score)
        .Bind(4, now)
        .Step();
    Execute("COMMIT");
  } catch (...) {
    Rollback();
    throw;
  }
  --outstandingTickets_;
  return true;
}

std::vector<ScoreRow> ScoreStore::Best(int limit) {
  std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT name, add_text, score FROM scores ORDER BY score DESC, id LIMIT ?");
  query.Bind(1, limit);
  std::vector<ScoreRow> rows;
  while (query.Step()) rows.push_back({query.Bytes(0), query.Bytes(1), static_cast<int32_t>(query.Int(2))});
  return rows;
}

int64_t ScoreStore::ScoreCount() {
  std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT COUNT(*) FROM scores");
  return query.Step() ? query.Int(0) : 0;
}

}  // namespace scored
