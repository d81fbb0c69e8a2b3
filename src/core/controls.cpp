#include "core/controls.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "core/game_context.h"
#include "engine_link/pad_reports.h"
#include "engine_link/scan_codes.h"
#include "platform/file_io.h"
#include "platform/player_path.h"

namespace core {
namespace {

constexpr std::string_view kHeading = "varnok controls 1";

constexpr std::array<std::string_view, kActionCount> kActionNames = {"left", "right", "up",   "down",
                                                                     "aim",  "fire",  "grenade", "pause"};
constexpr std::array<int32_t, kActionCount> kActionKeys = {keys::kLeft, keys::kRight, keys::kUp,      keys::kDown,
                                                           keys::kZ,    keys::kLeftCtrl, keys::kNumpad0, keys::kPause};

// SDL's names of the buttons, as its mapping strings write them.
constexpr std::array<std::string_view, engine_link::kPadButtons> kPadButtonNames = {
    "a",     "b",         "x",          "y",            "back",          "guide", "start", "leftstick",
    "rightstick", "leftshoulder", "rightshoulder", "dpup", "dpdown", "dpleft", "dpright"};

// Every key some action has by default: in play they mean their action only.
std::bitset<kScanCodes> DefaultActionKeys() {
  std::bitset<kScanCodes> set;
  for (const ActionBinding& b : DefaultControls().actions)
    for (uint8_t key : b.keys)
      if (key != 0) set.set(key);
  return set;
}

std::optional<uint8_t> ParseKey(std::string_view word) {
  if (word == "-") return 0;
  int value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size() || !BindableKey(value)) return std::nullopt;
  return static_cast<uint8_t>(value);
}

std::optional<uint8_t> ParsePadButton(std::string_view word) {
  if (word == "-") return kNoPadButton;
  for (size_t i = 0; i < kPadButtonNames.size(); ++i)
    if (kPadButtonNames[i] == word && BindablePadButton(static_cast<int>(i))) return static_cast<uint8_t>(i);
  return std::nullopt;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find(separator, start), text.size());
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

Controls DefaultControls() {
  auto binding = [](uint8_t key1, uint8_t key2, uint8_t pad1, uint8_t pad2) {
    return ActionBinding{{key1, key2}, {pad1, pad2}};
  };
  constexpr uint8_t kNone = kNoPadButton;
  Controls c;
  c[Action::kLeft] = binding(keys::kLeft, 0, VARNOK_PAD_DPAD_LEFT, kNone);
  c[Action::kRight] = binding(keys::kRight, 0, VARNOK_PAD_DPAD_RIGHT, kNone);
  c[Action::kUp] = binding(keys::kUp, 0, VARNOK_PAD_A, VARNOK_PAD_DPAD_UP);
  c[Action::kDown] = binding(keys::kDown, 0, VARNOK_PAD_DPAD_DOWN, kNone);
  c[Action::kAimInPlace] = binding(keys::kZ, 0, VARNOK_PAD_Y, VARNOK_PAD_RIGHT_SHOULDER);
  c[Action::kFire] = binding(keys::kLeftCtrl, keys::kRightCtrl, VARNOK_PAD_X, kNone);
  c[Action::kGrenade] = binding(keys::kNumpad0, keys::kX, VARNOK_PAD_B, kNone);
  c[Action::kPause] = binding(keys::kPause, 0, VARNOK_PAD_START, kNone);
  return c;
}

int32_t ActionKey(Action action) { return kActionKeys[static_cast<size_t>(action)]; }

std::string_view ActionFileName(Action action) { return kActionNames[static_cast<size_t>(action)]; }

bool BindableKey(int32_t scanCode) { return scanCode > 0 && scanCode < kScanCodes && scanCode != keys::kEscape; }

bool BindablePadButton(int button) {
  return button >= 0 && button < engine_link::kPadButtons && button != VARNOK_PAD_BACK && button != VARNOK_PAD_GUIDE;
}

namespace {

// The slot of `slots` (keys or pad) that holds `value`; an empty slot's value is never found.
std::optional<BindingSlot> FindIn(const Controls& controls, std::array<uint8_t, kSlotsPerAction> ActionBinding::*slots,
                                  int value, int empty) {
  if (value == empty) return std::nullopt;
  for (int a = 0; a < kActionCount; ++a)
    for (int s = 0; s < kSlotsPerAction; ++s)
      if ((controls.actions[static_cast<size_t>(a)].*slots)[static_cast<size_t>(s)] == value)
        return BindingSlot{static_cast<Action>(a), s};
  return std::nullopt;
}

}  // namespace

std::optional<BindingSlot> FindKey(const Controls& controls, int32_t scanCode) {
  return FindIn(controls, &ActionBinding::keys, scanCode, 0);
}

std::optional<BindingSlot> FindPadButton(const Controls& controls, int button) {
  return FindIn(controls, &ActionBinding::pad, button, kNoPadButton);
}

void BindKey(Controls& controls, BindingSlot to, int32_t scanCode) {
  if (!BindableKey(scanCode) || to.slot < 0 || to.slot >= kSlotsPerAction) return;
  uint8_t& target = controls[to.action].keys[static_cast<size_t>(to.slot)];
  if (const auto from = FindKey(controls, scanCode)) controls[from->action].keys[static_cast<size_t>(from->slot)] = target;
  target = static_cast<uint8_t>(scanCode);
}

void BindPadButton(Controls& controls, BindingSlot to, int button) {
  if (!BindablePadButton(button) || to.slot < 0 || to.slot >= kSlotsPerAction) return;
  uint8_t& target = controls[to.action].pad[static_cast<size_t>(to.slot)];
  if (const auto from = FindPadButton(controls, button)) controls[from->action].pad[static_cast<size_t>(from->slot)] = target;
  target = static_cast<uint8_t>(button);
}

void ApplyControls(const Controls& controls, int32_t hideKey, std::bitset<kScanCodes>& held,
                   std::bitset<kScanCodes>& pressed) {
  static const std::bitset<kScanCodes> kDefaultKeys = DefaultActionKeys();
  std::bitset<kScanCodes> replaced = kDefaultKeys;
  std::bitset<kScanCodes> actionHeld, actionPressed;
  for (int a = 0; a < kActionCount; ++a) {
    const auto key = static_cast<size_t>(kActionKeys[static_cast<size_t>(a)]);
    for (uint8_t bound : controls.actions[static_cast<size_t>(a)].keys) {
      if (bound == 0) continue;
      replaced.set(bound);
      if (held.test(bound)) actionHeld.set(key);
      if (pressed.test(bound)) actionPressed.set(key);
    }
  }
  if (hideKey > 0 && hideKey < kScanCodes) replaced.reset(static_cast<size_t>(hideKey));
  held = (held & ~replaced) | actionHeld;
  pressed = (pressed & ~replaced) | actionPressed;
}

std::string FormatControls(const Controls& controls) {
  std::string text(kHeading);
  text += '\n';
  for (int a = 0; a < kActionCount; ++a) {
    const ActionBinding& b = controls.actions[static_cast<size_t>(a)];
    text += ActionFileName(static_cast<Action>(a));
    for (uint8_t key : b.keys) text += key == 0 ? std::string(" -") : " " + std::to_string(key);
    for (uint8_t button : b.pad)
      text += button < kPadButtonNames.size() ? " " + std::string(kPadButtonNames[button]) : std::string(" -");
    text += '\n';
  }
  return text;
}

std::optional<Controls> ParseControls(std::string_view text) {
  if (text.size() > kMaxControlsFileBytes || text.empty() || text.back() != '\n') return std::nullopt;
  const std::vector<std::string_view> lines = Split(text.substr(0, text.size() - 1), '\n');
  if (lines.size() != 1 + kActionCount || lines[0] != kHeading) return std::nullopt;
  Controls controls;
  std::bitset<kScanCodes> keysSeen;
  std::bitset<engine_link::kPadButtons> buttonsSeen;
  for (int a = 0; a < kActionCount; ++a) {
    const std::vector<std::string_view> words = Split(lines[static_cast<size_t>(a) + 1], ' ');
    if (words.size() != 1 + 2 * kSlotsPerAction || words[0] != ActionFileName(static_cast<Action>(a)))
      return std::nullopt;
    ActionBinding& b = controls.actions[static_cast<size_t>(a)];
    for (int s = 0; s < kSlotsPerAction; ++s) {
      const auto key = ParseKey(words[static_cast<size_t>(1 + s)]);
      const auto button = ParsePadButton(words[static_cast<size_t>(1 + kSlotsPerAction + s)]);
      if (!key || !button) return std::nullopt;
      // A key or button bound twice would leave one of its actions guessing.
      if (*key != 0 && keysSeen.test(*key)) return std::nullopt;
      if (*button != kNoPadButton && buttonsSeen.test(*button)) return std::nullopt;
      if (*key != 0) keysSeen.set(*key);
      if (*button != kNoPadButton) buttonsSeen.set(*button);
      b.keys[static_cast<size_t>(s)] = *key;
      b.pad[static_cast<size_t>(s)] = *button;
    }
  }
  return controls;
}

Controls LoadControls() {
  const std::string path = platform::LastingPlayerFilePath(kControlsFile);
  if (!platform::FileExists(path)) return DefaultControls();
  const auto bytes = platform::ReadWholeFile(path, kMaxControlsFileBytes);
  const auto controls =
      bytes ? ParseControls(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()))
            : std::nullopt;
  if (controls) return *controls;
  // Never half of a set: the whole file is left for the player to look at.
  std::fprintf(stderr, "varnok: the controls in %s cannot be used; playing with the default keys\n", path.c_str());
  std::fflush(stderr);
  return DefaultControls();
}

bool SaveControls(const Controls& controls) {
  const std::string path = platform::LastingPlayerFilePath(kControlsFile);
  const std::string text = FormatControls(controls);
  int error = 0;
  if (platform::WriteFileAtomic(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), &error))
    return true;
  Ctx().saveNotices.Tell(SavedFile::kControls, path, error);
  return false;
}

}  // namespace core
