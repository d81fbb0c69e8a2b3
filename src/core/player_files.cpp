#include "core/player_files.h"

#include <algorithm>
#include <cstring>

#include "core/game_context.h"
#include "platform/file_io.h"
#include "platform/player_path.h"

namespace core {
namespace {

// Neither file is ever legitimately larger than a few records; anything
// bigger is read only as far as this.
constexpr size_t kMaxPlayerFileBytes = 64 * 1024;

template <typename Record>
std::span<const uint8_t> BytesOf(const Record& record) {
  return {reinterpret_cast<const uint8_t*>(&record), sizeof(Record)};
}

void ClampLength(uint8_t& length) { length = std::min<uint8_t>(length, kMaxTextLength); }

// Writes one of the two files whole; a failure is told once and leaves the old file.
bool SaveFile(core::SavedFile kind, const char* file, std::span<const uint8_t> bytes) {
  const std::string path = platform::LastingPlayerFilePath(file);
  int error = 0;
  if (platform::WriteFileAtomic(path, bytes, &error)) return true;
  core::Ctx().saveNotices.Tell(kind, path, error);
  return false;
}

// Keeps an untrusted file beside its replacement so nothing the player had is lost.
void KeepBadFile(const std::string& path) { platform::RenameFile(path, path + ".bad"); }

enum class ReadResult { kMissing, kUnreadable, kBad, kGood };

// Reads one record type from a file by the rules shared by both player files.
template <typename Record, typename Parser>
ReadResult ReadRecordFile(const std::string& path, Record& out, Parser parse) {
  if (!platform::FileExists(path)) return ReadResult::kMissing;
  auto bytes = platform::ReadWholeFile(path, kMaxPlayerFileBytes);
  if (!bytes) return ReadResult::kUnreadable;
  return parse(*bytes, out) ? ReadResult::kGood : ReadResult::kBad;
}

}  // namespace

TSettings DefaultSettings() { return TSettings{}; }

TRecordsTable DefaultRecords() {
  TRecordsTable table{};
  const size_t nameLength = std::strlen(kDefaultRecordName);
  for (int i = 0; i < kRecordCount; ++i) {
    table[i].NameLength = static_cast<uint8_t>(nameLength);
    std::memcpy(table[i].Name, kDefaultRecordName, nameLength);
    table[i].Score = 1000 - 100 * i;
  }
  return table;
}

bool ParseSettings(std::span<const uint8_t> bytes, TSettings& out) {
  if (bytes.size() < sizeof(TSettings)) return false;
  std::memcpy(&out, bytes.data(), sizeof(TSettings));
  ClampLength(out.AddTextLength);
  return true;
}

bool ParseRecords(std::span<const uint8_t> bytes, TRecordsTable& out) {
  if (bytes.size() < sizeof(TRecordsTable)) return false;
  std::memcpy(out.data(), bytes.data(), sizeof(TRecordsTable));
  for (TRecordEntry& entry : out) ClampLength(entry.NameLength);
  return true;
}

void LoadSettings(TSettings& settings) {
  const std::string path = platform::LastingPlayerFilePath(kSettingsFile);
  switch (ReadRecordFile(path, settings, ParseSettings)) {
    case ReadResult::kGood:
      return;
    case ReadResult::kUnreadable:
      // Leave a file we cannot read alone; play with the defaults.
      settings = DefaultSettings();
      return;
    case ReadResult::kBad:
      KeepBadFile(path);
      [[fallthrough]];
    case ReadResult::kMissing:
      settings = DefaultSettings();
      SaveSettings(settings);
      return;
  }
}

bool SaveSettings(const TSettings& settings) { return SaveFile(core::SavedFile::kSettings, kSettingsFile, BytesOf(settings)); }

void LoadRecords(TRecordsTable& records) {
  const std::string path = platform::LastingPlayerFilePath(kRecordsFile);
  switch (ReadRecordFile(path, records, ParseRecords)) {
    case ReadResult::kGood:
      return;
    case ReadResult::kUnreadable:
      records = DefaultRecords();
      return;
    case ReadResult::kBad:
      KeepBadFile(path);
      [[fallthrough]];
    case ReadResult::kMissing:
      records = DefaultRecords();
      SaveRecords(records);
      return;
  }
}

bool SaveRecords(const TRecordsTable& records) {
  return SaveFile(core::SavedFile::kRecords, kRecordsFile,
                  {reinterpret_cast<const uint8_t*>(records.data()), sizeof(TRecordsTable)});
}

bool ClearRecords(TRecordsTable& records) {
  // The default table replaces the file in one rename: deleting it first
  // would leave no table at all when the write then fails.
  const TRecordsTable defaults = DefaultRecords();
  if (!SaveRecords(defaults)) return false;
  records = defaults;
  return true;
}

int QualifyingRank(const TRecordsTable& records, int32_t score) {
  // Walk from the bottom up: the last rank beaten is the best one.
  int rank = 0;
  for (int r = kRecordCount; r >= 1; --r) {
    if (score > records[r - 1].Score) rank = r;
  }
  return rank;
}

}  // namespace core
