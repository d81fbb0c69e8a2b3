// The player's controls: each action of the fight (walk, jump, lie down, aim
// in place, fire, grenade, pause) on up to two keys and up to two pad
// buttons. The defaults are the game's own keys. The controls apply where the
// frame's input is built, in the play layout only: there a bound key or button
// becomes the key the game's logic reads for its action, and the action keys
// the player moved elsewhere read as up. The menus, typing, the window's
// chords and replays see only the keys after that, so a replay plays back the
// same under any controls.
//
// Kept in "data\controls.txt", a short text file of the player's folder; a
// file that is not exactly one complete set of controls is not used.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/frame_input.h"

namespace core {

enum class Action : uint8_t { kLeft, kRight, kUp, kDown, kAimInPlace, kFire, kGrenade, kPause };
inline constexpr int kActionCount = 8;
inline constexpr int kSlotsPerAction = 2;     // keys, and pad buttons, an action may have
inline constexpr uint8_t kNoPadButton = 0xFF;  // an empty pad slot

struct ActionBinding {
  std::array<uint8_t, kSlotsPerAction> keys{};  // scan codes; 0 = none
  std::array<uint8_t, kSlotsPerAction> pad{kNoPadButton, kNoPadButton};  // VARNOK_PAD_* buttons

  bool operator==(const ActionBinding&) const = default;
};

struct Controls {
  std::array<ActionBinding, kActionCount> actions{};

  const ActionBinding& operator[](Action a) const { return actions[static_cast<size_t>(a)]; }
  ActionBinding& operator[](Action a) { return actions[static_cast<size_t>(a)]; }
  bool operator==(const Controls&) const = default;
};

inline constexpr const char* kControlsFile = "data\\controls.txt";
inline constexpr size_t kMaxControlsFileBytes = 1024;

// The game's own keys and pad buttons.
Controls DefaultControls();

// The key the game's logic reads for an action (its first default key).
int32_t ActionKey(Action action);
// The action's short name in the file ("left", "fire", ...).
std::string_view ActionFileName(Action action);

// Whether a key or a pad button may be bound to an action (Esc and the pad's
// Back and Guide buttons stay the menus').
bool BindableKey(int32_t scanCode);
bool BindablePadButton(int button);

// Where a key or a pad button is bound: its action and slot.
struct BindingSlot {
  Action action = Action::kLeft;
  int slot = 0;
  bool operator==(const BindingSlot&) const = default;
};
std::optional<BindingSlot> FindKey(const Controls& controls, int32_t scanCode);
std::optional<BindingSlot> FindPadButton(const Controls& controls, int button);

// Puts a key (or a pad button) in a slot. When it is already bound in another
// slot, that slot gets what this one held: a swap, so nothing is lost.
void BindKey(Controls& controls, BindingSlot to, int32_t scanCode);
void BindPadButton(Controls& controls, BindingSlot to, int button);

// The play layout's keyboard: the keys of the frame after the controls.
// Keys bound to an action and the game's own action keys are replaced by the
// keys of the actions held and pressed; every other key passes unchanged, and
// so does `hideKey` (the hide hot key works in play whatever it is bound to).
void ApplyControls(const Controls& controls, int32_t hideKey, std::bitset<kScanCodes>& held,
                   std::bitset<kScanCodes>& pressed);

std::string FormatControls(const Controls& controls);
// Untrusted text: one complete, consistent set of controls, or nothing.
std::optional<Controls> ParseControls(std::string_view text);

// The player's controls: the defaults when the file is missing; the defaults
// and one line on stderr when it cannot be used.
Controls LoadControls();
// Writes the file whole (temporary file, then rename). False when it failed.
bool SaveControls(const Controls& controls);

}  // namespace core
