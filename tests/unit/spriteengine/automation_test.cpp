// The automation on its own: what each counted frame does, and which frames'
// pictures the screenshots take.
#include "core/automation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "spriteengine/engine_api.h"
#include "test_assets.h"

namespace spriteengine {
namespace {

TEST(AutomationTest, FramesCarryOutTheScriptAndShotsTakeTheirPictures) {
  const std::string dir = testing::MakeTempFolder("automation");
  testing::WriteFile(dir + "/s.txt", std::string("1 tap 30\n1 click\n1 pad 0 tap a\n2 shot a.png\n2 quit\n"
                                                 "3 shot b.png\n3 shot c.png 2\n4 shot d.png 1\n"));
  ::setenv("VARNOK_ENGINE_SCRIPT", (dir + "/s.txt").c_str(), 1);
  std::vector<std::string> done;
  Automation a({
      .key = [&](int dik, bool down) { done.push_back("key " + std::to_string(dik) + (down ? " down" : " up")); },
      .pointer = [&](float, float) { done.push_back("pointer"); },
      .leftButton = [&](bool down) { done.push_back(down ? "click down" : "click up"); },
      .padButton = [&](int pad, PadButton, bool down) {
        done.push_back("pad " + std::to_string(pad) + (down ? " down" : " up"));
      },
      .pad = [&](const ScriptCommand&) { done.push_back("pad command"); },
      .window = [&](int command) { done.push_back("window " + std::to_string(command)); },
  });
  a.TakeScriptOnce();
  EXPECT_EQ(std::getenv("VARNOK_ENGINE_SCRIPT"), nullptr);

  EXPECT_EQ(a.NextFrame(), 1u);
  EXPECT_EQ(done, (std::vector<std::string>{"key 30 down", "click down", "pad command"}));
  done.clear();
  a.NextUndrawnFrame();  // minimised: its shot is dropped, its releases and commands are not
  EXPECT_EQ(done, (std::vector<std::string>{"key 30 up", "click up", "pad 0 up",
                                            "window " + std::to_string(VARNOK_WINDOW_QUIT)}));
  EXPECT_FALSE(a.ShotsPending());

  EXPECT_EQ(a.NextFrame(), 3u);
  EXPECT_EQ(a.TakePendingShots(), std::vector<std::string>{"b.png"});
  // "c.png 2" waits for the second picture of one run phase; pictures outside
  // a run phase do not count, and each run phase counts from one again.
  EXPECT_TRUE(a.PictureDrawn().empty());
  a.RunPhaseBegun();
  EXPECT_TRUE(a.PictureDrawn().empty());
  a.RunPhaseEnded();
  a.NextFrame();
  a.RunPhaseBegun();
  EXPECT_EQ(a.PictureDrawn(), std::vector<std::string>{"d.png"});
  EXPECT_EQ(a.PictureDrawn(), std::vector<std::string>{"c.png"});
  EXPECT_TRUE(a.PictureDrawn().empty());
  EXPECT_EQ(a.FrameCount(), 4u);
}

}  // namespace
}  // namespace spriteengine
