#include "additive_layer.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "geometry.h"
#include "pixel_ops.h"

namespace spriteengine {

namespace {
constexpr uint32_t kNearWeight = 192, kFarWeight = 64;  // of 256, for a 2x bilinear enlargement
}  // namespace

AdditiveLayer::AdditiveLayer()
    : pixels_(kFrameWidth / 2, kFrameHeight / 2), minX_(kFrameHeight / 2, INT_MAX), maxX_(kFrameHeight / 2, -1) {}

void AdditiveLayer::Begin(int frameRowBegin, int frameRowEnd) {
  rowBegin_ = frameRowBegin / 2;
  rowEnd_ = std::min(pixels_.height, (frameRowEnd + 1) / 2);
}

void AdditiveLayer::Touch(int first, int last, float left, float right) {
  int x0 = std::max(0, static_cast<int>(std::floor(left)));
  int x1 = std::min(pixels_.width - 1, static_cast<int>(std::ceil(right)));
  for (int y = std::max(first, rowBegin_); y <= std::min(last, rowEnd_ - 1); ++y) {
    minX_[y] = std::min(minX_[y], x0);
    maxX_[y] = std::max(maxX_[y], x1);
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
  for (int x = x0; x < x1; ++x) {
    // Frame pixel centre x + 0.5 sits at half-resolution (x + 0.5) / 2 - 0.5.
    int hx = (x - 1) >> 1;
    uint32_t wx = (x & 1) ? kFarWeight : kNearWeight;
    int xa = std::clamp(hx, 0, last), xb = std::clamp(hx + 1, 0, last);
    uint32_t top = weigh(rowA[xa], rowA[xb], wx), bottom = weigh(rowB[xa], rowB[xb], wx);
    uint32_t add = weigh(top, bottom, weightB);
    if (add != 0) dst[x] = pixel::BlendAdd(dst[x], add);
  }
}

void AdditiveLayer::AddTo(Frame& frame, int rowBegin, int rowEnd) {
  const Frame& half = pixels_;
  for (int y = std::max(rowBegin, 0); y < std::min(rowEnd, frame.height); ++y) {
    int hy = (y - 1) >> 1;
    uint32_t wy = (y & 1) ? kFarWeight : kNearWeight;  // weight of row hy + 1
    int ha = std::clamp(hy, rowBegin_, rowEnd_ - 1), hb = std::clamp(hy + 1, rowBegin_, rowEnd_ - 1);
    int lo = std::min(minX_[ha], minX_[hb]), hi = std::max(maxX_[ha], maxX_[hb]);
    if (hi < lo) continue;
    int x0 = std::max(0, 2 * lo - 1), x1 = std::min(frame.width, 2 * hi + 3);
    AddRow(half.pixels.data() + static_cast<size_t>(ha) * half.width,
           half.pixels.data() + static_cast<size_t>(hb) * half.width, wy,
           frame.pixels.data() + static_cast<size_t>(y) * frame.width, x0, x1);
  }
  for (int y = rowBegin_; y < rowEnd_; ++y) {
    if (maxX_[y] >= minX_[y]) {
      uint32_t* row = pixels_.pixels.data() + static_cast<size_t>(y) * pixels_.width;
      std::fill(row + minX_[y], row + maxX_[y] + 1, 0u);
    }
    minX_[y] = INT_MAX;
    maxX_[y] = -1;
  }
}

}  // namespace spriteengine
