#include <gtest/gtest.h>

#include <cstddef>

#include "core/font.h"
#include "test_assets.h"

namespace spriteengine {
namespace {

Font BlockFont() {
  std::vector<uint8_t> bytes = testing::BlockFontBytes();
  std::optional<Font> font = ParseWid(bytes, 0);
  EXPECT_TRUE(font.has_value());
  return *font;
}

TEST(TextLayout, GlyphAdvancesAbout1Point2UnitsAtScaleOne) {
  Font font = BlockFont();
  TextLayout layout = LayoutText(font, "AB", {0, 0}, {1, 1}, kNeutralSpacing, false);
  ASSERT_EQ(layout.glyphs.size(), 2u);
  EXPECT_NEAR(layout.glyphs[1].left - layout.glyphs[0].left, 1.2f, 1e-5f);
  EXPECT_NEAR(layout.width, 2.4f, 1e-5f);
}

TEST(TextLayout, LineIsTwoUnitsTallCentredOnTheLocation) {
  Font font = BlockFont();
  TextLayout layout = LayoutText(font, "A", {-3, 5}, {1, 1}, kNeutralSpacing, false);
  // The line box spans y 4..6; the block sits 4 px (0.2 units) below its top, 32 px (1.6 units) tall.
  EXPECT_NEAR(layout.glyphs[0].top, 6 - 0.2f, 1e-5f);
  EXPECT_NEAR(layout.glyphs[0].bottom, 6 - 1.8f, 1e-5f);
  EXPECT_NEAR(layout.glyphs[0].left, -3, 1e-5f);
}

TEST(TextLayout, ScaleHalfMatchesTheMenusCentringOf0Point3PerCharacter) {
  Font font = BlockFont();
  TextLayout layout = LayoutText(font, "OPTIONS", {0, 0}, {0.5f, 0.5f}, kNeutralSpacing, false);
  EXPECT_NEAR(layout.width / 2, 0.3f * 7, 1e-4f);
}

TEST(TextLayout, CentredTextIsCentredOnTheLocation) {
  Font font = BlockFont();
  TextLayout layout = LayoutText(font, "ABCD", {2, 0}, {2, 2}, kNeutralSpacing, true);
  float left = layout.glyphs.front().left, right = layout.glyphs.back().left + 2.4f;
  EXPECT_NEAR((left + right) / 2, 2, 1e-4f);
}

TEST(TextLayout, SpacingAddsToEachAdvance) {
  Font font = BlockFont();
  TextLayout layout = LayoutText(font, "AB", {0, 0}, {2, 2}, 1.0f, false);
  EXPECT_NEAR(layout.glyphs[1].left - layout.glyphs[0].left, 2.4f + 0.9f * 2, 1e-4f);
}

TEST(TextLayout, SpaceAdvancesWithoutAGlyph) {
  Font font = BlockFont();
  TextLayout layout = LayoutText(font, "A B", {0, 0}, {1, 1}, kNeutralSpacing, false);
  ASSERT_EQ(layout.glyphs.size(), 2u);
  EXPECT_NEAR(layout.glyphs[1].left, 2.4f, 1e-5f);
}

TEST(TextLayout, BytesOutsideTheFontAreDrawnAsTheReplacementMarkInItsRoom) {
  Font font = BlockFont();
  TextLayout layout = LayoutText(font, "A\x01\xff" "B", {0, 0}, {1, 1}, kNeutralSpacing, false);
  ASSERT_EQ(layout.glyphs.size(), 4u);
  const TextLayout mark = LayoutText(font, "?", {0, 0}, {1, 1}, kNeutralSpacing, false);
  for (int i : {1, 2}) {
    EXPECT_EQ(layout.glyphs[i].atlasX, mark.glyphs[0].atlasX);
    EXPECT_EQ(layout.glyphs[i].atlasY, mark.glyphs[0].atlasY);
  }
  EXPECT_NEAR(layout.glyphs[3].left, 3.6f, 1e-5f);
  EXPECT_NEAR(layout.width, 4.8f, 1e-5f);
}

TEST(TextLayout, WithoutAReplacementMarkAMissingByteLeavesASpacesRoom) {
  // The first 26 characters only: ' ' to '9', no '?'.
  std::vector<uint8_t> bytes = testing::BlockFontBytes();
  bytes[offsetof(formats::WidHeader, glyphCount)] = 26;
  std::optional<Font> font = ParseWid(bytes, 0);
  ASSERT_TRUE(font.has_value());
  TextLayout layout = LayoutText(*font, "1\xe9" "2", {0, 0}, {1, 1}, kNeutralSpacing, false);
  ASSERT_EQ(layout.glyphs.size(), 2u);
  EXPECT_NEAR(layout.glyphs[1].left, 2.4f, 1e-5f);
}

TEST(TextLayout, NewLineMovesDownOneLine) {
  Font font = BlockFont();
  TextLayout layout = LayoutText(font, "A\nB", {0, 0}, {1, 1}, kNeutralSpacing, false);
  ASSERT_EQ(layout.glyphs.size(), 2u);
  EXPECT_NEAR(layout.glyphs[0].top - layout.glyphs[1].top, 2.0f, 1e-5f);
  EXPECT_NEAR(layout.glyphs[1].left, 0, 1e-5f);
}

}  // namespace
}  // namespace spriteengine
