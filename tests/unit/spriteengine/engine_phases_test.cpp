// The phase state machine driven by the host's thread body, with a fake
// window: one init, paced run phases, iExit, script input and window
// commands, the game-state log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/engine.h"
#include "core/frame_clock.h"
#include "fake_platform.h"
#include "test_assets.h"
#include "wait_for.h"

namespace spriteengine {
namespace {

struct Counts {
  int inits = 0, runs = 0, exits = 0;
};

// The host's engine thread body, over Engine.
bool Host(Engine& e, Counts& c, const std::function<void(int)>& onRun, const std::function<void()>& onInit = {}) {
  int32_t block[6] = {0, 0, 15360000, 0, 0, -1};
  e.EngineOpen(1, 0);
  bool ok = e.EngineSettings(block);
  if (ok) {
    while (e.IsRendering()) {
      if (e.IsActive() ? e.Message(false) : e.Message(true)) continue;
      if (!e.IsActive() || !e.IsReady()) continue;
      e.Main();
      if (e.IsExecuting() && e.IsInitializing()) {
        e.InitBegin();
        ++c.inits;
        if (onInit) onInit();
        e.InitEnd();
      }
      if (!e.IsRendering()) break;
      if (!e.IsSkippingRunPhase()) {
        e.RunBegin();
        onRun(++c.runs);
        e.RunEnd();
      }
      if (!e.IsSkippingRenderPhase()) e.RenderPhase();
    }
  }
  e.ExitBegin();
  ++c.exits;
  e.ExitEnd();
  e.EngineClose();
  return ok;
}

class PhasesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing::MakeTempFolder("phases");
    ::unsetenv("VARNOK_ENGINE_SCRIPT");
    ::unsetenv("VARNOK_ENGINE_LOG");
  }
  void TearDown() override {
    ::unsetenv("VARNOK_ENGINE_SCRIPT");
    ::unsetenv("VARNOK_ENGINE_LOG");
  }
  std::string dir;
  std::shared_ptr<testing::FakeRecord> record = std::make_shared<testing::FakeRecord>();
};

TEST_F(PhasesTest, OneInitThenRunPhasesUntilExit) {
  Engine e(testing::MakeFakePlatform(record));
  Counts c;
  Host(e, c, [&](int run) {
    if (run == 10) e.Exit();
  });
  EXPECT_EQ(c.inits, 1);
  EXPECT_EQ(c.runs, 10);
  EXPECT_EQ(c.exits, 1);
  EXPECT_FALSE(e.IsRendering());
}

TEST_F(PhasesTest, RunPhasesArePacedByFrqSet) {
  Engine e(testing::MakeFakePlatform(record));
  Counts c;
  std::vector<double> times;
  Host(e, c, [&](int run) {
    times.push_back(e.SystemTimer());
    if (run == 41) e.Exit();
  }, [&] { e.FrqSet(0.015f); });
  std::vector<double> gaps;
  for (size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
  std::sort(gaps.begin(), gaps.end());
  EXPECT_NEAR(gaps[gaps.size() / 2], 0.015, 0.002);
}

// A frame whose showing takes a while is woken that much before it is due
// (never more than a third of the period), on the same schedule.
TEST(FrameClock, ALeadWakesEarlyByAtMostAThirdOfThePeriodOnTheSameSchedule) {
  FrameClock clock;
  clock.SetPeriod(0.3);
  clock.WaitForFrame();
  const double first = clock.Due();
  clock.WaitForFrame(0.09);
  double woke = FrameClock::Now();
  EXPECT_DOUBLE_EQ(clock.Due(), first + 0.3);
  EXPECT_GE(woke, clock.Due() - 0.09);
  EXPECT_LT(woke, clock.Due());  // 90 ms early: only a stalled machine misses it
  clock.WaitForFrame(5.0);
  woke = FrameClock::Now();
  EXPECT_DOUBLE_EQ(clock.Due(), first + 0.6);
  EXPECT_GE(woke, clock.Due() - 0.1);
}

// A frame shown late or early moves the next one's wake half as far; a
// stalled one, or a frame not shown, moves nothing, and the due times stay.
TEST(FrameClock, TheNextFrameIsAimedHalfAsLateAsTheLastOneShown) {
  FrameClock clock;
  clock.SetPeriod(0.3);
  clock.WaitForFrame();
  const double first = clock.Due();
  auto wakeAfterShown = [&](double lateBy) {
    if (!std::isnan(lateBy)) clock.Shown(clock.Due() + lateBy);  // NaN: not shown
    clock.WaitForFrame();
    return FrameClock::Now() - clock.Due();
  };
  EXPECT_GE(wakeAfterShown(0.09), 0.045);
  EXPECT_DOUBLE_EQ(clock.Due(), first + 0.3);
  double early = wakeAfterShown(-0.09);
  EXPECT_GE(early, -0.045);
  EXPECT_LT(early, 0);  // 45 ms early: only a stalled machine misses it
  EXPECT_LT(wakeAfterShown(0.2), 0.03);  // a stall, not a send to even out
  clock.Shown(clock.Due() + 0.09);
  clock.WaitForFrame();
  EXPECT_LT(wakeAfterShown(std::nan("")), 0.03);  // carried once, then gone
  EXPECT_DOUBLE_EQ(clock.Due(), first + 1.5);
}

TEST_F(PhasesTest, ScriptKeysAreSeenOncePerPressAndHeldUntilReleased) {
  testing::WriteFile(dir + "/s.txt", std::string("2 tap 30\n4 down 0x1C\n6 up 28\n"));
  ::setenv("VARNOK_ENGINE_SCRIPT", (dir + "/s.txt:" + dir + "/next.txt").c_str(), 1);
  Engine e(testing::MakeFakePlatform(record));
  Counts c;
  std::vector<int> clicksA, downA, clicksEnter, downEnter;
  Host(e, c, [&](int run) {
    if (e.Input().TakeKeyClick(30)) clicksA.push_back(run);
    if (e.Input().TakeKeyClick(30)) clicksA.push_back(-run);  // only once
    if (e.Input().IsKeyDown(30)) downA.push_back(run);
    if (e.Input().TakeKeyClick(28)) clicksEnter.push_back(run);
    if (e.Input().IsKeyDown(28)) downEnter.push_back(run);
    if (run == 8) e.Exit();
  });
  EXPECT_EQ(clicksA, std::vector<int>{2});
  EXPECT_EQ(downA, std::vector<int>{2});
  EXPECT_EQ(clicksEnter, std::vector<int>{4});
  EXPECT_EQ(downEnter, (std::vector<int>{4, 5}));
  EXPECT_STREQ(std::getenv("VARNOK_ENGINE_SCRIPT"), (dir + "/next.txt").c_str());
}

TEST_F(PhasesTest, ScriptWindowCommandsGoToTheWindowLink) {
  testing::WriteFile(dir + "/s.txt", std::string("3 close\n3 maximize\n5 quit\n"));
  ::setenv("VARNOK_ENGINE_SCRIPT", (dir + "/s.txt").c_str(), 1);
  Engine e(testing::MakeFakePlatform(record));
  static std::vector<int> received;
  received.clear();
  VarnokWindowLink link{nullptr, [](void*, int32_t cmd) { received.push_back(cmd); }};
  e.WindowLinkSet(&link);
  Counts c;
  Host(e, c, [&](int run) {
    if (run == 6) e.Exit();
  });
  EXPECT_EQ(received, (std::vector<int>{VARNOK_WINDOW_CLOSE, VARNOK_WINDOW_MAXIMIZE, VARNOK_WINDOW_QUIT}));
  EXPECT_EQ(c.runs, 6);  // the engine never quits on its own
}

TEST_F(PhasesTest, MinimisedEngineRunsNoFramesButTheScriptClockGoesOn) {
  Engine e(testing::MakeFakePlatform(record));
  Counts c;
  uint64_t frameAtMinimise = 0;
  std::thread game;
  Host(e, c, [&](int run) {
    if (run == 2) {
      frameAtMinimise = e.ScriptFrame();
      e.WindowCommand(VARNOK_WINDOW_MINIMIZE);  // from the game's main thread, after 150 ms restore
      game = std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        e.WindowCommand(VARNOK_WINDOW_RESTORE);
      });
    }
    if (run == 3) e.Exit();
  });
  game.join();
  EXPECT_EQ(c.runs, 3);
  // ~10 ticks at 15 ms while minimised; a loaded machine may see fewer, but
  // a clock that stopped while minimised would count one at most.
  EXPECT_GE(e.ScriptFrame() - frameAtMinimise, 3u);
}

TEST_F(PhasesTest, GameStateIsLoggedAtTheFirstRunPhaseAndOnEveryChange) {
  ::setenv("VARNOK_ENGINE_LOG", (dir + "/log.txt").c_str(), 1);
  Engine e(testing::MakeFakePlatform(record));
  Counts c;
  Host(e, c, [&](int run) {
    if (run == 3) e.GameStateSet(5);
    if (run == 4) e.GameStateSet(5);  // no change, no line
    if (run == 5) e.Exit();
  }, [&] { e.GameStateSet(1); });
  std::ifstream in(dir + "/log.txt");
  std::stringstream text;
  text << in.rdbuf();
  std::string log = text.str();
  EXPECT_NE(log.find("1 gamestate 1\n"), std::string::npos) << log;
  EXPECT_NE(log.find("3 gamestate 5\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("4 gamestate"), std::string::npos) << log;
}

TEST_F(PhasesTest, EscapeEndsTheEngineUnlessDisabled) {
  Engine e(testing::MakeFakePlatform(record));
  Counts c;
  Host(e, c, [&](int run) {
    if (run == 1) e.OnKey(1, true);
  });
  EXPECT_EQ(c.runs, 1);
  Engine quiet(testing::MakeFakePlatform(record));
  Counts q;
  Host(quiet, q, [&](int run) {
    if (run == 1) quiet.OnKey(1, true);
    if (run == 3) quiet.Exit();
  }, [&] { quiet.EscEnable(false); });
  EXPECT_EQ(q.runs, 3);
}

TEST_F(PhasesTest, ARenderPhaseFrameIsShownWhenTheNextFrameIsDueARenderAtOnceARepaintAgain) {
  Engine e(testing::MakeFakePlatform(record, true));
  int32_t block[6] = {0, 0, 15360000, 0, 0, -1};
  e.EngineOpen(1, 0);
  ASSERT_TRUE(e.EngineSettings(block));
  e.InitBegin();
  e.InitEnd();
  auto frame = [&](float r, float g, float b) {
    e.Main();
    e.RunBegin();
    e.ScreenWipe(r, g, b);
    e.RunEnd();
    e.RenderPhase();
  };
  frame(1, 0, 0);
  int shown = record->presents;
  int prepared = record->prepares;
  frame(0, 1, 0);  // its Main shows the red frame; the green one waits, prepared
  EXPECT_EQ(record->presents, shown + 1);
  EXPECT_EQ(record->prepares, prepared + 1);
  EXPECT_EQ(record->shownCentre, 0xFF0000u);
  e.Main();
  EXPECT_EQ(record->presents, shown + 2);
  EXPECT_EQ(record->shownCentre, 0x00FF00u);
  e.Main();  // nothing new drawn: nothing shown again
  EXPECT_EQ(record->presents, shown + 2);
  e.OnRepaintNeeded();  // the window was resized: the last frame again
  e.Main();
  EXPECT_EQ(record->presents, shown + 3);
  EXPECT_EQ(record->shownCentre, 0x00FF00u);
  e.RunBegin();
  e.ScreenWipe(0, 0, 1);
  e.Render();  // a loading screen is shown at once
  EXPECT_EQ(record->shownCentre, 0x0000FFu);
  e.RunEnd();
  // A frame prepared, then drawn again by another thread: what is shown
  // when it is due is the frame drawn last.
  frame(1, 1, 0);
  e.ScreenWipe(1, 0, 1);
  std::thread([&] { e.Render(); }).join();
  e.Main();
  EXPECT_EQ(record->shownCentre, 0xFF00FFu);
  e.EngineClose();
}

TEST_F(PhasesTest, OpenCloseOpenAgainClearsTheScene) {
  Engine e(testing::MakeFakePlatform(record, true));
  testing::WriteFile(dir + "/w.dds", WriteDds(testing::SolidImage(4, 4, 0xFFFFFFFF)));
  testing::WriteFile(dir + "/sprite.x", testing::SpriteMeshText());
  uint32_t sprite = 0;
  Counts c;
  Host(e, c, [&](int run) {
    if (run == 2) e.Exit();
  }, [&] {
    sprite = e.SpriteCreate((dir + "/sprite.x").c_str());
    e.SpriteTextureSet(sprite, e.TextureCreate((dir + "/w.dds").c_str()));
    e.SpriteShow(sprite, true);
  });
  EXPECT_GT(record->presents, 0);
  Counts again;
  Host(e, again, [&](int run) {
    if (run == 2) e.Exit();
  });
  EXPECT_EQ(again.inits, 1);
  Frame f = e.Snapshot();
  EXPECT_EQ(f.At(400, 300), 0u);  // the old sprite is gone
}

}  // namespace
}  // namespace spriteengine

namespace spriteengine {
namespace {

// The colour at the centre of a screenshot, 0xRRGGBB; 1 when there is no
// such picture.
uint32_t ShotCentre(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto picture = testing::MakeFakePlatform(std::make_shared<testing::FakeRecord>()).codecs.decodePicture(bytes);
  if (!picture) return 1;
  return picture->At(picture->width / 2, picture->height / 2) & 0xFFFFFF;
}

TEST_F(PhasesTest, ShotWithAPictureNumberTakesThatPictureOfTheRunPhaseThatDrawsIt) {
  // Frame 2 draws no picture of its own: its numbered shot waits for frame 4,
  // whose run phase draws red, green, then leaves blue for its render.
  testing::WriteFile(dir + "/s.txt", "2 shot " + dir + "/second.png 2\n4 shot " + dir + "/own.png\n" + "4 shot " +
                                         dir + "/first.png 1\n4 shot " + dir + "/never.png 3\n");
  ::setenv("VARNOK_ENGINE_SCRIPT", (dir + "/s.txt").c_str(), 1);
  Engine e(testing::MakeFakePlatform(record));  // headless-like: shows no frames
  Counts c;
  Host(e, c, [&](int run) {
    if (run == 4) {
      e.ScreenWipe(1, 0, 0);
      e.Render();
      e.ScreenWipe(0, 1, 0);
      e.Render();
      e.ScreenWipe(0, 0, 1);
    }
    if (run == 6) e.Exit();
  });
  EXPECT_EQ(ShotCentre(dir + "/first.png"), 0xFF0000u);
  EXPECT_EQ(ShotCentre(dir + "/second.png"), 0x00FF00u);
  EXPECT_EQ(ShotCentre(dir + "/own.png"), 0x0000FFu);
  EXPECT_EQ(ShotCentre(dir + "/never.png"), 1u);  // no run phase drew three
}

TEST_F(PhasesTest, PlaceholderTicksTheScriptAndForwardsItsWindowCommands) {
  // A process started minimised: no engine open, the game minimises its window.
  testing::WriteFile(dir + "/s.txt", std::string("5 activate\n6 restore\n"));
  ::setenv("VARNOK_ENGINE_SCRIPT", (dir + "/s.txt").c_str(), 1);
  Engine e(testing::MakeFakePlatform(record));
  static std::vector<int> received;
  received.clear();
  VarnokWindowLink link{nullptr, [](void*, int32_t cmd) { received.push_back(cmd); }};
  e.WindowLinkSet(&link);
  e.WindowCommand(VARNOK_WINDOW_MINIMIZE);
  // Frame 7 begins once frame 6's restore has been forwarded.
  EXPECT_TRUE(testing_support::WaitFor([&] { return e.ScriptFrame() >= 7; }, std::chrono::seconds(30)));
  e.WindowCommand(VARNOK_WINDOW_CLOSE);                          // ends the placeholder (joins its thread)
  EXPECT_EQ(received, (std::vector<int>{VARNOK_WINDOW_ACTIVATE, VARNOK_WINDOW_RESTORE}));
  // Opening the engine later; frames go on counting from there.
  uint64_t before = e.ScriptFrame();
  EXPECT_GE(before, 6u);
  Counts c;
  Host(e, c, [&](int run) {
    if (run == 2) e.Exit();
  });
  EXPECT_EQ(e.ScriptFrame(), before + 2);
}

TEST_F(PhasesTest, PointerStaysOutsideUntilMovedAndMouseResetFollowsIt) {
  testing::WriteFile(dir + "/s.txt", std::string("3 mouse 0.25 0.5\n"));
  ::setenv("VARNOK_ENGINE_SCRIPT", (dir + "/s.txt").c_str(), 1);
  Engine e(testing::MakeFakePlatform(record));
  Counts c;
  std::vector<Vec2> seen;
  Host(e, c, [&](int run) {
    e.MouseReset({0.5f, 0.5f});
    seen.push_back(e.Pointer());
    if (run == 3) e.MouseReset({0.75f, 0.75f});
    if (run == 4) e.Exit();
  });
  EXPECT_LT(seen[0].x, 0);  // outside the frame: no hover by accident
  EXPECT_FLOAT_EQ(seen[2].x, 0.5f);  // moved by the script, then reset
  EXPECT_FLOAT_EQ(seen[3].x, 0.5f);
}

}  // namespace
}  // namespace spriteengine
