// Fuzzes the readers of the player's files, of the restart record and of the
// table's replay index: any bytes give a defined record or a refusal, lengths
// never exceed 10, and an index names only replay files of its own folder.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/game_state.h"
#include "core/restart_record.h"
#include "core/player_files.h"
#include "core/record_replays.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);

  menus::TSettings settings;
  if (menus::ParseSettings(bytes, settings) && settings.AddTextLength > menus::kMaxTextLength) std::abort();

  menus::TRecordsTable records;
  if (menus::ParseRecords(bytes, records)) {
    for (const auto& entry : records) {
      if (entry.NameLength > menus::kMaxTextLength) std::abort();
    }
    (void)menus::QualifyingRank(records, size > 0 ? data[0] * 1000 : 0);
  }

  if (auto record = app::ParseRestartRecord(bytes)) {
    if (record->gameState < app::gsPlaying || record->gameState > app::kLastGameState) std::abort();
    if (record->openEngine > 1 || record->musicChoice > 1 || record->restarted != 1) std::abort();
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const menus::RecordReplayIndex index = menus::ParseRecordReplayIndex(text);
  for (const auto& link : index) {
    if (!link) continue;
    if (link->name.size() > menus::kMaxTextLength || link->file.find_first_of("/\\.") != 6 + 1 + 16) std::abort();
  }
  // What is written reads back as it was.
  if (menus::ParseRecordReplayIndex(menus::FormatRecordReplayIndex(index)) != index) std::abort();
  return 0;
}
