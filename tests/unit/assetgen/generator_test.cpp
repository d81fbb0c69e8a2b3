// The generator's own behaviour with assets that fail or draw: a bad asset
// is reported and never stops the others.
#include "generator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "asset_readers.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen::test {
namespace {

std::string TempDir() {
  char pattern[] = "/tmp/assetgen-generator-XXXXXX";
  return mkdtemp(pattern) ? pattern : "";
}

Asset Text(const std::string& path, MakeFn make) {
  Asset a;
  a.path = path;
  a.kind = AssetKind::Text;
  a.make = std::move(make);
  return a;
}

TEST(Generator, AFailingAssetIsReportedAndTheOthersAreWritten) {
  const std::string dir = TempDir();
  ASSERT_FALSE(dir.empty());
  std::vector<Asset> assets = {
      Text("a/ok.txt", [] { return Bytes{'o', 'k'}; }),
      Text("a/broken.txt", []() -> Bytes { throw std::runtime_error("synth failed"); }),
      Text("b/also_ok.txt", [] { return Bytes{'!'}; }),
  };
  const GenerateReport report = GenerateAll(assets, dir, 2);
  ASSERT_EQ(report.errors.size(), 1u);
  EXPECT_NE(report.errors[0].find("a/broken.txt: synth failed"), std::string::npos);
  EXPECT_EQ(report.files, 2u);
  EXPECT_EQ(ReadAll(dir + "/a/ok.txt"), (std::vector<uint8_t>{'o', 'k'}));
  EXPECT_TRUE(std::filesystem::exists(dir + "/b/also_ok.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/a/broken.txt"));
  std::filesystem::remove_all(dir);
}

TEST(Generator, AnAssetWithoutAMakerIsAnErrorNotACrash) {
  Asset picture;
  picture.path = "x.png";
  picture.width = picture.height = 4;
  EXPECT_THROW(BuildAsset(picture), std::runtime_error);
  Asset text = Text("x.txt", nullptr);
  EXPECT_THROW(BuildAsset(text), std::runtime_error);
}

TEST(Generator, AnUnwritableFolderIsReportedPerFile) {
  std::vector<Asset> assets = {Text("f.txt", [] { return Bytes{'x'}; })};
  const GenerateReport report = GenerateAll(assets, "/proc/assetgen-cannot-write-here", 1);
  EXPECT_EQ(report.files, 0u);
  EXPECT_EQ(report.errors.size(), 1u);
}

TEST(Generator, PictureAtTwiceTheScaleHasTwiceTheFileSize) {
  Asset a;
  a.path = "p.png";
  a.width = 10;
  a.height = 6;
  a.pixelScale = 2;
  a.draw = [](Canvas& c) {
    // Drawing code works in on-screen pixels: this fills the whole picture.
    cairo_rectangle(c.cr(), 0, 0, 10, 6);
    SetColor(c.cr(), Hex(0xff0000));
    cairo_fill(c.cr());
  };
  Thumbnail thumb;
  const Bytes png = BuildAsset(a, &thumb);
  EXPECT_EQ(thumb.width, 20);
  EXPECT_EQ(thumb.height, 12);
  const std::string dir = TempDir();
  const std::string file = dir + "/p.png";
  FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(png.data(), 1, png.size(), f);
  std::fclose(f);
  Image img;
  std::string why;
  ASSERT_TRUE(DecodePng(file, img, why)) << why;
  EXPECT_EQ(img.width, 20);
  EXPECT_EQ(img.pixels.back(), 0xFFFF0000u);  // bottom-right corner filled too
  std::filesystem::remove_all(dir);
}

TEST(Generator, MirroredPictureIsFlippedLeftToRight) {
  Asset a;
  a.path = "m.png";
  a.width = 8;
  a.height = 2;
  a.mirrored = true;
  a.draw = [](Canvas& c) {
    cairo_rectangle(c.cr(), 0, 0, 2, 2);  // a mark on the left
    SetColor(c.cr(), Hex(0x00ff00));
    cairo_fill(c.cr());
  };
  const std::string dir = TempDir();
  GenerateAll({a}, dir, 1);
  Image img;
  std::string why;
  ASSERT_TRUE(DecodePng(dir + "/m.png", img, why)) << why;
  EXPECT_EQ(img.pixels[7], 0xFF00FF00u);  // now on the right
  EXPECT_EQ(img.pixels[0] >> 24, 0u);     // left is clear
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace assetgen::test
