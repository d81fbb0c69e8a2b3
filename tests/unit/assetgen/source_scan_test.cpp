#include "source_scan.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace assetgen::test {
namespace {

const std::vector<std::string> kSomeManifest = {
    "data/l1.png", "data/l2.png", "data/l10.png", "data/loading1.jpg", "data/sprite.x",
    "data/terr1sl1.png", "data/terr1sr8.png", "data/terr7sl8.png", "data/terr1m.png", "sound/hit.WAV", "play.url"};

TEST(SourceScan, FindsEscapedBackslashLiteralsWithTheirLines) {
  const auto found = ScanSourceText("int a;\nLoad(\"data\\\\hbl1.png\");\nPlay(\"sound\\\\hit.WAV\", 0);\n", "x.cpp");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].name, "data/hbl1.png");
  EXPECT_EQ(found[0].where, "x.cpp:2");
  EXPECT_EQ(found[1].name, "sound/hit.WAV");
  EXPECT_FALSE(found[1].isPattern);
}

TEST(SourceScan, LeavesOutFilesTheGameWritesItself) {
  const auto found = ScanSourceText(R"(Save("data\\settings.dat"); Run("Quellix3.exe"); Dir("data\\");)", "y.cpp");
  EXPECT_TRUE(found.empty());
}

TEST(SourceScan, FindsShortcutsAndPromotionConfig) {
  const auto found = ScanSourceText(R"(Open("play.url"); Read("wdata\\config.ini");)", "z.cpp");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].name, "wdata/config.ini");
  EXPECT_EQ(found[1].name, "play.url");
}

TEST(SourceScan, ExpandsNumberPatternsToTheirFilesOnly) {
  NamedFile bar{"data/l%d.png", "a.cpp:1", true};
  const auto m = Resolve(bar, kSomeManifest);
  EXPECT_EQ(m, (std::vector<std::string>{"data/l1.png", "data/l2.png", "data/l10.png"}));
}

TEST(SourceScan, ExpandsMixedPatternsOfEnemyFrames) {
  NamedFile frames{"data/terr%d%s%d.png", "a.cpp:2", true};
  const auto m = Resolve(frames, kSomeManifest);
  EXPECT_EQ(m, (std::vector<std::string>{"data/terr1sl1.png", "data/terr1sr8.png", "data/terr7sl8.png"}));
}

TEST(SourceScan, ResolvesNamesWithoutRegardToCase) {
  NamedFile mesh{"data/Sprite.x", "a.cpp:3", false};
  EXPECT_EQ(Resolve(mesh, kSomeManifest), std::vector<std::string>{"data/sprite.x"});
  NamedFile missing{"data/nothere.png", "a.cpp:4", false};
  EXPECT_TRUE(Resolve(missing, kSomeManifest).empty());
}

}  // namespace
}  // namespace assetgen::test
