#include "icon.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "canvas.h"
#include "paint.h"

namespace assetgen {

namespace {

constexpr double kDesign = 256;  // the icon is drawn on a 256 px grid, scaled to each size

void DrawSkyline(cairo_t* cr) {
  // Towers of the menu's skyline, a few windows lit: reads as a city at 32 px.
  struct Tower {
    double x, w, top;
  };
  const Tower towers[] = {{20, 44, 120}, {60, 38, 96}, {96, 52, 132}, {146, 40, 88}, {184, 52, 112}};
  for (const Tower& t : towers) {
    cairo_rectangle(cr, t.x, t.top, t.w, 236 - t.top);
    SetColor(cr, palette::kBuilding);
    cairo_fill(cr);
    Rng rng(static_cast<uint64_t>(t.x * 131 + t.top));
    for (double y = t.top + 10; y < 220; y += 18)
      for (double x = t.x + 7; x + 8 < t.x + t.w; x += 13) {
        if (rng.Uniform() > 0.45) continue;
        cairo_rectangle(cr, x, y, 7, 9);
        SetColor(cr, palette::kWindowLit);
        cairo_fill(cr);
      }
  }
}

void DrawHelmetedHead(cairo_t* cr) {
  // The hero in profile, facing right, as on the lives badge.
  EllipsePath(cr, 118, 150, 58, 62);
  FillOutlined(cr, palette::kSkin, 8);
  cairo_new_path(cr);
  cairo_arc(cr, 112, 138, 76, M_PI, 2 * M_PI);
  cairo_line_to(cr, 200, 138);
  cairo_close_path(cr);
  FillOutlined(cr, Hex(0x4a6030), 8);
  cairo_rectangle(cr, 30, 130, 170, 16);  // the helmet's rim
  FillOutlined(cr, Hex(0x3a5026), 6);
  EllipsePath(cr, 150, 166, 8, 10);
  SetColor(cr, palette::kOutline);
  cairo_fill(cr);
}

}  // namespace

Bytes DrawIcon(int size) {
  Canvas c(size, size);
  cairo_t* cr = c.cr();
  cairo_scale(cr, size / kDesign, size / kDesign);
  RoundRectPath(cr, 8, 8, 240, 240, 40);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  FillVertical3(cr, 8, 248, palette::kSkyTop, palette::kSkyMid, palette::kSkyLow);
  DrawSkyline(cr);
  DrawHelmetedHead(cr);
  cairo_restore(cr);
  RoundRectPath(cr, 8, 8, 240, 240, 40);
  SetColor(cr, palette::kAmber);
  cairo_set_line_width(cr, 10);
  cairo_stroke(cr);
  return c.EncodePng();
}

std::vector<std::string> WriteIcons(const std::string& dir, std::string* error) {
  std::vector<std::string> files;
  for (int size : kIconSizes) {
    const std::string folder =
        dir + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string file = folder + "/" + kIconName + ".png";
    const Bytes png = DrawIcon(size);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!out) {
      *error = "cannot write " + file;
      return {};
    }
    files.push_back(file);
  }
  return files;
}

}  // namespace assetgen
