#include "input_state.h"

namespace spriteengine {

namespace {
bool ValidKey(int dik) { return dik > 0 && dik < kKeyCount; }
bool ValidButton(int b) { return b >= 0 && b < kMouseButtons; }
}  // namespace

void InputState::KeyDown(int dik) {
  if (!ValidKey(dik)) return;
  std::lock_guard lock(mutex_);
  if (!down_[dik]) pending_[dik] = true;  // auto-repeat is not a new press
  down_[dik] = true;
}

void InputState::KeyUp(int dik) {
  if (!ValidKey(dik)) return;
  std::lock_guard lock(mutex_);
  down_[dik] = false;
}

void InputState::MouseMove(float x, float y) {
  std::lock_guard lock(mutex_);
  pointer_ = {x, y};
  moved_ = true;
}

void InputState::MouseButtonDown(int button) {
  if (!ValidButton(button)) return;
  std::lock_guard lock(mutex_);
  if (!buttonDown_[button]) buttonPending_[button] = true;
  buttonDown_[button] = true;
}

void InputState::MouseButtonUp(int button) {
  if (!ValidButton(button)) return;
  std::lock_guard lock(mutex_);
  buttonDown_[button] = false;
}

void InputState::ReleaseAll() {
  std::lock_guard lock(mutex_);
  down_.fill(false);
  buttonDown_.fill(false);
}

void InputState::BeginFrame() {
  std::lock_guard lock(mutex_);
  clickable_ = pending_;
  pending_.fill(false);
  buttonClickable_ = buttonPending_;
  buttonPending_.fill(false);
}

bool InputState::IsKeyDown(int dik) const {
  if (!ValidKey(dik)) return false;
  std::lock_guard lock(mutex_);
  return down_[dik];
}

bool InputState::TakeKeyClick(int dik) {
  if (!ValidKey(dik)) return false;
  std::lock_guard lock(mutex_);
  bool clicked = clickable_[dik];
  clickable_[dik] = false;
  return clicked;
}

bool InputState::TakeMouseClick(int button) {
  if (!ValidButton(button)) return false;
  std::lock_guard lock(mutex_);
  bool clicked = buttonClickable_[button];
  buttonClickable_[button] = false;
  return clicked;
}

Vec2 InputState::Pointer() const {
  std::lock_guard lock(mutex_);
  return pointer_;
}

bool InputState::PointerMoved() const {
  std::lock_guard lock(mutex_);
  return moved_;
}

}  // namespace spriteengine
