// libFuzzer target: the input script parser and the script file list.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  spriteengine::ParseScript(text);
  std::string rest;
  spriteengine::TakeFirstScriptFile(text, &rest);
  return 0;
}
