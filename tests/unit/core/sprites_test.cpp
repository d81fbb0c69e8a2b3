#include "core/sprites.h"

#include <gtest/gtest.h>

#include <array>

#include "core/game_context.h"
#include "core/game_files.h"
#include "fake_engine.h"

namespace core {
namespace {

class MakeSpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.Install();
    Ctx().res.mainCamera = iCameraCreate(0, 0, 1, 1);
    Ctx().res.spriteMesh = {1, 2, 3};
  }
  void TearDown() override { engine.Uninstall(); }
  ScopedGameContext context;
  fake::FakeEngine engine;
};

TEST_F(MakeSpriteTest, AMeshFileSpriteOnTheMainCameraGetsItsOwnTextureAndEverySetting) {
  const EHandle sprite = MakeSprite({.textureFile = "data\\a.png", .scale = {2, 3}, .location = {-4, 5},
                                     .priority = 2, .mipFilter = 1, .textureMode = 4});
  const fake::Sprite& made = engine.sprites.at(sprite);
  EXPECT_EQ(made.mesh, kSpriteMesh);
  EXPECT_EQ(made.camera, Ctx().res.mainCamera);
  // Its texture is made after it, so handles keep the order of the calls.
  EXPECT_EQ(made.texture, sprite + 1);
  EXPECT_EQ(engine.TextureFile(made.texture), "data\\a.png");
  EXPECT_EQ((std::array{made.scale.x, made.scale.y, made.location.x, made.location.y}),
            (std::array{2.f, 3.f, -4.f, 5.f}));
  EXPECT_EQ((std::array{made.priority, made.mipFilterMode, made.textureMode}), (std::array{2, 1, 4}));
}

TEST_F(MakeSpriteTest, AnInMemorySpriteTakesItsResourceAGivenCameraAndATextureMadeBefore) {
  const EHandle texture = iTextureCreate("data\\b.png");
  const EHandle sprite = MakeSprite({.meshResource = 1000020, .camera = 0, .texture = texture, .location = {7, 8}});
  const fake::Sprite& made = engine.sprites.at(sprite);
  EXPECT_EQ(made.mesh, "memory:1000020");
  EXPECT_EQ(made.camera, 0u);
  EXPECT_EQ(made.texture, texture);
  EXPECT_EQ(engine.textures.size(), 1u);  // none of its own
  EXPECT_EQ((std::array{made.scale.x, made.scale.y, made.location.x, made.location.y}),
            (std::array{1.f, 1.f, 7.f, 8.f}));
}

TEST_F(MakeSpriteTest, WhatIsLeftOutIsNotSet) {
  engine.calls.clear();
  MakeSprite({});
  EXPECT_EQ(engine.calls, std::vector<std::string>{"iSpriteCreate"});
}

}  // namespace
}  // namespace core
