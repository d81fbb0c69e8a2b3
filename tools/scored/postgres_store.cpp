// The PostgreSQL store, through libpq: the store several servers share.
// Every statement is prepared once per connection; names and add texts go
// and come back as raw bytes (binary parameters and results), so no byte is
// ever read as SQL or as text. A commit is acknowledged by the server only
// once it is flushed (synchronous_commit is set on for the session).
#include <arpa/inet.h>
#include <libpq-fe.h>

#include <chrono>
#include <cstring>
#include <string_view>
#include <utility>

#include "score_store.h"
#include "ticket_signer.h"

namespace scored {
namespace {

constexpr size_t kKeyBytes = 32;
// A connection idle longer than this is checked before it is used.
constexpr auto kIdleCheck = std::chrono::seconds(1);
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

// Layout 2: replays, their verification jobs and verdicts, the client of
// each score, and the newest p value forgotten.
constexpr const char* kLayout2 = R"sql(
  ALTER TABLE scores ADD COLUMN IF NOT EXISTS p TEXT;
  ALTER TABLE scores ADD COLUMN IF NOT EXISTS client TEXT NOT NULL DEFAULT '';
  ALTER TABLE scores ADD COLUMN IF NOT EXISTS verdict INTEGER NOT NULL DEFAULT 0;
  CREATE INDEX IF NOT EXISTS scores_p ON scores(p);
  CREATE INDEX IF NOT EXISTS scores_verified ON scores(score DESC, id) WHERE verdict = 2;
  CREATE INDEX IF NOT EXISTS scores_rank ON scores((verdict = 2) DESC, score DESC, id);
  CREATE INDEX IF NOT EXISTS scores_client ON scores(client, score DESC, id) WHERE verdict <> 2;
  CREATE TABLE IF NOT EXISTS replays(
    score_id BIGINT PRIMARY KEY REFERENCES scores(id) ON DELETE CASCADE,
    bytes BYTEA NOT NULL);
  CREATE TABLE IF NOT EXISTS jobs(
    score_id BIGINT PRIMARY KEY REFERENCES scores(id) ON DELETE CASCADE,
    lease_until BIGINT NOT NULL DEFAULT 0,
    token TEXT NOT NULL DEFAULT '',
    attempts INTEGER NOT NULL DEFAULT 0);
  CREATE INDEX IF NOT EXISTS jobs_lease ON jobs(lease_until);
  CREATE TABLE IF NOT EXISTS verified_runs(
    run TEXT PRIMARY KEY,
    score_id BIGINT NOT NULL);
  INSERT INTO meta(name, value) VALUES('forgotten_through', '-1') ON CONFLICT(name) DO NOTHING;
  INSERT INTO meta(name, value) VALUES('layout', '2')
    ON CONFLICT(name) DO UPDATE SET value = EXCLUDED.value;
)sql";

// Leases are timed by the database's clock, the one clock every server on it shares.
#define VARNOK_DB_NOW "EXTRACT(EPOCH FROM clock_timestamp())::bigint"

struct Statement {
  const char* name;
  const char* sql;
  int params;
};
constexpr Statement kUseTicket{"use_ticket",
                               "WITH used AS (INSERT INTO used_tickets(p, issued) SELECT $1, $2::bigint "
                               "WHERE $2::bigint > (SELECT value::bigint FROM meta WHERE name = 'forgotten_through') "
                               "ON CONFLICT(p) DO NOTHING RETURNING 1) "
                               "INSERT INTO scores(name, add_text, score, sent, p, client) "
                               "SELECT $3::bytea, $4::bytea, $5::integer, $6::bigint, $1, $7 FROM used",
                               7};
constexpr Statement kBest{"best",
                          "SELECT name, add_text, score, id, verdict FROM scores ORDER BY score DESC, id "
                          "LIMIT $1::integer",
                          1};
constexpr Statement kBestVerified{"best_verified",
                                  "SELECT name, add_text, score, id, verdict FROM scores WHERE verdict = 2 "
                                  "ORDER BY score DESC, id LIMIT $1::integer",
                                  1};
constexpr Statement kCount{"count", "SELECT COUNT(*) FROM scores", 0};
constexpr Statement kPrune{"prune",
                           "DELETE FROM scores WHERE id IN "
                           "(SELECT id FROM scores ORDER BY (verdict = 2) DESC, score DESC, id "
                           "LIMIT $1::integer OFFSET $2::bigint)",
                           2};
constexpr Statement kForget{"forget",
                            "WITH gone AS (DELETE FROM used_tickets WHERE p IN (SELECT p FROM used_tickets "
                            "WHERE issued < $1::bigint ORDER BY issued LIMIT $2::integer) RETURNING issued), "
                            "moved AS (UPDATE meta SET value = GREATEST(value::bigint, "
                            "(SELECT COALESCE(MAX(issued), -1) FROM gone))::text WHERE name = 'forgotten_through') "
                            "SELECT COUNT(*) FROM gone",
                            2};
constexpr Statement kFindSubmission{"find_submission",
                                    "SELECT id, verdict FROM scores WHERE p = $1 AND sent >= $2::bigint FOR UPDATE", 2};
constexpr Statement kAddReplay{"add_replay",
                               "WITH r AS (INSERT INTO replays(score_id, bytes) VALUES($1::bigint, $2::bytea)), "
                               "j AS (INSERT INTO jobs(score_id) VALUES($1::bigint)) "
                               "UPDATE scores SET verdict = 1 WHERE id = $1::bigint",
                               2};
constexpr Statement kClaim{"claim",
                           "WITH picked AS (SELECT score_id FROM jobs WHERE lease_until < " VARNOK_DB_NOW
                           " ORDER BY score_id LIMIT 1 FOR UPDATE SKIP LOCKED) "
                           "UPDATE jobs j SET lease_until = " VARNOK_DB_NOW " + $1::integer, token = $2, "
                           "attempts = j.attempts + 1 FROM picked WHERE j.score_id = picked.score_id "
                           "RETURNING j.score_id, (SELECT score FROM scores WHERE id = j.score_id), "
                           "(SELECT bytes FROM replays WHERE score_id = j.score_id), j.attempts",
                           2};
constexpr Statement kRenew{"renew",
                           "UPDATE jobs SET lease_until = " VARNOK_DB_NOW " + $3::integer "
                           "WHERE score_id = $1::bigint AND token = $2",
                           3};
constexpr Statement kEndJob{"end_job", "DELETE FROM jobs WHERE score_id = $1::bigint AND token = $2", 2};
constexpr Statement kClaimRun{"claim_run",
                              "INSERT INTO verified_runs(run, score_id) VALUES($1, $2::bigint) "
                              "ON CONFLICT(run) DO NOTHING",
                              2};
constexpr Statement kSetVerdict{"set_verdict",
                                "UPDATE scores SET verdict = $1::integer WHERE id = $2::bigint AND verdict = 1", 2};
constexpr Statement kDropReplay{"drop_replay", "DELETE FROM replays WHERE score_id = $1::bigint", 1};
constexpr Statement kVerifiedReplay{"verified_replay",
                                    "SELECT r.bytes FROM replays r JOIN scores s ON s.id = r.score_id "
                                    "WHERE r.score_id = $1::bigint AND s.verdict = 2",
                                    1};
constexpr Statement kDropUnverified{"drop_unverified",
                                    "DELETE FROM scores WHERE id IN (SELECT id FROM scores WHERE client = $1 "
                                    "AND verdict <> 2 ORDER BY score DESC, id OFFSET $2::bigint)",
                                    2};
constexpr Statement kAll[] = {kUseTicket,   kBest,     kBestVerified, kCount,      kPrune,
                              kForget,      kFindSubmission, kAddReplay, kClaim, kRenew,
                              kEndJob,      kClaimRun, kSetVerdict,   kDropReplay, kVerifiedReplay,
                              kDropUnverified};

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
          .Int(entry.sent)
          .Text(entry.client);
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

  std::vector<ScoreRow> Best(int limit, bool verifiedOnly) override {
    EnsureConnected();
    Params params;
    params.Int(limit);
    const Result result = Run(verifiedOnly ? kBestVerified : kBest, params, PGRES_TUPLES_OK);
    std::vector<ScoreRow> rows;
    for (int row = 0; row < result.Rows(); ++row) {
      rows.push_back({result.Bytes(row, 0), result.Bytes(row, 1), static_cast<int32_t>(result.Int(row, 2)),
                      result.Int(row, 3), static_cast<Verdict>(result.Int(row, 4))});
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
    const Result result = Run(kForget, params, PGRES_TUPLES_OK);
    return result.Rows() == 1 ? result.Int(0, 0) : 0;
  }

  AttachOutcome AttachReplay(const std::string& p, const std::string& replay, int64_t notBefore) override {
    EnsureConnected();
    AttachOutcome outcome = AttachOutcome::kNoSubmission;
    Transaction([&] {
      Params find;
      find.Text(p).Int(notBefore);
      const Result found = Run(kFindSubmission, find, PGRES_TUPLES_OK);
      if (found.Rows() != 1) return;
      if (static_cast<Verdict>(found.Int(0, 1)) != Verdict::kNone) {
        outcome = AttachOutcome::kAlready;
        return;
      }
      Params add;
      add.Int(found.Int(0, 0)).Bytes(replay);
      Run(kAddReplay, add, PGRES_COMMAND_OK);
      outcome = AttachOutcome::kQueued;
    });
    return outcome;
  }

  std::optional<Job> ClaimJob(int leaseSeconds, const std::string& token) override {
    EnsureConnected();
    Params params;
    params.Int(leaseSeconds).Text(token);
    const Result result = Run(kClaim, params, PGRES_TUPLES_OK);
    if (result.Rows() != 1) return std::nullopt;
    return Job{result.Int(0, 0), static_cast<int32_t>(result.Int(0, 1)), result.Bytes(0, 2),
               static_cast<int>(result.Int(0, 3))};
  }

  bool RenewLease(int64_t scoreId, const std::string& token, int leaseSeconds) override {
    EnsureConnected();
    Params params;
    params.Int(scoreId).Text(token).Int(leaseSeconds);
    return Run(kRenew, params, PGRES_COMMAND_OK).Changed() == 1;
  }

  std::optional<Verdict> FinishJob(int64_t scoreId, const std::string& token, Verdict verdict,
                                   const std::string& run) override {
    EnsureConnected();
    std::optional<Verdict> given;
    Transaction([&] {
      Params end;
      end.Int(scoreId).Text(token);
      if (Run(kEndJob, end, PGRES_COMMAND_OK).Changed() != 1) return;
      if (verdict == Verdict::kVerified) {
        Params claim;
        claim.Text(run).Int(scoreId);
        // A copy of a run that another score holds.
        if (Run(kClaimRun, claim, PGRES_COMMAND_OK).Changed() != 1) verdict = Verdict::kRejected;
      }
      Params set;
      set.Int(static_cast<int>(verdict)).Int(scoreId);
      Run(kSetVerdict, set, PGRES_COMMAND_OK);
      if (verdict != Verdict::kVerified) {
        Params drop;
        drop.Int(scoreId);
        Run(kDropReplay, drop, PGRES_COMMAND_OK);
      }
      given = verdict;
    });
    return given;
  }

  std::optional<std::string> VerifiedReplay(int64_t scoreId) override {
    EnsureConnected();
    Params params;
    params.Int(scoreId);
    const Result result = Run(kVerifiedReplay, params, PGRES_TUPLES_OK);
    if (result.Rows() != 1) return std::nullopt;
    return result.Bytes(0, 0);
  }

 protected:
  void DropUnverifiedBeyond(const std::string& client, int keep) override {
    if (client.empty()) return;
    EnsureConnected();
    Params params;
    params.Text(client).Int(keep);
    Run(kDropUnverified, params, PGRES_COMMAND_OK);
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
  // libpq sees a dead connection only when it is used: one idle for a while
  // is tried first, so the next batch after a database restart goes to a
  // new connection instead of failing on the old one.
  void EnsureConnected() {
    const auto now = std::chrono::steady_clock::now();
    if (PQstatus(conn_) == CONNECTION_OK && !broken_ && now - lastUse_ > kIdleCheck) {
      const Result ping(PQexec(conn_, "SELECT 1"));
      if (PQresultStatus(ping.get()) != PGRES_TUPLES_OK) broken_ = true;
    }
    lastUse_ = now;
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
    if (layout < 2) Execute(kLayout2);
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
  std::chrono::steady_clock::time_point lastUse_ = std::chrono::steady_clock::now();
  std::string key_;
};

}  // namespace

std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& uri) { return std::make_unique<PostgresStore>(uri); }

}  // namespace scored
