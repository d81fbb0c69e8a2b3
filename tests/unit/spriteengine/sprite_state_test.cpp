#include <gtest/gtest.h>

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

}  // namespace
}  // namespace spriteengine
