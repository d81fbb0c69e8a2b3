// TPlayKeys: the keys of the play screen that are not the hero's: Esc opens
// the quit dialog over the lowered world, Pause pauses and carries on. The
// hero reads his own keys in the world's step.
#pragma once

#include "menus/screen.h"

namespace menus {

class TPlayKeys final : public TScreen {
 public:
  void Keys(uint8_t modifiers) override;
};

}  // namespace menus
