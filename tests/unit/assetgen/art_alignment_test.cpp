// The pictures line up with the game's numbers: walkers stand on the drawn
// surfaces, the muzzle is where shots leave, fires burn in gutted windows.
#include <gtest/gtest.h>

#include <cmath>

#include "asset_readers.h"
#include "figure.h"

namespace assetgen::test {
namespace {

std::string GamePath(const std::string& relative) { return std::string(VARNOK_GAME_DIR) + "/" + relative; }

uint32_t Alpha(const Image& img, int x, int y) { return img.pixels[static_cast<size_t>(y) * img.width + x] >> 24; }

// Top edges of the collision boxes, in each picture's pixels: the game places
// the sprite at the object's position plus its offset, 25 px per unit.
struct Surface {
  const char* file;
  int x, top;
};
const Surface kSurfaces[] = {
    {"data/box.png", 128, 93},      {"data/BlackCar.png", 181, 39}, {"data/YellowCar.png", 120, 57},
    {"data/Truck.png", 185, 73},    {"data/LowBeam.png", 450, 18},  {"data/vagon1.png", 350, 90},
    {"data/vagon2.png", 350, 52},   {"data/vagon3.png", 400, 65},   {"data/vagon4.png", 650, 65},
};

TEST(ArtAlignment, WalkersStandOnTheDrawnSurfaceOfEveryObstacle) {
  constexpr int kBelow = 4, kAbove = 6;
  for (const Surface& s : kSurfaces) {
    Image img;
    std::string why;
    ASSERT_TRUE(DecodePng(GamePath(s.file), img, why)) << s.file << ": " << why;
    EXPECT_GT(Alpha(img, s.x, s.top + kBelow), 200u) << s.file << ": nothing solid under the surface";
    EXPECT_LT(Alpha(img, s.x, s.top - kAbove), 60u) << s.file << ": the drawing rises above the surface";
  }
}

TEST(ArtAlignment, TheLowBeamLeavesRoomToCrawlUnder) {
  Image img;
  std::string why;
  ASSERT_TRUE(DecodePng(GamePath("data/LowBeam.png"), img, why)) << why;
  for (int y = 50; y < 190; y += 10) EXPECT_LT(Alpha(img, 450, y), 60u) << "y " << y;
}

// Where the game launches weapon-1 shots for each aim (units from the hero's
// centre, facing right); the drawn muzzle sits within half a unit of it.
TEST(ArtAlignment, TheGunPointsWhereShotsLeave) {
  const double kLaunch[5][2] = {{2.1, 0.35}, {2.1, 0.35 + 2.5 * M_SQRT1_2}, {0, 2.85}, {1.2, 0.35 - 2.5 * M_SQRT1_2}, {0, -2.15}};
  for (int aim = 1; aim <= 5; ++aim) {
    Pose p;
    SetAim(p, aim);
    const double mx = p.gunButt.x + std::cos(p.gunAngle) * p.gunLength;
    const double my = p.gunButt.y + std::sin(p.gunAngle) * p.gunLength;
    EXPECT_LT(std::hypot(mx - kLaunch[aim - 1][0], my - kLaunch[aim - 1][1]), 0.6) << "aim " << aim;
  }
}

// Window fires burn at these offsets (units from the building's centre);
// the picture shows a dark, gutted window there, not a wall or a lit pane.
TEST(ArtAlignment, WindowFiresBurnInGuttedWindows) {
  struct Fire { int kind; double dx, dy; };
  const Fire fires[] = {{1, 5.5, 4.5}, {1, -5.5, 4.5}, {2, -20, 4.5}, {3, 6.5, -0.3},
                        {5, -19.5, -4}, {6, 12.5, 2.2}, {7, 4, 1.6}, {8, -27.3, -0.5}};
  for (const Fire& f : fires) {
    Image img;
    std::string why;
    const std::string file = "data/Bld" + std::to_string(f.kind) + ".png";
    ASSERT_TRUE(DecodePng(GamePath(file), img, why)) << file;
    const int x = static_cast<int>(img.width / 2 + f.dx * 25), y = static_cast<int>(img.height / 2 - f.dy * 25);
    const uint32_t p = img.pixels[static_cast<size_t>(y) * img.width + x];
    const int brightness = static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
    EXPECT_LT(brightness, 90) << file << " at " << f.dx << ", " << f.dy;
  }
}

}  // namespace
}  // namespace assetgen::test
