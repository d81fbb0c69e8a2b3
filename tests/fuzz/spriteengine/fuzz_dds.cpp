// libFuzzer target: the DDS reader and the mip chain built from what it reads.
#include <cstddef>
#include <cstdint>

#include "core/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<spriteengine::Image> image = spriteengine::ReadDds({data, size});
  if (image && image->pixels.size() <= 1 << 16) spriteengine::BuildTexture(*image, 0);
  return 0;
}
