#include "pad_state.h"

#include <cmath>

namespace spriteengine {

namespace {

bool ValidButton(PadButton b) { return static_cast<int>(b) >= 0 && b < PadButton::kCount; }
bool ValidAxis(PadAxis a) { return static_cast<int>(a) >= 0 && a < PadAxis::kCount; }
size_t Index(PadButton b) { return static_cast<size_t>(b); }
size_t Index(PadAxis a) { return static_cast<size_t>(a); }

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

void PadState::Add(int pad) { pads_.try_emplace(pad); }

bool PadState::Remove(int pad) { return pads_.erase(pad) > 0; }

void PadState::Button(int pad, PadButton button, bool down) {
  if (!ValidButton(button)) return;
  Pad& p = pads_[pad];
  const size_t i = Index(button);
  if (down && !p.down[i]) p.pending.set(i);  // a repeated press is not a new one
  if (!down) p.ignored.reset(i);
  p.down[i] = down;
}

void PadState::Axis(int pad, PadAxis axis, float value) {
  if (!ValidAxis(axis)) return;
  Pad& p = pads_[pad];
  p.axes[Index(axis)] = std::isfinite(value) ? std::fmax(-1.0f, std::fmin(1.0f, value)) : 0.0f;
  p.axisStale.reset(Index(axis));
}

void PadState::ReleaseAll() {
  for (auto& [id, p] : pads_) {
    p.ignored |= p.down;
    p.pending.reset();
    p.clickable.reset();
    p.axisStale.set();
  }
}

void PadState::BeginFrame() {
  for (auto& [id, p] : pads_) {
    p.clickable = p.pending;
    p.pending.reset();
  }
}

std::vector<int> PadState::Pads() const {
  std::vector<int> ids;
  ids.reserve(pads_.size());
  for (const auto& [id, p] : pads_) ids.push_back(id);
  return ids;
}

const PadState::Pad* PadState::Find(int pad) const {
  auto it = pads_.find(pad);
  return it == pads_.end() ? nullptr : &it->second;
}

bool PadState::IsButtonDown(int pad, PadButton button) const {
  const Pad* p = Find(pad);
  return p && ValidButton(button) && p->down[Index(button)] && !p->ignored[Index(button)];
}

bool PadState::TakeButtonClick(int pad, PadButton button) {
  auto it = pads_.find(pad);
  if (it == pads_.end() || !ValidButton(button) || !it->second.clickable[Index(button)]) return false;
  it->second.clickable.reset(Index(button));
  return true;
}

float PadState::AxisValue(int pad, PadAxis axis) const {
  const Pad* p = Find(pad);
  if (!p || !ValidAxis(axis) || p->axisStale[Index(axis)]) return 0.0f;
  return p->axes[Index(axis)];
}

}  // namespace spriteengine
