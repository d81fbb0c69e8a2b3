// TScoreSubmission: the submission dialog's score client. When the player
// confirms, it reads the entry just saved (the name typed, the add text, the
// score and the run's replay) and runs the score client's two requests, then
// the replay's upload, on the client's own thread; the outcome comes back to
// the dialog on the frame thread.
#pragma once

#include <memory>

#include "online/http_client.h"
#include "online/score_client.h"

namespace menus {

class TScoreSubmission {
 public:
  TScoreSubmission();
  // Gives up a request in flight and waits for the client's thread.
  ~TScoreSubmission();
  TScoreSubmission(const TScoreSubmission&) = delete;
  TScoreSubmission& operator=(const TScoreSubmission&) = delete;

  // Sends the entry just saved (frame thread). False when the client's
  // thread could not start: the attempt then fails at once.
  bool Start();
  // Ends the client before the window it posts its outcome to goes.
  void Stop() { client_.reset(); }

  // The HTTP client the requests go through (tests put a fake here).
  std::shared_ptr<online::THttpClient> http;

 private:
  std::unique_ptr<online::TConnThrd> client_;  // made with the first submission
};

}  // namespace menus
