// Fuzzes the replay reader: any bytes give a refusal with a reason, or a
// replay within the caps that, written again, reads back the same. Each input
// is read twice: as a file, and as the unpacked body of one, since zstd's
// checksum turns away nearly every changed file before its body is read.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/replay_file.h"

namespace {

// A replay file whose zstd frame holds `body` in stored blocks, unchecked.
std::vector<uint8_t> FileAround(std::span<const uint8_t> body) {
  std::vector<uint8_t> file(std::begin(core::kReplayMagic), std::end(core::kReplayMagic));
  file.insert(file.end(), {uint8_t{core::kReplayFormat}, 0, 0, 0});
  file.insert(file.end(), {0x28, 0xB5, 0x2F, 0xFD, 0xE0});  // frame magic; one segment, an 8-byte size
  for (int i = 0; i < 8; ++i) file.push_back(static_cast<uint8_t>(uint64_t{body.size()} >> (8 * i)));
  constexpr size_t kMaxBlock = 128 * 1024;
  size_t at = 0;
  do {
    const size_t size = std::min(kMaxBlock, body.size() - at);
    const uint32_t header = (at + size == body.size() ? 1 : 0) | static_cast<uint32_t>(size) << 3;
    file.insert(file.end(), {uint8_t(header), uint8_t(header >> 8), uint8_t(header >> 16)});
    file.insert(file.end(), body.begin() + static_cast<ptrdiff_t>(at), body.begin() + static_cast<ptrdiff_t>(at + size));
    at += size;
  } while (at < body.size());
  return file;
}

void Check(std::span<const uint8_t> file) {
  const core::ReplayReadResult read = core::DecodeReplay(file);
  if (!read.replay) {
    if (read.error == core::ReplayReadError::kNone || read.why.empty()) std::abort();
    return;
  }
  const core::Replay& replay = *read.replay;
  if (replay.FrameCount() > core::kMaxReplayFrames || replay.segments.size() > core::kMaxReplaySegments) std::abort();
  const core::ReplayReadResult again = core::DecodeReplay(core::EncodeReplay(replay));
  if (!again.replay || *again.replay != replay) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  Check(bytes);
  Check(FileAround(bytes));
  return 0;
}
