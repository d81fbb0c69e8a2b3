#include "image.h"

#include <algorithm>
#include <cstring>

#include "spriteengine/formats.h"

namespace spriteengine {

namespace {

constexpr int kCheckerSize = 64;
constexpr int kCheckerCell = 8;
constexpr uint32_t kMagenta = 0xFFFF00FF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kDdsRequiredFlags = 0x100F;  // CAPS | HEIGHT | WIDTH | PIXELFORMAT
constexpr uint32_t kDdsRgbAlpha = 0x41;         // RGB | ALPHAPIXELS
constexpr uint32_t kMaxDdsSide = 8192;

uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Average of four premultiplied pixels, channel by channel.
uint32_t Average4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) + ((d >> shift) & 0xFF);
    out |= ((sum + 2) / 4) << shift;
  }
  return out;
}

Image HalfSize(const Image& src) {
  Image dst;
  dst.width = std::max(1, src.width / 2);
  dst.height = std::max(1, src.height / 2);
  dst.pixels.resize(static_cast<size_t>(dst.width) * dst.height);
  for (int y = 0; y < dst.height; ++y) {
    int y0 = std::min(src.height - 1, 2 * y), y1 = std::min(src.height - 1, 2 * y + 1);
    for (int x = 0; x < dst.width; ++x) {
      int x0 = std::min(src.width - 1, 2 * x), x1 = std::min(src.width - 1, 2 * x + 1);
      dst.pixels[static_cast<size_t>(y) * dst.width + x] =
          Average4(src.At(x0, y0), src.At(x1, y0), src.At(x0, y1), src.At(x1, y1));
    }
  }
  return dst;
}

}  // namespace

void MarkOpacity(Image& image) {
  image.opaque = std::all_of(image.pixels.begin(), image.pixels.end(), [](uint32_t p) { return (p >> 24) == 255; });
  image.runs.clear();
  image.rowRuns.clear();
  image.widestOpaque.clear();
  if (image.opaque || image.width <= 0) return;
  // Clear or opaque runs shorter than this are blended with the rest: a
  // change of run costs more than blending them.
  constexpr int kShortest = 16;
  using Texels = Image::Texels;
  auto kindOf = [](uint32_t p) { return p == 0 ? Texels::kClear : (p >> 24) == 255 ? Texels::kOpaque : Texels::kMixed; };
  image.rowRuns.reserve(static_cast<size_t>(image.height) + 1);
  for (int y = 0; y < image.height; ++y) {
    image.rowRuns.push_back(static_cast<uint32_t>(image.runs.size()));
    const uint32_t* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
    auto add = [&](int end, Texels kind) {
      if (image.runs.size() > image.rowRuns.back() && image.runs.back().kind == kind)
        image.runs.back().end = end;
      else
        image.runs.push_back({end, kind});
    };
    Image::Columns widest;
    for (int x = 0; x < image.width;) {
      Texels kind = kindOf(row[x]);
      int end = x + 1;
      while (end < image.width && kindOf(row[end]) == kind) ++end;
      add(end, kind != Texels::kMixed && end - x < kShortest ? Texels::kMixed : kind);
      if (kind == Texels::kOpaque && end - x > widest.end - widest.begin) widest = {x, end};
      x = end;
    }
    image.widestOpaque.push_back(widest);
  }
  image.rowRuns.push_back(static_cast<uint32_t>(image.runs.size()));
}

void Premultiply(Image& image) {
  for (uint32_t& p : image.pixels) {
    uint32_t a = p >> 24;
    if (a == 255) continue;
    uint32_t r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
    p = a << 24 | r << 16 | g << 8 | b;
  }
}

Image MakeCheckerImage() {
  Image image;
  image.width = image.height = kCheckerSize;
  image.pixels.resize(kCheckerSize * kCheckerSize);
  for (int y = 0; y < kCheckerSize; ++y)
    for (int x = 0; x < kCheckerSize; ++x)
      image.pixels[y * kCheckerSize + x] = ((x / kCheckerCell + y / kCheckerCell) % 2) ? kBlack : kMagenta;
  return image;
}

TextureData BuildTexture(Image base, int mipLevels) {
  TextureData data;
  MarkOpacity(base);
  int limit = mipLevels <= 0 ? 64 : mipLevels;
  data.levels.push_back(std::make_shared<Image>(std::move(base)));
  while (static_cast<int>(data.levels.size()) < limit) {
    const Image& last = *data.levels.back();
    if (last.width == 1 && last.height == 1) break;
    auto half = std::make_shared<Image>(HalfSize(last));
    MarkOpacity(*half);
    data.levels.push_back(std::move(half));
  }
  return data;
}

TextureData FirstLevels(const TextureData& chain, int mipLevels) {
  TextureData data;
  data.placeholder = chain.placeholder;
  size_t count = mipLevels <= 0 ? chain.levels.size() : std::min<size_t>(mipLevels, chain.levels.size());
  data.levels.assign(chain.levels.begin(), chain.levels.begin() + static_cast<std::ptrdiff_t>(count));
  return data;
}

std::optional<Image> ReadDds(std::span<const uint8_t> bytes) {
  using formats::DdsHeader;
  if (bytes.size() < 4 + sizeof(DdsHeader) || std::memcmp(bytes.data(), formats::kDdsMagic, 4) != 0)
    return std::nullopt;
  DdsHeader h;
  std::memcpy(&h, bytes.data() + 4, sizeof h);
  const auto& pf = h.pixelFormat;
  if (h.size != 124 || (h.flags & kDdsRequiredFlags) != kDdsRequiredFlags || pf.size != 32 ||
      (pf.flags & kDdsRgbAlpha) != kDdsRgbAlpha || pf.fourCC != 0 || pf.rgbBitCount != 32 ||
      pf.rMask != 0x00FF0000 || pf.gMask != 0x0000FF00 || pf.bMask != 0x000000FF || pf.aMask != 0xFF000000)
    return std::nullopt;
  if (h.width == 0 || h.height == 0 || h.width > kMaxDdsSide || h.height > kMaxDdsSide) return std::nullopt;
  size_t count = size_t(h.width) * h.height;
  if (bytes.size() - 4 - sizeof(DdsHeader) < count * 4) return std::nullopt;
  Image image;
  image.width = static_cast<int>(h.width);
  image.height = static_cast<int>(h.height);
  image.pixels.resize(count);
  const uint8_t* p = bytes.data() + 4 + sizeof(DdsHeader);
  for (size_t i = 0; i < count; ++i) image.pixels[i] = ReadLe32(p + 4 * i);  // B,G,R,A bytes = 0xAARRGGBB
  Premultiply(image);
  return image;
}

std::vector<uint8_t> WriteDds(const Image& image) {
  formats::DdsHeader h{};
  h.size = 124;
  h.flags = kDdsRequiredFlags;
  h.height = static_cast<uint32_t>(image.height);
  h.width = static_cast<uint32_t>(image.width);
  h.pitch = h.width * 4;
  h.pixelFormat = {32, kDdsRgbAlpha, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  h.caps = 0x1000;
  std::vector<uint8_t> out(4 + sizeof h + image.pixels.size() * 4);
  std::memcpy(out.data(), formats::kDdsMagic, 4);
  std::memcpy(out.data() + 4, &h, sizeof h);
  uint8_t* p = out.data() + 4 + sizeof h;
  for (uint32_t px : image.pixels) {
    for (int i = 0; i < 4; ++i) *p++ = static_cast<uint8_t>(px >> (8 * i));
  }
  return out;
}

}  // namespace spriteengine
