// FrameInput: everything a frame's work reads from outside the game, taken
// once at the start of the frame: the keys after the pad mapping, the pointer,
// the mouse click and the window commands that reached the frame. The game
// reads its input only from here, never from the engine directly, so that a
// recorded list of FrameInputs replays a run exactly.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

namespace core {

inline constexpr int kScanCodes = 256;                // DirectInput scan codes 0..255 (0 is never a key)
inline constexpr float kPointerOutsideFrame = -1.0f;  // where the pointer is before it first moves

// What a window command asks of the frame that takes it.
enum class FrameCommand : uint8_t {
  kMinimize = 1,          // the window was minimised: play pauses
  kPadRemoved = 2,        // a game controller came unplugged: play pauses
  kSwitchWindowMode = 3,  // maximise or a caption double-click: restart in the other mode
  kCloseBox = 4,          // the close box: in the menus, the quit dialog
};
inline constexpr uint8_t kLastFrameCommand = 4;

struct FrameInput {
  std::bitset<kScanCodes> held;     // keys down now (keyboard or pad)
  std::bitset<kScanCodes> pressed;  // keys pressed since the last frame; each is seen once
  float pointerX = kPointerOutsideFrame;  // 0..1 of the frame from the left; outside it when < 0 or > 1
  float pointerY = kPointerOutsideFrame;  // 0..1 of the frame from the top
  bool clicked = false;                   // the left button was pressed since the last frame
  std::vector<FrameCommand> commands;     // window commands, in the order they came

  bool operator==(const FrameInput&) const = default;
};

class PadKeys;
struct Controls;

// How the frame's keys are read: in play, through the player's controls
// (see controls.h); in the menus, as they are.
struct KeyLayout {
  bool play = false;
  const Controls* controls = nullptr;  // needed in play
  int32_t hideKey = 0;                 // passes as itself in play
};

// Reads the frame's input from the engine's input operations (the keys, the
// pointer, the click) in `layout`, adds the keys the pads hold and press,
// and takes `commands` with it. A key held by the keyboard and a pad is one
// key; a press on either is a press.
FrameInput CaptureFrameInput(std::vector<FrameCommand> commands, const PadKeys& pads, const KeyLayout& layout);

// The frame's input, as the frame's work reads it. A key press or a click is
// reported once: a second question in the same frame gets false, as from the
// engine.
class FrameInputReader {
 public:
  void Begin(const FrameInput& input);
  const FrameInput& input() const { return input_; }

  bool KeyHeld(int32_t code) const;
  bool TakeKeyPress(int32_t code);
  bool TakeClick();
  float PointerX() const { return input_.pointerX; }
  float PointerY() const { return input_.pointerY; }

 private:
  FrameInput input_;
  std::bitset<kScanCodes> pressesLeft_;
  bool clickLeft_ = false;
};

}  // namespace core
