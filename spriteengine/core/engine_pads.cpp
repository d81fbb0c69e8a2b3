// Game controllers: the backend's (or the script's) pad events kept as the
// game polls them.
#include "engine.h"

namespace spriteengine {

void Engine::OnPadAdded(int pad) {
  {
    std::lock_guard lock(padMutex_);
    pads_.Add(pad);
  }
  automation_.Log("pad " + std::to_string(pad) + " added");
}

void Engine::OnPadRemoved(int pad) {
  bool known = false;
  {
    std::lock_guard lock(padMutex_);
    known = pads_.Remove(pad);
  }
  if (!known) return;
  automation_.Log("pad " + std::to_string(pad) + " removed");
  // The game decides what an unplugged pad means (in play: a pause).
  ForwardToLink(VARNOK_WINDOW_PAD_REMOVED);
}

void Engine::OnPadButton(int pad, PadButton button, bool down) {
  std::lock_guard lock(padMutex_);
  pads_.Button(pad, button, down);
}

void Engine::OnPadAxis(int pad, PadAxis axis, float value) {
  std::lock_guard lock(padMutex_);
  pads_.Axis(pad, axis, value);
}

void Engine::ReleasePads() {
  std::lock_guard lock(padMutex_);
  pads_.ReleaseAll();
}

void Engine::ForgetPads() {
  std::lock_guard lock(padMutex_);
  pads_ = PadState{};
}

std::vector<int> Engine::PadList() {
  std::lock_guard lock(padMutex_);
  return pads_.Pads();
}

bool Engine::PadButtonDown(int pad, int button) {
  std::lock_guard lock(padMutex_);
  return pads_.IsButtonDown(pad, static_cast<PadButton>(button));
}

bool Engine::PadButtonClick(int pad, int button) {
  std::lock_guard lock(padMutex_);
  return pads_.TakeButtonClick(pad, static_cast<PadButton>(button));
}

float Engine::PadAxisValue(int pad, int axis) {
  std::lock_guard lock(padMutex_);
  return pads_.AxisValue(pad, static_cast<PadAxis>(axis));
}

void Engine::ApplyPadScript(const ScriptCommand& c) {
  switch (c.op) {
    case ScriptOp::kPadAdd: OnPadAdded(c.pad); break;
    case ScriptOp::kPadRemove: OnPadRemoved(c.pad); break;
    case ScriptOp::kPadDown: OnPadButton(c.pad, c.button, true); break;
    case ScriptOp::kPadUp: OnPadButton(c.pad, c.button, false); break;
    case ScriptOp::kPadTap: OnPadButton(c.pad, c.button, true); break;  // the automation releases it
    case ScriptOp::kPadAxis: OnPadAxis(c.pad, c.axis, c.x); break;
    default: break;
  }
}

}  // namespace spriteengine
