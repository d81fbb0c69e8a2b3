// The index that ties each high-score entry to its replay: what it reads from
// hostile text, and how links follow their entries as the table changes.
#include <gtest/gtest.h>

#include <cstring>

#include "core/record_replays.h"
#include "platform/file_io.h"
#include "platform/memory_player_files.h"
#include "platform/player_path.h"

namespace {

using core::RecordReplayIndex;

core::TRecordEntry Entry(const char* name, int32_t score) {
  core::TRecordEntry entry;
  entry.NameLength = static_cast<uint8_t>(std::strlen(name));
  std::memcpy(entry.Name, name, entry.NameLength);
  entry.Score = score;
  return entry;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(RecordReplayIndex, ReadsOnlyWholeLinksToItsOwnFiles) {
  const std::string heading = "varnok record replays 1\n";
  const std::string good = "2 950 414345 record-0123456789abcdef.vreplay\n";
  struct Case {
    const char* what;
    std::string text;
    int linkedSlot;  // -1: nothing linked
  } cases[] = {
      {"a link", heading + good, 1},
      {"an empty name", heading + "1 5 - record-0123456789abcdef.vreplay\n", 0},
      {"no heading", good, -1},
      {"another heading", "varnok record replays 2\n" + good, -1},
      {"a path out of the folder", heading + "2 950 41 ../../../etc/passwd\n", -1},
      {"a file name of another form", heading + "2 950 41 record-0123456789ABCDEF.vreplay\n", -1},
      {"a rank outside the table", heading + "11 950 41 record-0123456789abcdef.vreplay\n", -1},
      {"odd hex in the name", heading + "2 950 414 record-0123456789abcdef.vreplay\n", -1},
      {"a name over ten bytes", heading + "2 950 4141414141414141414141 record-0123456789abcdef.vreplay\n", -1},
      {"a score that is not a number", heading + "2 9x0 41 record-0123456789abcdef.vreplay\n", -1},
      {"a field too many", heading + "2 950 41 record-0123456789abcdef.vreplay x\n", -1},
      {"a last line without its end", heading + good.substr(0, good.size() - 1), 1},
      {"too long to be an index", heading + good + std::string(core::kMaxRecordReplayIndexBytes, '\n'), -1},
  };
  for (const Case& c : cases) {
    const RecordReplayIndex index = core::ParseRecordReplayIndex(c.text);
    for (int slot = 0; slot < core::kRecordCount; ++slot) {
      EXPECT_EQ(index[slot].has_value(), slot == c.linkedSlot) << c.what << ", slot " << slot;
    }
    EXPECT_EQ(core::ParseRecordReplayIndex(core::FormatRecordReplayIndex(index)), index) << c.what;
  }
}

TEST(RecordReplayIndex, LinksFollowTheirEntriesAndTheReplayPushedOutGoes) {
  platform::MemoryPlayerFiles files;
  core::TRecordsTable table = core::DefaultRecords();
  // Entries enter at ranks 10, 1 and 2 (the lower ones moving down, as the name entry saves them).
  const auto enter = [&](int slot, const char* name, int32_t score, const std::string& replay) {
    for (int r = core::kRecordCount - 1; r > slot; --r) table[r] = table[r - 1];
    table[slot] = Entry(name, score);
    EXPECT_TRUE(core::KeepRecordReplay(table, slot, Bytes(replay)));
  };
  enter(9, "TEN", 150, "replay ten");
  const auto tenPath = core::RecordReplayPath(table, core::LoadRecordReplayIndex(), 9);
  ASSERT_TRUE(tenPath);
  enter(0, "ONE", 5000, "replay one");
  EXPECT_FALSE(platform::FileExists(*tenPath)) << "pushed out of the table, its replay goes";
  enter(1, "TWO", 4000, "");  // a run that kept no replay
  const RecordReplayIndex index = core::LoadRecordReplayIndex();
  const auto one = core::RecordReplayPath(table, index, 0);
  ASSERT_TRUE(one);
  EXPECT_EQ(platform::ReadWholeFile(*one, 100), Bytes("replay one"));
  for (int slot = 1; slot < core::kRecordCount; ++slot) EXPECT_FALSE(core::RecordReplayPath(table, index, slot));

  // A table changed behind the index (another copy of the game) keeps no replay it no longer matches.
  core::TRecordsTable other = table;
  other[0] = Entry("ONE", 5001);
  EXPECT_FALSE(core::RecordReplayPath(other, index, 0));
  // Cleared, every replay goes with the table.
  core::DropRecordReplays();
  EXPECT_FALSE(platform::FileExists(*one));
  EXPECT_FALSE(core::RecordReplayPath(table, core::LoadRecordReplayIndex(), 0));
}

}  // namespace
