#include "engine_link/engine_host.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace engine_link {
namespace {

const std::string kLibs = VARNOK_TEST_LIBS_DIR;
const std::string kTestEngine = kLibs + "/test_engine.so";
const std::string kTestGameLibrary = kLibs + "/test_game_library.so";

// Reaches the control functions of a test library by name.
class TestLibrary {
 public:
  explicit TestLibrary(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW)) {}
  ~TestLibrary() {
    if (handle_) dlclose(handle_);
  }
  template <typename Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle_, name));
  }
  std::string Events(const char* function) const {
    auto events = Get<size_t (*)(char*, size_t)>(function);
    char buffer[4096];
    events(buffer, sizeof buffer);
    return buffer;
  }

 private:
  void* handle_;
};

class EngineHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.Load(kTestEngine));
    reset_ = engine_.Get<void (*)(int, int)>("TestEngine_Reset");
    log_ = engine_.Get<void (*)(const char*)>("TestEngine_Log");
    ASSERT_NE(reset_, nullptr);
    host_.OnInit = [this] { log_("init"); };
    host_.OnRun = [this] { runs_++; };
    host_.OnExit = [this] { log_("exit"); };
  }
  std::string Events() const { return engine_.Events("TestEngine_Events"); }
  void WaitUntilStopped() {
    for (int i = 0; i < 500 && host_.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  EngineLibrary library_;
  TestLibrary engine_{kTestEngine};
  TEngineHost host_{library_};
  void (*reset_)(int, int) = nullptr;
  void (*log_)(const char*) = nullptr;
  std::atomic<int> runs_{0};
};

TEST_F(EngineHostTest, RefusedSettingsRunOnlyTheExitPhaseCloseTheEngineAndAreReported) {
  std::atomic<int> refusals{0};
  host_.OnOpenRefused = [&] {
    log_("refused");
    ++refusals;
  };
  reset_(0, -1);
  host_.StartEngine(1);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(Events(), "open;settings;exitBegin;exit;exitEnd;close;refused;") << "reported after the close";
  EXPECT_EQ(runs_, 0);

  reset_(1, 3);  // a window that opens is never reported, however the instance ends
  host_.StartEngine(1);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(refusals, 1);
}

TEST_F(EngineHostTest, InitOnceThenARunPhaseEveryFrameThenExitOnce) {
  reset_(1, 5);
  host_.StartEngine(1);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(Events(), "open;settings;initBegin;init;initEnd;exitBegin;exit;exitEnd;close;");
  EXPECT_EQ(runs_, 5);
}

TEST_F(EngineHostTest, TheFrameCountIsToldAtTheStartOfEachRunPhaseAndTheEndOfFramesBeforeTheExitPhase) {
  std::vector<std::pair<int64_t, int>> counted;  // the frame, and the run phases already run
  host_.OnFrameCounted = [&](int64_t frame, bool, const std::function<bool()>& stopping) {
    if (counted.empty() || counted.back().first != frame) counted.emplace_back(frame, runs_.load());
    EXPECT_FALSE(stopping());
    return false;
  };
  host_.OnFramesEnded = [this] { log_("framesEnded"); };
  reset_(1, 3);
  host_.StartEngine(1);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(counted, (std::vector<std::pair<int64_t, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 2}}))
      << "each frame before its run phase";
  EXPECT_EQ(Events(), "open;settings;initBegin;init;initEnd;framesEnded;exitBegin;exit;exitEnd;close;");
}

TEST_F(EngineHostTest, SecondStartEndsTheFirstInstanceBeforeTheNextInit) {
  reset_(1, -1);
  host_.StartEngine(1);
  for (int i = 0; i < 200 && runs_ == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  host_.StartEngine(1);
  for (int i = 0; i < 200 && Events().find("init;initEnd;exitBegin;exit;exitEnd;close;open") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  host_.StopEngine();
  const std::string events = Events();
  const size_t firstExit = events.find("exit;");
  const size_t secondInit = events.find("init;", events.find("init;") + 1);
  ASSERT_NE(firstExit, std::string::npos);
  ASSERT_NE(secondInit, std::string::npos);
  EXPECT_LT(firstExit, secondInit);
  EXPECT_EQ(events, "open;settings;initBegin;init;initEnd;exitBegin;exit;exitEnd;close;"
                    "open;settings;initBegin;init;initEnd;exitBegin;exit;exitEnd;close;");
}

TEST_F(EngineHostTest, InitErrorEndsTheInstanceThroughItsExitPhase) {
  reset_(1, -1);
  engine_.Get<void (*)(int)>("TestEngine_SetInitError")(1);
  host_.StartEngine(1);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(Events(), "open;settings;initBegin;init;initEnd;exitBegin;exit;exitEnd;close;");
  EXPECT_EQ(runs_, 0);
}

TEST_F(EngineHostTest, SettingsBlockAsksForFullScreenWhenTheSettingsSaySo) {
  reset_(1, 1);
  host_.FullScreen = [] { return true; };
  host_.StartEngine(0);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(engine_.Get<int (*)()>("TestEngine_FullScreenFlag")(), -1);
  EXPECT_EQ(engine_.Get<intptr_t (*)()>("TestEngine_Window")(), 0);

  host_.FullScreen = [] { return false; };
  host_.StartEngine(42);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(engine_.Get<int (*)()>("TestEngine_FullScreenFlag")(), 0);
  EXPECT_EQ(engine_.Get<intptr_t (*)()>("TestEngine_Window")(), 42);
}

TEST_F(EngineHostTest, StopEngineEndsARunningInstanceAndWaits) {
  reset_(1, -1);
  host_.StartEngine(1);
  for (int i = 0; i < 200 && runs_ == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  host_.StopEngine();
  EXPECT_FALSE(host_.Running());
  EXPECT_NE(Events().find("exitBegin;exit;exitEnd;close;"), std::string::npos);
}

TEST_F(EngineHostTest, GameLibraryPlaysBesideTheEventsInItsOrder) {
  TestLibrary game(kTestGameLibrary);
  auto gameLog = game.Get<void (*)(const char*)>("GameLibrary_Log");
  host_.OnInit = [gameLog] { gameLog("OnInit"); };
  host_.OnRun = nullptr;
  host_.OnExit = [gameLog] { gameLog("OnExit"); };
  host_.SetGameLibrary(kTestGameLibrary);
  EXPECT_EQ(host_.GameLibrary(), kTestGameLibrary);
  reset_(1, 1);
  host_.StartEngine(1);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(game.Events("GameLibrary_Events"), "libInit;OnInit;gameInit;gameRun;gameExit;OnExit;");
}

TEST_F(EngineHostTest, GameLibraryThatDoesNotExistIsSkipped) {
  host_.SetGameLibrary(kLibs + "/no-such-library.so");
  reset_(1, 2);
  host_.StartEngine(1);
  WaitUntilStopped();
  host_.StopEngine();
  EXPECT_EQ(runs_, 2);
}

TEST(EngineHostWithoutLibrary, StartEngineReportsTheMissingLibrary) {
  EngineLibrary library;
  EXPECT_FALSE(library.Load("/nonexistent/SYSTEm.DLL"));
  EXPECT_FALSE(library.loaded());
  TEngineHost host(library);
  try {
    host.StartEngine(1);
    FAIL() << "StartEngine should have failed";
  } catch (const EngineMissingError& error) {
    EXPECT_STREQ(error.what(), "The engine DLL was not loaded or could not be found.");
  }
  EXPECT_FALSE(host.Running());
}

}  // namespace
}  // namespace engine_link
