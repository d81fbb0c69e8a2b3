#include "app/run_end.h"

#include "core/data_hash.h"
#include "core/game_context.h"
#include "world/game.h"
#include "world/world_snapshot.h"

namespace app {

core::ReplayEnd RunEndNow(core::RunOutcome outcome) {
  core::ReplayEnd end;
  end.outcome = outcome;
  const world::TGame* game = core::Ctx().game.get();
  if (!game) return end;
  end.score = game->Score();
  end.level = game->Level();
  end.lives = game->Lives();
  std::vector<uint8_t> state = world::EncodeWorld(world::CaptureWorld(*game, {}));
  // The generator's state is part of what the world would do next.
  const uint32_t seed = core::Ctx().random.seed();
  for (int shift = 0; shift < 32; shift += 8) state.push_back(static_cast<uint8_t>(seed >> shift));
  end.world = core::Sha256Of(state);
  return end;
}

std::optional<core::RunOutcome> RunOutcomeOf(uint8_t state) {
  if (state == core::gsGameOver) return core::RunOutcome::kGameOver;
  // A quit with a score good enough for the table goes to the name entry,
  // which a lost game only reaches after its game over.
  if (!core::GameInProgress(state) || core::TraitsOf(state).screen == core::StateScreen::kRecordEntry) return core::RunOutcome::kQuit;
  return std::nullopt;
}

void ReplayedRunWatch::FrameEnded() {
  if (!end) {
    if (const auto outcome = RunOutcomeOf(core::GameState())) end = RunEndNow(*outcome);
  }
}

void ReplayedRunWatch::RunClearing() {
  if (!end) end = RunEndNow(core::RunOutcome::kQuit);
}

void ReplayedRunWatch::ResumedAfterRestart() { core::Ctx().random.Seed(segmentSeed); }

}  // namespace app
