// The millisecond tick count the game times everything with. It sits behind an
// interface so tests and the deterministic harness can drive time themselves.
#pragma once

#include <atomic>
#include <cstdint>

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

// The current tick count of the installed clock.
uint32_t GetTickCount();

// Installs the clock GetTickCount reads; nullptr restores the system clock.
// The caller keeps ownership and must keep the clock alive while it is installed.
void SetTickClock(TickClock* clock);

}  // namespace platform
