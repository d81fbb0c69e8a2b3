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

}  // namespace
}  // namespace platform
