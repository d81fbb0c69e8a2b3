#include "core/record_replays.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/data_hash.h"
#include "platform/file_io.h"
#include "platform/memory_player_files.h"
#include "platform/player_path.h"

namespace core {
namespace {

constexpr std::string_view kHeading = "varnok record replays 1";
constexpr std::string_view kFilePrefix = "record-";
constexpr std::string_view kFileSuffix = ".vreplay";
constexpr size_t kFileHexDigits = 16;
constexpr char kDigits[] = "0123456789abcdef";

std::string ReplayPath(const std::string& file) { return platform::PlayerFilePath("data\\replays\\" + file); }

bool IsHex(std::string_view text) { return text.find_first_not_of(kDigits) == std::string_view::npos; }

// Only names this game makes: an index can never point outside the folder.
bool IsReplayFileName(std::string_view file) {
  return file.size() == kFilePrefix.size() + kFileHexDigits + kFileSuffix.size() && file.starts_with(kFilePrefix) &&
         file.ends_with(kFileSuffix) && IsHex(file.substr(kFilePrefix.size(), kFileHexDigits));
}

std::string HexOf(std::string_view bytes) {
  std::string text;
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::optional<std::string> BytesOfHex(std::string_view hex) {
  if (hex == "-") return std::string();
  if (hex.size() % 2 != 0 || hex.size() > 2 * kMaxTextLength || !IsHex(hex)) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    uint8_t b = 0;
    std::from_chars(hex.data() + i, hex.data() + i + 2, b, 16);
    bytes += static_cast<char>(b);
  }
  return bytes;
}

// The next field of a line, split at single spaces.
std::string_view TakeField(std::string_view& line) {
  const size_t space = line.find(' ');
  std::string_view field = line.substr(0, space);
  line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  return field;
}

template <typename Int>
bool ParseInt(std::string_view text, Int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string NameOf(const TRecordEntry& entry) {
  return std::string(reinterpret_cast<const char*>(entry.Name), std::min<size_t>(entry.NameLength, kMaxTextLength));
}

bool Links(const RecordReplayLink& link, const TRecordEntry& entry) {
  return link.score == entry.Score && link.name == NameOf(entry);
}

bool WriteFile(const std::string& path, std::span<const uint8_t> bytes) {
  if (!platform::MemoryPlayerFiles::Holding(path)) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  }
  return platform::WriteFileAtomic(path, bytes);
}

bool SaveIndex(const RecordReplayIndex& index) {
  const std::string text = FormatRecordReplayIndex(index);
  return WriteFile(platform::PlayerFilePath(kRecordReplayIndexFile),
                   std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace

std::string FormatRecordReplayIndex(const RecordReplayIndex& index) {
  std::string text(kHeading);
  text += '\n';
  for (size_t slot = 0; slot < index.size(); ++slot) {
    if (!index[slot]) continue;
    const RecordReplayLink& link = *index[slot];
    const std::string name = link.name.empty() ? "-" : HexOf(link.name);
    text += std::to_string(slot + 1) + ' ' + std::to_string(link.score) + ' ' + name + ' ' + link.file + '\n';
  }
  return text;
}

RecordReplayIndex ParseRecordReplayIndex(std::string_view text) {
  RecordReplayIndex index;
  if (text.size() > kMaxRecordReplayIndexBytes) return index;
  size_t end = text.find('\n');
  if (end == std::string_view::npos || text.substr(0, end) != kHeading) return index;
  while (end != std::string_view::npos && end + 1 < text.size()) {
    const size_t start = end + 1;
    end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
    int rank = 0;
    RecordReplayLink link;
    const bool parsed = ParseInt(TakeField(line), rank) && rank >= 1 && rank <= kRecordCount &&
                        ParseInt(TakeField(line), link.score);
    if (!parsed) continue;
    const std::optional<std::string> name = BytesOfHex(TakeField(line));
    link.file = std::string(TakeField(line));
    if (!name || !line.empty() || !IsReplayFileName(link.file)) continue;
    link.name = *name;
    index[rank - 1] = std::move(link);
  }
  return index;
}

RecordReplayIndex LoadRecordReplayIndex() {
  const auto bytes =
      platform::ReadWholeFile(platform::PlayerFilePath(kRecordReplayIndexFile), kMaxRecordReplayIndexBytes);
  if (!bytes) return {};
  return ParseRecordReplayIndex(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

std::optional<std::string> RecordReplayPath(const TRecordsTable& table, const RecordReplayIndex& index, int slot) {
  if (slot < 0 || slot >= kRecordCount || !index[slot] || !Links(*index[slot], table[slot])) return std::nullopt;
  std::string path = ReplayPath(index[slot]->file);
  if (!platform::FileExists(path)) return std::nullopt;
  return path;
}

bool KeepRecordReplay(const TRecordsTable& table, int slot, std::span<const uint8_t> replay) {
  if (slot < 0 || slot >= kRecordCount) return false;
  const RecordReplayIndex old = LoadRecordReplayIndex();
  RecordReplayIndex index;
  for (int i = 0; i < slot; ++i) index[i] = old[i];
  for (int i = slot + 1; i < kRecordCount; ++i) index[i] = old[i - 1];
  // Links follow their entries; one that no longer matches its entry is let go.
  for (int i = 0; i < kRecordCount; ++i) {
    if (i != slot && index[i] && !Links(*index[i], table[i])) index[i].reset();
  }
  bool kept = true;
  if (!replay.empty()) {
    // Named by its contents: the same run is one file.
    const core::Sha256 hash = core::Sha256Of(replay);
    RecordReplayLink link{NameOf(table[slot]), table[slot].Score,
                          std::string(kFilePrefix) +
                              HexOf(std::string_view(reinterpret_cast<const char*>(hash.data()), kFileHexDigits / 2)) +
                              std::string(kFileSuffix)};
    kept = WriteFile(ReplayPath(link.file), replay);
    if (kept) index[slot] = std::move(link);
  }
  if (!SaveIndex(index)) return false;
  // The files no entry keeps any more: the one pushed out, and stale ones.
  for (const auto& was : old) {
    if (!was) continue;
    bool stillKept = false;
    for (const auto& now : index) stillKept = stillKept || (now && now->file == was->file);
    if (!stillKept) platform::RemoveFile(ReplayPath(was->file));
  }
  return kept;
}

void DropRecordReplays() {
  const RecordReplayIndex old = LoadRecordReplayIndex();
  if (!SaveIndex({})) return;
  for (const auto& link : old) {
    if (link) platform::RemoveFile(ReplayPath(link->file));
  }
}

}  // namespace core
