#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "core/engine.h"
#include "core/game_path.h"
#include "core/resources.h"
#include "fake_platform.h"
#include "test_assets.h"

namespace spriteengine {
namespace {

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing::MakeTempFolder("resources");
    ::mkdir((dir + "/Data").c_str(), 0755);
    testing::WriteFile(dir + "/Data/Fire.dds", WriteDds(testing::SolidImage(8, 8, 0xFF00FF00)));
    testing::WriteFile(dir + "/Data/broken.png", std::string("not a png at all"));
  }
  std::string dir;
};

TEST_F(ResourcesTest, HundredsOfTexturesFromOneFileDecodeItOnce) {
  auto record = std::make_shared<testing::FakeRecord>();
  Engine engine(testing::MakeFakePlatform(record));
  std::string name = dir + "/Data/Fire.dds";
  std::set<uint32_t> handles;
  for (int i = 0; i < 300; ++i) handles.insert(engine.TextureCreate(name.c_str()));
  EXPECT_EQ(handles.size(), 300u);
  EXPECT_EQ(engine.PictureDecodes(), 1);
}

TEST_F(ResourcesTest, DestroyingOneTextureLeavesTheOthersDrawable) {
  Resources resources(nullptr);
  auto a = resources.PictureFromFile(dir + "/Data/Fire.dds", 1);
  auto b = resources.PictureFromFile(dir + "/Data/Fire.dds", 1);
  EXPECT_EQ(a.get(), b.get());  // shared data
  a.reset();
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Level(0).At(0, 0), 0xFF00FF00u);
}

TEST_F(ResourcesTest, NamesMatchCaseInsensitivelyWithBackslashes) {
  std::optional<std::string> path = ResolveGamePath(dir + "\\data\\FIRE.dds");
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, dir + "/Data/Fire.dds");
}

TEST_F(ResourcesTest, MissingPictureGivesACheckerAndOneWarning) {
  Resources resources(nullptr);
  ::testing::internal::CaptureStderr();
  auto a = resources.PictureFromFile(dir + "/Data/none.png", 1);
  auto b = resources.PictureFromFile(dir + "/Data/none.png", 1);
  std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(a);
  EXPECT_TRUE(a->placeholder);
  EXPECT_EQ(a->Level(0).At(0, 0), 0xFFFF00FFu);  // magenta
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST_F(ResourcesTest, CorruptPictureGivesACheckerNotACrash) {
  auto record = std::make_shared<testing::FakeRecord>();
  Engine engine(testing::MakeFakePlatform(record));
  ::testing::internal::CaptureStderr();
  uint32_t t = engine.TextureCreate((dir + "/Data/broken.png").c_str());
  engine.PictureDecodes();  // pictures are decoded after the call that asks for them
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(t, 0u);
  EXPECT_NE(err.find("broken.png"), std::string::npos);
}

TEST_F(ResourcesTest, MipLevelsFollowTheSetting) {
  Resources resources(nullptr);
  EXPECT_EQ(resources.PictureFromFile(dir + "/Data/Fire.dds", 1)->levels.size(), 1u);
  EXPECT_EQ(resources.PictureFromFile(dir + "/Data/Fire.dds", 0)->levels.size(), 4u);  // 8, 4, 2, 1
  EXPECT_EQ(resources.PictureDecodes(), 1);
  // Both settings share the picture's pixels.
  EXPECT_EQ(resources.PictureFromFile(dir + "/Data/Fire.dds", 1)->levels[0].get(),
            resources.PictureFromFile(dir + "/Data/Fire.dds", 0)->levels[0].get());
}

TEST_F(ResourcesTest, PicturesFromMemoryAreCachedByContent) {
  Resources resources(nullptr);
  std::vector<uint8_t> bytes = WriteDds(testing::SolidImage(4, 4, 0xFF0000FF));
  auto a = resources.PictureFromMemory(bytes.data(), static_cast<int>(bytes.size()), 1000001, 1);
  auto b = resources.PictureFromMemory(bytes.data(), static_cast<int>(bytes.size()), 1000001, 1);
  EXPECT_EQ(a.get(), b.get());
  EXPECT_EQ(resources.PictureDecodes(), 1);
}

TEST_F(ResourcesTest, SoundsDecodeOncePerFileAndMissingOnesAreSilent) {
  auto record = std::make_shared<testing::FakeRecord>();
  Engine engine(testing::MakeFakePlatform(record));
  engine.EngineOpen(0, 0);  // makes the audio device
  testing::WriteFile(dir + "/hit.wav", std::string("RIFF....WAVE"));
  uint32_t a = engine.Sounds().Create(dir + "\\HIT.WAV", false);
  uint32_t b = engine.Sounds().Create(dir + "/hit.wav", false);
  EXPECT_NE(a, b);
  engine.Sounds().PlayNow(a, 0);
  engine.Sounds().Play(b, -1);
  EXPECT_EQ(record->audioDecodes, 1);
  EXPECT_TRUE(engine.Sounds().IsPlaying(a));
  EXPECT_TRUE(engine.Sounds().IsPlaying(b));  // many at once
  engine.Sounds().Stop(a);
  EXPECT_FALSE(engine.Sounds().IsPlaying(a));
  EXPECT_TRUE(engine.Sounds().IsPlaying(b));
  ::testing::internal::CaptureStderr();
  uint32_t missing = engine.Sounds().Create(dir + "/none.wav", false);
  ::testing::internal::GetCapturedStderr();
  engine.Sounds().PlayNow(missing, 0);
  EXPECT_FALSE(engine.Sounds().IsPlaying(missing));
  engine.EngineClose();
}

}  // namespace
}  // namespace spriteengine
