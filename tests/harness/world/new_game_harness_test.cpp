// A run is given by its seed, its clock and its input alone: the second run
// of a process plays as the first run of a fresh process does.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "actors/combat.h"
#include "actors/hero.h"
#include "engine_link/scan_codes.h"
#include "game_harness.h"
#include "menus/front_end.h"
#include "world/game.h"
#include "world/world_snapshot.h"

namespace {

using testing_support::GameHarness;
using World = std::vector<long double>;

// Keys held for so many frames with a weapon in hand: walk, tap Up, jump, tap
// Up, burn the flamethrower aimed up, throw a grenade, fire plasma up, lie
// down and crawl.
const struct {
  std::vector<int32_t> keys;
  int frames;
  int32_t weapon = actors::kWeaponD;
} kInput[] = {
    {{keys::kRight}, 8}, {{keys::kUp}, 1}, {{}, 40}, {{keys::kUp}, 6}, {{}, 60}, {{keys::kUp}, 1}, {{}, 3},
    {{keys::kZ, keys::kUp, keys::kLeftCtrl}, 20}, {{actors::kKeyGrenade}, 30}, {{}, 2},
    {{keys::kZ, keys::kUp, keys::kLeftCtrl}, 9, actors::kWeaponE}, {{keys::kDown}, 3},
    {{keys::kDown, keys::kRight}, 5}};

// The world as its snapshot files hold it, and what they leave out.
World Capture(GameHarness& game) {
  const world::WorldSnapshot s = world::CaptureWorld(*game.context().game, {});
  using namespace world::snapshot;
  World seen;
  for (const auto& bytes : {EncodeHeader(s.header), EncodeLayers(s.background), EncodeLayers(s.foreground),
                            EncodePlaced(s.buildings), EncodeForeground(s.things), EncodeEnemies(s.enemies),
                            EncodeHero(s.hero)}) {
    seen.insert(seen.end(), bytes.begin(), bytes.end());
  }
  const actors::THero& hero = *game.context().game->hero;
  for (int32_t tick : {hero.LastShotTick, hero.ChargeTick}) seen.push_back(tick);
  const auto& arsenal = static_cast<actors::TCombat&>(*game.context().combat).Arsenal();
  for (const auto& flame : arsenal.Flames) seen.push_back(flame->Angle);
  for (const auto& plasma : arsenal.ShotsE) seen.push_back(plasma->FrameIndex);
  return seen;
}

// A run started from the main menu on one seed with the clock at `at`,
// seen as it starts and after the input.
std::vector<World> Play(GameHarness& game, uint32_t at) {
  game.context().random.Seed(4242);
  game.clock().Set(at);
  game.Tap(keys::kEnter);
  EXPECT_TRUE(game.RunUntil([] { return app::GameState() == app::gsPlaying; }, 5));
  std::vector<World> seen{Capture(game)};
  for (const auto& step : kInput) {
    game.context().game->currentWeapon = step.weapon;
    for (int32_t k : step.keys) game.Hold(k);
    game.Frame(step.frames);
    for (int32_t k : step.keys) game.Release(k);
  }
  seen.push_back(Capture(game));
  return seen;
}

TEST(NewGameHarness, ASecondRunInAProcessPlaysAsTheFirstRunOfAFreshProcess) {
  constexpr uint32_t kRunStart = 1000000;  // later than any tick of the run before
  std::vector<World> second;
  {
    GameHarness game;
    game.Start();
    Play(game, game.clock().Ticks());
    // Quit from the dialog, lying down.
    game.Tap(keys::kEscape);
    game.Frame();
    menus::Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kYes);
    game.Tap(keys::kEnter);
    game.Frame();
    ASSERT_EQ(app::GameState(), app::gsMainMenu);
    second = Play(game, kRunStart);
  }
  GameHarness game;
  game.Start();
  const std::vector<World> fresh = Play(game, kRunStart);
  for (size_t i = 0; i < fresh.size(); ++i) {
    const auto at = std::mismatch(second[i].begin(), second[i].end(), fresh[i].begin(), fresh[i].end()).first;
    EXPECT_TRUE(second[i] == fresh[i]) << (i == 0 ? "as the run starts" : "after the input")
                                       << ": first difference at " << at - second[i].begin();
  }
}

}  // namespace
