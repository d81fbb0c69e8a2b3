#include "platform/tick_clock.h"

#include <chrono>

namespace platform {
namespace {

const SystemTickClock systemClock;
std::atomic<const TickClock*> installedClock{nullptr};

}  // namespace

uint32_t SystemTickClock::Ticks() const {
  const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
  // Truncation is the point: the count wraps at 2^32 like the other system's.
  return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

uint32_t GetTickCount() {
  const TickClock* clock = installedClock.load(std::memory_order_acquire);
  return clock ? clock->Ticks() : systemClock.Ticks();
}

void SetTickClock(TickClock* clock) { installedClock.store(clock, std::memory_order_release); }

}  // namespace platform
