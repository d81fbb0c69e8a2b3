#include "generator.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "canvas.h"

namespace assetgen {
namespace {

constexpr int kThumbWidth = 150;
constexpr int kThumbHeight = 112;
constexpr int kJpegQuality = 90;

std::shared_ptr<cairo_surface_t> MakeThumbnail(Canvas& canvas) {
  const double scale = std::min({1.0, static_cast<double>(kThumbWidth) / canvas.fileWidth(),
                                 static_cast<double>(kThumbHeight) / canvas.fileHeight()});
  const int w = std::max(1, static_cast<int>(canvas.fileWidth() * scale));
  const int h = std::max(1, static_cast<int>(canvas.fileHeight() * scale));
  cairo_surface_t* thumb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(thumb);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, canvas.surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_destroy(cr);
  return {thumb, cairo_surface_destroy};
}

void WriteFile(const std::filesystem::path& file, const Bytes& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

Bytes BuildAsset(const Asset& asset, Thumbnail* thumb) {
  if (!asset.isPicture()) {
    if (!asset.make) throw std::runtime_error("no maker for " + asset.path);
    return asset.make();
  }
  if (!asset.draw) throw std::runtime_error("no drawing for " + asset.path);
  Canvas canvas(asset.width, asset.height, asset.pixelScale, asset.opaque || asset.kind == AssetKind::Jpeg);
  asset.draw(canvas);
  if (cairo_status(canvas.cr()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("cairo: ") + cairo_status_to_string(cairo_status(canvas.cr())));
  }
  if (asset.mirrored) canvas.MirrorHorizontally();
  if (thumb) {
    thumb->path = asset.path;
    thumb->width = canvas.fileWidth();
    thumb->height = canvas.fileHeight();
    thumb->image = MakeThumbnail(canvas);
  }
  return asset.kind == AssetKind::Jpeg ? canvas.EncodeJpeg(kJpegQuality) : canvas.EncodePng();
}

GenerateReport GenerateAll(const std::vector<Asset>& assets, const std::string& outDir, int threads) {
  GenerateReport report;
  std::vector<Thumbnail> thumbs(assets.size());
  std::atomic<size_t> next{0};
  std::atomic<uint64_t> bytes{0};
  std::mutex errorsMutex;

  // The two music tracks take longest: start them first so that the pictures
  // fill the other thread's time instead of waiting at the end.
  std::vector<size_t> order(assets.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_partition(order.begin(), order.end(),
                        [&](size_t i) { return assets[i].kind == AssetKind::Ogg; });
  auto worker = [&] {
    for (size_t k = next++; k < order.size(); k = next++) {
      const size_t i = order[k];
      try {
        const Bytes data = BuildAsset(assets[i], assets[i].isPicture() ? &thumbs[i] : nullptr);
        WriteFile(std::filesystem::path(outDir) / assets[i].path, data);
        bytes += data.size();
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(errorsMutex);
        report.errors.push_back(assets[i].path + ": " + e.what());
      }
    }
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < std::max(1, threads); ++t) pool.emplace_back(worker);
  worker();
  for (auto& t : pool) t.join();

  std::sort(report.errors.begin(), report.errors.end());
  report.files = assets.size() - report.errors.size();
  report.bytes = bytes;
  for (auto& t : thumbs) {
    if (t.image) report.thumbnails.push_back(std::move(t));
  }
  return report;
}

}  // namespace assetgen
