// The player's two files: the settings record "data\settings.dat" and the
// table of the ten best scores "data\records.dat". Both are flat little-endian
// records written whole (temporary file + rename). A file that is too short
// to hold its record is not trusted: the defaults are used, the file is kept
// beside the new one as "<name>.bad", and a fresh default file is written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace core {

inline constexpr int kMaxTextLength = 10;  // names and the add text

// The records' natural layout is exactly the file layout (every field sits at
// its own alignment), so they need no packing and fields can be referenced.

// One settings record, the same 20 bytes in memory and on disk.
struct TSettings {
  uint8_t Windowed = 1;                    // 1 = play in a window, 0 = full screen
  uint8_t SoundOn = 1;                     // 1 = menu sounds on
  uint8_t MusicOn = 1;                     // 1 = music on
  uint8_t AddTextLength = 0;               // characters of AddText in use, 0..10
  uint8_t AddText[kMaxTextLength] = {};    // in the game font's code
  uint16_t BossKey = 88;                   // scan code of the hide hot key (F12)
  uint8_t BossKeyShift = 0;                // 1 = Shift must be held
  uint8_t BossKeyAlt = 1;                  // 1 = Alt must be held
  uint8_t BossKeyCtrl = 0;                 // 1 = Ctrl must be held
  uint8_t Padding = 0;                     // kept as it was read

  bool operator==(const TSettings&) const = default;
};

// One entry of the records table.
struct TRecordEntry {
  uint8_t NameLength = 0;                  // 0..10
  uint8_t Name[kMaxTextLength] = {};       // in the game font's code
  uint8_t Padding = 0;
  int32_t Score = 0;

  bool operator==(const TRecordEntry&) const = default;
};
static_assert(sizeof(TSettings) == 20 && offsetof(TSettings, BossKey) == 14 && offsetof(TSettings, Padding) == 19);
static_assert(sizeof(TRecordEntry) == 16 && offsetof(TRecordEntry, Score) == 12);

inline constexpr int kRecordCount = 10;
using TRecordsTable = std::array<TRecordEntry, kRecordCount>;  // entry 0 is rank 1
static_assert(sizeof(TRecordsTable) == 160);

inline constexpr const char* kSettingsFile = "data\\settings.dat";
inline constexpr const char* kRecordsFile = "data\\records.dat";
inline constexpr const char* kDefaultRecordName = "NOVA";  // four characters, font code = ASCII

// The default settings record: window, sound and music on, no add text, Alt+F12.
TSettings DefaultSettings();
// The default table: the default name with 1000, 900, ... 100.
TRecordsTable DefaultRecords();

// Readers of untrusted bytes: the first record of the bytes, or false when
// there are fewer bytes than one record. Lengths above 10 are clamped.
bool ParseSettings(std::span<const uint8_t> bytes, TSettings& out);
bool ParseRecords(std::span<const uint8_t> bytes, TRecordsTable& out);

// Start-up: reads the file into `settings`; a missing or short file gives the
// defaults and a new default file (a short one is first kept as ".bad").
void LoadSettings(TSettings& settings);
// Rewrites the file as exactly one record. False when the write failed: the
// old file is then untouched and the player is told (once per process).
bool SaveSettings(const TSettings& settings);

void LoadRecords(TRecordsTable& records);
// Writes the table whole; a failure is handled as SaveSettings's.
bool SaveRecords(const TRecordsTable& records);
// Replaces the file with the default table and, once it is written, fills
// `records` with it; a table that could not be written leaves both as they were.
bool ClearRecords(TRecordsTable& records);

// The rank 1..10 a score enters the table at, or 0 when it does not qualify.
// A score equal to a stored score ranks below it.
int QualifyingRank(const TRecordsTable& records, int32_t score);

}  // namespace core
