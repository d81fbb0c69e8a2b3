#include <gtest/gtest.h>

#include <algorithm>

#include "core/engine.h"
#include "fake_platform.h"
#include "test_assets.h"

namespace spriteengine {
namespace {

class SpriteStateTest : public ::testing::Test {
 protected:
  SpriteStateTest() : engine(testing::MakeFakePlatform(std::make_shared<testing::FakeRecord>())) {}
  void SetUp() override {
    dir = testing::MakeTempFolder("sprite_state");
    testing::WriteFile(dir + "/sprite.x", testing::SpriteMeshText());
  }
  Engine engine;
  std::string dir;
};

TEST_F(SpriteStateTest, NewSpriteIsHiddenAtOriginWithUnitScaleAndNoTexture) {
  uint32_t s = engine.SpriteCreate((dir + "/sprite.x").c_str());
  ASSERT_NE(s, 0u);
  Vec3 at = engine.SpriteLocation(s);
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 0);
  Frame f = engine.Snapshot();
  for (uint32_t p : f.pixels) ASSERT_EQ(p, 0u);  // hidden: nothing drawn
}

TEST_F(SpriteStateTest, LocationIsStoredAndReadBack) {
  uint32_t s = engine.SpriteCreate((dir + "/sprite.x").c_str());
  engine.SpriteLocationSet(s, {3.5f, -2.25f, 1});
  Vec3 at = engine.SpriteLocation(s);
  EXPECT_FLOAT_EQ(at.x, 3.5f);
  EXPECT_FLOAT_EQ(at.y, -2.25f);
  EXPECT_FLOAT_EQ(at.z, 1);
}

TEST_F(SpriteStateTest, DestroyedSpriteIgnoresLaterCalls) {
  uint32_t s = engine.SpriteCreate((dir + "/sprite.x").c_str());
  engine.SpriteDestroy(s);
  engine.SpriteLocationSet(s, {1, 1, 0});
  engine.SpriteShow(s, true);
  Vec3 at = engine.SpriteLocation(s);
  EXPECT_EQ(at.x, 0);
}

TEST_F(SpriteStateTest, BackslashesAndCaseOfTheMeshNameDoNotMatter) {
  std::string name = dir + "\\SPRITE.X";
  uint32_t s = engine.SpriteCreate(name.c_str());
  EXPECT_NE(s, 0u);
}

TEST_F(SpriteStateTest, MeshFromMemoryGivesDistinctHandles) {
  std::string text = testing::SpriteMeshText();
  uint32_t a = engine.SpriteCreateFromMemory(text.data(), static_cast<int>(text.size()), 1000001);
  uint32_t b = engine.SpriteCreateFromMemory(text.data(), static_cast<int>(text.size()), 1000001);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
}

// A full-frame opaque picture lets the renderer skip the clear and what lies
// below it; anything less than full cover must leave them showing.
TEST_F(SpriteStateTest, OnlyAWholeOpaqueCoverHidesTheClearAndWhatLiesBelow) {
  testing::WriteFile(dir + "/back.dds", WriteDds(testing::SolidImage(800, 600, 0xFF203040)));
  testing::WriteFile(dir + "/green.dds", WriteDds(testing::SolidImage(8, 8, 0xFF00FF00)));
  std::string mesh = dir + "/sprite.x";
  engine.ScreenWipe(1, 0, 0);
  uint32_t below = engine.SpriteCreate(mesh.c_str());  // at the left edge, behind the background
  engine.SpriteTextureSet(below, engine.TextureCreate((dir + "/green.dds").c_str()));
  engine.SpriteLocationSet(below, {-15.5f, 0, 0});
  engine.SpritePrioritySet(below, 3);
  engine.SpriteShow(below, true);
  uint32_t back = engine.SpriteCreate(mesh.c_str());
  engine.SpriteTextureSet(back, engine.TextureCreate((dir + "/back.dds").c_str()));
  engine.SpriteScaleSet(back, {20, 15});
  engine.SpritePrioritySet(back, 2);
  engine.SpriteShow(back, true);

  Frame covered = engine.Snapshot();
  for (uint32_t p : covered.pixels) ASSERT_EQ(p, 0x203040u);

  engine.SpriteLocationSet(back, {0.04f, 0, 0});  // one pixel to the right: column 0 is open
  Frame shifted = engine.Snapshot();
  EXPECT_EQ(shifted.At(0, 300), 0x00FF00u);
  EXPECT_EQ(shifted.At(0, 10), 0xFF0000u);
  EXPECT_EQ(shifted.At(1, 300), 0x203040u);

  engine.SpriteLocationSet(back, {0, -0.04f, 0});  // one pixel down: the top row is open
  EXPECT_EQ(engine.Snapshot().At(400, 0), 0xFF0000u);

  engine.SpriteLocationSet(back, {0, 0, 0});
  engine.SpriteColorSet(back, {1, 1, 1, 0.5f});  // see-through
  Frame half = engine.Snapshot();
  EXPECT_NE(half.At(0, 300), 0x203040u);
  EXPECT_NE(half.At(400, 10), 0x203040u);
}

// Systems out of view are passed over on a bound of their particles; the
// bound must follow a gravity set after the last step.
TEST_F(SpriteStateTest, ParticlesBroughtIntoViewSinceTheLastStepAreDrawn) {
  testing::WriteFile(dir + "/white.dds", WriteDds(testing::SolidImage(8, 8, 0xFFFFFFFF)));
  uint32_t system = engine.ParticleCreate((dir + "/white.dds").c_str(), 100);
  engine.ParticleLifeTimeSet(system, 10);
  engine.ParticleShow(system, true);
  uint32_t emitter = engine.ParticleEmitterCreate(system);
  engine.EmitterLocationSet(emitter, {20, 0, 0});  // far right of the view
  engine.EmitterEmit(emitter, 10);
  engine.StepParticles(0.5f);
  engine.StepParticles(0.5f);
  auto lit = [](const Frame& f) { return std::count_if(f.pixels.begin(), f.pixels.end(), [](uint32_t p) { return p; }); };
  EXPECT_EQ(lit(engine.Snapshot()), 0);

  engine.ParticleGravitySet(system, {-80.0f / 3, 0, 0});  // pulls the whole path back to the middle
  EXPECT_GT(lit(engine.Snapshot()), 0);
  engine.ParticleGravitySet(system, {0, 0, 0});
  EXPECT_EQ(lit(engine.Snapshot()), 0);
}

}  // namespace
}  // namespace spriteengine
