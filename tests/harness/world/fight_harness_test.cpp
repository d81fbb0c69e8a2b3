// A whole city level fought through by a scripted player: a small policy
// reads the scene each frame and holds the keys a player would (lie down and
// fire at terrorists on the street, lob grenades and fire diagonally at the
// ones on the obstacles, shoot rising pop-ups and floating pick-ups from
// below, walk through what falls, jump over what blocks him), while the
// weapon in hand changes after every kill as the weapon signs would change
// it. The score at the end must be what the collections add up to.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <string>

#include "actors/combat.h"
#include "actors/enemy.h"
#include "actors/hero.h"
#include "actors/pickup.h"
#include "actors/score_popup.h"
#include "engine_link/scan_codes.h"
#include "game_harness.h"
#include "world/game.h"

namespace {

using testing_support::GameHarness;

constexpr int kMaxFrames = 30000;
constexpr int kGiveUpFrames = 300;       // a target the script cannot hit is left behind
constexpr long double kStreetReach = 15;  // terrorists on the street are fought from this far
constexpr int32_t kGrenadeStrength = 4;
constexpr long double kMuzzleClear = 1.7L;  // nearer than this a lying hero's shots start beyond the enemy
constexpr long double kSameLevel = 0.6L;    // feet this close stand on the same surface
constexpr long double kLieDrop = 1.5L;      // a lying hero's centre is this much lower
constexpr long double kProneShotHeight = 0.1L;
constexpr long double kShotHalf = 0.44L;
constexpr long double kDiagonalWindow = 3;  // diagonal bullets and grenades reach this far off the line

class ScriptedPlayer {
 public:
  explicit ScriptedPlayer(GameHarness& game)
      : game_(game), w_(*game.context().game), combat_(static_cast<actors::TCombat&>(*game.context().combat)) {}

  // One frame: the keys of the moment, the frame, then the kills it made.
  void Play() {
    const std::set<int32_t> keys = Decide();
    for (int32_t k : held_) game_.Release(k);
    for (int32_t k : keys) game_.Hold(k);
    held_ = keys;

    const auto& enemies = combat_.Field().enemies;
    std::vector<bool> aliveBefore;
    std::vector<int32_t> hitPointsBefore;
    for (const auto& e : enemies) {
      aliveBefore.push_back(!e->Dead);
      hitPointsBefore.push_back(e->HitPoints);
    }
    const auto* listBefore = enemies.empty() ? nullptr : enemies.front().get();
    const int32_t weapon = w_.currentWeapon;
    thrown_ += CountThrows();
    game_.Frame();
    // Keep the fake's call log from growing over thousands of frames.
    game_.engine().calls.clear();
    if (enemies.size() != aliveBefore.size() || (listBefore && enemies.front().get() != listBefore)) return;
    for (size_t i = 0; i < enemies.size(); ++i) {
      if (enemies[i]->HitPoints < hitPointsBefore[i] && GrenadeOverlaps(*enemies[i])) ++grenadeHits;
      if (!aliveBefore[i] || !enemies[i]->Dead) continue;
      ++killsByWeapon[weapon];
      HandNextWeapon();
    }
  }

  std::map<int32_t, int> killsByWeapon;
  int grenadeHits = 0;  // frames in which a grenade hurt an enemy
  int grenadesThrown() const { return thrown_; }

 private:
  actors::THero& hero() { return *w_.hero; }

  std::set<int32_t> Decide() {
    // A new level (after a lost life) brings new targets.
    const auto& enemies = combat_.Field().enemies;
    const void* list = enemies.empty() ? nullptr : enemies.front().get();
    if (list != lastList_) patience_.clear();
    lastList_ = list;

    actors::THero& h = hero();
    if (h.Dead || h.JumpPending || h.Landing) return {};
    if (h.Rising || h.Falling) return {keys::kRight};
    const long double hx = h.X;

    // Terrorists that fire lying down reaches, on either side: he turns to
    // the nearest, lies down under their shots and fires; one too close to
    // hit he lets walk past while lying low.
    if (const actors::TEnemy* e = NearestLevelTarget(kMuzzleClear, kStreetReach)) {
      const uint8_t towards = e->X > hx ? 1 : 0;
      if (towards != h.FacingRight) return {towards ? keys::kRight : keys::kLeft};
      return Patiently(e, {keys::kDown, keys::kLeftCtrl});
    }
    if (const actors::TEnemy* e = NearestLevelTarget(0, kMuzzleClear)) return Patiently(e, {keys::kDown});
    // Terrorists up on the obstacles: once near the diagonal (or when he can
    // go no nearer), grenades and diagonal fire.
    long double offDiagonal = 0;
    if (const actors::TEnemy* e = NearestAbove(kStreetReach, offDiagonal)) {
      if (std::fabs(offDiagonal) <= kDiagonalWindow || (h.IsBlocked() && h.FacingRight)) {
        // A grenade first; diagonal fire joins it while it flies.
        std::set<int32_t> keys{keys::kZ, keys::kUp, keys::kRight};
        if (h.GrenadeCharge < kGrenadeStrength) keys.insert(actors::kKeyGrenade);
        if (GrenadeFlying()) keys.insert(keys::kLeftCtrl);
        return Patiently(e, keys);
      }
      if (offDiagonal > kDiagonalWindow) return {keys::kRight};
    }
    // A rising pop-up: under it, then shot from below.
    for (const auto& e : combat_.Field().enemies) {
      const actors::TScore& p = *e->Popup;
      if (!p.Startable() || p.X < hx - 1 || p.X > hx + 25 || Given(&p)) continue;
      if (std::fabs(p.X - hx) <= 1) return Patiently(&p, {keys::kZ, keys::kUp, keys::kLeftCtrl});
      return {keys::kRight};
    }
    // A pick-up shot down near him: wait under it while it falls.
    for (const auto& b : combat_.Field().pickups) {
      if (b->Collectable && std::fabs(b->X - hx) < 2 && b->Y > h.GroundY - 1.4L && !Given(b.get())) {
        return Patiently(b.get(), {});
      }
    }
    // A pick-up floating in: shot from below as it drifts over him.
    if (w_.currentWeapon != actors::kWeaponD) {
      for (const auto& b : combat_.Field().pickups) {
        if (b->Droppable() && b->X > hx + 3 && b->X < hx + 16 && !Given(b.get())) {
          return Patiently(b.get(), {keys::kZ, keys::kUp, keys::kLeftCtrl});
        }
      }
    }
    // Up alone held long enough jumps him over what blocks his way.
    if (h.IsBlocked() && h.FacingRight) return {keys::kUp};
    return {keys::kRight};
  }

  // Keys for a target, until the script has spent its patience on it.
  std::set<int32_t> Patiently(const void* target, std::set<int32_t> keys) {
    if (++patience_[target] > kGiveUpFrames) return {keys::kRight};
    return keys;
  }
  bool Given(const void* target) const {
    auto it = patience_.find(target);
    return it != patience_.end() && it->second > kGiveUpFrames;
  }

  // Where the hero stands (his Y when standing, also while he lies).
  long double StandingY() { return hero().Prone ? hero().Y + kLieDrop : hero().Y; }

  // The nearest living enemy that a shot fired lying down reaches (its box
  // spans the shot's height), between two distances on either side of him.
  const actors::TEnemy* NearestLevelTarget(long double from, long double to) {
    const actors::TEnemy* best = nullptr;
    const long double hx = hero().X, shotY = StandingY() - kLieDrop + kProneShotHeight;
    for (const auto& e : combat_.Field().enemies) {
      const long double d = std::fabs(e->X - hx);
      if (e->Dead || std::fabs(e->Y - shotY) > e->HalfHeight + kShotHalf || d < from || d > to || Given(e.get())) {
        continue;
      }
      if (!best || d < std::fabs(best->X - hx)) best = e.get();
    }
    return best;
  }

  // The nearest living enemy ahead and above the reach of level fire, with
  // how far off the 45-degree line from the hero it stands.
  const actors::TEnemy* NearestAbove(long double to, long double& offDiagonal) {
    const actors::TEnemy* best = nullptr;
    const long double hx = hero().X, hy = StandingY();
    for (const auto& e : combat_.Field().enemies) {
      if (e->Dead || e->Y - e->HalfHeight < hy - hero().HalfHeight + kSameLevel || e->X < hx + 1 || e->X > hx + to ||
          Given(e.get())) {
        continue;
      }
      if (!best || e->X < best->X) best = e.get();
    }
    if (best) offDiagonal = (best->X - hx) - (best->Y - hy);
    return best;
  }

  int CountThrows() {
    int n = 0;
    const auto& grenades = combat_.Arsenal().Grenades;
    for (size_t i = 0; i < grenades.size(); ++i) {
      const bool flying = !grenades[i]->Free;
      if (flying && !wasFlying_[i]) ++n;
      wasFlying_[i] = flying;
    }
    return n;
  }

  bool GrenadeFlying() {
    for (const auto& g : combat_.Arsenal().Grenades) {
      if (!g->Free) return true;
    }
    return false;
  }

  bool GrenadeOverlaps(const actors::TEnemy& e) {
    for (const auto& g : combat_.Arsenal().Grenades) {
      if (!g->Free && actors::RectsOverlap(g->Box(), e.Box())) return true;
    }
    return false;
  }

  // Each kill puts the next weapon in his hand, A to E and round again.
  void HandNextWeapon() {
    const int32_t next = w_.currentWeapon % actors::kWeaponE + 1;
    w_.ShowWeapon(next);
    w_.currentWeapon = next;
  }

  GameHarness& game_;
  world::TGame& w_;
  actors::TCombat& combat_;
  std::set<int32_t> held_;
  std::map<const void*, int> patience_;
  std::array<bool, actors::kGrenadePool> wasFlying_{};
  int thrown_ = 0;
  const void* lastList_ = nullptr;
};

// Times a take sound was played, over every pick-up or pop-up that ever had it.
int Takes(fake::FakeEngine& engine, const std::set<std::string>& files) {
  int n = 0;
  for (const auto& [handle, sound] : engine.sounds) {
    if (files.count(sound.file)) n += sound.playCount;
  }
  return n;
}

TEST(FightHarness, AScriptedPlayerFightsThroughACityLevelAndScoresWhatHeCollected) {
  GameHarness game(20240611);
  game.Start();
  game.Tap(keys::kEnter);  // Start, the main menu's first item
  game.Frame();
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsPlaying; }, 10));
  world::TGame& w = *game.context().game;
  ASSERT_EQ(w.Level(), 1);
  ASSERT_EQ(w.levelKind, world::kCityLevel);

  ScriptedPlayer player(game);
  int frames = 0;
  while (w.Level() < 2 && frames < kMaxFrames) {
    ASSERT_NE(core::GameState(), core::gsGameOver) << "lost every life after " << frames << " frames";
    if (core::GameState() == core::gsPlaying) {
      player.Play();
    } else {
      game.Frame();
    }
    ++frames;
  }
  ASSERT_EQ(w.Level(), 2) << "the level's end was not reached in " << frames << " frames";

  for (int32_t weapon = actors::kWeaponA; weapon <= actors::kWeaponE; ++weapon) {
    EXPECT_GE(player.killsByWeapon[weapon], 1) << "no kill with weapon " << weapon;
  }
  EXPECT_GE(player.grenadesThrown(), 1);
  EXPECT_GE(player.grenadeHits, 1);

  const int popups = Takes(game.engine(), {"sound\\Score_take.wav"});
  const int pickups = Takes(game.engine(), {"sound\\Energy_take.wav", "sound\\Armor_take.wav", "sound\\A_take.wav",
                                            "sound\\B_take.wav", "sound\\C_take.wav", "sound\\D_take.wav",
                                            "sound\\E_take.wav"});
  EXPECT_GE(popups, 1);
  EXPECT_GE(pickups, 1);
  EXPECT_EQ(w.Score(), 100 * popups + 50 * pickups);
}

}  // namespace
