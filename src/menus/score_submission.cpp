#include "menus/score_submission.h"

#include "core/game_context.h"
#include "core/shell.h"
#include "menus/front_end.h"
#include "menus/typing.h"
#include "menus/world_access.h"
#include "online/score_server.h"

namespace menus {

TScoreSubmission::TScoreSubmission() : http(std::make_shared<services::TCurlHttpClient>()) {}

TScoreSubmission::~TScoreSubmission() = default;

bool TScoreSubmission::Start() {
  const app::GameContext& ctx = app::Ctx();
  if (!client_) {
    // The outcome goes to the frame thread of the window this submission was started in.
    app::Shell* shell = &app::TheShell();
    client_ = std::make_unique<services::TConnThrd>(
        [shell](services::TConnThrd::Task task) { shell->PostToFrame(std::move(task)); },
        [] { Menus().exitMenu.SubmissionRefused(); }, [] { Menus().exitMenu.SubmissionSent(); });
  }
  services::ScoreEntry entry;
  entry.name = Menus().recordInput.name().substr(0, kMaxTextLength);
  entry.addText = AddTextOf(ctx.ActiveSettings).substr(0, kMaxTextLength);
  entry.score = world::Score();
  // The run just entered in the table, for the server to verify.
  const auto replay = app::TheShell().FinishedRunReplay(entry.score);
  if (replay && replay->size() <= services::kMaxReplayUploadBytes) entry.replay.assign(replay->begin(), replay->end());
  return client_->Resume(http, services::ScoreServer(), std::move(entry));
}

}  // namespace menus
