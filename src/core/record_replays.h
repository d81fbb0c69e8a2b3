// The replays kept with the high-score table. Each entry of the table may
// keep the replay of the run that made it, in "data\replays\"; the index
// "data\replays\records.idx" says which file belongs to which entry. The
// records file keeps its own layout: the index lives beside it and names the
// entry it was written for (its name and score), so an index that no longer
// matches the table (a table from before replays, one changed by another
// copy of the game, a write cut short) just leaves those entries without a
// replay, and never changes the table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/player_files.h"

namespace core {

inline constexpr const char* kRecordReplayIndexFile = "data\\replays\\records.idx";
// The index is ten short lines: anything longer is not one.
inline constexpr size_t kMaxRecordReplayIndexBytes = 4096;

struct RecordReplayLink {
  std::string name;   // the entry's name bytes (in the game font's code)
  int32_t score = 0;  // the entry's score
  std::string file;   // "record-<hex>.vreplay", in "data\replays\"
  bool operator==(const RecordReplayLink&) const = default;
};
// Slot 0 is rank 1.
using RecordReplayIndex = std::array<std::optional<RecordReplayLink>, kRecordCount>;

std::string FormatRecordReplayIndex(const RecordReplayIndex& index);
// Reads untrusted text: a line that is not exactly a link is left out, a
// text without the heading is an empty index.
RecordReplayIndex ParseRecordReplayIndex(std::string_view text);

// The index on disk (empty when missing or unreadable).
RecordReplayIndex LoadRecordReplayIndex();

// The player-file path of the replay kept for entry `slot` (0-based) of
// `table`, when the index links one to that very entry and its file is there.
std::optional<std::string> RecordReplayPath(const TRecordsTable& table, const RecordReplayIndex& index, int slot);

// After an entry was saved in `slot` of `table` (the lower ones moved down
// one place): moves the links with their entries, keeps `replay` (the run's
// replay file, when there is one) for the new entry, and drops the file of
// the entry pushed out. False when the new replay or the index could not be
// written; the table is never touched.
bool KeepRecordReplay(const TRecordsTable& table, int slot, std::span<const uint8_t> replay);

// The table was cleared: every kept replay goes with it.
void DropRecordReplays();

}  // namespace core
