// Prints the median and 99th-percentile cost of one WorldStep (which ends in
// PlaceWorldSprites) on freshly generated city and train levels, standing and
// walking, and of StartNextLevel. Run: build/tests/world_bench [levels]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "actors/hero.h"
#include "app/game_context.h"
#include "world/game.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFramesPerLevel = 600;  // ten seconds of play at 66.7 frames a second

struct Figures {
  std::vector<double> micros;
  void Add(Clock::duration d) { micros.push_back(std::chrono::duration<double, std::micro>(d).count()); }
  double Quantile(double q) {
    std::sort(micros.begin(), micros.end());
    return micros.empty() ? 0 : micros[static_cast<size_t>(q * static_cast<double>(micros.size() - 1))];
  }
};

bool rightHeld = false;
EBool KeyDown(int32_t code) { return rightHeld && code == actors::kKeyRight; }

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
    const auto start = Clock::now();
    game.WorldStep();
    step.Add(Clock::now() - start);
  }
  rightHeld = false;
}

void Report(const char* what, Figures& f) {
  std::printf("%-44s median %8.2f us   p99 %8.2f us   (%zu samples)\n", what, f.Quantile(0.5), f.Quantile(0.99),
              f.micros.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int levels = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  app::ScopedGameContext scope;
  app::Ctx().random.Seed(12345);
  iKeyDown = &KeyDown;
  app::Ctx().game = std::make_unique<world::TGame>();
  world::TGame& game = *app::Ctx().game;
  game.CreateWorldResources();

  Figures cityBuild, trainBuild, cityStand, cityWalk, trainStand, trainWalk;
  size_t objects = 0;
  for (int i = 0; i < levels; ++i) {
    Build(game, 0, cityBuild);
    objects += game.foregroundObjects.size();
    Play(game, false, cityStand);
    Build(game, 0, cityBuild);
    Play(game, true, cityWalk);
    Build(game, 2, trainBuild);
    Play(game, false, trainStand);
    Build(game, 2, trainBuild);
    Play(game, true, trainWalk);
  }
  std::printf("world bench: %d levels of each kind, %zu foreground objects a city level on average\n", levels,
              objects / static_cast<size_t>(levels));
  Report("WorldStep, city level, hero standing", cityStand);
  Report("WorldStep, city level, Right held (to a crate)", cityWalk);
  Report("WorldStep, train level, hero standing", trainStand);
  Report("WorldStep, train level, hero walking right", trainWalk);
  Report("StartNextLevel, city level", cityBuild);
  Report("StartNextLevel, train level", trainBuild);
  return 0;
}
