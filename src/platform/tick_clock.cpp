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

FrameTickClock::FrameTickClock(uint32_t msPerFrame, const TickClock& realTime, uint32_t start)
    : msPerFrame_(msPerFrame), realTime_(realTime), base_(start), lastFrameTicks_(start) {}

uint32_t FrameTickClock::TicksLocked() const {
  switch (mode_) {
    case Mode::kWaiting: return base_;
    case Mode::kReleased: return base_ + (realTime_.Ticks() - realBase_);
    case Mode::kFollowing: break;
  }
  // Wraps at 2^32 like every tick count.
  return base_ + static_cast<uint32_t>(static_cast<uint64_t>(frame_ - baseFrame_) * msPerFrame_);
}

uint32_t FrameTickClock::Ticks() const {
  std::lock_guard lock(mutex_);
  return TicksLocked();
}

bool FrameTickClock::Follow(int64_t frame) {
  std::lock_guard lock(mutex_);
  switch (mode_) {
    case Mode::kWaiting:
      // The script's own count: frame N is the same time on every run.
      baseFrame_ = 0;
      frame_ = frame;
      mode_ = Mode::kFollowing;
      return frame != 0;
    case Mode::kReleased:
      base_ = TicksLocked();
      baseFrame_ = frame_ = frame;
      mode_ = Mode::kFollowing;
      return true;
    case Mode::kFollowing:
      break;
  }
  if (frame == frame_) return false;
  // A count that went back (another engine's) goes on from the present time.
  if (frame < frame_) {
    base_ = TicksLocked();
    baseFrame_ = frame;
  }
  frame_ = frame;
  return true;
}

void FrameTickClock::Release() {
  std::lock_guard lock(mutex_);
  if (mode_ != Mode::kFollowing) return;
  base_ = lastFrameTicks_ = TicksLocked();
  realBase_ = realTime_.Ticks();
  mode_ = Mode::kReleased;
}

bool FrameTickClock::Following() const {
  std::lock_guard lock(mutex_);
  return mode_ == Mode::kFollowing;
}

uint32_t FrameTickClock::FrameTicks() const {
  std::lock_guard lock(mutex_);
  return mode_ == Mode::kFollowing ? TicksLocked() : lastFrameTicks_;
}

uint32_t GetTickCount() {
  const TickClock* clock = installedClock.load(std::memory_order_acquire);
  return clock ? clock->Ticks() : systemClock.Ticks();
}

void SetTickClock(TickClock* clock) { installedClock.store(clock, std::memory_order_release); }

TickClock* InstalledTickClock() { return const_cast<TickClock*>(installedClock.load(std::memory_order_acquire)); }

}  // namespace platform
