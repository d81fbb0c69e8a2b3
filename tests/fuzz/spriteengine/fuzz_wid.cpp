// libFuzzer target: the ".wid" font reader and the text layout over it.
#include <cstddef>
#include <cstdint>

#include "core/font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<spriteengine::Font> font = spriteengine::ParseWid({data, size}, 0);
  if (font) {
    spriteengine::LayoutText(*font, "Varnok 0123\nABC xyz ~", {1, 2}, {0.5f, 0.5f}, 0.1f, true);
    spriteengine::LayoutText(*font, "\x01\x7f\xff", {0, 0}, {2, 2}, 1.0f, false);
  }
  return 0;
}
