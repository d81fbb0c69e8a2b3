#include "platform/main_window.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "platform/tick_clock.h"

namespace platform {
namespace {

std::mutex registryMutex;
std::map<intptr_t, MainWindow*>& Registry() {
  static std::map<intptr_t, MainWindow*> windows;
  return windows;
}
intptr_t nextHandle = 1;

// How long the loop sleeps at most before looking at its timers again; timers
// run on the tick clock, which tests may replace.
constexpr uint32_t kMaxWaitMs = 10;

}  // namespace

MainWindow::MainWindow() {
  std::lock_guard lock(registryMutex);
  handle_ = nextHandle++;
  Registry()[handle_] = this;
  link_.context = this;
  link_.command = &MainWindow::LinkCommand;
}

MainWindow::~MainWindow() {
  std::lock_guard lock(registryMutex);
  Registry().erase(handle_);
}

MainWindow* MainWindow::FromHandle(intptr_t handle) {
  std::lock_guard lock(registryMutex);
  auto it = Registry().find(handle);
  return it == Registry().end() ? nullptr : it->second;
}

void MainWindow::LinkCommand(void* context, int32_t command) {
  static_cast<MainWindow*>(context)->PostCommand(command);
}

void MainWindow::Post(Task task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void MainWindow::PostCommand(int32_t command) {
  Post([this, command] { HandleCommand(command); });
}

void MainWindow::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  wake_.notify_all();
  synced_.notify_all();
}

bool MainWindow::Closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

int MainWindow::AddTimer(uint32_t intervalMs, Task handler) {
  std::lock_guard lock(mutex_);
  timers_.push_back(Timer{intervalMs, std::move(handler)});
  return static_cast<int>(timers_.size()) - 1;
}

void MainWindow::SetTimerEnabled(int timer, bool enabled) {
  {
    std::lock_guard lock(mutex_);
    if (timer < 0 || timer >= static_cast<int>(timers_.size())) return;
    timers_[timer].enabled = enabled;
    timers_[timer].lastTick = GetTickCount();
  }
  wake_.notify_one();
}

bool MainWindow::TimerEnabled(int timer) const {
  std::lock_guard lock(mutex_);
  return timer >= 0 && timer < static_cast<int>(timers_.size()) && timers_[timer].enabled;
}

void MainWindow::SetTimersFollowFrames(bool on) {
  {
    std::lock_guard lock(mutex_);
    timersFollowFrames_ = on;
  }
  wake_.notify_one();
}

bool MainWindow::TimerDueLocked(uint32_t now) const {
  for (const Timer& timer : timers_) {
    if (timer.enabled && now - timer.lastTick >= timer.intervalMs) return true;
  }
  return false;
}

void MainWindow::Sync(const std::function<bool()>& giveUp) {
  std::unique_lock lock(mutex_);
  if (closed_ || (!running_ && tasks_.empty() && !TimerDueLocked(GetTickCount()))) return;
  const uint64_t ticket = ++syncsAsked_;
  // Timers come before posted work, so every timer due now has fired when
  // the loop reaches this.
  tasks_.push_back([this, ticket] {
    {
      std::lock_guard done(mutex_);
      syncsDone_ = ticket;
    }
    synced_.notify_all();
  });
  wake_.notify_one();
  while (syncsDone_ < ticket && !closed_) {
    if (synced_.wait_for(lock, std::chrono::milliseconds(kMaxWaitMs)) == std::cv_status::timeout && giveUp) {
      lock.unlock();
      const bool stop = giveUp();
      lock.lock();
      if (stop) return;
    }
  }
}

WindowState MainWindow::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void MainWindow::Minimize() {
  {
    std::lock_guard lock(mutex_);
    state_ = WindowState::kMinimized;
  }
  if (OnShowCommand) OnShowCommand(VARNOK_WINDOW_MINIMIZE);
}

void MainWindow::Restore() {
  {
    std::lock_guard lock(mutex_);
    state_ = WindowState::kNormal;
  }
  if (OnShowCommand) OnShowCommand(VARNOK_WINDOW_RESTORE);
}

void MainWindow::HandleCommand(int32_t command) {
  switch (command) {
    case VARNOK_WINDOW_ACTIVATE:
      if (OnActivate) OnActivate();
      return;
    case VARNOK_WINDOW_DEACTIVATE:
      if (OnDeactivate) OnDeactivate();
      return;
    case VARNOK_WINDOW_QUIT:
      Close();
      return;
    default:
      break;
  }
  if (OnSystemCommand && OnSystemCommand(command)) return;
  // Default handling: the window system has already changed the window; note its state.
  std::lock_guard lock(mutex_);
  if (command == VARNOK_WINDOW_MINIMIZE) state_ = WindowState::kMinimized;
  if (command == VARNOK_WINDOW_MAXIMIZE) state_ = WindowState::kMaximized;
  if (command == VARNOK_WINDOW_RESTORE) state_ = WindowState::kNormal;
}

bool MainWindow::RunOne(bool wait) {
  Task task;
  {
    std::unique_lock lock(mutex_);
    if (closed_) return false;
    // A due timer first, then posted work.
    const uint32_t now = GetTickCount();
    uint32_t untilNext = kMaxWaitMs;
    // Timers that follow frames fire only while a Sync waits for them.
    const bool timersMayFire = !timersFollowFrames_ || syncsDone_ < syncsAsked_;
    for (Timer& timer : timers_) {
      if (!timer.enabled || !timersMayFire) continue;
      const uint32_t elapsed = now - timer.lastTick;
      if (elapsed >= timer.intervalMs) {
        timer.lastTick = now;
        task = timer.handler;
        break;
      }
      untilNext = std::min(untilNext, timer.intervalMs - elapsed);
    }
    if (!task && !tasks_.empty()) {
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    if (!task) {
      if (wait) wake_.wait_for(lock, std::chrono::milliseconds(untilNext));
      return !closed_ && wait;
    }
    running_ = true;
  }
  task();
  std::lock_guard lock(mutex_);
  running_ = false;
  return true;
}

void MainWindow::Run() {
  while (RunOne(true)) {
  }
}

void MainWindow::RunPending() {
  // Bounded so that a timer of interval 0 cannot hold the caller forever.
  for (int i = 0; i < 1000 && RunOne(false); ++i) {
  }
}

}  // namespace platform
