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

}  // namespace

void CopyFrame(const Frame& source, uint32_t* target, ptrdiff_t pitch) {
  for (int y = 0; y < source.height; ++y) {
    const uint32_t* row = source.pixels.data() + static_cast<size_t>(y) * source.width;
    WeighShownRow(row, row, 0, source.width, reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(target) + pitch * y));
  }
#if SPRITEENGINE_SSE2
  _mm_sfence();  // the streamed rows are in memory before anyone is told of them
#endif
}

namespace {

// A thread's stretched source rows, kept while it writes shown rows that
// need them (a source row serves several shown rows one after another),
// each with the groups of eight stretched so far.
struct RowCache {
  std::vector<uint32_t> padded;
  int paddedRow = -1;
  std::vector<uint32_t> rows[2];
  int tag[2] = {-1, -1};
  int from[2] = {0, 0}, to[2] = {0, 0};
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
  firstShown_.assign(static_cast<size_t>(sourceWidth) + 3, width);
  for (int c = 0, i = 0; c < sourceWidth + 3; ++c) {
    while (i < width && column_[i] < c) ++i;
    firstShown_[c] = i;
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
[[gnu::target("avx2")]] void StretchGroupsAvx2(const std::vector<pixel::avx2::ColumnPairs8>& pairs, int g0, int g1,
                                               const uint32_t* padded, uint32_t* out) {
  const int* columns = reinterpret_cast<const int*>(padded);
  for (int g = g0; g < g1; ++g)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * g), pixel::avx2::WeighColumnPairs8(columns, pairs[g]));
}
}  // namespace
#endif

void FrameStretch::StretchGroups(const uint32_t* padded, int g0, int g1, uint32_t* out) const {
#if SPRITEENGINE_AVX2_PATHS
  if (!pairs_.empty() && pixel::avx2::Available()) {
    StretchGroupsAvx2(pairs_, g0, g1, padded, out);
    return;
  }
#endif
  int i = 8 * g0;
  const int end = std::min(8 * g1, width_);
#if SPRITEENGINE_SSE2
  for (; i + 4 <= end; i += 4) {
    const int32_t* c = &column_[i];
    const int32_t* f = &columnWeight_[i];
    __m128i a = pixel::Four(padded[c[0]], padded[c[1]], padded[c[2]], padded[c[3]]);
    __m128i b = pixel::Four(padded[c[0] + 1], padded[c[1] + 1], padded[c[2] + 1], padded[c[3] + 1]);
    __m128i s = pixel::Lerp4(a, b, pixel::WeightLanes(static_cast<uint32_t>(f[0]), static_cast<uint32_t>(f[1])),
                             pixel::WeightLanes(static_cast<uint32_t>(f[2]), static_cast<uint32_t>(f[3])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), s);
  }
#endif
  for (; i < end; ++i)
    out[i] = pixel::Lerp(padded[column_[i]], padded[column_[i] + 1], static_cast<uint32_t>(columnWeight_[i]));
}

ColumnSpan FrameStretch::ShownChange(int y, const ColumnSpan* changed) const {
  if (y < 0 || y >= height_) return {};
  if (!changed) return {0, width_};
  const ColumnSpan& upper = changed[std::clamp(row_[y], 0, sourceHeight_ - 1)];
  const ColumnSpan& lower = changed[std::clamp(row_[y] + 1, 0, sourceHeight_ - 1)];
  if (upper.Empty() && lower.Empty()) return {};
  int begin = upper.Empty() ? lower.begin : lower.Empty() ? upper.begin : std::min(upper.begin, lower.begin);
  int end = upper.Empty() ? lower.end : lower.Empty() ? upper.end : std::max(upper.end, lower.end);
  begin = std::clamp(begin, 0, sourceWidth_);
  end = std::clamp(end, begin, sourceWidth_);
  // Shown pixel i reads padded columns column_[i] and + 1, source columns
  // column_[i] - 1 and column_[i] (held inside the row): it changed where
  // column_[i] lies in begin..end.
  ColumnSpan shown{firstShown_[begin], firstShown_[end + 1]};
  return shown.Empty() ? ColumnSpan{} : shown;
}

void FrameStretch::Rows(const Frame& source, uint32_t* target, ptrdiff_t pitch, int rowBegin, int rowEnd,
                        const ColumnSpan* changed) const {
  if (width_ == 0 || source.width != sourceWidth_ || source.height != sourceHeight_) return;
  rowBegin = std::max(rowBegin, 0);
  rowEnd = std::min(rowEnd, height_);
  thread_local RowCache cache;
  const size_t stretched = static_cast<size_t>(width_ + 7) / 8 * 8;
  cache.padded.resize(static_cast<size_t>(sourceWidth_) + 2);
  cache.paddedRow = -1;
  for (std::vector<uint32_t>& r : cache.rows) r.resize(stretched);
  cache.tag[0] = cache.tag[1] = -1;  // a new source
  // Source row k stretched over groups g0..g1-1 at least, in the slot that
  // does not hold row `keep`.
  auto stretchedRow = [&](int k, int keep, int g0, int g1) -> const uint32_t* {
    int s = cache.tag[0] == k ? 0 : cache.tag[1] == k ? 1 : -1;
    if (s < 0) {
      s = cache.tag[0] == keep ? 1 : 0;
      cache.tag[s] = k;
      cache.from[s] = cache.to[s] = g0;
    }
    if (g0 < cache.from[s] || g1 > cache.to[s]) {
      if (cache.paddedRow != k) {
        const uint32_t* row = source.pixels.data() + static_cast<size_t>(k) * sourceWidth_;
        uint32_t* padded = cache.padded.data();
        padded[0] = row[0];
        std::memcpy(padded + 1, row, sizeof(uint32_t) * sourceWidth_);
        padded[sourceWidth_ + 1] = row[sourceWidth_ - 1];
        cache.paddedRow = k;
      }
      // What is stretched stays one run of groups: the run grows to take in g0..g1-1.
      const int from = std::min(cache.from[s], g0), to = std::max(cache.to[s], g1);
      StretchGroups(cache.padded.data(), from, cache.from[s], cache.rows[s].data());
      StretchGroups(cache.padded.data(), cache.to[s], to, cache.rows[s].data());
      cache.from[s] = from;
      cache.to[s] = to;
    }
    return cache.rows[s].data();
  };
  for (int y = rowBegin; y < rowEnd; ++y) {
    const ColumnSpan shown = ShownChange(y, changed);
    if (shown.Empty()) continue;
    const int g0 = shown.begin / 8, g1 = (shown.end + 7) / 8;
    int upper = std::clamp(row_[y], 0, sourceHeight_ - 1), lower = std::clamp(row_[y] + 1, 0, sourceHeight_ - 1);
    uint32_t weight = rowWeight_[y];
    uint32_t* out = reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(target) + pitch * y);
    const int count = shown.end - shown.begin;
    if (upper == lower || weight == 0) {
      const uint32_t* a = stretchedRow(upper, -1, g0, g1) + shown.begin;
      WeighShownRow(a, a, 0, count, out + shown.begin);
      continue;
    }
    const uint32_t* a = stretchedRow(upper, lower, g0, g1) + shown.begin;
    const uint32_t* b = stretchedRow(lower, upper, g0, g1) + shown.begin;
    WeighShownRow(a, b, weight, count, out + shown.begin);
  }
#if SPRITEENGINE_SSE2
  _mm_sfence();  // the streamed rows are in memory before anyone is told of them
#endif
}

}  // namespace spriteengine
