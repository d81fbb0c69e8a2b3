#include <gtest/gtest.h>

#include "core/font.h"
#include "core/image.h"
#include "core/mesh.h"
#include "test_assets.h"

namespace spriteengine {
namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEST(MeshReader, ReadsTheSpriteQuad) {
  std::string text = testing::SpriteMeshText();
  std::optional<Mesh> mesh = ParseMesh(Bytes(text));
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->vertices.size(), 4u);
  EXPECT_EQ(mesh->faces.size(), 2u);
  std::optional<MeshQuad> q = QuadOfMesh(*mesh);
  ASSERT_TRUE(q);
  EXPECT_FLOAT_EQ(q->origin.x, -0.5f);  // texture (0, 0) at the top left
  EXPECT_FLOAT_EQ(q->origin.y, 0.5f);
  EXPECT_FLOAT_EQ(q->uAxis.x, 1);
  EXPECT_FLOAT_EQ(q->vAxis.y, -1);
}

TEST(MeshReader, AcceptsAnyWhitespace) {
  std::string text = testing::SpriteMeshText();
  for (char& c : text)
    if (c == '\n') c = ' ';
  EXPECT_TRUE(ParseMesh(Bytes(text)));
}

TEST(MeshReader, RefusesAFileWithoutTheHeader) {
  std::string text = testing::SpriteMeshText().substr(4);
  EXPECT_FALSE(ParseMesh(Bytes(text)));
}

TEST(MeshReader, RefusesAVertexCountOtherThanTheData) {
  std::string text = testing::SpriteMeshText();
  text.replace(text.find(" 4;"), 3, " 5;");
  EXPECT_FALSE(ParseMesh(Bytes(text)));
}

TEST(MeshReader, RefusesAnIndexOutOfRange) {
  std::string text = testing::SpriteMeshText();
  text.replace(text.find("3;0,2,3;;"), 9, "3;0,2,4;;");
  EXPECT_FALSE(ParseMesh(Bytes(text)));
}

TEST(WidReader, ReadsTheBlockFont) {
  std::vector<uint8_t> bytes = testing::BlockFontBytes();
  std::optional<Font> font = ParseWid(bytes, 1);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->glyphs.size(), 95u);
  EXPECT_EQ(font->atlas->Level(0).width, 384);
}

TEST(WidReader, RefusesShortFilesAndCellsOutsideTheAtlas) {
  std::vector<uint8_t> bytes = testing::BlockFontBytes();
  EXPECT_FALSE(ParseWid(std::span(bytes.data(), bytes.size() - 1), 1));
  std::vector<uint8_t> bad = bytes;
  bad[sizeof(formats::WidHeader) + 0] = 0xFF;  // glyph 0 x = 0x..FF
  bad[sizeof(formats::WidHeader) + 1] = 0xFF;
  EXPECT_FALSE(ParseWid(bad, 1));
}

TEST(DdsReader, RoundTripsOurLayout) {
  Image img = testing::SolidImage(3, 2, 0x80FF0000);
  std::vector<uint8_t> bytes = WriteDds(img);
  std::optional<Image> back = ReadDds(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 3);
  EXPECT_EQ(back->At(2, 1), 0x80800000u);  // premultiplied
}

TEST(DdsReader, RefusesOtherLayouts) {
  std::vector<uint8_t> bytes = WriteDds(testing::SolidImage(2, 2, 0xFFFFFFFF));
  std::vector<uint8_t> compressed = bytes;
  compressed[4 + 72 + 8] = 'D';  // a fourCC
  EXPECT_FALSE(ReadDds(compressed));
  EXPECT_FALSE(ReadDds(std::span(bytes.data(), bytes.size() - 1)));
}

}  // namespace
}  // namespace spriteengine
