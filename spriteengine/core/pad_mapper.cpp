#include "pad_mapper.h"

namespace spriteengine {

namespace {

// DirectInput codes of the keys a pad presses.
constexpr int kDikEscape = 0x01, kDikEnter = 0x1C, kDikLeftCtrl = 0x1D, kDikZ = 0x2C, kDikNumpad0 = 0x52;
constexpr int kDikPause = 0xC5, kDikUp = 0xC8, kDikLeft = 0xCB, kDikRight = 0xCD, kDikDown = 0xD0;

int Index(PadButton b) { return static_cast<int>(b); }

// The new latch of one stick axis: a direction is taken beyond kStickPress
// and kept until the axis falls below kStickRelease on its side.
int Latch(int latched, float value) {
  if (value > kStickPress) return 1;
  if (value < -kStickPress) return -1;
  if (latched > 0 && value < kStickRelease) return 0;
  if (latched < 0 && value > -kStickRelease) return 0;
  return latched;
}

}  // namespace

std::optional<PadButton> PadButtonNamed(std::string_view name) {
  static constexpr std::array<std::string_view, static_cast<int>(PadButton::kCount)> kNames = {
      "a",        "b",          "x",           "y",          "back",          "guide",
      "start",    "leftstick",  "rightstick",  "leftshoulder", "rightshoulder", "dpup",
      "dpdown",   "dpleft",     "dpright"};
  for (size_t i = 0; i < kNames.size(); ++i)
    if (kNames[i] == name) return static_cast<PadButton>(i);
  return std::nullopt;
}

std::optional<PadAxis> PadAxisNamed(std::string_view name) {
  static constexpr std::array<std::string_view, static_cast<int>(PadAxis::kCount)> kNames = {
      "leftx", "lefty", "rightx", "righty", "lefttrigger", "righttrigger"};
  for (size_t i = 0; i < kNames.size(); ++i)
    if (kNames[i] == name) return static_cast<PadAxis>(i);
  return std::nullopt;
}

int PadButtonKey(PadButton button, PadLayout layout) {
  const bool play = layout == PadLayout::kPlay;
  switch (button) {
    case PadButton::kDpadUp: return kDikUp;
    case PadButton::kDpadDown: return kDikDown;
    case PadButton::kDpadLeft: return kDikLeft;
    case PadButton::kDpadRight: return kDikRight;
    case PadButton::kStart: return kDikPause;
    case PadButton::kBack: return kDikEscape;
    case PadButton::kA: return play ? kDikUp : kDikEnter;
    case PadButton::kB: return play ? kDikNumpad0 : kDikEscape;
    case PadButton::kX: return play ? kDikLeftCtrl : 0;
    case PadButton::kY:
    case PadButton::kRightShoulder: return play ? kDikZ : 0;
    default: return 0;
  }
}

void PadMapper::Add(int pad) { pads_.try_emplace(pad); }

bool PadMapper::Remove(int pad) { return pads_.erase(pad) > 0; }

void PadMapper::Button(int pad, PadButton button, bool down, PadLayout layout) {
  if (Index(button) < 0 || Index(button) >= Index(PadButton::kCount)) return;
  Pad& p = pads_[pad];
  const int i = Index(button);
  if (down) {
    if (p.held[i]) return;  // a repeated press keeps the key it took first
    p.held[i] = true;
    p.buttonKey[i] = PadButtonKey(button, layout);
  } else {
    p.held[i] = false;
    p.buttonKey[i] = 0;
  }
}

void PadMapper::Axis(int pad, PadAxis axis, float value) {
  Pad& p = pads_[pad];
  if (axis == PadAxis::kLeftX) p.stickX = Latch(p.stickX, value);
  if (axis == PadAxis::kLeftY) p.stickY = Latch(p.stickY, value);
}

void PadMapper::ReleaseAll() {
  for (auto& [id, pad] : pads_) pad = Pad{};
}

KeySet PadMapper::HeldKeys() const {
  KeySet keys;
  for (const auto& [id, pad] : pads_) {
    for (int key : pad.buttonKey)
      if (key > 0) keys.set(static_cast<size_t>(key));
    if (pad.stickX) keys.set(pad.stickX > 0 ? kDikRight : kDikLeft);
    if (pad.stickY) keys.set(pad.stickY > 0 ? kDikDown : kDikUp);
  }
  return keys;
}

}  // namespace spriteengine
