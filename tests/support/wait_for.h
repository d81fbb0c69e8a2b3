// Waiting for an event another thread or process brings about: the condition
// is polled until it holds, and the limit is only there to fail a real hang,
// so a loaded machine makes a test slower, never wrong.
#pragma once

#include <chrono>
#include <thread>

namespace testing_support {

// True once `done` holds; false if it still does not after `limit`.
template <typename Done>
bool WaitFor(Done&& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace testing_support
