// libFuzzer target: the "sprite.x" mesh reader and its quad.
#include <cstddef>
#include <cstdint>

#include "core/mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<spriteengine::Mesh> mesh = spriteengine::ParseMesh({data, size});
  if (mesh) spriteengine::QuadOfMesh(*mesh);
  return 0;
}
