#include "additive_layer.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "geometry.h"
#include "pixel_ops.h"
#include "pixel_ops_avx2.h"

namespace spriteengine {

namespace {
constexpr uint32_t kNearWeight = 192, kFarWeight = 64;  // of 256, for a 2x bilinear enlargement

#if SPRITEENGINE_AVX2_PATHS
// AddRow's four-pixel steps eight at a time, where the processor has AVX2:
// frame pixels 2m..2m+7 from half-resolution pixels m-1..m+4 (m >= 1, and
// the eight read from m-1 inside the row of last + 1), the same sums in the
// same order. Returns where it stopped.
[[gnu::target("avx2")]] int AddRowAvx2(const uint32_t* rowA, const uint32_t* rowB, uint32_t weightB, uint32_t* dst,
                                       int x, int x1, int last) {
  using namespace pixel::avx2;
  const __m256i left = _mm256_setr_epi32(0, 1, 1, 2, 2, 3, 3, 4), right = _mm256_setr_epi32(1, 2, 2, 3, 3, 4, 4, 5);
  __m256i wxLo, wxHi;
  WeightLanes8(_mm256_setr_epi32(kNearWeight, kFarWeight, kNearWeight, kFarWeight, kNearWeight, kFarWeight,
                                 kNearWeight, kFarWeight),
               wxLo, wxHi);
  const __m256i wy = _mm256_set1_epi16(static_cast<short>(weightB));
  const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
  for (; x + 8 <= x1 && x / 2 + 6 <= last; x += 8) {
    int m = x / 2;
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rowA + m - 1));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rowB + m - 1));
    __m256i top = _mm256_and_si256(
        Lerp8(_mm256_permutevar8x32_epi32(a, left), _mm256_permutevar8x32_epi32(a, right), wxLo, wxHi), rgb);
    __m256i bottom = _mm256_and_si256(
        Lerp8(_mm256_permutevar8x32_epi32(b, left), _mm256_permutevar8x32_epi32(b, right), wxLo, wxHi), rgb);
    __m256i add = _mm256_and_si256(Lerp8(top, bottom, wy, wy), rgb);
    __m256i* at = reinterpret_cast<__m256i*>(dst + x);
    _mm256_storeu_si256(at, BlendAdd8(_mm256_loadu_si256(at), add));
  }
  return x;
}
#endif
}  // namespace

AdditiveLayer::AdditiveLayer()
    : pixels_(kFrameWidth / 2, kFrameHeight / 2), blocks_((kFrameHeight / 2 + kBlockRows - 1) / kBlockRows) {}

void AdditiveLayer::Begin(int frameRowBegin, int frameRowEnd) {
  // Frame row y weighs half-resolution rows (y - 1) / 2 and the one below:
  // a band's first and last rows reach a row of the next band's, which is
  // drawn here too, so that the bands join as one frame does.
  rowBegin_ = std::max(0, (frameRowBegin - 1) >> 1);
  rowEnd_ = std::clamp(((frameRowEnd - 2) >> 1) + 2, rowBegin_, pixels_.height);
}

void AdditiveLayer::Touch(int first, int last, float left, float right) {
  int x0 = std::max(0, static_cast<int>(std::floor(left)));
  int x1 = std::min(pixels_.width - 1, static_cast<int>(std::ceil(right)));
  first = std::max(first, rowBegin_);
  last = std::min(last, rowEnd_ - 1);
  constexpr int kNear = 8;  // columns: a run this close is widened rather than a new one kept
  for (int b = first / kBlockRows; first <= last && b <= last / kBlockRows; ++b) {
    Block& block = blocks_[static_cast<size_t>(b)];
    // The run it lies in or near, else a new one, else the nearest widened.
    Run* nearest = nullptr;
    int gap = INT_MAX;
    for (Run* r = block.runs; r != block.runs + block.count; ++r) {
      int apart = std::max(r->low - x1, x0 - r->high);
      if (apart < gap) gap = apart, nearest = r;
    }
    if (nearest && (gap <= kNear || block.count == kBlockRuns)) {
      nearest->low = std::min(nearest->low, x0);
      nearest->high = std::max(nearest->high, x1);
    } else {
      block.runs[block.count++] = {x0, x1};
    }
  }
}

// One frame row: each pixel is the half-resolution pixels around it,
// weighed 3:1 towards the nearer, first along the rows then between them.
void AdditiveLayer::AddRow(const uint32_t* rowA, const uint32_t* rowB, uint32_t weightB, uint32_t* dst, int x0,
                          int x1) const {
  const int last = pixels_.width - 1;
  auto weigh = [](uint32_t a, uint32_t b, uint32_t wb) {  // alpha stays 0
    return pixel::Lerp(a, b, wb) & 0x00FFFFFF;
  };
  auto one = [&](int x) {
    // Frame pixel centre x + 0.5 sits at half-resolution (x + 0.5) / 2 - 0.5.
    int hx = (x - 1) >> 1;
    uint32_t wx = (x & 1) ? kFarWeight : kNearWeight;
    int xa = std::clamp(hx, 0, last), xb = std::clamp(hx + 1, 0, last);
    uint32_t top = weigh(rowA[xa], rowA[xb], wx), bottom = weigh(rowB[xa], rowB[xb], wx);
    uint32_t add = weigh(top, bottom, weightB);
    if (add != 0) dst[x] = pixel::BlendAdd(dst[x], add);
  };
  int x = x0;
#if SPRITEENGINE_SSE2
  // Four frame pixels 2m..2m+3 from half-resolution pixels m-1..m+2, the
  // same sums as one() in the same order.
  for (; x < x1 && (x & 1 || x < 2); ++x) one(x);
#if SPRITEENGINE_AVX2_PATHS
  if (pixel::avx2::Available()) x = AddRowAvx2(rowA, rowB, weightB, dst, x, x1, last);
#endif
  const __m128i wx = pixel::WeightLanes(kNearWeight, kFarWeight);
  const __m128i wy = _mm_set1_epi16(static_cast<short>(weightB));
  const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
  for (; x + 4 <= x1 && x / 2 + 2 <= last; x += 4) {
    int m = x / 2;
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rowA + m - 1));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rowB + m - 1));
    __m128i top = _mm_and_si128(pixel::Lerp4(_mm_shuffle_epi32(a, 0x94), _mm_shuffle_epi32(a, 0xE9), wx, wx), rgb);
    __m128i bottom =
        _mm_and_si128(pixel::Lerp4(_mm_shuffle_epi32(b, 0x94), _mm_shuffle_epi32(b, 0xE9), wx, wx), rgb);
    __m128i add = _mm_and_si128(pixel::Lerp4(top, bottom, wy, wy), rgb);
    __m128i* at = reinterpret_cast<__m128i*>(dst + x);
    _mm_storeu_si128(at, pixel::BlendAdd4(_mm_loadu_si128(at), add));
  }
#endif
  for (; x < x1; ++x) one(x);
}

void AdditiveLayer::AddTo(Frame& frame, int rowBegin, int rowEnd) {
  const Frame& half = pixels_;
  for (int y = std::max(rowBegin, 0); y < std::min(rowEnd, frame.height); ++y) {
    int hy = (y - 1) >> 1;
    uint32_t wy = (y & 1) ? kFarWeight : kNearWeight;  // weight of row hy + 1
    int ha = std::clamp(hy, rowBegin_, rowEnd_ - 1), hb = std::clamp(hy + 1, rowBegin_, rowEnd_ - 1);
    // The frame columns the runs of both rows' blocks reach, joined where
    // they overlap (a pixel must be added to once).
    Run spans[2 * kBlockRuns];
    int n = 0;
    const Block& a = blocks_[static_cast<size_t>(ha / kBlockRows)];
    const Block& b = blocks_[static_cast<size_t>(hb / kBlockRows)];
    for (const Block* block : {&a, &b}) {
      for (int i = 0; i < block->count; ++i)
        spans[n++] = {std::max(0, 2 * block->runs[i].low - 1), std::min(frame.width, 2 * block->runs[i].high + 3)};
      if (&a == &b) break;
    }
    if (n == 0) continue;
    for (int i = 1; i < n; ++i)  // at most eight: sorted in place
      for (int j = i; j > 0 && spans[j].low < spans[j - 1].low; --j) std::swap(spans[j], spans[j - 1]);
    const uint32_t* rowA = half.pixels.data() + static_cast<size_t>(ha) * half.width;
    const uint32_t* rowB = half.pixels.data() + static_cast<size_t>(hb) * half.width;
    uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width;
    Run joined = spans[0];
    for (int i = 1; i <= n; ++i) {
      if (i < n && spans[i].low <= joined.high) {
        joined.high = std::max(joined.high, spans[i].high);
        continue;
      }
      AddRow(rowA, rowB, wy, dst, joined.low, joined.high);
      if (i < n) joined = spans[i];
    }
  }
  for (int y = rowBegin_; y < rowEnd_; ++y) {
    const Block& block = blocks_[static_cast<size_t>(y / kBlockRows)];
    uint32_t* row = pixels_.pixels.data() + static_cast<size_t>(y) * pixels_.width;
    for (int i = 0; i < block.count; ++i) std::fill(row + block.runs[i].low, row + block.runs[i].high + 1, 0u);
  }
  for (int b = rowBegin_ / kBlockRows; rowBegin_ < rowEnd_ && b <= (rowEnd_ - 1) / kBlockRows; ++b)
    blocks_[static_cast<size_t>(b)].count = 0;
}

}  // namespace spriteengine
