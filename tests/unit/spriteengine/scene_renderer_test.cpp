#include <gtest/gtest.h>

#include <vector>

#include "core/scene.h"
#include "core/scene_renderer.h"

namespace spriteengine {
namespace {

// Scenes of opaque tiles across the frame, as a level's sky is drawn: the
// clear may leave out only rows that the tiles paint from edge to edge.
class ClearRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    texture_ = NewHandle();
    scene_.textures[texture_].data = std::make_shared<TextureData>(BuildTexture(MakeCheckerImage(), 1));
    scene_.clearColor = 0x203040;
  }
  // A tile over frame pixels [left, right) x [top, bottom).
  SpriteState& AddTile(float left, float right, float top, float bottom) {
    uint32_t h = NewHandle();
    SpriteState& s = scene_.sprites[h];
    s.mesh = std::make_shared<MeshQuad>(DefaultMeshQuad());
    s.visible = true;
    s.texture = texture_;
    s.location = {(left + right) / 2 / kPixelsPerUnit - kHalfWidthUnits,
                  kHalfHeightUnits - (top + bottom) / 2 / kPixelsPerUnit, 0};
    s.scale = {(right - left) / kPixelsPerUnit / kUnitsPerScale, (bottom - top) / kPixelsPerUnit / kUnitsPerScale};
    return s;
  }
  // Whatever the frame held before, the same picture comes out.
  void ExpectNoStalePixels(const char* what) {
    Frame a(kFrameWidth, kFrameHeight), b(kFrameWidth, kFrameHeight);
    a.Clear(0x123456);
    b.Clear(0x654321);
    RenderScene(scene_, a);
    RenderScene(scene_, b);
    for (int y = 0; y < kFrameHeight; ++y)
      for (int x = 0; x < kFrameWidth; ++x)
        ASSERT_EQ(a.At(x, y), b.At(x, y)) << what << ": pixel " << x << "," << y << " kept the old frame";
  }
  template <class Texel>
  uint32_t Picture(int w, int h, Texel texel) {
    Image img;
    img.width = w, img.height = h;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.pixels.push_back(texel(x, y));
    uint32_t t = NewHandle();
    scene_.textures[t].data = std::make_shared<TextureData>(BuildTexture(std::move(img), 1));
    return t;
  }
  std::vector<std::pair<int, int>> ClearRows() {
    FramePlan plan;
    PlanItems(scene_, plan);
    std::vector<std::pair<int, int>> rows;
    for (const FramePlan::Rows& r : plan.clearRows) rows.emplace_back(r.begin, r.end);
    return rows;
  }

  Scene scene_;
  uint32_t texture_ = 0;
};

TEST_F(ClearRowsTest, TilesSideBySideSpareTheirRowsOnly) {
  AddTile(-120.3f, 400, 100, 300.5f);
  AddTile(400, 800.2f, 100, 300.5f);
  EXPECT_EQ(ClearRows(), (std::vector<std::pair<int, int>>{{0, 100}, {300, 600}}));
  ExpectNoStalePixels("joined tiles");
}

TEST_F(ClearRowsTest, AnyGapOrSeeThroughTileKeepsTheClear) {
  const struct {
    float leftEnd, rightStart;
  } joins[] = {{399.9f, 400.6f}, {400, 401}, {399.2f, 400.1f}, {410, 390}};
  for (const auto& j : joins) {
    scene_.sprites.clear();
    AddTile(0, j.leftEnd, 50.4f, 250.6f);
    AddTile(j.rightStart, 800, 50.4f, 250.6f);
    ExpectNoStalePixels("tiles meeting at a seam");
  }
  scene_.sprites.clear();
  AddTile(0, 800, 0, 300);
  AddTile(0, 800, 300, 600).color.a = 0.5f;  // the lower half lets the clear show through
  EXPECT_EQ(ClearRows(), (std::vector<std::pair<int, int>>{{300, 600}}));
  ExpectNoStalePixels("a half-transparent tile");
  scene_.sprites.clear();
  AddTile(0, 800, 0, 300).degrees = 0.5f;  // turned: not looked at
  EXPECT_EQ(ClearRows(), (std::vector<std::pair<int, int>>{{0, 600}}));
}

// A scrolling sky: opaque tiles at their own size meet at a fraction of a
// pixel, and the seam's column is drawn by one of them, so their rows need
// no clear; a column between them that neither draws keeps it.
TEST_F(ClearRowsTest, OwnSizeTilesMeetingAtAFractionSpareTheirRows) {
  uint32_t tile = Picture(400, 200, [](int x, int y) { return 0xFF000000u | static_cast<uint32_t>(x * 5 + y); });
  const struct {
    float left, secondLeft;
    std::vector<std::pair<int, int>> rows;
  } joins[] = {{-0.4f, 399.6f, {{0, 100}, {300, 600}}},
               {0.3f, 400.3f, {{0, 100}, {300, 600}}},
               {-0.4f, 400.6f, {{0, 600}}}};
  for (const auto& j : joins) {
    scene_.sprites.clear();
    for (float left : {j.left, j.secondLeft}) {
      SpriteState& s = AddTile(left, left + 400, 100.3f, 300.3f);
      s.texture = tile;
    }
    EXPECT_EQ(ClearRows(), j.rows) << "tiles from " << j.left << " and " << j.secondLeft;
    ExpectNoStalePixels("own-size tiles");
  }
}

TEST_F(ClearRowsTest, APictureOverTheWholeFrameNeedsNoClear) {
  AddTile(-0.2f, 800.2f, 0, 600);
  EXPECT_TRUE(ClearRows().empty());
  ExpectNoStalePixels("a full-frame picture");
}

// Wide pictures at their own size hide what lies below their opaque
// texels, which is then not drawn: the frame must be what drawing every
// sprite whole in order gives, in either band, whether what is below is
// opaque or blended, the cover clear in places, tinted (no cover), or
// reaching past the frame's edge.
TEST_F(ClearRowsTest, WhatOwnSizePicturesCoverIsNotDrawnBelowThemAndTheFrameIsTheSame) {
  auto picture = [&](int w, int h, auto texel) { return Picture(w, h, texel); };
  uint32_t sky = picture(800, 400, [](int x, int y) { return 0xFF000000u | static_cast<uint32_t>(x * 7 + y * 3); });
  uint32_t glass = picture(300, 200, [](int x, int) { return 0x80402000u + static_cast<uint32_t>(x & 0x3F); });
  // Buildings: opaque below a skyline, clear above it, with a half-clear window column.
  uint32_t town = picture(500, 300, [](int x, int y) {
    if (y < 40 + (x / 60) * 25) return 0u;
    return x % 97 < 3 ? 0x60101010u : 0xFF205080u + static_cast<uint32_t>(y);
  });
  auto place = [&](uint32_t texture, int w, int h, float left, float top, int priority) -> SpriteState& {
    SpriteState& s = AddTile(left, left + w, top, top + h);
    s.texture = texture;
    s.priority = priority;
    return s;
  };
  place(sky, 800, 400, -150, 20, 3);
  place(glass, 300, 200, 100, 150, 3);
  place(town, 500, 300, 250, 60, 2);
  place(town, 500, 300, -200, 250, 2);
  place(town, 500, 300, 0, 0, 0).color.a = 0.9f;  // tinted: covers nothing
  place(sky, 800, 400, 0, 380, 0).color.r = 0.5f;
  place(town, 500, 300, 420, 330, 1);
  FramePlan plan;
  PlanFrame(scene_, plan);
  ASSERT_GE(plan.over.size(), 3u);
  Frame bands(kFrameWidth, kFrameHeight), whole(kFrameWidth, kFrameHeight);
  RenderPlanRows(scene_, plan, bands, 0, 290);
  RenderPlanRows(scene_, plan, bands, 290, kFrameHeight);
  whole.Clear(scene_.clearColor);
  for (const std::vector<PreparedQuad>& quads : plan.quads)
    for (const PreparedQuad& q : quads) DrawPrepared(whole, q, 0, kFrameHeight);
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) ASSERT_EQ(bands.At(x, y), whole.At(x, y)) << "pixel " << x << "," << y;
}

}  // namespace
}  // namespace spriteengine
