#include "headless_video.h"

#include <chrono>
#include <thread>

#include "spriteengine/engine_api.h"

namespace spriteengine::headless {

namespace {

class HeadlessVideo : public VideoBackend {
 public:
  const char* Name() const override { return "headless"; }

  bool Open(bool, WindowEvents* events) override {
    events_ = events;
    return true;
  }
  void Close() override { events_ = nullptr; }

  bool HandleEvent(int waitMs) override {
    // No window system: nothing ever arrives.
    if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    return false;
  }

  bool ShowsFrames() const override { return false; }
  void Present(const Frame&) override {}

  void Command(int command) override {
    if (!events_) return;
    if (command == VARNOK_WINDOW_MINIMIZE) events_->OnVisible(false);
    if (command == VARNOK_WINDOW_RESTORE || command == VARNOK_WINDOW_ACTIVATE) events_->OnVisible(true);
  }

  void SetSystemCursorHidden(bool) override {}
  void WarpPointer(float, float) override {}

 private:
  WindowEvents* events_ = nullptr;
};

}  // namespace

std::unique_ptr<VideoBackend> MakeHeadlessVideo() { return std::make_unique<HeadlessVideo>(); }

}  // namespace spriteengine::headless
