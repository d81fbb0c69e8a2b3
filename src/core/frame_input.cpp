#include "core/frame_input.h"

#include "core/controls.h"
#include "core/pad_keys.h"
#include "engine_link/engine_calls.h"

namespace core {

FrameInput CaptureFrameInput(std::vector<FrameCommand> commands, const PadKeys& pads, const KeyLayout& layout) {
  FrameInput input;
  // Every code is asked once: a press the frame does not take is dropped, as
  // the engine drops a press nobody asks for during its frame.
  for (int code = 1; code < kScanCodes; ++code) {
    if (iKeyDown(code)) input.held.set(static_cast<size_t>(code));
    if (iKeyClick(code)) input.pressed.set(static_cast<size_t>(code));
  }
  if (layout.play && layout.controls) ApplyControls(*layout.controls, layout.hideKey, input.held, input.pressed);
  input.held |= pads.held();
  input.pressed |= pads.pressed();
  input.pointerX = iMouseX();
  input.pointerY = iMouseY();
  input.clicked = iMouseButtonClick(0) != 0;
  input.commands = std::move(commands);
  return input;
}

void FrameInputReader::Begin(const FrameInput& input) {
  input_ = input;
  pressesLeft_ = input.pressed;
  clickLeft_ = input.clicked;
}

bool FrameInputReader::KeyHeld(int32_t code) const {
  return code > 0 && code < kScanCodes && input_.held.test(static_cast<size_t>(code));
}

bool FrameInputReader::TakeKeyPress(int32_t code) {
  if (code <= 0 || code >= kScanCodes || !pressesLeft_.test(static_cast<size_t>(code))) return false;
  pressesLeft_.reset(static_cast<size_t>(code));
  return true;
}

bool FrameInputReader::TakeClick() {
  const bool clicked = clickLeft_;
  clickLeft_ = false;
  return clicked;
}

}  // namespace core
