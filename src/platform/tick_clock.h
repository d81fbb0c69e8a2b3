// The millisecond tick count the game times everything with. It sits behind an
// interface so tests and the deterministic harness can drive time themselves.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace platform {

// A source of milliseconds. Ticks() wraps at 2^32 like the other system's tick
// count; callers compare tick values by unsigned difference. Must be safe to call
// from any thread.
class TickClock {
 public:
  virtual ~TickClock() = default;
  virtual uint32_t Ticks() const = 0;
};

// Milliseconds of the monotonic system clock, truncated to 32 bits.
class SystemTickClock final : public TickClock {
 public:
  uint32_t Ticks() const override;
};

// A clock that only moves when told to. Set and Advance may be called from one
// thread while another reads Ticks().
class FakeTickClock final : public TickClock {
 public:
  explicit FakeTickClock(uint32_t start = 0) : ticks_(start) {}
  uint32_t Ticks() const override { return ticks_.load(std::memory_order_acquire); }
  void Set(uint32_t ticks) { ticks_.store(ticks, std::memory_order_release); }
  // Moves time forward, wrapping at 2^32.
  void Advance(uint32_t ms) { ticks_.fetch_add(ms, std::memory_order_acq_rel); }

 private:
  std::atomic<uint32_t> ticks_;
};

// Time that moves with the frames the engine counts, one period a frame, so a
// window-less run given the same script repeats tick for tick however busy the
// machine is. It stands at `start` until frames come, is then start + frame x
// period, and after Release goes on at the pace of `realTime` (so that waits
// outside the engine's life, a relaunch delay, still end) until frames come
// again; it never goes back. Follow and Release are for one thread at a time;
// Ticks may be read from any.
class FrameTickClock final : public TickClock {
 public:
  FrameTickClock(uint32_t msPerFrame, const TickClock& realTime, uint32_t start = 0);
  uint32_t Ticks() const override;
  // The engine's frame count is now `frame`. True when the time moved.
  bool Follow(int64_t frame);
  // No more frames for now: real time from the present tick.
  void Release();
  bool Following() const;
  // The time of the last frame followed (start before any): the same on every
  // run of a script, unlike Ticks() after Release.
  uint32_t FrameTicks() const;

 private:
  enum class Mode { kWaiting, kFollowing, kReleased };
  uint32_t TicksLocked() const;

  const uint32_t msPerFrame_;
  const TickClock& realTime_;
  mutable std::mutex mutex_;
  Mode mode_ = Mode::kWaiting;
  uint32_t base_;           // the time at baseFrame_, or at realBase_ once released
  int64_t baseFrame_ = 0;
  int64_t frame_ = 0;       // the last frame followed
  uint32_t realBase_ = 0;
  uint32_t lastFrameTicks_;  // FrameTicks() once released
};

// The current tick count of the installed clock.
uint32_t GetTickCount();

// Installs the clock GetTickCount reads; nullptr restores the system clock.
// The caller keeps ownership and must keep the clock alive while it is installed.
void SetTickClock(TickClock* clock);
// The installed clock (null: the system's).
TickClock* InstalledTickClock();

}  // namespace platform
