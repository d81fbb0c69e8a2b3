// The world snapshot: the eight files under data\ that carry a running game
// across a self-restart (window-mode switch, hide key). Saved just before the
// old process ends, read when the new one starts its engine.
//
// Reading is all or nothing: every file is read and checked before anything
// is built, so a missing or short mandatory file leaves the world untouched
// and the shell falls back to the main menu.
//
// Wagon roofs: a level's roof boxes are foreground objects, and the snapshot
// keeps them as such (class code 6 in "data\FPT.dat"). A wagon record brings
// back the wagon's picture only; its roof comes back once, from its
// foreground record, in the list's saved order. So a restored train level has
// exactly one roof per wagon of kinds 2..4 after any number of restarts, and
// the file format is unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "world/snapshot_records.h"

namespace world {

class TGame;

// The files, in the order they are written and read.
inline constexpr const char* kSnapshotHeaderFile = "data\\game.dat";
inline constexpr const char* kSnapshotBackgroundFile = "data\\bp.dat";
inline constexpr const char* kSnapshotForegroundTilesFile = "data\\fp.dat";
inline constexpr const char* kSnapshotBuildingsFile = "data\\bld.dat";
inline constexpr const char* kSnapshotWagonsFile = "data\\vgn.dat";
inline constexpr const char* kSnapshotThingsFile = "data\\FPT.dat";
inline constexpr const char* kSnapshotEnemiesFile = "data\\E.dat";
inline constexpr const char* kSnapshotHeroFile = "data\\hero.dat";

// What the snapshot carries from outside the world: the name-entry screen's
// name and the rank the run enters the records table at.
struct SnapshotExtras {
  int32_t pendingRecordRank = 0;
  std::string name;  // cut to 10 characters when saved
};

// Every record of the eight files.
struct WorldSnapshot {
  snapshot::SnapshotHeader header;
  snapshot::LayerPositions background{};
  snapshot::LayerPositions foreground{};
  std::vector<snapshot::PlacedRecord> buildings;
  std::vector<snapshot::PlacedRecord> wagons;
  std::vector<snapshot::ForegroundRecord> things;
  std::vector<snapshot::EnemyRecord> enemies;
  snapshot::HeroRecord hero;
};

// The world as it stands, in the files' terms (counters in clear form).
WorldSnapshot CaptureWorld(const TGame& game, const SnapshotExtras& extras);
// Writes the files in order, each whole and atomically. The buildings and
// wagons files are written only when the level has some; an older one is
// removed, so it cannot slip into a later restore. False when a file could
// not be written: the save stops there, and the player is told (once per
// process, on standard error).
bool WriteWorldSnapshot(const WorldSnapshot& snapshot);
// Every record of the snapshot in one run of bytes, the files' in order, each
// after its length: the world's state as a restart would keep it,
// for comparing two worlds (a replay's end).
std::vector<uint8_t> EncodeWorld(const WorldSnapshot& snapshot);
// CaptureWorld, then WriteWorldSnapshot.
bool SaveWorldSnapshot(const TGame& game, const SnapshotExtras& extras);

// Reads and checks every file. Missing buildings or wagons files mean none;
// any other file missing or short, a list file ending in a part record or
// holding more than a level can (level_limits.h), or a file holding an
// impossible position gives nullopt, with the reason in `why`. After a good read the buildings and
// wagons files are deleted.
std::optional<WorldSnapshot> ReadWorldSnapshot(std::string& why);

// The counters of the header: level, level kind, score, energy, lives (held
// to the ranges the HUD can show). The HUD's weapon is not taken: a restored
// level starts with weapon A.
void RestoreCounters(TGame& game, const snapshot::SnapshotHeader& header);
// The name and rank the header carries.
SnapshotExtras ExtrasOf(const snapshot::SnapshotHeader& header);
// Rebuilds the saved level. Precondition: the world's resources exist and the
// level is empty. Counters, layers (and a train level's fresh pick-ups), HUD,
// hero with his shots, the camera where his scrolling left it, buildings,
// wagons, foreground objects, enemies with theirs. Pick-ups of a city level
// and score pop-ups are not part of it.
void RestoreWorld(TGame& game, const WorldSnapshot& snapshot);

}  // namespace world
