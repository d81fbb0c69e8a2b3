// Prints the median and worst cost of SaveWorldSnapshot and of reading the
// snapshot back and rebuilding the level (what a restarted process does), on
// busy city and train levels: every enemy and every hero pool with shots in
// flight. The files go to a temporary folder on the machine's disk.
// Run: build/tests/snapshot_bench [rounds]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "actors/combat.h"
#include "actors/enemy.h"
#include "actors/hero.h"
#include "core/game_context.h"
#include "platform/tick_clock.h"
#include "world/game.h"
#include "world/world_snapshot.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Figures {
  std::vector<double> millis;
  void Add(Clock::duration d) { millis.push_back(std::chrono::duration<double, std::milli>(d).count()); }
  double Quantile(double q) {
    std::sort(millis.begin(), millis.end());
    return millis.empty() ? 0 : millis[static_cast<size_t>(q * static_cast<double>(millis.size() - 1))];
  }
};

// Every shot of every pool in flight somewhere on the screen.
template <class Pool>
void Launch(Pool& pool, long double y) {
  long double x = -15;
  for (auto& shot : pool) {
    shot->Free = 0;
    shot->X = x;
    shot->Y = y;
    shot->Age = 10;
    shot->Direction = 0.25L;
    x += 0.5L;
  }
}

void MakeBusy(actors::TCombat& combat) {
  for (auto& enemy : combat.Field().enemies) Launch(enemy->Missiles, -6);
  actors::THeroArsenal& arsenal = combat.Arsenal();
  Launch(arsenal.ShotsA, -5);
  Launch(arsenal.ShotsB, -4);
  Launch(arsenal.ShotsC, -3);
  Launch(arsenal.ShotsE, -2);
  Launch(arsenal.Grenades, 0);
}

void Report(const char* what, Figures& f) {
  std::printf("%-40s median %7.3f ms   max %7.3f ms   (%zu samples)\n", what, f.Quantile(0.5), f.Quantile(1.0),
              f.millis.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  std::string pattern = (fs::temp_directory_path() / "varnok-snapshot-bench-XXXXXX").string();
  const fs::path folder = ::mkdtemp(pattern.data());
  fs::create_directories(folder / "data");
  fs::current_path(folder);

  core::ScopedGameContext scope;
  platform::FakeTickClock clock(1);
  platform::SetTickClock(&clock);
  core::Ctx().random.Seed(4242);
  core::Ctx().game = std::make_unique<world::TGame>();
  world::TGame& game = *core::Ctx().game;
  actors::TCombat combat(game);
  game.combat = &combat;
  game.CreateWorldResources();

  Figures save, restore, both;
  size_t bytes = 0, enemies = 0, things = 0;
  bool ok = true;
  for (int round = 0; round < rounds; ++round) {
    for (int32_t previous : {0, 2}) {  // a city level, then a train level
      game.ClearLevel();
      game.SetLevel(previous);
      game.StartNextLevel();
      MakeBusy(combat);
      enemies += combat.Field().enemies.size();
      things += game.foregroundObjects.size();

      const auto t0 = Clock::now();
      ok &= world::SaveWorldSnapshot(game, {3, "BENCHMARK"});
      const auto t1 = Clock::now();
      for (const auto& entry : fs::directory_iterator(folder / "data")) bytes += fs::file_size(entry);
      game.ClearLevel();  // the new process starts on an empty world
      const auto t2 = Clock::now();
      std::string why;
      const auto snapshot = world::ReadWorldSnapshot(why);
      if (snapshot) world::RestoreWorld(game, *snapshot);
      const auto t3 = Clock::now();
      ok &= snapshot.has_value();
      save.Add(t1 - t0);
      restore.Add(t3 - t2);
      both.Add((t1 - t0) + (t3 - t2));
    }
  }
  const size_t samples = save.millis.size();
  std::printf("snapshot bench: %d rounds of a city and a train level; %zu enemies, %zu foreground objects and "
              "%zu bytes of files a level on average%s\n",
              rounds, enemies / samples, things / samples, bytes / samples, ok ? "" : " (A SAVE OR READ FAILED)");
  Report("SaveWorldSnapshot (8 files, atomic)", save);
  Report("read + rebuild the level", restore);
  Report("save + restore (target < 20 ms)", both);
  fs::current_path("/");
  std::error_code error;
  fs::remove_all(folder, error);
  return ok ? 0 : 1;
}
