// The input script of VARNOK_ENGINE_SCRIPT (docs/architecture.md): one command a
// line, "FRAME COMMAND [ARGS]", '#' starts a comment, lines in any order.
// FRAME counts run phases from the first of the process (the first run phase
// is frame 1); while no frame runs (minimised, or only the placeholder
// window) the count goes on at the frame rate.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pad_state.h"

namespace spriteengine {

enum class ScriptOp {
  kDown,      // key down (DirectInput code)
  kUp,        // key up
  kTap,       // down on the frame, up on the next
  kMouse,     // pointer to (x, y), 0..1 of the frame
  kClick,     // left button pressed on the frame, released on the next
  kShot,      // PNG of the frame drawn in that frame, or of a picture the game draws in a run phase
  kClose,     // window system commands forwarded to the main window
  kMinimize,
  kMaximize,
  kRestore,
  kActivate,
  kQuit,
  kPadAdd,    // "pad N add": game controller N connected
  kPadRemove, // "pad N remove": unplugged
  kPadDown,   // "pad N down BUTTON"
  kPadUp,     // "pad N up BUTTON"
  kPadTap,    // "pad N tap BUTTON": down on the frame, up on the next
  kPadAxis,   // "pad N axis AXIS VALUE", VALUE -1..1
};

struct ScriptCommand {
  uint64_t frame = 0;
  ScriptOp op = ScriptOp::kDown;
  int code = 0;          // kDown, kUp, kTap
  float x = 0, y = 0;    // kMouse; x is the value of kPadAxis
  int pad = 0;           // kPad*: which controller
  PadButton button = PadButton::kA;  // kPadDown, kPadUp, kPadTap
  PadAxis axis = PadAxis::kLeftX;    // kPadAxis
  std::string file;      // kShot
  int picture = 0;       // kShot: 0 the frame's own render; N the N-th picture drawn inside one run phase
  int line = 0;          // source line, for messages
};

struct ScriptError {
  int line = 0;
  std::string message;
};

struct Script {
  std::multimap<uint64_t, ScriptCommand> byFrame;  // commands in line order within a frame
  std::vector<ScriptError> errors;
};

// Parses the text; malformed lines are listed in `errors` and skipped.
Script ParseScript(std::string_view text);

// Takes the first file of a "FILE[:FILE...]" list: returns it and leaves the
// rest in `rest` (empty when none is left).
std::optional<std::string> TakeFirstScriptFile(std::string_view list, std::string* rest);

}  // namespace spriteengine
