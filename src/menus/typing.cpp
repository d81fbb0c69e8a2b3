#include "menus/typing.h"

#include <algorithm>
#include <cstring>

#include "menus/key_names.h"

namespace menus {
namespace {

constexpr char kLowerCaseOffset = 'a' - 'A';

}  // namespace

bool TypeKey(std::string& field, int32_t code, bool shift) {
  if (code == kBackspaceKey) {
    if (field.empty()) return false;
    field.pop_back();
    return true;
  }
  if (!IsLetterKey(code) || field.size() >= static_cast<size_t>(core::kMaxTextLength)) return false;
  const std::string name = KeyName(code);
  if (name.empty()) return false;
  if (shift) {
    field += name;
    if (field.size() > static_cast<size_t>(core::kMaxTextLength)) field.resize(core::kMaxTextLength);
  } else {
    // The font's lower-case letters sit 32 after the upper-case ones; the
    // punctuation keys type their own character.
    const char c = name[0];
    field += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + kLowerCaseOffset) : c;
  }
  return true;
}

std::string AddTextOf(const core::TSettings& settings) {
  const size_t length = std::min<size_t>(settings.AddTextLength, core::kMaxTextLength);
  return std::string(reinterpret_cast<const char*>(settings.AddText), length);
}

void SetAddText(core::TSettings& settings, const std::string& text) {
  const size_t length = std::min<size_t>(text.size(), core::kMaxTextLength);
  settings.AddTextLength = static_cast<uint8_t>(length);
  std::memcpy(settings.AddText, text.data(), length);
}

}  // namespace menus
