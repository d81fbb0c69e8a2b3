// Fuzzes the readers of the player's files, of the restart record, of the
// table's replay index and of the controls: any bytes give a defined record
// or a refusal, lengths never exceed 10, an index names only replay files of
// its own folder, and controls are read whole and never bind a key twice.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/controls.h"
#include "core/game_state.h"
#include "core/restart_record.h"
#include "core/player_files.h"
#include "core/record_replays.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);

  core::TSettings settings;
  if (core::ParseSettings(bytes, settings) && settings.AddTextLength > core::kMaxTextLength) std::abort();

  core::TRecordsTable records;
  if (core::ParseRecords(bytes, records)) {
    for (const auto& entry : records) {
      if (entry.NameLength > core::kMaxTextLength) std::abort();
    }
    (void)core::QualifyingRank(records, size > 0 ? data[0] * 1000 : 0);
  }

  if (auto record = core::ParseRestartRecord(bytes)) {
    if (record->gameState < core::gsPlaying || record->gameState > core::kLastGameState) std::abort();
    if (record->openEngine > 1 || record->musicChoice > 1 || record->restarted != 1) std::abort();
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const core::RecordReplayIndex index = core::ParseRecordReplayIndex(text);
  for (const auto& link : index) {
    if (!link) continue;
    if (link->name.size() > core::kMaxTextLength || link->file.find_first_of("/\\.") != 6 + 1 + 16) std::abort();
  }
  // What is written reads back as it was.
  if (core::ParseRecordReplayIndex(core::FormatRecordReplayIndex(index)) != index) std::abort();

  if (const auto controls = core::ParseControls(text)) {
    std::array<int, 256> uses{};
    for (const core::ActionBinding& binding : controls->actions)
      for (uint8_t key : binding.keys)
        if (key != 0 && (!core::BindableKey(key) || ++uses[key] > 1)) std::abort();
    if (core::ParseControls(core::FormatControls(*controls)) != controls) std::abort();
  }
  return 0;
}
