#include "core/restart_record.h"

#include "core/game_context.h"
#include "core/game_state.h"
#include "platform/file_io.h"
#include "platform/player_path.h"

namespace core {

std::array<uint8_t, 6> RestartRecord::Bytes() const {
  return {openEngine, gameState, musicChoice, restarted, openMoreGames, openScoreTable};
}

uint8_t StateToResume(uint8_t state) {
  const uint8_t instead = TraitsOf(state).resumesAs;
  return instead != 0 ? instead : state;
}

std::optional<RestartRecord> ParseRestartRecord(std::span<const uint8_t> bytes) {
  if (bytes.size() < 6) return std::nullopt;
  RestartRecord record;
  record.openEngine = bytes[0] == 0 ? 0 : 1;
  record.gameState = StateToResume(bytes[1]);
  record.musicChoice = bytes[2] == 0 ? 0 : 1;
  record.restarted = 1;
  record.openMoreGames = bytes[4] == 0 ? 0 : 1;
  record.openScoreTable = bytes[5] == 0 ? 0 : 1;
  // A number the game never enters would leave a frame that does nothing.
  if (!EnteredState(record.gameState)) return std::nullopt;
  return record;
}

std::optional<RestartRecord> ReadRestartRecord() {
  const std::string path = platform::PlayerFilePath(kRestartFile);
  auto bytes = platform::ReadWholeFile(path, 4096);
  if (!bytes) return std::nullopt;
  auto record = ParseRestartRecord(*bytes);
  if (record) {
    Ctx().restartRecordPending = true;
  } else {
    platform::RemoveFile(path);
  }
  return record;
}

void UseUpRestartRecord() {
  GameContext& ctx = Ctx();
  if (!ctx.restartRecordPending) return;
  ctx.restartRecordPending = false;
  RemoveRestartRecord();
}

bool WriteRestartRecord(const RestartRecord& record) {
  const auto bytes = record.Bytes();
  const std::string path = platform::PlayerFilePath(kRestartFile);
  int error = 0;
  if (platform::WriteFileAtomic(path, bytes, &error)) return true;
  Ctx().saveNotices.Tell(SavedFile::kRestartRecord, path, error);
  return false;
}

bool RemoveRestartRecord() { return platform::RemoveFile(platform::PlayerFilePath(kRestartFile)); }

}  // namespace core
