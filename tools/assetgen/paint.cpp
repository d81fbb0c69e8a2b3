#include "paint.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen {

Color Mix(Color a, Color b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Color WithAlpha(Color c, double alpha) {
  c.a = alpha;
  return c;
}

void SetColor(cairo_t* cr, Color c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double radius) {
  const double r = std::min({radius, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
}

void PolygonPath(cairo_t* cr, std::initializer_list<double> xy) {
  auto it = xy.begin();
  cairo_new_sub_path(cr);
  cairo_move_to(cr, it[0], it[1]);
  for (it += 2; it + 1 < xy.end(); it += 2) cairo_line_to(cr, it[0], it[1]);
  cairo_close_path(cr);
}

void FillOutlined(cairo_t* cr, Color fill, double outlineWidth, Color outline) {
  SetColor(cr, fill);
  if (outlineWidth <= 0) {
    cairo_fill(cr);
    return;
  }
  cairo_fill_preserve(cr);
  SetColor(cr, outline);
  cairo_set_line_width(cr, outlineWidth);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void FillVertical(cairo_t* cr, double y0, double y1, Color top, Color bottom, bool keepPath) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, top.a);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, bottom.a);
  cairo_set_source(cr, p);
  if (keepPath) {
    cairo_fill_preserve(cr);
  } else {
    cairo_fill(cr);
  }
  cairo_pattern_destroy(p);
}

void FillVertical3(cairo_t* cr, double y0, double y1, Color top, Color mid, Color bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, top.a);
  cairo_pattern_add_color_stop_rgba(p, 0.55, mid.r, mid.g, mid.b, mid.a);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, bottom.a);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void FillGradient(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<Stop> stops) {
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
  for (const Stop& s : stops) cairo_pattern_add_color_stop_rgba(p, s.at, s.color.r, s.color.g, s.color.b, s.color.a);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void SoftBlob(cairo_t* cr, double cx, double cy, double rx, double ry, Color centre) {
  if (rx <= 0 || ry <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
  cairo_pattern_add_color_stop_rgba(p, 0, centre.r, centre.g, centre.b, centre.a);
  cairo_pattern_add_color_stop_rgba(p, 0.5, centre.r, centre.g, centre.b, centre.a * 0.45);
  cairo_pattern_add_color_stop_rgba(p, 1, centre.r, centre.g, centre.b, 0);
  cairo_set_source(cr, p);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_restore(cr);
}

void Limb(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Color fill,
          double outlineWidth) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  if (outlineWidth > 0) {
    SetColor(cr, palette::kOutline);
    cairo_set_line_width(cr, width + 2 * outlineWidth);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
  }
  SetColor(cr, fill);
  cairo_set_line_width(cr, width);
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

namespace {

const char* FaceFile(Face face) {
  switch (face) {
    case Face::Display: return ASSETGEN_FONT_DIR "/DejaVuSansCondensed-Bold.ttf";
    case Face::SansBold: return ASSETGEN_FONT_DIR "/DejaVuSans-Bold.ttf";
    case Face::Sans: break;
  }
  return ASSETGEN_FONT_DIR "/DejaVuSans.ttf";
}

// Each drawing thread keeps its own FreeType faces: an FT_Face must not be
// used by two threads at once. They live until the process ends.
struct ThreadFaces {
  FT_Library library = nullptr;
  cairo_font_face_t* faces[3] = {nullptr, nullptr, nullptr};
};

cairo_font_face_t* CairoFace(Face face) {
  thread_local ThreadFaces faces;
  if (!faces.library && FT_Init_FreeType(&faces.library) != 0) {
    throw std::runtime_error("FreeType could not start");
  }
  const int index = static_cast<int>(face);
  if (!faces.faces[index]) {
    FT_Face ft = nullptr;
    if (FT_New_Face(faces.library, FaceFile(face), 0, &ft) != 0) {
      throw std::runtime_error(std::string("missing font file ") + FaceFile(face) +
                               " (install fonts-dejavu-core and fonts-dejavu-extra)");
    }
    faces.faces[index] = cairo_ft_font_face_create_for_ft_face(ft, 0);
  }
  return faces.faces[index];
}

}  // namespace

void SetFace(cairo_t* cr, Face face, double size) {
  cairo_set_font_face(cr, CairoFace(face));
  cairo_set_font_size(cr, size);
  // Fixed rendering options: the same pixels on every machine.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

double TextWidth(cairo_t* cr, const std::string& text, Face face, double size) {
  SetFace(cr, face, size);
  cairo_text_extents_t ext;
  cairo_text_extents(cr, text.c_str(), &ext);
  return ext.x_advance;
}

double FitTextSize(cairo_t* cr, const std::string& text, Face face, double maxSize, double maxWidth) {
  const double width = TextWidth(cr, text, face, maxSize);
  return width <= maxWidth ? maxSize : maxSize * maxWidth / width;
}

void DrawText(cairo_t* cr, const std::string& text, double x, double y, const TextStyle& style) {
  const double width = TextWidth(cr, text, style.face, style.size);
  double left = x;
  if (style.align == Align::Centre) left = x - width / 2;
  if (style.align == Align::Right) left = x - width;
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, left, y);
  cairo_text_path(cr, text.c_str());
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  if (style.glow > 0) {
    // Wide, faint strokes stacked from wide to narrow read as a soft glow.
    constexpr int kGlowSteps = 6;
    for (int i = kGlowSteps; i >= 1; --i) {
      SetColor(cr, WithAlpha(style.glowColor, style.glowColor.a * 0.12));
      cairo_set_line_width(cr, style.glow * 2 * i / kGlowSteps);
      cairo_stroke_preserve(cr);
    }
  }
  if (style.outlineWidth > 0) {
    SetColor(cr, style.outline);
    cairo_set_line_width(cr, style.outlineWidth * 2);
    cairo_stroke_preserve(cr);
  }
  SetColor(cr, style.fill);
  cairo_fill(cr);
  cairo_restore(cr);
}

uint64_t Rng::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Rng::Uniform(double lo, double hi) {
  return lo + (hi - lo) * static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

int Rng::Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }

}  // namespace assetgen
