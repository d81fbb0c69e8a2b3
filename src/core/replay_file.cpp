#include "core/replay_file.h"

#include <zstd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace core {
namespace {

// What a frame changes from the one before, in the byte that opens it. A
// frame that changes nothing is the single byte 0, so a still stretch of play
// is a run of zeros that zstd packs to almost nothing.
enum FrameFlag : uint8_t {
  kHeldToggled = 1 << 0,    // the codes whose held state toggled follow
  kPressedListed = 1 << 1,  // the pressed codes follow
  kPressedAsDown = 1 << 2,  // pressed are the keys that went down: the usual press, in one bit
  kPointerXMoved = 1 << 3,
  kPointerYMoved = 1 << 4,
  kClicked = 1 << 5,
  kCommands = 1 << 6,  // the window commands follow
};
constexpr uint8_t kKnownFlags = 0x7F;

constexpr size_t kFormatBytes = 4;
constexpr size_t kHeadBytes = sizeof(kReplayMagic) + kFormatBytes;
constexpr int kPackLevel = 19;
// Level 19's own window; the reader allows no larger one.
constexpr int kWindowLog = 23;
// The unpacked body may be no larger than this, nor than this many times the
// packed one. Ordinary play unpacks to about 13 times its packed size, but a
// day without input (the game left paused) comes to some 18000 times, near
// the most zstd can give from a byte at all (128 KiB from a 4-byte block).
constexpr uint64_t kMaxBodyBytes = 64u << 20;
constexpr uint64_t kMaxUnpackRatio = 32768;
// seed, startTicks, frame count: the least a segment takes.
constexpr size_t kMinSegmentBytes = 4 + 1 + 1;

using Codes = std::bitset<kScanCodes>;

class Writer {
 public:
  void Byte(uint8_t b) { out.push_back(b); }
  void Bytes(std::span<const uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
  void Varint(uint64_t v) {
    for (; v >= 0x80; v >>= 7) Byte(static_cast<uint8_t>(v | 0x80));
    Byte(static_cast<uint8_t>(v));
  }
  void Signed(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    Varint((u << 1) ^ (v < 0 ? 0xFFFFFFFFu : 0u));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Float(float f) { U32(std::bit_cast<uint32_t>(f)); }
  // A code is a byte, not a varint: the arrows are 0xC8 and up.
  void CodeList(const Codes& codes) {
    Varint(codes.count());
    for (size_t code = 0; code < codes.size(); ++code) {
      if (codes.test(code)) Byte(static_cast<uint8_t>(code));
    }
  }

  std::vector<uint8_t> out;
};

void WriteFrame(Writer& w, const FrameInput& prev, const FrameInput& frame) {
  const Codes toggled = frame.held ^ prev.held;
  const Codes wentDown = frame.held & ~prev.held;
  // Compared as bits, so that whatever the pointer read comes back the same.
  const bool xMoved = std::bit_cast<uint32_t>(frame.pointerX) != std::bit_cast<uint32_t>(prev.pointerX);
  const bool yMoved = std::bit_cast<uint32_t>(frame.pointerY) != std::bit_cast<uint32_t>(prev.pointerY);
  uint8_t flags = 0;
  if (toggled.any()) flags |= kHeldToggled;
  if (frame.pressed.any()) flags |= frame.pressed == wentDown ? kPressedAsDown : kPressedListed;
  if (xMoved) flags |= kPointerXMoved;
  if (yMoved) flags |= kPointerYMoved;
  if (frame.clicked) flags |= kClicked;
  if (!frame.commands.empty()) flags |= kCommands;
  w.Byte(flags);
  if (flags & kHeldToggled) w.CodeList(toggled);
  if (flags & kPressedListed) w.CodeList(frame.pressed);
  if (xMoved) w.Float(frame.pointerX);
  if (yMoved) w.Float(frame.pointerY);
  if (flags & kCommands) {
    w.Varint(frame.commands.size());
    for (FrameCommand c : frame.commands) w.Byte(static_cast<uint8_t>(c));
  }
}

// Reads the unpacked body; the first failure's reason is kept and every
// later read fails at once.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t Left() const { return bytes_.size() - pos_; }
  const char* why() const { return why_; }
  bool Fail(const char* why) {
    if (why_ == nullptr) why_ = why;
    pos_ = bytes_.size();
    return false;
  }

  bool Byte(uint8_t& b) {
    if (Left() < 1) return Fail("cut short");
    b = bytes_[pos_++];
    return true;
  }
  bool Bytes(std::span<uint8_t> to) {
    if (Left() < to.size()) return Fail("cut short");
    std::memcpy(to.data(), bytes_.data() + pos_, to.size());
    pos_ += to.size();
    return true;
  }
  // At most five bytes: nothing in the file is wider than 32 bits.
  bool Varint(uint32_t& v, uint32_t most, const char* tooLarge = "a number too large") {
    uint64_t value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      uint8_t b = 0;
      if (!Byte(b)) return false;
      value |= uint64_t{b & 0x7Fu} << shift;
      if ((b & 0x80) == 0) {
        if (value > most) return Fail(tooLarge);
        v = static_cast<uint32_t>(value);
        return true;
      }
    }
    return Fail("a number runs on");
  }
  bool Signed(int32_t& v) {
    uint32_t u = 0;
    if (!Varint(u, UINT32_MAX)) return false;
    v = static_cast<int32_t>((u >> 1) ^ (0u - (u & 1)));
    return true;
  }
  bool U32(uint32_t& v) {
    std::array<uint8_t, 4> b{};
    if (!Bytes(b)) return false;
    v = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    return true;
  }
  bool Float(float& f) {
    uint32_t bits = 0;
    if (!U32(bits)) return false;
    f = std::bit_cast<float>(bits);
    return std::isfinite(f) || Fail("a pointer position is not a number");
  }
  // Codes come in rising order, so a list is never longer than the codes.
  bool CodeList(Codes& codes) {
    uint32_t count = 0;
    if (!Varint(count, kScanCodes, "a key list longer than the keys")) return false;
    if (count == 0) return Fail("an empty key list");
    int last = -1;
    for (uint32_t i = 0; i < count; ++i) {
      uint8_t code = 0;
      if (!Byte(code)) return false;
      if (code <= last) return Fail("key codes out of order");
      codes.set(code);
      last = code;
    }
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  const char* why_ = nullptr;
};

bool ReadFrame(Reader& r, const FrameInput& prev, FrameInput& frame) {
  uint8_t flags = 0;
  if (!r.Byte(flags)) return false;
  if ((flags & ~kKnownFlags) != 0) return r.Fail("unknown frame flags");
  if ((flags & kPressedListed) && (flags & kPressedAsDown)) return r.Fail("a frame's presses given twice");
  frame.held = prev.held;
  if (flags & kHeldToggled) {
    Codes toggled;
    if (!r.CodeList(toggled)) return false;
    frame.held ^= toggled;
  }
  if (flags & kPressedListed) {
    if (!r.CodeList(frame.pressed)) return false;
  } else if (flags & kPressedAsDown) {
    frame.pressed = frame.held & ~prev.held;
  }
  frame.pointerX = prev.pointerX;
  frame.pointerY = prev.pointerY;
  if ((flags & kPointerXMoved) && !r.Float(frame.pointerX)) return false;
  if ((flags & kPointerYMoved) && !r.Float(frame.pointerY)) return false;
  frame.clicked = (flags & kClicked) != 0;
  if (flags & kCommands) {
    uint32_t count = 0;
    if (!r.Varint(count, kMaxFrameCommands, "too many window commands in a frame")) return false;
    if (count == 0) return r.Fail("an empty command list");
    frame.commands.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      uint8_t c = 0;
      if (!r.Byte(c)) return false;
      if (c < 1 || c > kLastFrameCommand) return r.Fail("an unknown window command");
      frame.commands.push_back(static_cast<FrameCommand>(c));
    }
  }
  return true;
}

bool ReadBody(Reader& r, Replay& replay) {
  uint32_t versionBytes = 0;
  if (!r.Varint(versionBytes, kMaxReplayVersionBytes, "the version is too long")) return false;
  replay.version.resize(versionBytes);
  if (!r.Bytes(std::span(reinterpret_cast<uint8_t*>(replay.version.data()), versionBytes)) ||
      !r.Bytes(replay.dataHash) || !r.Bytes(replay.settings)) {
    return false;
  }

  uint32_t segments = 0;
  if (!r.Varint(segments, kMaxReplaySegments, "too many segments")) return false;
  if (segments > r.Left() / kMinSegmentBytes) return r.Fail("more segments than the file holds");
  replay.segments.resize(segments);
  size_t framesLeft = kMaxReplayFrames;
  const FrameInput none;
  for (ReplaySegment& segment : replay.segments) {
    uint32_t frames = 0;
    if (!r.U32(segment.seed) || !r.Varint(segment.startTicks, UINT32_MAX) ||
        !r.Varint(frames, static_cast<uint32_t>(framesLeft), "too many frames")) {
      return false;
    }
    // Every frame takes at least its flags byte.
    if (frames > r.Left()) return r.Fail("more frames than the file holds");
    framesLeft -= frames;
    segment.frames.reserve(frames);
    for (uint32_t i = 0; i < frames; ++i) {
      FrameInput& frame = segment.frames.emplace_back();
      if (!ReadFrame(r, i == 0 ? none : segment.frames[i - 1], frame)) return false;
    }
  }

  uint8_t outcome = 0;
  if (!r.Byte(outcome)) return false;
  if (outcome > static_cast<uint8_t>(RunOutcome::kQuit)) return r.Fail("an unknown run outcome");
  replay.end.outcome = static_cast<RunOutcome>(outcome);
  if (!r.Signed(replay.end.score) || !r.Signed(replay.end.level) || !r.Signed(replay.end.lives) ||
      !r.Bytes(replay.end.world)) {
    return false;
  }
  return r.Left() == 0 || r.Fail("bytes after the end");
}

using DecompressContext = std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)>;
using CompressContext = std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)>;

// Unpacks the one zstd frame that must fill `packed` exactly, into no more
// than the cap's bytes: the size the frame claims is only a hint.
bool Unpack(std::span<const uint8_t> packed, std::vector<uint8_t>& body, const char*& why) {
  if (packed.empty()) return why = "cut short", false;
  const uint64_t cap = std::min(kMaxBodyBytes, packed.size() * kMaxUnpackRatio);
  DecompressContext context(ZSTD_createDCtx(), ZSTD_freeDCtx);
  if (!context) throw std::bad_alloc();
  // No window larger than the body may be: a small file cannot ask for much memory.
  int windowLog = 10;  // the least zstd takes
  while (windowLog < kWindowLog && (uint64_t{1} << windowLog) < cap) ++windowLog;
  ZSTD_DCtx_setParameter(context.get(), ZSTD_d_windowLogMax, windowLog);

  // A byte of room past the cap, so that a body of just the cap can end.
  const uint64_t room = cap + 1;
  uint64_t first = 4096;
  const unsigned long long claimed = ZSTD_getFrameContentSize(packed.data(), packed.size());
  if (claimed != ZSTD_CONTENTSIZE_UNKNOWN && claimed != ZSTD_CONTENTSIZE_ERROR) {
    if (claimed > cap) return why = "unpacks too large", false;
    first = claimed + 1;
  }
  ZSTD_inBuffer in{packed.data(), packed.size(), 0};
  size_t size = 0;
  size_t pending = 0;
  do {
    if (size == body.size()) {
      if (size == room) return why = "unpacks too large", false;
      body.resize(static_cast<size_t>(std::min<uint64_t>(room, std::max<uint64_t>(first, 2 * size))));
    }
    ZSTD_outBuffer out{body.data(), body.size(), size};
    pending = ZSTD_decompressStream(context.get(), &out, &in);
    if (ZSTD_isError(pending)) return why = "does not unpack", false;
    size = out.pos;
    // Input used up with room left over: the frame needs more than there is.
  } while (pending != 0 && (in.pos < in.size || size == body.size()));
  body.resize(size);
  if (size > cap) return why = "unpacks too large", false;
  if (pending != 0) return why = "cut short", false;
  if (in.pos != in.size) return why = "bytes after the end", false;
  return true;
}

ReplayReadResult Refused(ReplayReadError error, std::string why) {
  return {.replay = std::nullopt, .error = error, .why = std::move(why)};
}

ReplayReadResult Damaged(const char* why) {
  return Refused(ReplayReadError::kDamaged, std::string("damaged replay: ") + why);
}

}  // namespace

size_t Replay::FrameCount() const {
  size_t count = 0;
  for (const ReplaySegment& segment : segments) count += segment.frames.size();
  return count;
}

// Always writes kReplayFormat's layout, whatever `format` says. Nothing is
// cut to the reader's limits: a replay past them is written, and refused
// when read.
std::vector<uint8_t> EncodeReplay(const Replay& replay) {
  Writer w;
  w.Varint(replay.version.size());
  w.Bytes(std::span(reinterpret_cast<const uint8_t*>(replay.version.data()), replay.version.size()));
  w.Bytes(replay.dataHash);
  w.Bytes(replay.settings);
  w.Varint(replay.segments.size());
  const FrameInput none;
  for (const ReplaySegment& segment : replay.segments) {
    w.U32(segment.seed);
    w.Varint(segment.startTicks);
    w.Varint(segment.frames.size());
    const FrameInput* prev = &none;
    for (const FrameInput& frame : segment.frames) {
      WriteFrame(w, *prev, frame);
      prev = &frame;
    }
  }
  w.Byte(static_cast<uint8_t>(replay.end.outcome));
  w.Signed(replay.end.score);
  w.Signed(replay.end.level);
  w.Signed(replay.end.lives);
  w.Bytes(replay.end.world);

  Writer file;
  file.Bytes(std::span(reinterpret_cast<const uint8_t*>(kReplayMagic), sizeof(kReplayMagic)));
  file.U32(kReplayFormat);
  std::vector<uint8_t>& out = file.out;
  out.resize(kHeadBytes + ZSTD_compressBound(w.out.size()));

  CompressContext context(ZSTD_createCCtx(), ZSTD_freeCCtx);
  if (!context) throw std::bad_alloc();
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, kPackLevel);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_windowLog, kWindowLog);
  // A damaged byte in the packed part must not read as a different run.
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
  const size_t packed = ZSTD_compress2(context.get(), out.data() + kHeadBytes, out.size() - kHeadBytes,
                                       w.out.data(), w.out.size());
  // With a bound-sized buffer and valid settings, only allocation can fail.
  if (ZSTD_isError(packed)) throw std::bad_alloc();
  out.resize(kHeadBytes + packed);
  return out;
}

ReplayReadResult DecodeReplay(std::span<const uint8_t> bytes) {
  if (bytes.size() < sizeof(kReplayMagic) || std::memcmp(bytes.data(), kReplayMagic, sizeof(kReplayMagic)) != 0) {
    return Refused(ReplayReadError::kNotReplay, "not a replay file");
  }
  if (bytes.size() < kHeadBytes) return Damaged("cut short");
  const uint8_t* f = bytes.data() + sizeof(kReplayMagic);
  const uint32_t format = uint32_t{f[0]} | uint32_t{f[1]} << 8 | uint32_t{f[2]} << 16 | uint32_t{f[3]} << 24;
  if (format != kReplayFormat) {
    return Refused(ReplayReadError::kOtherFormat, "replay format " + std::to_string(format) +
                                                      "; this game reads format " + std::to_string(kReplayFormat));
  }
  if (bytes.size() > kMaxReplayBytes) return Damaged("larger than any replay");

  std::vector<uint8_t> body;
  const char* why = nullptr;
  if (!Unpack(bytes.subspan(kHeadBytes), body, why)) return Damaged(why);
  Replay replay;
  Reader reader(body);
  if (!ReadBody(reader, replay)) return Damaged(reader.why());
  return {.replay = std::move(replay), .error = ReplayReadError::kNone, .why = {}};
}

}  // namespace core
