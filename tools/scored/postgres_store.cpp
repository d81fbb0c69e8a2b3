// The PostgreSQL store, through libpq: the store several servers share.
// Every statement is prepared once per connection; names and add texts go
// and come back as raw bytes (binary parameters and results), so no byte is
// ever read as SQL or as text. A commit is acknowledged by the server only
// once it is flushed (synchronous_commit is set on for the session).
#include <arpa/inet.h>
#include <libpq-fe.h>

#include <cstring>
#include <string_view>
#include <utility>

#include "score_store.h"
#include "ticket_signer.h"

namespace scored {
namespace {

constexpr size_t kKeyBytes = 32;
// Servers starting together set up the layout one after the other.
constexpr const char* kLayoutLock = "SELECT pg_advisory_xact_lock(7264512301)";

constexpr const char* kLayout1 = R"sql(
  CREATE TABLE IF NOT EXISTS scores(
    id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    name BYTEA NOT NULL,
    add_text BYTEA NOT NULL,
    score INTEGER NOT NULL,
    sent BIGINT NOT NULL);
  CREATE INDEX IF NOT EXISTS scores_best ON scores(score DESC, id);
  CREATE TABLE IF NOT EXISTS used_tickets(
    p TEXT PRIMARY KEY,
    issued BIGINT NOT NULL);
  CREATE INDEX IF NOT EXISTS used_tickets_age ON used_tickets(issued);
  INSERT INTO meta(name, value) VALUES('layout', '1')
    ON CONFLICT(name) DO UPDATE SET value = EXCLUDED.value;
)sql";

struct Statement {
  const char* name;
  const char* sql;
  int params;
};
constexpr Statement kUseTicket{"use_ticket",
                               "WITH used AS (INSERT INTO used_tickets(p, issued) VALUES($1, $2::bigint) "
                               "ON CONFLICT(p) DO NOTHING RETURNING 1) "
                               "INSERT INTO scores(name, add_text, score, sent) "
                               "SELECT $3::bytea, $4::bytea, $5::integer, $6::bigint FROM used",
                               6};
constexpr Statement kBest{"best", "SELECT name, add_text, score FROM scores ORDER BY score DESC, id LIMIT $1::integer",
                          1};
constexpr Statement kCount{"count", "SELECT COUNT(*) FROM scores", 0};
constexpr Statement kPrune{"prune",
                           "DELETE FROM scores WHERE id IN "
                           "(SELECT id FROM scores ORDER BY score DESC, id LIMIT $1::integer OFFSET $2::bigint)",
                           2};
constexpr Statement kForget{"forget",
                            "DELETE FROM used_tickets WHERE p IN "
                            "(SELECT p FROM used_tickets WHERE issued < $1::bigint LIMIT $2::integer)",
                            2};
constexpr Statement kAll[] = {kUseTicket, kBest, kCount, kPrune, kForget};

class Result {
 public:
  explicit Result(PGresult* result) : result_(result) {}
  ~Result() { PQclear(result_); }
  Result(Result&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  Result& operator=(Result&&) = delete;
  PGresult* get() const { return result_; }
  int Rows() const { return PQntuples(result_); }
  std::string Bytes(int row, int column) const {
    return std::string(PQgetvalue(result_, row, column), static_cast<size_t>(PQgetlength(result_, row, column)));
  }
  // A binary integer column of 4 or 8 bytes, in network order.
  int64_t Int(int row, int column) const {
    const char* value = PQgetvalue(result_, row, column);
    if (PQgetlength(result_, row, column) == 4) {
      uint32_t v = 0;
      std::memcpy(&v, value, 4);
      return static_cast<int32_t>(ntohl(v));
    }
    uint32_t high = 0, low = 0;
    std::memcpy(&high, value, 4);
    std::memcpy(&low, value + 4, 4);
    return static_cast<int64_t>((static_cast<uint64_t>(ntohl(high)) << 32) | ntohl(low));
  }
  int64_t Changed() const {
    const char* count = PQcmdTuples(result_);
    return *count ? std::stoll(count) : 0;
  }

 private:
  PGresult* result_;
};

// Parameters as libpq takes them: texts for numbers, raw bytes for bytea.
class Params {
 public:
  Params& Text(std::string value) {
    Add(std::move(value), 0);
    return *this;
  }
  Params& Int(int64_t value) { return Text(std::to_string(value)); }
  Params& Bytes(std::string value) {
    Add(std::move(value), 1);
    return *this;
  }
  int Count() const { return static_cast<int>(values_.size()); }
  const char* const* Values() {
    pointers_.clear();
    for (const auto& value : values_) pointers_.push_back(value.data());
    return pointers_.data();
  }
  const int* Lengths() const { return lengths_.data(); }
  const int* Formats() const { return formats_.data(); }

 private:
  void Add(std::string value, int format) {
    lengths_.push_back(static_cast<int>(value.size()));
    formats_.push_back(format);
    values_.push_back(std::move(value));
  }
  std::vector<std::string> values_;
  std::vector<const char*> pointers_;
  std::vector<int> lengths_, formats_;
};

class PostgresStore final : public ScoreStore {
 public:
  explicit PostgresStore(const std::string& uri) : uri_(uri) {
    Connect();
    try {
      Transaction([&] { SetUpLayout(); });
      Prepare();
    } catch (...) {
      PQfinish(conn_);
      throw;
    }
  }
  ~PostgresStore() override { PQfinish(conn_); }
  PostgresStore(const PostgresStore&) = delete;
  PostgresStore& operator=(const PostgresStore&) = delete;

  std::string TicketKey() override { return key_; }

  // The whole batch goes in one round trip (libpq's pipeline mode): BEGIN,
  // one statement a submission, COMMIT, then every answer is read. The
  // answers are a few dozen bytes each, so the socket buffers hold them all
  // while the statements are still being sent.
  std::vector<bool> Submit(const std::vector<Entry>& entries) override {
    EnsureConnected();
    if (PQenterPipelineMode(conn_) != 1) throw StoreError("PostgreSQL: " + Trimmed(PQerrorMessage(conn_)));
    bool queued = PQsendQueryParams(conn_, "BEGIN", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
    for (size_t i = 0; i < entries.size() && queued; ++i) {
      const Entry& entry = entries[i];
      Params params;
      params.Text(entry.submission.p)
          .Int(entry.issued)
          .Bytes(entry.submission.name)
          .Bytes(entry.submission.addText)
          .Int(entry.submission.score)
          .Int(entry.sent);
      queued = PQsendQueryPrepared(conn_, kUseTicket.name, params.Count(), params.Values(), params.Lengths(),
                                   params.Formats(), 1) == 1;
    }
    queued = queued && PQsendQueryParams(conn_, "COMMIT", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
    queued = queued && PQpipelineSync(conn_) == 1;

    std::vector<bool> stored(entries.size(), false);
    std::string failure = queued ? "" : Trimmed(PQerrorMessage(conn_));
    // Answers: BEGIN, one a submission, COMMIT; each ends with a null.
    for (size_t answer = 0; queued && answer < entries.size() + 2; ++answer) {
      const Result result(PQgetResult(conn_));
      if (!result.get()) {
        failure = "PostgreSQL: an answer is missing";
        break;
      }
      const ExecStatusType status = PQresultStatus(result.get());
      if (status != PGRES_COMMAND_OK && failure.empty()) {
        failure = status == PGRES_PIPELINE_ABORTED ? "PostgreSQL: batch aborted" : Trimmed(PQerrorMessage(conn_));
      }
      // The COMMIT of a transaction that failed answers "ROLLBACK".
      if (answer == entries.size() + 1 && failure.empty() && std::string_view(PQcmdStatus(result.get())) != "COMMIT") {
        failure = "PostgreSQL: the transaction was rolled back";
      }
      if (status == PGRES_COMMAND_OK && answer >= 1 && answer <= entries.size()) stored[answer - 1] = result.Changed() == 1;
      PQclear(PQgetResult(conn_));
    }
    if (queued) {
      // Up to the sync, where the server stopped skipping after an error;
      // bounded, in case the connection went away meanwhile.
      for (size_t left = 2 * entries.size() + 8; left > 0; --left) {
        PGresult* rest = PQgetResult(conn_);
        const bool sync = rest && PQresultStatus(rest) == PGRES_PIPELINE_SYNC;
        PQclear(rest);
        if (sync || PQstatus(conn_) != CONNECTION_OK) break;
      }
    }
    if (PQexitPipelineMode(conn_) != 1) {
      // Answers are still pending: the connection is out of step and is made again next time.
      broken_ = true;
      if (failure.empty()) failure = Trimmed(PQerrorMessage(conn_));
    }
    if (!failure.empty()) {
      if (!broken_ && PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
      throw StoreError(failure.rfind("PostgreSQL", 0) == 0 ? failure : "PostgreSQL: " + failure);
    }
    return stored;
  }

  std::vector<ScoreRow> Best(int limit) override {
    EnsureConnected();
    Params params;
    params.Int(limit);
    const Result result = Run(kBest, params, PGRES_TUPLES_OK);
    std::vector<ScoreRow> rows;
    for (int row = 0; row < result.Rows(); ++row) {
      rows.push_back({result.Bytes(row, 0), result.Bytes(row, 1), static_cast<int32_t>(result.Int(row, 2))});
    }
    return rows;
  }

  int64_t ScoreCount() override {
    EnsureConnected();
    Params none;
    const Result result = Run(kCount, none, PGRES_TUPLES_OK);
    return result.Rows() == 1 ? result.Int(0, 0) : 0;
  }

  int64_t PruneScores(int64_t keep, int chunk) override {
    EnsureConnected();
    Params params;
    params.Int(chunk).Int(keep);
    return Run(kPrune, params, PGRES_COMMAND_OK).Changed();
  }

  int64_t ForgetUsedTickets(int64_t before, int chunk) override {
    EnsureConnected();
    Params params;
    params.Int(before).Int(chunk);
    return Run(kForget, params, PGRES_COMMAND_OK).Changed();
  }

 private:
  void Connect() {
    conn_ = PQconnectdb(uri_.c_str());
    if (PQstatus(conn_) != CONNECTION_OK) {
      const std::string message = conn_ ? PQerrorMessage(conn_) : "out of memory";
      PQfinish(conn_);
      conn_ = nullptr;
      throw StoreError("cannot connect to the PostgreSQL store: " + Trimmed(message));
    }
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);  // "already exists, skipping"
    Execute("SET synchronous_commit = on");
  }

  // A connection lost since the last call (the server restarted, the
  // network dropped) is made again once; StoreError when that fails too.
  void EnsureConnected() {
    if (PQstatus(conn_) == CONNECTION_OK && !broken_) return;
    broken_ = false;
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK) throw StoreError("lost the PostgreSQL store: " + Trimmed(PQerrorMessage(conn_)));
    Execute("SET synchronous_commit = on");
    Prepare();
  }

  void Prepare() {
    for (const Statement& statement : kAll) {
      const Result result(PQprepare(conn_, statement.name, statement.sql, statement.params, nullptr));
      Check(result, PGRES_COMMAND_OK);
    }
  }

  static std::string Trimmed(std::string message) {
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    return message;
  }

  void Check(const Result& result, ExecStatusType expected) {
    if (PQresultStatus(result.get()) != expected) throw StoreError("PostgreSQL: " + Trimmed(PQerrorMessage(conn_)));
  }

  void Execute(const char* sql) {
    const Result result(PQexec(conn_, sql));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
      throw StoreError("PostgreSQL: " + Trimmed(PQerrorMessage(conn_)));
    }
  }

  Result Run(const Statement& statement, Params& params, ExecStatusType expected) {
    Result result(PQexecPrepared(conn_, statement.name, params.Count(), params.Values(), params.Lengths(),
                                 params.Formats(), 1));
    Check(result, expected);
    return result;
  }

  template <typename Work>
  void Transaction(Work&& work) {
    Execute("BEGIN");
    try {
      work();
      // A COMMIT that fails, or whose answer is lost, leaves the entries
      // unacknowledged: the caller answers with an error.
      Execute("COMMIT");
    } catch (...) {
      if (PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
      throw;
    }
  }

  void SetUpLayout() {
    Execute(kLayoutLock);
    Execute("CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value TEXT NOT NULL)");
    int64_t layout = 0;
    {
      const Result result(PQexec(conn_, "SELECT value FROM meta WHERE name = 'layout'"));
      Check(result, PGRES_TUPLES_OK);
      if (result.Rows() == 1) layout = std::stoll(result.Bytes(0, 0));
    }
    if (layout > kStoreLayout) {
      throw StoreError("the store's layout " + std::to_string(layout) + " is newer than this server's (" +
                       std::to_string(kStoreLayout) + ")");
    }
    if (layout < 1) Execute(kLayout1);
    const std::string key = RandomHex(kKeyBytes);
    const char* values[] = {key.c_str()};
    Check(Result(PQexecParams(conn_,
                              "INSERT INTO meta(name, value) VALUES('ticket_key', $1) ON CONFLICT(name) DO NOTHING",
                              1, nullptr, values, nullptr, nullptr, 0)),
          PGRES_COMMAND_OK);
    const Result result(PQexec(conn_, "SELECT value FROM meta WHERE name = 'ticket_key'"));
    Check(result, PGRES_TUPLES_OK);
    if (result.Rows() != 1) throw StoreError("PostgreSQL: the p value key is missing");
    key_ = result.Bytes(0, 0);
  }

  std::string uri_;
  PGconn* conn_ = nullptr;
  bool broken_ = false;  // out of step with the server: made again before the next use
  std::string key_;
};

}  // namespace

std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& uri) { return std::make_unique<PostgresStore>(uri); }

}  // namespace scored
