#include "menus/score_submission.h"

#include "core/game_context.h"
#include "core/shell.h"
#include "menus/front_end.h"
#include "menus/typing.h"
#include "menus/world_access.h"
#include "online/score_server.h"

namespace menus {

TScoreSubmission::TScoreSubmission() : http(std::make_shared<online::TCurlHttpClient>()) {}

TScoreSubmission::~TScoreSubmission() = default;

bool TScoreSubmission::Start() {
  const core::GameContext& ctx = core::Ctx();
  if (!client_) {
    // The outcome goes to the frame thread of the window this submission was started in.
    core::Shell* shell = &core::TheShell();
    client_ = std::make_unique<online::TConnThrd>(
        [shell](online::TConnThrd::Task task) { shell->PostToFrame(std::move(task)); },
        [] { Menus().exitMenu.SubmissionRefused(); }, [] { Menus().exitMenu.SubmissionSent(); });
  }
  online::ScoreEntry entry;
  entry.name = Menus().recordInput.name().substr(0, core::kMaxTextLength);
  entry.addText = AddTextOf(ctx.ActiveSettings).substr(0, core::kMaxTextLength);
  entry.score = world_access::Score();
  // The run just entered in the table, for the server to verify.
  const auto replay = core::TheShell().FinishedRunReplay(entry.score);
  if (replay && replay->size() <= online::kMaxReplayUploadBytes) entry.replay.assign(replay->begin(), replay->end());
  return client_->Resume(http, online::ScoreServer(), std::move(entry));
}

}  // namespace menus
