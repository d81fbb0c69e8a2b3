#include "menus/menu_keys.h"

namespace menus {

uint8_t HeldModifiers() {
  uint8_t held = 0;
  if (Held(keys::kLeftShift) || Held(keys::kRightShift)) held |= kShiftHeld;
  if (Held(keys::kLeftAlt) || Held(keys::kRightAlt)) held |= kAltHeld;
  if (Held(keys::kLeftCtrl) || Held(keys::kRightCtrl)) held |= kCtrlHeld;
  return held;
}

bool AnyClicked(std::initializer_list<int32_t> codes) {
  bool any = false;
  for (int32_t code : codes) any = Clicked(code) || any;  // every click is taken
  return any;
}

int32_t LowestPressedKey() {
  for (int32_t code = keys::kLowestCode; code <= keys::kHighestCode; ++code) {
    if (Clicked(code)) return code;
  }
  return 0;
}

}  // namespace menus
