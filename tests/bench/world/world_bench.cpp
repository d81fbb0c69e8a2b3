// Prints the median and 99th-percentile cost of one WorldStep (which ends in
// PlaceWorldSprites) on freshly generated city and train levels, standing and
// walking, on a busy level (every enemy and fire in view, every enemy
// shooting, the flamethrower on), and of StartNextLevel.
// Run: build/tests/world_bench [levels]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "actors/combat.h"
#include "actors/enemy.h"
#include "actors/hero.h"
#include "actors/hero_arsenal.h"
#include "actors/pickup.h"
#include "core/game_context.h"
#include "engine_link/scan_codes.h"
#include "platform/tick_clock.h"
#include "world/game.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFramesPerLevel = 600;  // ten seconds of play at 66.7 frames a second
constexpr uint32_t kFrameMs = 15;

// Game time moves a frame's worth per step, so timed steps (animation, enemy
// fire, cool-downs) happen as often as they do in play.
platform::FakeTickClock gameClock(1);

struct Figures {
  std::vector<double> micros;
  void Add(Clock::duration d) { micros.push_back(std::chrono::duration<double, std::micro>(d).count()); }
  double Quantile(double q) {
    std::sort(micros.begin(), micros.end());
    return micros.empty() ? 0 : micros[static_cast<size_t>(q * static_cast<double>(micros.size() - 1))];
  }
};

bool rightHeld = false;
bool fireHeld = false;
EBool KeyDown(int32_t code) {
  return (rightHeld && code == actors::kKeyRight) || (fireHeld && code == keys::kLeftCtrl);
}

// Builds the level after `previous` (so previous + 1) with a new layout.
void Build(world::TGame& game, int32_t previous, Figures& build) {
  game.ClearLevel();
  game.SetLevel(previous);
  const auto start = Clock::now();
  game.StartNextLevel();
  build.Add(Clock::now() - start);
}

void Play(world::TGame& game, bool walk, Figures& step) {
  rightHeld = walk;
  for (int i = 0; i < kFramesPerLevel; ++i) {
    gameClock.Advance(kFrameMs);
    const auto start = Clock::now();
    game.WorldStep();
    step.Add(Clock::now() - start);
  }
  rightHeld = false;
}

// The busiest frame the game makes: the level's enemies spread over the
// screen facing the hero, standing, and too tough to die; every fire moved
// into view; every pick-up floating; the hero, armoured against every shot,
// holding the flamethrower's fire key.
void PlayBusy(world::TGame& game, actors::TCombat& combat, Figures& step) {
  constexpr long double kViewHalfWidth = 15;
  constexpr int32_t kToughness = 1'000'000'000;
  actors::TBattlefield& field = combat.Field();
  const size_t enemies = field.enemies.size();
  for (size_t i = 0; i < enemies; ++i) {
    actors::TEnemy& enemy = *field.enemies[i];
    const long double x = -kViewHalfWidth + 2 * kViewHalfWidth * static_cast<long double>(i + 1) /
                                                static_cast<long double>(enemies + 1);
    enemy.X = x == 0 ? 0.5L : x;
    enemy.Y = game.hero->GroundY - 0.2L;
    enemy.FacingRight = enemy.X < game.hero->X ? 1 : 0;
    enemy.Walks = 0;
    enemy.HitPoints = kToughness;
  }
  size_t fire = 0;
  for (const auto& thing : game.foregroundObjects) {
    if (!thing->IsFire()) continue;
    thing->X = -kViewHalfWidth + static_cast<long double>(fire++ % 31);
  }
  for (const auto& pickup : field.pickups) pickup->X = 10;
  game.SetArmor(kToughness);
  game.currentWeapon = actors::kWeaponD;
  fireHeld = true;
  for (int i = 0; i < kFramesPerLevel; ++i) {
    gameClock.Advance(kFrameMs);
    const auto start = Clock::now();
    game.WorldStep();
    step.Add(Clock::now() - start);
  }
  fireHeld = false;
  size_t inFlight = 0, alive = 0;
  for (const auto& enemy : field.enemies) {
    alive += enemy->Dead ? 0 : 1;
    for (const auto& shot : enemy->Missiles) inFlight += shot->Free ? 0 : 1;
  }
  std::printf("busy level: %zu of %zu enemies alive, %zu enemy shots in flight at the end\n", alive, enemies, inFlight);
}

void Report(const char* what, Figures& f) {
  std::printf("%-44s median %8.2f us   p99 %8.2f us   (%zu samples)\n", what, f.Quantile(0.5), f.Quantile(0.99),
              f.micros.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int levels = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  core::ScopedGameContext scope;
  platform::SetTickClock(&gameClock);
  core::Ctx().random.Seed(12345);
  iKeyDown = &KeyDown;
  core::Ctx().game = std::make_unique<world::TGame>();
  world::TGame& game = *core::Ctx().game;
  actors::TCombat combat(game);
  game.combat = &combat;
  game.CreateWorldResources();

  Figures cityBuild, trainBuild, cityStand, cityWalk, trainStand, trainWalk, busy;
  size_t enemies = 0;
  size_t objects = 0;
  for (int i = 0; i < levels; ++i) {
    Build(game, 0, cityBuild);
    objects += game.foregroundObjects.size();
    Play(game, false, cityStand);
    Build(game, 0, cityBuild);
    Play(game, true, cityWalk);
    Build(game, 0, cityBuild);
    enemies += combat.Field().enemies.size();
    PlayBusy(game, combat, busy);
    Build(game, 2, trainBuild);
    Play(game, false, trainStand);
    Build(game, 2, trainBuild);
    Play(game, true, trainWalk);
  }
  std::printf("world bench: %d levels of each kind, %zu foreground objects and %zu enemies a city level on average\n",
              levels, objects / static_cast<size_t>(levels), enemies / static_cast<size_t>(levels));
  Report("WorldStep, city level, hero standing", cityStand);
  Report("WorldStep, city level, Right held (to a crate)", cityWalk);
  Report("WorldStep, busy city level (all shooting, flames)", busy);
  Report("WorldStep, train level, hero standing", trainStand);
  Report("WorldStep, train level, hero walking right", trainWalk);
  Report("StartNextLevel, city level", cityBuild);
  Report("StartNextLevel, train level", trainBuild);
  return 0;
}
