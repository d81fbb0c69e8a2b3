// A Cairo drawing surface of one picture, with the encoders the game's
// formats need. Drawing code works in on-screen pixels; a canvas of pixel
// scale 2 draws the same shapes at twice the resolution.
#pragma once

#include <cairo.h>

#include "asset.h"

namespace assetgen {

class Canvas {
 public:
  // width and height in on-screen pixels; opaque canvases have no alpha.
  Canvas(int width, int height, int pixelScale = 1, bool opaque = false);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() { return cr_; }
  cairo_surface_t* surface() { return surface_; }
  int width() const { return width_; }    // on-screen pixels
  int height() const { return height_; }
  int fileWidth() const { return width_ * pixelScale_; }
  int fileHeight() const { return height_ * pixelScale_; }

  // Flips the finished picture left to right, pixel for pixel.
  void MirrorHorizontally();
  Bytes EncodePng();
  // Baseline JPEG at a fixed quality, so output never varies.
  Bytes EncodeJpeg(int quality);

 private:
  int width_, height_, pixelScale_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

}  // namespace assetgen
