#include "platform/main_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/tick_clock.h"

namespace platform {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { SetTickClock(&clock_); }
  void TearDown() override { SetTickClock(nullptr); }
  FakeTickClock clock_;
  MainWindow window_;
};

TEST_F(MainWindowTest, TimerFiresOnceItsIntervalHasPassedAndOnlyWhileEnabled) {
  int fired = 0;
  const int timer = window_.AddTimer(100, [&] { ++fired; });
  clock_.Advance(500);
  window_.RunPending();
  EXPECT_EQ(fired, 0) << "timers start disabled";

  window_.SetTimerEnabled(timer, true);
  clock_.Advance(99);
  window_.RunPending();
  EXPECT_EQ(fired, 0);
  clock_.Advance(1);
  window_.RunPending();
  EXPECT_EQ(fired, 1);
  clock_.Advance(100);
  window_.RunPending();
  EXPECT_EQ(fired, 2);

  window_.SetTimerEnabled(timer, false);
  clock_.Advance(1000);
  window_.RunPending();
  EXPECT_EQ(fired, 2);
}

TEST_F(MainWindowTest, TimerThatDisablesItselfRunsOnce) {
  int fired = 0;
  int timer = -1;
  timer = window_.AddTimer(2000, [&] {
    ++fired;
    window_.SetTimerEnabled(timer, false);
  });
  window_.SetTimerEnabled(timer, true);
  for (int i = 0; i < 5; ++i) {
    clock_.Advance(2000);
    window_.RunPending();
  }
  EXPECT_EQ(fired, 1);
}

TEST_F(MainWindowTest, TimersThatFollowFramesFireOnlyForASyncWhichReturnsOnceTheyAndEarlierWorkHaveRun) {
  std::atomic<int> fired{0};
  std::string order;  // written on the loop, read here only after a Sync
  const int timer = window_.AddTimer(30, [&] {
    ++fired;
    order += 't';
  });
  window_.SetTimersFollowFrames(true);
  window_.SetTimerEnabled(timer, true);
  clock_.Advance(30);
  window_.RunPending();
  EXPECT_EQ(fired, 0) << "a due timer waits for the frame's Sync";

  std::thread loop([this] { window_.Run(); });
  window_.Post([&] { order += 'p'; });
  window_.Sync(nullptr);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(order.size(), 2u) << "the work posted before the Sync has run too: " << order;
  window_.Sync(nullptr);  // nothing due or queued: back at once
  clock_.Advance(30);
  window_.Sync(nullptr);
  EXPECT_EQ(fired, 2);

  // Without frames the loop runs its timers on its own again.
  window_.SetTimersFollowFrames(false);
  clock_.Advance(30);
  window_.Post([this] { window_.Close(); });
  loop.join();
  EXPECT_EQ(fired, 3) << "the timer comes before the posted close";
}

TEST_F(MainWindowTest, ASyncThatNobodyServesEndsWhenTheWindowClosesOrItsCallerGivesUp) {
  window_.Post([] {});
  std::atomic<bool> stop{false};
  std::thread givingUp([&] { window_.Sync([&] { return stop.load(); }); });
  stop = true;
  givingUp.join();

  std::thread closing([this] { window_.Sync(nullptr); });
  window_.Close();
  closing.join();
  window_.Sync(nullptr);  // closed: back at once
}

TEST_F(MainWindowTest, PostedWorkRunsOnTheLoopInOrder) {
  std::string order;
  std::thread poster([&] {
    window_.Post([&] { order += 'a'; });
    window_.Post([&] { order += 'b'; });
  });
  poster.join();
  EXPECT_EQ(order, "");
  window_.RunPending();
  EXPECT_EQ(order, "ab");
}

TEST_F(MainWindowTest, CommandsReachTheHandlerAndUnhandledOnesChangeTheState) {
  std::vector<int32_t> seen;
  window_.OnSystemCommand = [&](int32_t command) {
    seen.push_back(command);
    return command == VARNOK_WINDOW_MAXIMIZE;
  };
  window_.PostCommand(VARNOK_WINDOW_MINIMIZE);
  window_.RunPending();
  EXPECT_EQ(window_.State(), WindowState::kMinimized);
  window_.PostCommand(VARNOK_WINDOW_MAXIMIZE);
  window_.RunPending();
  EXPECT_EQ(window_.State(), WindowState::kMinimized) << "a handled command is not passed on";
  window_.PostCommand(VARNOK_WINDOW_RESTORE);
  window_.RunPending();
  EXPECT_EQ(window_.State(), WindowState::kNormal);
  EXPECT_EQ(seen, (std::vector<int32_t>{VARNOK_WINDOW_MINIMIZE, VARNOK_WINDOW_MAXIMIZE, VARNOK_WINDOW_RESTORE}));
}

TEST_F(MainWindowTest, EngineLinkPostsCommandsAndQuitEndsTheLoop) {
  int activations = 0;
  window_.OnActivate = [&] { ++activations; };
  const VarnokWindowLink* link = window_.Link();
  std::thread engineThread([link] {
    link->command(link->context, VARNOK_WINDOW_ACTIVATE);
    link->command(link->context, VARNOK_WINDOW_QUIT);
  });
  engineThread.join();
  window_.Run();  // returns because of the quit
  EXPECT_EQ(activations, 1);
  EXPECT_TRUE(window_.Closed());
}

TEST_F(MainWindowTest, HandlesFindTheirWindow) {
  EXPECT_EQ(MainWindow::FromHandle(window_.Handle()), &window_);
  EXPECT_EQ(MainWindow::FromHandle(0), nullptr);
  MainWindow other;
  EXPECT_NE(other.Handle(), window_.Handle());
}

}  // namespace
}  // namespace platform
