// Makes every file of the manifest and writes it into the game folder,
// spreading the work over a few threads.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "asset.h"

namespace assetgen {

// A small copy of one picture for the contact sheet.
struct Thumbnail {
  std::string path;
  int width = 0, height = 0;  // the picture's file size
  std::shared_ptr<cairo_surface_t> image;
};

// The bytes of one asset; fills thumb (if given) for pictures.
Bytes BuildAsset(const Asset& asset, Thumbnail* thumb = nullptr);

struct GenerateReport {
  size_t files = 0;
  uint64_t bytes = 0;
  std::vector<Thumbnail> thumbnails;  // manifest order, pictures only
  std::vector<std::string> errors;    // one line per file that failed
};

// Writes every asset under outDir. Never throws for a single bad asset: its
// failure is listed in the report and the other files are still written.
GenerateReport GenerateAll(const std::vector<Asset>& assets, const std::string& outDir, int threads);

}  // namespace assetgen
