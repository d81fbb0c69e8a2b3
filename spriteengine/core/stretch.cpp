#include "stretch.h"

#include <algorithm>
#include <cstring>

namespace spriteengine {

namespace {

// Where shown pixel i of `to` falls among `from` source pixels, centre on
// centre, as a 16.16 place less half a pixel (the rasteriser's bilinear
// sampling): its left (upper) source pixel and the next one's weight 0..255.
// The places step by a whole 16.16 step from the first, like a span's.
void Place(int i, int from, int to, int32_t& left, int32_t& weight) {
  const int64_t step = (static_cast<int64_t>(from) << 16) / to;
  int64_t at = (step + 1) / 2 - 32768 + step * i;
  left = static_cast<int32_t>(std::clamp<int64_t>(at >> 16, -1, from - 1));
  weight = static_cast<int32_t>((at >> 8) & 0xFF);
}

// Shown row = upper x (128 - w) / 128 + lower x w / 128, rounded, per
// channel (w 0..127). Seven-bit weights let each channel pair be weighed
// by one multiply-add; the rows written go to the display, not back into
// the cache, so the eight-pixel form writes around it.
inline uint32_t Weigh7(uint32_t a, uint32_t b, uint32_t w) {
  uint32_t rb = ((a & 0x00FF00FF) * (128 - w) + (b & 0x00FF00FF) * w + 0x00400040) >> 7;
  uint32_t g = (((a >> 8) & 0x00FF00FF) * (128 - w) + ((b >> 8) & 0x00FF00FF) * w + 0x00400040) >> 7;
  return (rb & 0x00FF00FF) | ((g & 0x00FF00FF) << 8);
}

#if SPRITEENGINE_AVX2_PATHS
// The multiply-add takes the weights as signed bytes, so 128 - w must stay
// below 128: a row of weight 0 is copied instead.
[[gnu::target("avx2")]] int WeighShownRowAvx2(const uint32_t* a, const uint32_t* b, uint32_t w, int count,
                                              uint32_t* out) {
  int i = 0;
  for (; i < count && (reinterpret_cast<uintptr_t>(out + i) & 31) != 0; ++i) out[i] = Weigh7(a[i], b[i], w);
  if (w == 0) {
    for (; i + 8 <= count; i += 8)
      _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i)));
    return i;
  }
  const __m256i weights = _mm256_set1_epi16(static_cast<short>(w << 8 | (128 - w)));
  const __m256i half = _mm256_set1_epi16(64);
  for (; i + 8 <= count; i += 8) {
    __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
    __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
    __m256i lo = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(x, y), weights);
    __m256i hi = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(x, y), weights);
    lo = _mm256_srli_epi16(_mm256_add_epi16(lo, half), 7);
    hi = _mm256_srli_epi16(_mm256_add_epi16(hi, half), 7);
    _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(lo, hi));
  }
  return i;
}
#endif

void WeighShownRow(const uint32_t* a, const uint32_t* b, uint32_t w, int count, uint32_t* out) {
  int i = 0;
#if SPRITEENGINE_AVX2_PATHS
  if (pixel::avx2::Available()) i = WeighShownRowAvx2(a, b, w, count, out);
#endif
  for (; i < count; ++i) out[i] = Weigh7(a[i], b[i], w);
}

// A thread's stretched source rows, kept while it writes shown rows that
// need them (a source row serves several shown rows one after another).
struct RowCache {
  std::vector<uint32_t> padded;
  std::vector<uint32_t> rows[2];
  int tag[2] = {-1, -1};
};

}  // namespace

bool FrameStretch::Resize(int sourceWidth, int sourceHeight, int width, int height) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0 || sourceWidth > kMaxSide ||
      sourceHeight > kMaxSide || width > kMaxSide || height > kMaxSide) {
    sourceWidth_ = sourceHeight_ = width_ = height_ = 0;
    return false;
  }
  if (sourceWidth == sourceWidth_ && sourceHeight == sourceHeight_ && width == width_ && height == height_) return true;
  sourceWidth_ = sourceWidth, sourceHeight_ = sourceHeight, width_ = width, height_ = height;
  const int groups = (width + 7) / 8;
  column_.assign(static_cast<size_t>(groups) * 8, 0);
  columnWeight_.assign(column_.size(), 0);
  for (int i = 0; i < groups * 8; ++i) {
    int32_t left, weight;
    Place(std::min(i, width - 1), sourceWidth, width, left, weight);  // lanes past the row repeat the last
    column_[i] = left + 1;  // in the padded row
    columnWeight_[i] = weight;
  }
  row_.resize(height);
  rowWeight_.resize(height);
  for (int y = 0; y < height; ++y) {
    int32_t weight;
    Place(y, sourceHeight, height, row_[y], weight);
    rowWeight_[y] = static_cast<uint32_t>(weight) >> 1;  // seven bits
  }
#if SPRITEENGINE_AVX2_PATHS
  pairs_.clear();
  if (pixel::avx2::Available()) {
    pairs_.resize(groups);
    for (int g = 0; g < groups; ++g)
      pixel::avx2::PrepareColumnPairs8(&column_[8 * g], &columnWeight_[8 * g], sourceWidth + 2, pairs_[g]);
  }
#endif
  return true;
}

#if SPRITEENGINE_AVX2_PATHS
namespace {
[[gnu::target("avx2")]] void StretchRowAvx2(const std::vector<pixel::avx2::ColumnPairs8>& pairs,
                                            const uint32_t* padded, uint32_t* out) {
  const int* columns = reinterpret_cast<const int*>(padded);
  for (size_t g = 0; g < pairs.size(); ++g)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * g), pixel::avx2::WeighColumnPairs8(columns, pairs[g]));
}
}  // namespace
#endif

void FrameStretch::StretchRow(const uint32_t* row, uint32_t* padded, uint32_t* out) const {
  padded[0] = row[0];
  std::memcpy(padded + 1, row, sizeof(uint32_t) * sourceWidth_);
  padded[sourceWidth_ + 1] = row[sourceWidth_ - 1];
#if SPRITEENGINE_AVX2_PATHS
  if (!pairs_.empty() && pixel::avx2::Available()) {
    StretchRowAvx2(pairs_, padded, out);
    return;
  }
#endif
  int i = 0;
#if SPRITEENGINE_SSE2
  for (; i + 4 <= width_; i += 4) {
    const int32_t* c = &column_[i];
    const int32_t* f = &columnWeight_[i];
    __m128i a = pixel::Four(padded[c[0]], padded[c[1]], padded[c[2]], padded[c[3]]);
    __m128i b = pixel::Four(padded[c[0] + 1], padded[c[1] + 1], padded[c[2] + 1], padded[c[3] + 1]);
    __m128i s = pixel::Lerp4(a, b, pixel::WeightLanes(static_cast<uint32_t>(f[0]), static_cast<uint32_t>(f[1])),
                             pixel::WeightLanes(static_cast<uint32_t>(f[2]), static_cast<uint32_t>(f[3])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), s);
  }
#endif
  for (; i < width_; ++i)
    out[i] = pixel::Lerp(padded[column_[i]], padded[column_[i] + 1], static_cast<uint32_t>(columnWeight_[i]));
}

bool FrameStretch::RowChanged(int y, const uint8_t* changed) const {
  if (y < 0 || y >= height_) return false;
  return changed[std::clamp(row_[y], 0, sourceHeight_ - 1)] || changed[std::clamp(row_[y] + 1, 0, sourceHeight_ - 1)];
}

void FrameStretch::Rows(const Frame& source, uint32_t* target, ptrdiff_t pitch, int rowBegin, int rowEnd,
                        const uint8_t* changed) const {
  if (width_ == 0 || source.width != sourceWidth_ || source.height != sourceHeight_) return;
  rowBegin = std::max(rowBegin, 0);
  rowEnd = std::min(rowEnd, height_);
  thread_local RowCache cache;
  const size_t stretched = static_cast<size_t>(width_ + 7) / 8 * 8;
  cache.padded.resize(static_cast<size_t>(sourceWidth_) + 2);
  for (std::vector<uint32_t>& r : cache.rows) r.resize(stretched);
  cache.tag[0] = cache.tag[1] = -1;  // a new source
  // Source row k stretched, in the slot that does not hold row `keep`.
  auto stretchedRow = [&](int k, int keep) -> const uint32_t* {
    for (int s = 0; s < 2; ++s)
      if (cache.tag[s] == k) return cache.rows[s].data();
    int s = cache.tag[0] == keep ? 1 : 0;
    StretchRow(source.pixels.data() + static_cast<size_t>(k) * sourceWidth_, cache.padded.data(),
               cache.rows[s].data());
    cache.tag[s] = k;
    return cache.rows[s].data();
  };
  for (int y = rowBegin; y < rowEnd; ++y) {
    if (changed && !RowChanged(y, changed)) continue;
    int upper = std::clamp(row_[y], 0, sourceHeight_ - 1), lower = std::clamp(row_[y] + 1, 0, sourceHeight_ - 1);
    uint32_t weight = rowWeight_[y];
    uint32_t* out = reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(target) + pitch * y);
    if (upper == lower || weight == 0) {
      const uint32_t* a = stretchedRow(upper, -1);
      WeighShownRow(a, a, 0, width_, out);
      continue;
    }
    const uint32_t* a = stretchedRow(upper, lower);
    const uint32_t* b = stretchedRow(lower, upper);
    WeighShownRow(a, b, weight, width_, out);
  }
#if SPRITEENGINE_SSE2
  _mm_sfence();  // the streamed rows are in memory before anyone is told of them
#endif
}

}  // namespace spriteengine
