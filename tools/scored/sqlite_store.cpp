// The SQLite store: one file in WAL mode (readers never wait for the
// writer) with synchronous=FULL, so a commit is on the disk before the
// submission is acknowledged.
#include <sqlite3.h>

#include "score_store.h"
#include "ticket_signer.h"

namespace scored {
namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr size_t kKeyBytes = 32;

// Layout 0 is the first one, without a version: its p values waited in a
// table of their own and are dropped (they cannot be checked any more).
constexpr const char* kLayout1 = R"sql(
  CREATE TABLE IF NOT EXISTS scores(
    id INTEGER PRIMARY KEY,
    name BLOB NOT NULL,
    add_text BLOB NOT NULL,
    score INTEGER NOT NULL,
    sent INTEGER NOT NULL);
  CREATE INDEX IF NOT EXISTS scores_best ON scores(score DESC, id);
  DROP TABLE IF EXISTS tickets;
  CREATE TABLE IF NOT EXISTS used_tickets(
    p TEXT PRIMARY KEY,
    issued INTEGER NOT NULL);
  CREATE INDEX IF NOT EXISTS used_tickets_age ON used_tickets(issued);
)sql";

// Layout 2: replays, their verification jobs and verdicts, the client of
// each score, and the newest p value forgotten.
constexpr const char* kLayout2 = R"sql(
  ALTER TABLE scores ADD COLUMN p TEXT;
  ALTER TABLE scores ADD COLUMN client TEXT NOT NULL DEFAULT '';
  ALTER TABLE scores ADD COLUMN verdict INTEGER NOT NULL DEFAULT 0;
  CREATE INDEX scores_p ON scores(p);
  CREATE INDEX scores_verified ON scores(score DESC, id) WHERE verdict = 2;
  CREATE INDEX scores_rank ON scores((verdict = 2) DESC, score DESC, id);
  CREATE INDEX scores_client ON scores(client, score DESC, id) WHERE verdict <> 2;
  CREATE TABLE replays(
    score_id INTEGER PRIMARY KEY REFERENCES scores(id) ON DELETE CASCADE,
    bytes BLOB NOT NULL);
  CREATE TABLE jobs(
    score_id INTEGER PRIMARY KEY REFERENCES scores(id) ON DELETE CASCADE,
    lease_until INTEGER NOT NULL DEFAULT 0,
    token TEXT NOT NULL DEFAULT '',
    attempts INTEGER NOT NULL DEFAULT 0);
  CREATE INDEX jobs_lease ON jobs(lease_until);
  CREATE TABLE verified_runs(
    run TEXT PRIMARY KEY,
    score_id INTEGER NOT NULL);
  INSERT OR REPLACE INTO meta(name, value) VALUES('forgotten_through', '-1');
  INSERT OR REPLACE INTO meta(name, value) VALUES('layout', '2');
)sql";

// A statement prepared once and reset after every use.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) != SQLITE_OK) {
      throw StoreError(sqlite3_errmsg(db));
    }
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
  // True while there is a row to read; Done() must follow the last read.
  bool Step() {
    const int result = sqlite3_step(stmt_);
    if (result == SQLITE_ROW) return true;
    const std::string message = sqlite3_errmsg(db_);
    Done();
    if (result != SQLITE_DONE) throw StoreError(message);
    return false;
  }
  // Runs a statement that returns no rows; the rows it changed.
  int64_t Run() {
    Step();
    return sqlite3_changes64(db_);
  }
  void Done() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
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

class Connection {
 public:
  explicit Connection(const std::string& path) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw StoreError("cannot open " + path + ": " + message);
    }
  }
  ~Connection() { sqlite3_close_v2(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class SqliteStore final : public ScoreStore {
 public:
  explicit SqliteStore(const std::string& path) : db_(path) {
    sqlite3_busy_timeout(db_.get(), kBusyTimeoutMs);
    Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
    Transaction([&] { SetUpLayout(); });
    useTicket_ = std::make_unique<Statement>(db_.get(),
                                             "INSERT INTO used_tickets(p, issued) VALUES(?, ?) ON CONFLICT(p) DO NOTHING RETURNING 1");
    addScore_ = std::make_unique<Statement>(
        db_.get(), "INSERT INTO scores(name, add_text, score, sent, p, client) VALUES(?, ?, ?, ?, ?, ?)");
    best_ = std::make_unique<Statement>(
        db_.get(), "SELECT name, add_text, score, id, verdict FROM scores ORDER BY score DESC, id LIMIT ?");
    bestVerified_ = std::make_unique<Statement>(
        db_.get(),
        "SELECT name, add_text, score, id, verdict FROM scores WHERE verdict = 2 ORDER BY score DESC, id LIMIT ?");
  }
  ~SqliteStore() override {
    // Statements go before the connection closes.
    useTicket_.reset();
    addScore_.reset();
    best_.reset();
    bestVerified_.reset();
  }

  std::string TicketKey() override { return key_; }

  std::vector<bool> Submit(const std::vector<Entry>& entries) override {
    std::vector<bool> stored(entries.size(), false);
    Transaction([&] {
      const int64_t forgotten = ForgottenThrough();
      for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (entry.issued <= forgotten) continue;
        // A row back means the p value went in.
        if (!useTicket_->BindText(1, entry.submission.p).Bind(2, entry.issued).Step()) continue;
        useTicket_->Done();
        addScore_->BindBlob(1, entry.submission.name)
            .BindBlob(2, entry.submission.addText)
            .Bind(3, entry.submission.score)
            .Bind(4, entry.sent)
            .BindText(5, entry.submission.p)
            .BindText(6, entry.client)
            .Run();
        stored[i] = true;
      }
    });
    return stored;
  }

  std::vector<ScoreRow> Best(int limit, bool verifiedOnly) override {
    std::vector<ScoreRow> rows;
    Statement& query = verifiedOnly ? *bestVerified_ : *best_;
    query.Bind(1, limit);
    while (query.Step()) {
      rows.push_back({query.Bytes(0), query.Bytes(1), static_cast<int32_t>(query.Int(2)), query.Int(3),
                      static_cast<Verdict>(query.Int(4))});
    }
    return rows;
  }

  int64_t ScoreCount() override {
    Statement query(db_.get(), "SELECT COUNT(*) FROM scores");
    const int64_t count = query.Step() ? query.Int(0) : 0;
    query.Done();
    return count;
  }

  int64_t PruneScores(int64_t keep, int chunk) override {
    int64_t deleted = 0;
    Transaction([&] {
      deleted = Statement(db_.get(),
                          "DELETE FROM scores WHERE id IN "
                          "(SELECT id FROM scores ORDER BY (verdict = 2) DESC, score DESC, id LIMIT ? OFFSET ?)")
                    .Bind(1, chunk)
                    .Bind(2, keep)
                    .Run();
    });
    return deleted;
  }

  int64_t ForgetUsedTickets(int64_t before, int chunk) override {
    int64_t deleted = 0;
    Transaction([&] {
      Statement newest(db_.get(),
                       "SELECT COALESCE(MAX(issued), -1) FROM (SELECT issued FROM used_tickets WHERE issued < ? ORDER BY issued LIMIT ?)");
      newest.Bind(1, before).Bind(2, chunk);
      const int64_t through = newest.Step() ? newest.Int(0) : -1;
      newest.Done();
      Statement(db_.get(),
                "UPDATE meta SET value = CAST(MAX(CAST(value AS INTEGER), ?) AS TEXT) WHERE name = 'forgotten_through'")
          .Bind(1, through)
          .Run();
      deleted = Statement(db_.get(),
                          "DELETE FROM used_tickets WHERE p IN "
                          "(SELECT p FROM used_tickets WHERE issued < ? ORDER BY issued LIMIT ?)")
                    .Bind(1, before)
                    .Bind(2, chunk)
                    .Run();
    });
    return deleted;
  }

  AttachOutcome AttachReplay(const std::string& p, const std::string& replay, int64_t notBefore) override {
    AttachOutcome outcome = AttachOutcome::kNoSubmission;
    Transaction([&] {
      Statement find(db_.get(), "SELECT id, verdict FROM scores WHERE p = ? AND sent >= ?");
      find.BindText(1, p).Bind(2, notBefore);
      if (!find.Step()) return;
      const int64_t id = find.Int(0);
      const auto verdict = static_cast<Verdict>(find.Int(1));
      find.Done();
      if (verdict != Verdict::kNone) {
        outcome = AttachOutcome::kAlready;
        return;
      }
      Statement(db_.get(), "INSERT INTO replays(score_id, bytes) VALUES(?, ?)").Bind(1, id).BindBlob(2, replay).Run();
      Statement(db_.get(), "INSERT INTO jobs(score_id) VALUES(?)").Bind(1, id).Run();
      Statement(db_.get(), "UPDATE scores SET verdict = 1 WHERE id = ?").Bind(1, id).Run();
      outcome = AttachOutcome::kQueued;
    });
    return outcome;
  }

  std::optional<Job> ClaimJob(int leaseSeconds, const std::string& token) override {
    std::optional<Job> job;
    Transaction([&] {
      const int64_t now = TicketSigner::Now();
      Statement find(db_.get(),
                     "SELECT j.score_id, s.score, r.bytes, j.attempts FROM jobs j JOIN scores s ON s.id = j.score_id "
                     "JOIN replays r ON r.score_id = j.score_id WHERE j.lease_until < ? ORDER BY j.score_id LIMIT 1");
      find.Bind(1, now);
      if (!find.Step()) return;
      job = Job{find.Int(0), static_cast<int32_t>(find.Int(1)), find.Bytes(2), static_cast<int>(find.Int(3)) + 1};
      find.Done();
      Statement(db_.get(), "UPDATE jobs SET lease_until = ?, token = ?, attempts = ? WHERE score_id = ?")
          .Bind(1, now + leaseSeconds)
          .BindText(2, token)
          .Bind(3, job->attempts)
          .Bind(4, job->scoreId)
          .Run();
    });
    return job;
  }

  bool RenewLease(int64_t scoreId, const std::string& token, int leaseSeconds) override {
    int64_t changed = 0;
    Transaction([&] {
      changed = Statement(db_.get(), "UPDATE jobs SET lease_until = ? WHERE score_id = ? AND token = ?")
                    .Bind(1, TicketSigner::Now() + leaseSeconds)
                    .Bind(2, scoreId)
                    .BindText(3, token)
                    .Run();
    });
    return changed == 1;
  }

  std::optional<Verdict> FinishJob(int64_t scoreId, const std::string& token, Verdict verdict,
                                   const std::string& run) override {
    std::optional<Verdict> given;
    Transaction([&] {
      if (Statement(db_.get(), "DELETE FROM jobs WHERE score_id = ? AND token = ?").Bind(1, scoreId).BindText(2, token).Run() != 1) {
        return;
      }
      if (verdict == Verdict::kVerified &&
          Statement(db_.get(), "INSERT INTO verified_runs(run, score_id) VALUES(?, ?) ON CONFLICT(run) DO NOTHING")
                  .BindText(1, run)
                  .Bind(2, scoreId)
                  .Run() != 1) {
        verdict = Verdict::kRejected;  // a copy of a run that another score holds
      }
      Statement(db_.get(), "UPDATE scores SET verdict = ? WHERE id = ? AND verdict = 1")
          .Bind(1, static_cast<int>(verdict))
          .Bind(2, scoreId)
          .Run();
      if (verdict != Verdict::kVerified) Statement(db_.get(), "DELETE FROM replays WHERE score_id = ?").Bind(1, scoreId).Run();
      given = verdict;
    });
    return given;
  }

  std::optional<std::string> VerifiedReplay(int64_t scoreId) override {
    Statement find(db_.get(),
                   "SELECT r.bytes FROM replays r JOIN scores s ON s.id = r.score_id WHERE r.score_id = ? AND s.verdict = 2");
    find.Bind(1, scoreId);
    if (!find.Step()) return std::nullopt;
    std::string bytes = find.Bytes(0);
    find.Done();
    return bytes;
  }

 protected:
  void DropUnverifiedBeyond(const std::string& client, int keep) override {
    if (client.empty()) return;
    Transaction([&] {
      Statement(db_.get(),
                "DELETE FROM scores WHERE id IN (SELECT id FROM scores WHERE client = ? AND verdict <> 2 "
                "ORDER BY score DESC, id LIMIT -1 OFFSET ?)")
          .BindText(1, client)
          .Bind(2, keep)
          .Run();
    });
  }

 private:
  void Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string message = error ? error : sqlite3_errmsg(db_.get());
      sqlite3_free(error);
      throw StoreError(message);
    }
  }

  // Runs `work` in one write transaction; nothing of it stays when it throws.
  template <typename Work>
  void Transaction(Work&& work) {
    Execute("BEGIN IMMEDIATE");
    try {
      work();
      Execute("COMMIT");
    } catch (...) {
      // A failed statement may already have ended the transaction.
      sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  void SetUpLayout() {
    Execute("CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value TEXT NOT NULL)");
    int64_t layout = 0;
    {
      Statement read(db_.get(), "SELECT value FROM meta WHERE name = 'layout'");
      if (read.Step()) layout = read.Int(0);
      read.Done();
    }
    if (layout > kStoreLayout) {
      throw StoreError("the store's layout " + std::to_string(layout) + " is newer than this server's (" +
                       std::to_string(kStoreLayout) + ")");
    }
    if (layout < 1) {
      Execute(kLayout1);
      Execute("INSERT OR REPLACE INTO meta(name, value) VALUES('layout', '1')");
    }
    if (layout < 2) Execute(kLayout2);
    Statement(db_.get(), "INSERT INTO meta(name, value) VALUES('ticket_key', ?) ON CONFLICT(name) DO NOTHING")
        .BindText(1, RandomHex(kKeyBytes))
        .Run();
    Statement read(db_.get(), "SELECT value FROM meta WHERE name = 'ticket_key'");
    if (read.Step()) key_ = read.Bytes(0);
    read.Done();
  }

  int64_t ForgottenThrough() {
    Statement read(db_.get(), "SELECT value FROM meta WHERE name = 'forgotten_through'");
    const int64_t value = read.Step() ? read.Int(0) : -1;
    read.Done();
    return value;
  }

  Connection db_;
  std::string key_;
  std::unique_ptr<Statement> useTicket_, addScore_, best_, bestVerified_;
};

}  // namespace

std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path) { return std::make_unique<SqliteStore>(path); }

bool IsPostgresUri(const std::string& db) {
  return db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0;
}

std::unique_ptr<ScoreStore> OpenStore(const std::string& db) {
  return IsPostgresUri(db) ? OpenPostgresStore(db) : OpenSqliteStore(db);
}

}  // namespace scored
