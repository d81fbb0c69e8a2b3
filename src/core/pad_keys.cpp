#include "core/pad_keys.h"

#include "core/game_state.h"
#include "engine_link/scan_codes.h"

namespace core {

namespace {

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

PadLayout PadLayoutOf(uint8_t gameState) {
  return TraitsOf(gameState).padPlays ? PadLayout::kPlay : PadLayout::kMenu;
}

int32_t PadButtonKey(int button, PadLayout layout, const Controls& controls) {
  if (button == VARNOK_PAD_BACK) return keys::kEscape;
  if (layout == PadLayout::kPlay) {
    const auto bound = FindPadButton(controls, button);
    return bound ? ActionKey(bound->action) : 0;
  }
  switch (button) {
    case VARNOK_PAD_DPAD_UP: return keys::kUp;
    case VARNOK_PAD_DPAD_DOWN: return keys::kDown;
    case VARNOK_PAD_DPAD_LEFT: return keys::kLeft;
    case VARNOK_PAD_DPAD_RIGHT: return keys::kRight;
    case VARNOK_PAD_START: return keys::kPause;
    case VARNOK_PAD_A: return keys::kEnter;
    case VARNOK_PAD_B: return keys::kEscape;
    default: return 0;
  }
}

void PadKeys::Frame(const std::vector<engine_link::PadReport>& pads, PadLayout layout, const Controls& controls) {
  std::map<int32_t, Pad> next;
  held_.reset();
  pressed_.reset();
  buttonsPressed_.reset();
  auto press = [this](int32_t key) {
    if (key > 0 && key < kScanCodes) pressed_.set(static_cast<size_t>(key));
  };
  for (const engine_link::PadReport& report : pads) {
    auto old = pads_.find(report.pad);
    Pad& pad = next[report.pad] = old != pads_.end() ? old->second : Pad{};
    for (int b = 0; b < engine_link::kPadButtons; ++b) {
      const size_t i = static_cast<size_t>(b);
      // A press (even one already let go: a tap within the frame) takes the
      // key of the layout in force now; a held button keeps the key it took.
      if (report.pressed[i] || (report.held[i] && !pad.down[i])) {
        buttonsPressed_.set(i);
        const int32_t key = PadButtonKey(b, layout, controls);
        press(key);
        pad.buttonKey[i] = report.held[i] ? key : 0;
      } else if (!report.held[i]) {
        pad.buttonKey[i] = 0;
      }
      pad.down[i] = report.held[i];
      if (pad.buttonKey[i] > 0) held_.set(static_cast<size_t>(pad.buttonKey[i]));
    }
    const int x = Latch(pad.stickX, report.axes[VARNOK_PAD_AXIS_LEFT_X]);
    const int y = Latch(pad.stickY, report.axes[VARNOK_PAD_AXIS_LEFT_Y]);
    if (x != 0 && x != pad.stickX) press(x > 0 ? keys::kRight : keys::kLeft);
    if (y != 0 && y != pad.stickY) press(y > 0 ? keys::kDown : keys::kUp);
    pad.stickX = x;
    pad.stickY = y;
    if (x) held_.set(static_cast<size_t>(x > 0 ? keys::kRight : keys::kLeft));
    if (y) held_.set(static_cast<size_t>(y > 0 ? keys::kDown : keys::kUp));
  }
  pads_ = std::move(next);
}

}  // namespace core
