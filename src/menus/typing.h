// Typing into the game's short text fields (a name, the add text): letter keys
// append a character while the field is not full, Backspace deletes.
#pragma once

#include <cstdint>
#include <string>

#include "core/player_files.h"

namespace menus {

inline constexpr int32_t kBackspaceKey = 0x0E;

// Applies one pressed key to `field`. With Shift a letter key appends its
// name; without, a letter appends its lower-case form and another key of the
// typing rows its own character. Nothing happens to a full field, and the
// field never grows past 10 characters. True when the field changed.
bool TypeKey(std::string& field, int32_t scanCode, bool shift);

// The add text of a settings record as a string (its length clamped to 10),
// and back.
std::string AddTextOf(const core::TSettings& settings);
void SetAddText(core::TSettings& settings, const std::string& text);

}  // namespace menus
