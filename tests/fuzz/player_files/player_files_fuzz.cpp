// Fuzzes the readers of the player's files and of the restart record: any
// bytes give a defined record or a refusal, and lengths never exceed 10.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/game_state.h"
#include "core/restart_record.h"
#include "core/player_files.h"

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
  return 0;
}
