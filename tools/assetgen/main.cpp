// assetgen: writes every data file of the game into the game folder.
//   assetgen --out DIR [--contact-sheet FILE] [--icons DIR] [--threads N] [--list]
// --icons writes the desktop icon theme folder (hicolor/NxN/apps/varnok.png).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "contact_sheet.h"
#include "generator.h"
#include "icon.h"
#include "manifest.h"

namespace {

constexpr int kDefaultThreads = 2;  // the build machine has two cores
constexpr int kMaxThreads = 64;

int Usage() {
  std::fprintf(stderr, "usage: assetgen --out DIR [--contact-sheet FILE] [--icons DIR] [--threads N] [--list]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir, sheet, iconDir;
  int threads = kDefaultThreads;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--out" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (arg == "--contact-sheet" && i + 1 < argc) {
      sheet = argv[++i];
    } else if (arg == "--icons" && i + 1 < argc) {
      iconDir = argv[++i];
    } else if (arg == "--threads" && i + 1 < argc) {
      threads = std::atoi(argv[++i]);
      if (threads < 1 || threads > kMaxThreads) return Usage();
    } else if (arg == "--list") {
      list = true;
    } else {
      return Usage();
    }
  }
  const auto& assets = assetgen::Manifest();
  if (list) {
    for (const auto& a : assets) {
      if (a.isPicture()) {
        std::printf("%s %dx%d\n", a.path.c_str(), a.fileWidth(), a.fileHeight());
      } else {
        std::printf("%s\n", a.path.c_str());
      }
    }
    return 0;
  }
  if (outDir.empty()) return Usage();

  const auto start = std::chrono::steady_clock::now();
  assetgen::GenerateReport report = assetgen::GenerateAll(assets, outDir, threads);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (const auto& e : report.errors) std::fprintf(stderr, "assetgen: %s\n", e.c_str());
  std::printf("assetgen: %zu files, %.1f MB in %.1f s on %d threads\n", report.files,
              static_cast<double>(report.bytes) / 1e6, seconds, threads);
  if (!sheet.empty() && !assetgen::WriteContactSheet(report.thumbnails, sheet)) {
    std::fprintf(stderr, "assetgen: cannot write %s\n", sheet.c_str());
    return 1;
  }
  std::string iconError;
  if (!iconDir.empty() && assetgen::WriteIcons(iconDir, &iconError).empty()) {
    std::fprintf(stderr, "assetgen: %s\n", iconError.c_str());
    return 1;
  }
  return report.errors.empty() ? 0 : 1;
}
