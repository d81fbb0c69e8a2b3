#include "canvas.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace assetgen {

Canvas::Canvas(int width, int height, int pixelScale, bool opaque)
    : width_(width), height_(height), pixelScale_(pixelScale) {
  surface_ = cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
                                        width * pixelScale, height * pixelScale);
  cr_ = cairo_create(surface_);
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cairo could not make a " + std::to_string(width) + "x" +
                             std::to_string(height) + " canvas");
  }
  cairo_scale(cr_, pixelScale, pixelScale);
  if (opaque) {
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_paint(cr_);
  }
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void Canvas::MirrorHorizontally() {
  cairo_surface_flush(surface_);
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  const int w = fileWidth();
  for (int y = 0; y < fileHeight(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < w / 2; ++x) std::swap(row[x], row[w - 1 - x]);
  }
  cairo_surface_mark_dirty(surface_);
}

namespace {
cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<Bytes*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}
}  // namespace

Bytes Canvas::EncodePng() {
  cairo_surface_flush(surface_);
  Bytes out;
  if (cairo_surface_write_to_png_stream(surface_, AppendBytes, &out) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("PNG encoding failed");
  }
  return out;
}

Bytes Canvas::EncodeJpeg(int quality) {
  cairo_surface_flush(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  const int w = fileWidth();
  const int h = fileHeight();

  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(w) * 3);
  while (info.next_scanline < info.image_height) {
    const auto* pixels = reinterpret_cast<const uint32_t*>(data + info.next_scanline * stride);
    for (int x = 0; x < w; ++x) {
      row[x * 3 + 0] = static_cast<unsigned char>(pixels[x] >> 16);
      row[x * 3 + 1] = static_cast<unsigned char>(pixels[x] >> 8);
      row[x * 3 + 2] = static_cast<unsigned char>(pixels[x]);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

}  // namespace assetgen
