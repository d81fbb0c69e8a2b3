// Names of keyboard scan codes, as the options show the hide hot key and as
// typing turns letter keys into characters. Letters and digits are in the
// game font's code, which is ASCII upper case (a typed lower-case letter is
// its name + 32).
#pragma once

#include <cstdint>
#include <string>

namespace menus {

// The key's name, or the empty text for a key that has none.
std::string KeyName(int32_t scanCode);

// Whether the key types a character into a name or the add text.
bool IsLetterKey(int32_t scanCode);

// Whether the key may be the hide hot key.
bool IsHotKeyCandidate(int32_t scanCode);

}  // namespace menus
