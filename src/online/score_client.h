// ConnThrd: the score client. After a saved record the player may send the
// score online; the client asks the server's version query, and when the
// reply begins "OK" packs the entry with the reply's p value and sends it.
//
// The sequence runs on a thread of its own at the lowest priority, so the
// frame loop keeps drawing the dialog. It never touches game objects: the
// entry is read on the frame thread when the player confirms, and the outcome
// is handed back to the frame thread through `post`, exactly once per run.
//
// When the server acknowledged the submission ("OK") and the entry carries
// the run's replay, the same thread then uploads it (POST /cgi/replay?p=…),
// after the outcome is handed back, so the player never waits for it. A
// failed upload is tried again a few times with growing pauses, then given
// up without a word: the score stands, only not verified.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "online/http_client.h"

namespace online {

// What a submission sends, read when the player confirms.
struct ScoreEntry {
  std::string name;     // as typed, at most 10 characters
  std::string addText;  // the settings' add text, at most 10 characters
  int32_t score = 0;    // in clear
  std::string replay = {};  // the run's replay file; empty: nothing is uploaded
};

inline constexpr const char* kReplayUploadPath = "/cgi/replay?p=";
inline constexpr const char* kReplayContentType = "application/x-varnok-replay";
// The largest replay sent; the server refuses larger ones.
inline constexpr size_t kMaxReplayUploadBytes = 256 * 1024;

// Pauses before the upload's second and later tries.
struct UploadRetry {
  int tries = 3;
  std::chrono::milliseconds firstPause{1000};  // doubled before each further try
};

enum class SubmissionOutcome {
  kRefused,  // the version query failed or did not begin "OK": offer another try
  kSent,     // the submission went out (its reply and failure are not looked at)
};

// The two requests, on the calling thread. `server` is "host[:port]". When
// the server answered the submission "OK", its p value goes to `acknowledged`.
SubmissionOutcome RunScoreSequence(THttpClient& http, const std::string& server, const ScoreEntry& entry,
                                   std::string* acknowledged = nullptr);

// Uploads `replay` for the submission of p value `p`, trying again after a
// failed try (no answer, 429 or 5xx) while `pause` (called with each pause)
// returns true; true once the server took it.
bool UploadReplay(THttpClient& http, const std::string& server, const std::string& p, const std::string& replay,
                  const UploadRetry& retry, const std::function<bool(std::chrono::milliseconds)>& pause);

class TConnThrd {
 public:
  using Task = std::function<void()>;
  // `post` hands a task to the frame thread; `onRefused` and `onSent` are the
  // frame-thread work of the two outcomes.
  TConnThrd(std::function<void(Task)> post, Task onRefused, Task onSent, UploadRetry retry = {});
  // Gives up a request in flight and waits for the thread.
  ~TConnThrd();
  TConnThrd(const TConnThrd&) = delete;
  TConnThrd& operator=(const TConnThrd&) = delete;

  // Runs the sequence from the start for `entry` with `http` against
  // `server`. The thread is made on the first call and then waits for the
  // next; false when it could not be started.
  bool Resume(std::shared_ptr<THttpClient> http, std::string server, ScoreEntry entry);

 private:
  struct Request {
    std::shared_ptr<THttpClient> http;
    std::string server;
    ScoreEntry entry;
  };
  void Loop();

  // Waits `pause` unless the client is stopping or a new request came; false then.
  bool PauseUpload(std::chrono::milliseconds pause);

  std::function<void(Task)> post_;
  Task onRefused_, onSent_;
  const UploadRetry retry_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Request> pending_;
  std::shared_ptr<THttpClient> running_;  // the client of the request in flight
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace online
