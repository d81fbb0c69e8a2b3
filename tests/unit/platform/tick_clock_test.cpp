#include "platform/tick_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace platform {
namespace {

// Restores the system clock even when an assertion ends the test early.
class TickClockTest : public ::testing::Test {
 protected:
  ~TickClockTest() override { SetTickClock(nullptr); }
};

TEST_F(TickClockTest, GetTickCountReadsTheInstalledClock) {
  FakeTickClock fake(1000);
  SetTickClock(&fake);
  EXPECT_EQ(GetTickCount(), 1000u);
  fake.Advance(15);
  EXPECT_EQ(GetTickCount(), 1015u);
  fake.Set(7);
  EXPECT_EQ(GetTickCount(), 7u);
}

TEST_F(TickClockTest, NullRestoresTheSystemClock) {
  FakeTickClock fake(5);
  SetTickClock(&fake);
  SetTickClock(nullptr);
  const uint32_t system = SystemTickClock().Ticks();
  EXPECT_LT(GetTickCount() - system, 1000u);
}

TEST_F(TickClockTest, FakeClockWrapsLikeA32BitCount) {
  FakeTickClock fake(0xFFFFFFF0u);
  fake.Advance(0x20);
  EXPECT_EQ(fake.Ticks(), 0x10u);
}

TEST_F(TickClockTest, SystemClockCountsMilliseconds) {
  const SystemTickClock clock;
  const uint32_t before = clock.Ticks();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const uint32_t elapsed = clock.Ticks() - before;
  EXPECT_GE(elapsed, 30u);
  EXPECT_LT(elapsed, 5000u);
}

TEST_F(TickClockTest, ReadersSeeTimeOnlyMoveForwardWhileAnotherThreadAdvancesIt) {
  FakeTickClock fake;
  SetTickClock(&fake);
  constexpr uint32_t kSteps = 20000;
  std::thread writer([&fake] {
    for (uint32_t i = 0; i < kSteps; ++i) fake.Advance(1);
  });
  uint32_t last = 0;
  bool monotonic = true;
  while (last < kSteps) {
    const uint32_t now = GetTickCount();
    monotonic = monotonic && now >= last;
    last = now;
  }
  writer.join();
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(GetTickCount(), kSteps);
}

TEST_F(TickClockTest, AFrameClockStandsUntilFramesComeFollowsThemAndGoesOnInRealTimeWithout) {
  FakeTickClock real(5000);
  FrameTickClock clock(15, real, 700);
  real.Advance(100);
  EXPECT_EQ(clock.Ticks(), 700u) << "no frames yet: the time stands";
  EXPECT_FALSE(clock.Follow(0)) << "frame 0 is the start";
  EXPECT_TRUE(clock.Follow(4));
  EXPECT_EQ(clock.Ticks(), 700u + 4 * 15) << "the script's frame count, whatever real time did";
  real.Advance(1000);
  EXPECT_FALSE(clock.Follow(4)) << "the same frame twice moves nothing";
  EXPECT_EQ(clock.Ticks(), 760u);

  clock.Release();
  EXPECT_FALSE(clock.Following());
  real.Advance(40);
  EXPECT_EQ(clock.Ticks(), 800u) << "real time on from the last frame";
  EXPECT_EQ(clock.FrameTicks(), 760u) << "the last frame's time, not the real time since";

  // Frames again (the count of another instance may be anywhere): on from the present, never back.
  EXPECT_TRUE(clock.Follow(2));
  EXPECT_EQ(clock.Ticks(), 800u);
  clock.Follow(3);
  EXPECT_EQ(clock.Ticks(), 815u);
  clock.Follow(1);
  EXPECT_EQ(clock.Ticks(), 815u) << "a count that went back does not take the time back";
  clock.Follow(2);
  EXPECT_EQ(clock.FrameTicks(), 830u);
}

TEST_F(TickClockTest, AFrameClockWrapsLikeA32BitCountAndCarriesFarFrameNumbers) {
  FakeTickClock real;
  FrameTickClock clock(15, real, 0xFFFFFFF0u);
  clock.Follow(2);
  EXPECT_EQ(clock.Ticks(), 0x0Eu);
  FrameTickClock late(15, real);
  late.Follow((int64_t{1} << 40) + 3);  // the product overflows 32 bits; only its low bits count
  EXPECT_EQ(late.Ticks(), 45u);
}

}  // namespace
}  // namespace platform
