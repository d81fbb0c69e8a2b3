// Additive particles are drawn at half resolution into this layer and then
// added to the frame, bilinearly enlarged: fire is soft, and it has a
// quarter of the pixels to fill. The layer remembers, for each block of
// kBlockRows rows, which columns were drawn (as a few runs, so fires far
// apart on the same rows do not make the whole width between them count),
// and adding it back and clearing it cost only about what the particles
// covered (what lies around them in a block is still zero).
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
  int RowBegin() const { return rowBegin_; }  // half-resolution rows the band's frame rows weigh
  int RowEnd() const { return rowEnd_; }
  static constexpr int kBlockRows = 8;
  static constexpr int kBlockRuns = 4;  // column runs kept per block; more are joined
  // Columns left..right (half resolution) of rows first..last were drawn.
  void Touch(int first, int last, float left, float right);
  // Adds the layer to the frame rows rowBegin..rowEnd-1 (those of Begin)
  // and clears what was drawn.
  void AddTo(Frame& frame, int rowBegin, int rowEnd);

 private:
  void AddRow(const uint32_t* rowA, const uint32_t* rowB, uint32_t weightB, uint32_t* dst, int x0, int x1) const;

  struct Run {
    int low, high;  // columns, both drawn
  };
  struct Block {
    Run runs[kBlockRuns];
    int count = 0;  // none: untouched
  };
  Frame pixels_;
  std::vector<Block> blocks_;
  int rowBegin_ = 0, rowEnd_ = 0;
};

}  // namespace spriteengine
