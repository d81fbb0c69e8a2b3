#include "platform/game_path.h"

#include <gtest/gtest.h>

#include <string>

#include "core/game_path.h"
#include "temp_folder.h"

namespace platform {
namespace {

using testing::ScopedCurrentFolder;
using testing::TempFolder;

class GamePathTest : public ::testing::Test {
 protected:
  TempFolder folder;
  ScopedCurrentFolder inFolder{folder.path()};
};

TEST_F(GamePathTest, MatchesEveryComponentIgnoringCase) {
  folder.Write("data/_font/arial.wid");
  EXPECT_EQ(GamePath("DATA\\_Font\\Arial.WID"), "data/_font/arial.wid");
}

TEST_F(GamePathTest, PrefersTheExactCaseOverOtherSpellings) {
  folder.Write("data/Sprite.x", "upper");
  folder.Write("data/sprite.x", "lower");
  EXPECT_EQ(GamePath("data\\sprite.x"), "data/sprite.x");
  EXPECT_EQ(GamePath("data\\Sprite.x"), "data/Sprite.x");
}

TEST_F(GamePathTest, PicksTheSameFileEveryTimeWhenOnlyCaseInsensitiveMatchesExist) {
  folder.Write("data/sprite.X");
  folder.Write("data/Sprite.x");
  // 'S' sorts before 's': the first in byte order wins, whatever readdir's order.
  EXPECT_EQ(GamePath("data\\SPRITE.X"), "data/Sprite.x");
}

TEST_F(GamePathTest, KeepsTheGivenSpellingFromTheFirstMissingComponent) {
  folder.Write("data/settings.dat");
  EXPECT_EQ(GamePath("DATA\\New.dat"), "data/New.dat");
  EXPECT_EQ(GamePath("Data\\Missing\\Settings.DAT"), "data/Missing/Settings.DAT");
  EXPECT_EQ(GamePath("Nowhere\\data\\settings.dat"), "Nowhere/data/settings.dat");
}

TEST_F(GamePathTest, DoesNotDescendIntoAFile) {
  folder.Write("data/sprite.x");
  EXPECT_EQ(GamePath("data\\sprite.x\\more"), "data/sprite.x/more");
  EXPECT_FALSE(GameFileExists("data\\sprite.x\\more"));
}

TEST_F(GamePathTest, DropsEmptyAndDotComponents) {
  folder.Write("data/sprite.x");
  EXPECT_EQ(GamePath(".\\data\\\\.\\Sprite.x\\"), "data/sprite.x");
  EXPECT_EQ(GamePath("data/SPRITE.x"), "data/sprite.x");
  EXPECT_EQ(GamePath(""), "");
  EXPECT_EQ(GamePath(".\\"), ".");
}

TEST_F(GamePathTest, ResolvesAbsolutePaths) {
  folder.Write("Data/Loading1.JPG");
  const std::string root = folder.path().string();
  EXPECT_EQ(GamePath(root + "/data\\loading1.jpg"), root + "/Data/Loading1.JPG");
}

TEST_F(GamePathTest, KeepsParentFolderComponents) {
  folder.Write("data/a.txt");
  folder.Write("wdata/config.ini");
  EXPECT_EQ(GamePath("DATA\\..\\WDATA\\Config.ini"), "data/../wdata/config.ini");
}

TEST_F(GamePathTest, ExistsFollowsCaseInsensitiveMatching) {
  folder.Write("sound/Game.ogg");
  EXPECT_TRUE(GameFileExists("SOUND\\game.OGG"));
  EXPECT_TRUE(GameFileExists("Sound"));
  EXPECT_FALSE(GameFileExists("sound\\menu.ogg"));
  EXPECT_FALSE(GameFileExists(""));
}

// The engine opens the game's pictures, sounds and meshes and writes its
// screenshots by the same rule, so with names that differ only in case both
// sides read and write the same file.
TEST_F(GamePathTest, TheEngineFindsTheFileTheGameFinds) {
  for (const char* name : {"fire.dds", "FIRE.dds", "Fire.dds", "fIRE.dds", "fire.DDS", "FiRe.DdS"}) {
    folder.Write(std::string("data/") + name, name);
  }
  const struct {
    const char* lookup;
    const char* file;
  } cases[] = {
      {"data\\fire.dds", "data/fire.dds"},   // exact
      {"DATA\\Fire.dds", "data/Fire.dds"},   // exact name in a folder of another case
      {"data\\FIRE.DDS", "data/FIRE.dds"},   // no exact name: the first in byte order
      {"data\\fiRE.dds", "data/FIRE.dds"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lookup);
    EXPECT_EQ(GamePath(c.lookup), c.file);
    EXPECT_EQ(spriteengine::ResolveGamePath(c.lookup).value_or("none"), c.file);
    EXPECT_EQ(spriteengine::ResolveNewFilePath(c.lookup), c.file);
  }
  EXPECT_EQ(spriteengine::ResolveGamePath("data\\none.dds"), std::nullopt);
  EXPECT_EQ(spriteengine::ResolveNewFilePath("DATA\\New.bmp"), "data/New.bmp");
}

}  // namespace
}  // namespace platform
