// Feeds arbitrary bytes to the ".url" shortcut reader: it must never crash or read
// out of bounds, and whatever it accepts must be a URL it is allowed to hand on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/shell.h"

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != prefix[i]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto url = platform::Shell::ParseUrlFile(text);
  if (!url) return 0;
  const bool allowedScheme = StartsWithIgnoringCase(*url, "http://") || StartsWithIgnoringCase(*url, "https://") ||
                             StartsWithIgnoringCase(*url, "file://");
  bool clean = true;
  for (const char c : *url) clean = clean && static_cast<unsigned char>(c) > ' ' && c != 0x7F;
  if (!allowedScheme || !clean || url->size() > 4096) std::abort();
  return 0;
}
