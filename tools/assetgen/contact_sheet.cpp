#include "contact_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "paint.h"

namespace assetgen {
namespace {

constexpr int kColumns = 12;
constexpr int kCellWidth = 160;
constexpr int kCellHeight = 150;
constexpr int kImageTop = 4;
constexpr int kImageBox = 112;
constexpr int kChecker = 16;
constexpr double kLabelSize = 10.5;

// Transparent pictures sit on a checkerboard so their outlines show.
void Checkerboard(cairo_t* cr, double x, double y, double w, double h) {
  cairo_save(cr);
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  SetColor(cr, Hex(0x909090));
  cairo_paint(cr);
  SetColor(cr, Hex(0xa4a4a4));
  for (int cy = 0; cy * kChecker < h; ++cy) {
    for (int cx = 0; cx * kChecker < w; ++cx) {
      if ((cx + cy) % 2) cairo_rectangle(cr, x + cx * kChecker, y + cy * kChecker, kChecker, kChecker);
    }
  }
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace

bool WriteContactSheet(const std::vector<Thumbnail>& thumbnails, const std::string& file) {
  const int rows = static_cast<int>((thumbnails.size() + kColumns - 1) / kColumns);
  cairo_surface_t* sheet =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, kColumns * kCellWidth, std::max(1, rows) * kCellHeight);
  cairo_t* cr = cairo_create(sheet);
  SetColor(cr, Hex(0x1b1c22));
  cairo_paint(cr);
  for (size_t i = 0; i < thumbnails.size(); ++i) {
    const Thumbnail& t = thumbnails[i];
    const double cellX = static_cast<double>(i % kColumns) * kCellWidth;
    const double cellY = static_cast<double>(i / kColumns) * kCellHeight;
    const int w = cairo_image_surface_get_width(t.image.get());
    const int h = cairo_image_surface_get_height(t.image.get());
    const double x = cellX + (kCellWidth - w) / 2.0;
    const double y = cellY + kImageTop + (kImageBox - h) / 2.0;
    Checkerboard(cr, std::floor(x), std::floor(y), w, h);
    cairo_set_source_surface(cr, t.image.get(), std::floor(x), std::floor(y));
    cairo_paint(cr);

    std::string name = t.path.substr(t.path.find('/') == std::string::npos ? 0 : t.path.find('/') + 1);
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", t.width, t.height);
    TextStyle label;
    label.face = Face::Sans;
    label.fill = Hex(0xe8e8e8);
    label.align = Align::Centre;
    label.size = FitTextSize(cr, name, Face::Sans, kLabelSize, kCellWidth - 6);
    DrawText(cr, name, cellX + kCellWidth / 2.0, cellY + kImageTop + kImageBox + 14, label);
    label.fill = Hex(0x9aa0b0);
    label.size = kLabelSize - 1;
    DrawText(cr, size, cellX + kCellWidth / 2.0, cellY + kImageTop + kImageBox + 27, label);
  }
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(sheet, file.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(sheet);
  return ok;
}

}  // namespace assetgen
