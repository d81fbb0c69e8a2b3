#include "app/run_end.h"

#include "core/data_hash.h"
#include "core/game_context.h"
#include "world/game.h"
#include "world/world_snapshot.h"

namespace app {

ReplayEnd RunEndNow(RunOutcome outcome) {
  ReplayEnd end;
  end.outcome = outcome;
  const world::TGame* game = Ctx().game.get();
  if (!game) return end;
  end.score = game->Score();
  end.level = game->Level();
  end.lives = game->Lives();
  std::vector<uint8_t> state = world::EncodeWorld(world::CaptureWorld(*game, {}));
  // The generator's state is part of what the world would do next.
  const uint32_t seed = Ctx().random.seed();
  for (int shift = 0; shift < 32; shift += 8) state.push_back(static_cast<uint8_t>(seed >> shift));
  end.world = Sha256Of(state);
  return end;
}

std::optional<RunOutcome> RunOutcomeOf(uint8_t state) {
  if (state == gsGameOver) return RunOutcome::kGameOver;
  // A quit with a score good enough for the table goes to the name entry,
  // which a lost game only reaches after its game over.
  if (!GameInProgress(state) || TraitsOf(state).screen == StateScreen::kRecordEntry) return RunOutcome::kQuit;
  return std::nullopt;
}

}  // namespace app
