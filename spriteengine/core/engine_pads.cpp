// Game controllers: the backend's (or the script's) pad events become keys
// through the PadMapper, in the layout of the game's current state.
#include "engine.h"

namespace spriteengine {

void Engine::PadPlayStatesSet(const std::vector<int>& states) {
  std::lock_guard lock(padMutex_);
  padPlayStates_ = std::set<int>(states.begin(), states.end());
}

PadLayout Engine::CurrentPadLayout() {
  return padPlayStates_.count(gameState_.load()) ? PadLayout::kPlay : PadLayout::kMenu;
}

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
    input_.SetPadKeys(pads_.HeldKeys());
  }
  if (!known) return;
  automation_.Log("pad " + std::to_string(pad) + " removed");
  // The game decides what an unplugged pad means (in play: a pause).
  ForwardToLink(VARNOK_WINDOW_PAD_REMOVED);
}

void Engine::OnPadButton(int pad, PadButton button, bool down) {
  std::lock_guard lock(padMutex_);
  pads_.Button(pad, button, down, CurrentPadLayout());
  input_.SetPadKeys(pads_.HeldKeys());
}

void Engine::OnPadAxis(int pad, PadAxis axis, float value) {
  std::lock_guard lock(padMutex_);
  pads_.Axis(pad, axis, value);
  input_.SetPadKeys(pads_.HeldKeys());
}

void Engine::ReleasePads() {
  std::lock_guard lock(padMutex_);
  pads_.ReleaseAll();
  input_.SetPadKeys(pads_.HeldKeys());
}

void Engine::ForgetPads() {
  std::lock_guard lock(padMutex_);
  pads_ = PadMapper{};
  input_.SetPadKeys(pads_.HeldKeys());
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
