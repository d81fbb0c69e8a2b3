// ScoreStore: where the scores live, and the p values already used. Two
// kinds: an SQLite file (the embedded default) and a PostgreSQL database
// that several servers can share. Each is one connection, used by one
// thread at a time; a server opens one per thread that needs it.
//
// Opening a store creates its tables, or brings an older layout up to date,
// and refuses a layout newer than this server knows. Every change is one
// transaction, durable when the call returns, so a kill or a power cut at
// any moment loses nothing acknowledged and never leaves half a change.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "submission_decoder.h"

namespace scored {

struct StoreError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct ScoreRow {
  std::string name;
  std::string addText;
  int32_t score = 0;
};

// A submission whose p value was checked, ready to store.
struct Entry {
  Submission submission;
  int64_t issued = 0;  // when its p value was issued (seconds since the epoch)
  int64_t sent = 0;    // when it arrived
};

// The layout this server writes; a store with a higher one is refused.
inline constexpr int kStoreLayout = 1;

class ScoreStore {
 public:
  virtual ~ScoreStore() = default;

  // The secret that signs p values, made by the first server to open the
  // store and the same for every server sharing it.
  virtual std::string TicketKey() = 0;
  // Stores each entry whose p value was not used before (by any server) and
  // marks it used, all in one transaction that is durable when this
  // returns: result[i] is true when entries[i] was stored. An entry whose p
  // value is used, also earlier in the same batch, is left out.
  // StoreError, and nothing stored, when the transaction failed.
  virtual std::vector<bool> Submit(const std::vector<Entry>& entries) = 0;
  // The best `limit` scores, highest first; equal scores in the order stored.
  virtual std::vector<ScoreRow> Best(int limit) = 0;
  virtual int64_t ScoreCount() = 0;
  // Deletes up to `chunk` of the scores ranked below the best `keep`, in one
  // transaction; how many went.
  virtual int64_t PruneScores(int64_t keep, int chunk) = 0;
  // Forgets up to `chunk` used p values issued before `before` (seconds since
  // the epoch); they have expired, so forgetting them lets none back in.
  virtual int64_t ForgetUsedTickets(int64_t before, int chunk) = 0;
};

// "postgresql://…" or "postgres://…" (a libpq connection URI) opens the
// PostgreSQL store, anything else is an SQLite file. StoreError when it
// cannot be opened or its layout is newer than kStoreLayout.
std::unique_ptr<ScoreStore> OpenStore(const std::string& db);
bool IsPostgresUri(const std::string& db);

std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path);
std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& uri);

}  // namespace scored
