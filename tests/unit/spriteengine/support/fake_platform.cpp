#include "fake_platform.h"

#include <chrono>
#include <optional>
#include <thread>

#include "sdl/sdl_codecs.h"
#include "spriteengine/engine_api.h"

namespace spriteengine::testing {

namespace {

class FakeVideo : public VideoBackend {
 public:
  FakeVideo(std::shared_ptr<FakeRecord> r, bool shows) : record_(std::move(r)), shows_(shows) {}
  const char* Name() const override { return "fake"; }
  bool Open(bool, WindowEvents* events) override {
    events_ = events;
    ++record_->opens;
    return true;
  }
  void Close() override {}
  bool HandleEvent(int waitMs) override {
    if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    return false;
  }
  bool ShowsFrames() const override { return shows_; }
  // Like the SDL window's surface, shows what was prepared, if anything was.
  void Prepare(const Frame& frame) override {
    ++record_->prepares;
    prepared_ = frame.At(frame.width / 2, frame.height / 2);
  }
  void Present(const Frame& frame) override {
    ++record_->presents;
    record_->shownCentre = prepared_.value_or(frame.At(frame.width / 2, frame.height / 2));
    prepared_.reset();
  }
  void Command(int command) override {
    record_->commands.push_back(command);
    if (command == VARNOK_WINDOW_MINIMIZE) events_->OnVisible(false);
    if (command == VARNOK_WINDOW_RESTORE) events_->OnVisible(true);
  }
  void SetSystemCursorHidden(bool) override {}
  void WarpPointer(float, float) override {}

 private:
  std::shared_ptr<FakeRecord> record_;
  bool shows_;
  WindowEvents* events_ = nullptr;
  std::optional<uint32_t> prepared_;
};

class FakeSample : public Sample {};

class FakeAudio : public AudioDevice {
 public:
  explicit FakeAudio(std::shared_ptr<FakeRecord> r) : record_(std::move(r)) {}
  std::shared_ptr<const Sample> Decode(std::span<const uint8_t> bytes, bool) override {
    ++record_->audioDecodes;
    if (bytes.size() < 4) return nullptr;
    return std::make_shared<FakeSample>();
  }
  uint64_t Play(const Sample&, int loops) override {
    uint64_t voice = ++last_;
    playing_.push_back(voice);
    return voice;
  }
  void Stop(uint64_t voice) override { std::erase(playing_, voice); }
  bool IsPlaying(uint64_t voice) override {
    return std::find(playing_.begin(), playing_.end(), voice) != playing_.end();
  }
  void StopAll() override { playing_.clear(); }

 private:
  std::shared_ptr<FakeRecord> record_;
  uint64_t last_ = 0;
  std::vector<uint64_t> playing_;
};

}  // namespace

Platform MakeFakePlatform(std::shared_ptr<FakeRecord> record, bool showsFrames) {
  Platform p;
  p.makeVideo = [record, showsFrames](const std::string&) { return std::make_unique<FakeVideo>(record, showsFrames); };
  p.makeAudio = [record](const std::string&) { return std::make_unique<FakeAudio>(record); };
  p.codecs = sdl::MakeSdlCodecs();
  return p;
}

}  // namespace spriteengine::testing
