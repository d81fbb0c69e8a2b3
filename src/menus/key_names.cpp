#include "menus/key_names.h"

namespace menus {
namespace {

struct CodeRange {
  int32_t first, last;
  bool Holds(int32_t code) const { return code >= first && code <= last; }
};

// The rows of the keyboard that type characters, with their characters in key order.
struct CharacterRow {
  CodeRange codes;
  const char* characters;
};
constexpr CharacterRow kCharacterRows[] = {
    {{2, 13}, "1234567890-="},
    {{16, 27}, "QWERTYUIOP[]"},
    {{30, 40}, "ASDFGHJKL;'"},
    {{44, 52}, "ZXCVBNM,."},
};

constexpr CodeRange kLetterRanges[] = {{0x10, 0x1B}, {0x1E, 0x28}, {0x2C, 0x34}};
constexpr CodeRange kHotKeyRanges[] = {{0x02, 0x1B}, {0x1E, 0x26}, {0x2C, 0x32}, {0x3B, 0x45}, {0x57, 0x58}};

constexpr int32_t kEscape = 1, kBackspace = 14, kTab = 15;
constexpr CodeRange kF1ToF10{59, 68};
constexpr int32_t kF11 = 87, kF12 = 88;

}  // namespace

std::string KeyName(int32_t code) {
  for (const CharacterRow& row : kCharacterRows) {
    if (row.codes.Holds(code)) return std::string(1, row.characters[code - row.codes.first]);
  }
  if (code == kEscape) return "ESCAPE";
  if (code == kBackspace) return "BACKSPACE";
  if (code == kTab) return "TAB";
  if (kF1ToF10.Holds(code)) return "F" + std::to_string(code - kF1ToF10.first + 1);
  if (code == kF11) return "F11";
  if (code == kF12) return "F12";
  return "";
}

bool IsLetterKey(int32_t code) {
  for (const CodeRange& range : kLetterRanges) {
    if (range.Holds(code)) return true;
  }
  return false;
}

bool IsHotKeyCandidate(int32_t code) {
  for (const CodeRange& range : kHotKeyRanges) {
    if (range.Holds(code)) return true;
  }
  return false;
}

}  // namespace menus
