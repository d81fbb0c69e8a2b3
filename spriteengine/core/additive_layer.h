// Additive particles are drawn at half resolution into this layer and then
// added to the frame, bilinearly enlarged: fire is soft, and it has a
// quarter of the pixels to fill. The layer remembers, for each block of
// kBlockRows rows, which columns were drawn, so adding it back and clearing
// it cost only about what the particles covered (what lies around them in a
// block is still zero).
#pragma once

#include <vector>

#include "raster.h"

namespace spriteengine {

class AdditiveLayer {
 public:
  AdditiveLayer();

  // Serve the frame rows frameRowBegin..frameRowEnd-1 next. The layer is
  // all zero here (AddTo leaves it so).
  void Begin(int frameRowBegin, int frameRowEnd);
  Frame& Pixels() { return pixels_; }
  int RowBegin() const { return rowBegin_; }  // half-resolution rows of the band
  int RowEnd() const { return rowEnd_; }
  static constexpr int kBlockRows = 8;
  // Columns left..right (half resolution) of rows first..last were drawn.
  void Touch(int first, int last, float left, float right);
  // Adds the layer to the frame rows rowBegin..rowEnd-1 (those of Begin)
  // and clears what was drawn.
  void AddTo(Frame& frame, int rowBegin, int rowEnd);

 private:
  void AddRow(const uint32_t* rowA, const uint32_t* rowB, uint32_t weightB, uint32_t* dst, int x0, int x1) const;

  Frame pixels_;
  std::vector<int> minX_, maxX_;  // per block of rows; maxX_ < minX_ when untouched
  int rowBegin_ = 0, rowEnd_ = 0;
};

}  // namespace spriteengine
