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
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "submission_decoder.h"

namespace scored {

struct StoreError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What the server found of a score's replay. The numbers are stored.
enum class Verdict : int {
  kNone = 0,          // no replay came
  kPending = 1,       // a replay waits for a verifier
  kVerified = 2,      // the replay re-ran to the score claimed
  kRejected = 3,      // it did not, or it is a copy of a run verified before
  kUnverifiable = 4,  // made by a game version or data this server's verifier lacks
};

struct ScoreRow {
  std::string name;
  std::string addText;
  int32_t score = 0;
  int64_t id = 0;
  Verdict verdict = Verdict::kNone;
};

// A submission whose p value was checked, ready to store.
struct Entry {
  Submission submission;
  int64_t issued = 0;  // when its p value was issued (seconds since the epoch)
  int64_t sent = 0;    // when it arrived
  std::string client = {};  // its ClientKey, which bounds the unverified rows one client keeps
};

enum class AttachOutcome {
  kQueued,        // stored, with a verification job
  kNoSubmission,  // no stored submission has this p value, or it came too long ago
  kAlready,       // a replay came for it before
};

// A verification job a worker holds under a lease.
struct Job {
  int64_t scoreId = 0;
  int32_t score = 0;    // the score claimed
  std::string replay;   // the uploaded bytes
  int attempts = 0;     // claims so far, this one included
};

// The layout this server writes; a store with a higher one is refused.
inline constexpr int kStoreLayout = 2;

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
  // The same, and then drops the lowest rows of each entry's client beyond
  // its best `unverifiedPerClient` that are not verified (0: no bound).
  std::vector<bool> SubmitBounded(const std::vector<Entry>& entries, int unverifiedPerClient) {
    std::vector<bool> stored = Submit(entries);
    if (unverifiedPerClient > 0) {
      for (size_t i = 0; i < entries.size(); ++i) {
        if (stored[i]) DropUnverifiedBeyond(entries[i].client, unverifiedPerClient);
      }
    }
    return stored;
  }
  // The best `limit` scores, highest first; equal scores in the order stored.
  // `verifiedOnly` ranks the verified ones among themselves.
  virtual std::vector<ScoreRow> Best(int limit, bool verifiedOnly = false) = 0;
  virtual int64_t ScoreCount() = 0;
  // Deletes up to `chunk` of the scores ranked below the best `keep`, in one
  // transaction; how many went. Verified scores rank above every other, so
  // unverified ones go first.
  virtual int64_t PruneScores(int64_t keep, int chunk) = 0;
  // Forgets up to `chunk` used p values issued before `before` (seconds since
  // the epoch), and from then on refuses every p value issued no later than
  // the newest one forgotten: a clock stepped back, or a server whose clock
  // is behind, cannot make a forgotten value good again.
  virtual int64_t ForgetUsedTickets(int64_t before, int chunk) = 0;

  // Keeps `replay` for the stored submission of p value `p` that arrived at
  // `notBefore` or later, and queues a verification job for it.
  virtual AttachOutcome AttachReplay(const std::string& p, const std::string& replay, int64_t notBefore) = 0;
  // Takes a job no one holds (or whose holder's lease ran out) for
  // `leaseSeconds` of the store's clock under `token`; nothing when none waits.
  virtual std::optional<Job> ClaimJob(int leaseSeconds, const std::string& token) = 0;
  // Lengthens the lease; false when the job is no longer this token's.
  virtual bool RenewLease(int64_t scoreId, const std::string& token, int leaseSeconds) = 0;
  // Gives a held job its one verdict and ends it, in one transaction. `run`
  // names the run a verified replay made: when another score already holds
  // it, this one is rejected as a copy. The verdict given; nothing when the
  // job was not this token's any more (another worker has it).
  virtual std::optional<Verdict> FinishJob(int64_t scoreId, const std::string& token, Verdict verdict,
                                           const std::string& run) = 0;
  // The replay of a verified score; nothing for any other.
  virtual std::optional<std::string> VerifiedReplay(int64_t scoreId) = 0;

 protected:
  virtual void DropUnverifiedBeyond(const std::string& client, int keep) = 0;
};

// "postgresql://…" or "postgres://…" (a libpq connection URI) opens the
// PostgreSQL store, anything else is an SQLite file. StoreError when it
// cannot be opened or its layout is newer than kStoreLayout.
std::unique_ptr<ScoreStore> OpenStore(const std::string& db);
bool IsPostgresUri(const std::string& db);

std::unique_ptr<ScoreStore> OpenSqliteStore(const std::string& path);
std::unique_ptr<ScoreStore> OpenPostgresStore(const std::string& uri);

}  // namespace scored
