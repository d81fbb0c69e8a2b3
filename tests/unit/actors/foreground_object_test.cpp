#include "actors/foreground_object.h"

#include <gtest/gtest.h>

#include "actors/fire.h"
#include "game_harness.h"
#include "world/game.h"

namespace {

using actors::BoxAround;
using actors::RectsOverlap;
using testing_support::GameHarness;

TEST(RectsOverlap, CornerInsideOverlapsBothWays) {
  const auto a = BoxAround(0, 0, 1, 1);
  const auto b = BoxAround(1.5L, 1.5L, 1, 1);
  EXPECT_TRUE(RectsOverlap(a, b));
  EXPECT_TRUE(RectsOverlap(b, a));
}

TEST(RectsOverlap, TouchingEdgesOverlap) {
  EXPECT_TRUE(RectsOverlap(BoxAround(0, 0, 1, 1), BoxAround(2, 0, 1, 1)));
}

TEST(RectsOverlap, PlusSignCrossingDoesNotOverlap) {
  const auto tall = BoxAround(0, 0, 5, 0.5L);
  const auto wide = BoxAround(0, 0, 0.5L, 5);
  EXPECT_FALSE(RectsOverlap(tall, wide));
  EXPECT_FALSE(RectsOverlap(wide, tall));
}

TEST(RectsOverlap, ABoxInsideAnotherOverlaps) {
  EXPECT_TRUE(RectsOverlap(BoxAround(0, 0, 5, 5), BoxAround(0, 0, 1, 1)));
}

TEST(RectsOverlap, SeparateBoxesDoNot) {
  EXPECT_FALSE(RectsOverlap(BoxAround(0, 0, 1, 1), BoxAround(2.01L, 0, 1, 1)));
}

struct Objects : ::testing::Test {
  void SetUp() override { game.Start(); }
  world::TGame& w() { return *game.context().game; }
  fake::FakeEngine& engine() { return game.engine(); }
  GameHarness game;
};

TEST_F(Objects, TwoBoxesShareOneTextureLoadedOnce) {
  actors::TBox first, second;
  first.Init();
  second.Init();
  EXPECT_EQ(engine().sprites[first.Sprite].texture, engine().sprites[second.Sprite].texture);
  int loads = 0;
  for (const auto& [handle, file] : engine().textures) loads += file == "data\\box.png";
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(w().classTextures[static_cast<int>(actors::ThingKind::kBox)], engine().sprites[first.Sprite].texture);
}

TEST_F(Objects, SceneryKindsHaveTheirBoxesAndPictureOffsets) {
  actors::TTruck truck;
  truck.Init();
  EXPECT_EQ(truck.HalfWidth, 3.0L);
  EXPECT_EQ(truck.HalfHeight, 3.4L);
  EXPECT_EQ(engine().sprites[truck.Sprite].priority, 2);
  truck.X = 10;
  truck.Y = -8;
  truck.Place();
  EXPECT_FLOAT_EQ(engine().sprites[truck.Sprite].location.x, 13.0f);
  EXPECT_FLOAT_EQ(engine().sprites[truck.Sprite].location.y, -6.4f);
}

TEST_F(Objects, DestroyingAnObjectDestroysItsSpriteButNotTheSharedTexture) {
  EHandle sprite = 0;
  {
    actors::TLowBeam beam;
    beam.Init();
    sprite = beam.Sprite;
  }
  EXPECT_TRUE(engine().sprites[sprite].destroyed);
  EXPECT_EQ(engine().CountCalls("iTextureDestroy"), 0);
}

TEST_F(Objects, RoofBoxMakesNoEngineCallsAtAll) {
  const size_t before = engine().calls.size();
  {
    actors::TVagonRectangle roof;
    roof.Init();
    roof.Show();
    roof.Hide();
    roof.Place();
    EXPECT_EQ(roof.HalfWidth, 26.0L);
    EXPECT_EQ(roof.HalfHeight, 5.6L);
  }
  EXPECT_EQ(engine().calls.size(), before);
}

TEST_F(Objects, AFirePlacedTwiceKeepsItsEmitterAndMovesOnlyItsGravity) {
  actors::TWindowFire fire;
  fire.Init();
  fire.X = 16;
  fire.Y = 8;
  fire.Place();
  const int emitterMoves = engine().CountCalls("iParticleEmitterLocationSet");
  fire.X = 0;
  fire.Place();
  EXPECT_EQ(engine().CountCalls("iParticleEmitterLocationSet"), emitterMoves);
  EXPECT_FLOAT_EQ(engine().particles[fire.ParticleSystem].gravity.x, 0.0f);
  EXPECT_FLOAT_EQ(engine().particles[fire.ParticleSystem].gravity.y, 8 * 4.4f / 16 + 0.5f);
  EXPECT_FLOAT_EQ(engine().particles[fire.ParticleSystem].gravity.z, 8.0f);
}

TEST_F(Objects, FireEmitsTenParticlesAndFreesItsSystem) {
  EHandle system = 0;
  {
    actors::TRoundFire fire;
    fire.Init();
    system = fire.ParticleSystem;
    fire.Emit();
    EXPECT_EQ(engine().particles[system].emitted, 10);
  }
  EXPECT_TRUE(engine().particles[system].destroyed);
}

TEST_F(Objects, CollisionSearchSkipsFiresAndStopsAtTheFirstSolid) {
  actors::ThingList things;
  auto fire = std::make_unique<actors::TRoundFire>();
  fire->Init();
  things.push_back(std::move(fire));
  auto box = std::make_unique<actors::TBox>();
  box->Init();
  box->X = 1;
  const auto* boxPtr = box.get();
  things.push_back(std::move(box));
  auto car = std::make_unique<actors::TBlackCar>();
  car->Init();
  things.push_back(std::move(car));
  const auto probe = BoxAround(0, 0, 1, 1);
  EXPECT_EQ(actors::FirstSolidOverlap(things, probe), boxPtr);
  things.erase(things.begin() + 1, things.end());
  EXPECT_EQ(actors::FirstSolidOverlap(things, probe), nullptr) << "the fire overlaps but never collides";
}

}  // namespace
