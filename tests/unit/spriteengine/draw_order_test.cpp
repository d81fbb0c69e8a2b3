#include <gtest/gtest.h>

#include "core/scene.h"

namespace spriteengine {
namespace {

class DrawOrderTest : public ::testing::Test {
 protected:
  uint32_t AddSprite(int priority) {
    uint32_t h = NewHandle();
    SpriteState& s = scene.sprites[h];
    s.mesh = std::make_shared<MeshQuad>(DefaultMeshQuad());
    s.visible = true;
    s.priority = priority;
    s.texture = texture;
    return h;
  }
  uint32_t AddParticles() {
    uint32_t h = NewHandle();
    ParticleSystemState& p = scene.particleSystems[h];
    p.system = std::make_unique<ParticleSystem>(10, 1);
    p.system->Emit(EmitterSettings{}, 1);
    p.visible = true;
    return h;
  }
  void SetUp() override {
    texture = NewHandle();
    scene.textures[texture].data = std::make_shared<TextureData>(BuildTexture(MakeCheckerImage(), 1));
  }
  Scene scene;
  uint32_t texture = 0;
};

TEST_F(DrawOrderTest, PriorityTwoThenParticlesThenZeroThenOneThenTexts) {
  uint32_t one = AddSprite(1), zero = AddSprite(0), two = AddSprite(2), particles = AddParticles();
  scene.prints.push_back(PrintItem{});
  std::vector<DrawItem> want = {{DrawKind::kSprite, two},
                                {DrawKind::kParticles, particles},
                                {DrawKind::kSprite, zero},
                                {DrawKind::kSprite, one},
                                {DrawKind::kText, 0}};
  EXPECT_EQ(DrawOrder(scene), want);
}

TEST_F(DrawOrderTest, CreationOrderWithinOnePriority) {
  uint32_t a = AddSprite(0), b = AddSprite(1), c = AddSprite(0);
  std::vector<DrawItem> want = {{DrawKind::kSprite, a}, {DrawKind::kSprite, c}, {DrawKind::kSprite, b}};
  EXPECT_EQ(DrawOrder(scene), want);
}

TEST_F(DrawOrderTest, ChangingPriorityKeepsCreationOrder) {
  uint32_t a = AddSprite(1), b = AddSprite(0);
  scene.sprites[a].priority = 0;
  std::vector<DrawItem> want = {{DrawKind::kSprite, a}, {DrawKind::kSprite, b}};
  EXPECT_EQ(DrawOrder(scene), want);
}

TEST_F(DrawOrderTest, HiddenUntexturedAndEmptyAreLeftOut) {
  uint32_t hidden = AddSprite(0);
  scene.sprites[hidden].visible = false;
  uint32_t untextured = AddSprite(0);
  scene.sprites[untextured].texture = 0;
  uint32_t particles = AddParticles();
  scene.particleSystems[particles].visible = false;
  EXPECT_TRUE(DrawOrder(scene).empty());
}

TEST_F(DrawOrderTest, HandlesAreNeverReused) {
  uint32_t a = NewHandle(), b = NewHandle();
  EXPECT_NE(a, 0u);
  EXPECT_GT(b, a);
}

}  // namespace
}  // namespace spriteengine
