// Input scripts for the headless engine written by a seeded player: from the
// main menu's start it plays in spells of held keys (walk and fire, aim up at
// the drones, jump the obstacles, throw a grenade, lie down, turn back), so
// that a seed stands for a whole run.
#pragma once

#include <algorithm>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>

#include "engine_link/scan_codes.h"

namespace replay_test {

inline constexpr int32_t kGrenadeKey = 0x2D;  // X: charges while held, thrown when let go
inline constexpr int32_t kPauseKey = 0xC5;

// Writes `FRAME down|up CODE` lines; a key already held is not pressed again.
class ScriptWriter {
 public:
  // From `frame` on exactly `keys` are held.
  void Hold(int frame, const std::set<int32_t>& keys) {
    for (auto it = held_.begin(); it != held_.end();) {
      if (keys.count(*it)) {
        ++it;
        continue;
      }
      out_ << frame << " up " << *it << "\n";
      it = held_.erase(it);
    }
    for (int32_t key : keys) {
      if (held_.insert(key).second) out_ << frame << " down " << key << "\n";
    }
  }
  void Line(int frame, const std::string& command) { out_ << frame << " " << command << "\n"; }
  void Tap(int frame, int32_t key) { Line(frame, "tap " + std::to_string(key)); }
  // Lines of their own, at any frames: the engine orders a script by frame.
  void Raw(const char* lines) { out_ << lines; }
  std::string Text() const { return out_.str(); }

 private:
  std::set<int32_t> held_;
  std::ostringstream out_;
};

// How often the player chooses each spell, by weight.
struct PlayStyle {
  int walk = 30;     // Right and fire
  int aimUp = 15;    // walking, aiming diagonally up, firing
  int shootUp = 15;  // standing (Z), aiming diagonally up, firing: the drones
  int jump = 20;     // a jump to the right, firing
  int grenade = 5;   // X held while walking, then let go
  int lie = 5;       // lying, firing
  int back = 5;      // walking left, firing
  int idle = 5;      // standing, not firing
};

// Plays from frame `from` to `until`, a spell of 10..59 frames at a time; every key is up at `until`.
inline void Play(ScriptWriter& script, uint32_t seed, const PlayStyle& style, int from, int until) {
  using namespace keys;
  uint32_t state = seed * 2654435761u + 12345u;
  const auto next = [&state](uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  const int weights[] = {style.walk, style.aimUp, style.shootUp, style.jump,
                         style.grenade, style.lie, style.back, style.idle};
  int total = 0;
  for (int w : weights) total += w;
  for (int frame = from; frame < until;) {
    int pick = static_cast<int>(next(static_cast<uint32_t>(total)));
    int spell = 0;
    while (pick >= weights[spell]) pick -= weights[spell++];
    int length = 10 + static_cast<int>(next(50));
    switch (spell) {
      case 0: script.Hold(frame, {kRight, kLeftCtrl}); break;
      case 1: script.Hold(frame, {kRight, kUp, kLeftCtrl}); break;
      case 2: script.Hold(frame, {kZ, kUp, kRight, kLeftCtrl}); break;
      case 3:
        // Up alone for over 50 ms is a jump; Right in the air carries him on.
        script.Hold(frame, {kUp, kLeftCtrl});
        if (frame + 6 < until) script.Hold(frame + 6, {kUp, kRight, kLeftCtrl});
        if (frame + 20 < until) script.Hold(frame + 20, {kRight, kLeftCtrl});
        length = std::max(length, 30);
        break;
      case 4: script.Hold(frame, {kGrenadeKey, kRight}); break;
      case 5: script.Hold(frame, {kDown, kLeftCtrl}); break;
      case 6: script.Hold(frame, {kLeft, kLeftCtrl}); break;
      default: script.Hold(frame, {}); break;
    }
    frame += length;
  }
  script.Hold(until, {});
}

}  // namespace replay_test
