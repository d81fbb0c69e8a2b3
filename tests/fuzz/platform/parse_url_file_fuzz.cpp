// Feeds arbitrary bytes to the ".url" shortcut reader: it must never crash or read
// out of bounds, and whatever it accepts must be a URL it is allowed to hand on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ascii.h"
#include "platform/shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto url = platform::Shell::ParseUrlFile(text);
  if (!url) return 0;
  using platform::StartsWithIgnoringAsciiCase;
  const bool allowedScheme = StartsWithIgnoringAsciiCase(*url, "http://") ||
                             StartsWithIgnoringAsciiCase(*url, "https://") || StartsWithIgnoringAsciiCase(*url, "file://");
  bool clean = true;
  for (const char c : *url) clean = clean && static_cast<unsigned char>(c) > ' ' && c != 0x7F;
  if (!allowedScheme || !clean || url->size() > 4096) std::abort();
  return 0;
}
