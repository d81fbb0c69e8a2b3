// Fuzzes the promotion screen's description reader: any text gives a valid
// description with every named file known, or a refusal; a valid one has its
// exit button last and at most the allowed number of buttons.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "menus/share_config.h"

namespace {

// Files whose name starts with "wdata\" exist; others do not.
bool Exists(const std::string& file) { return file.rfind("wdata\\", 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const menus::ShareConfig config = menus::ParseShareConfig(text, Exists);
  if (!config.valid) return 0;
  if (config.buttonCount < 1 || config.buttonCount > menus::kMaxShareButtons) std::abort();
  if (config.buttons.size() != static_cast<size_t>(config.buttonCount)) std::abort();
  if (config.buttons.back().action != "exit") std::abort();
  for (size_t i = 0; i + 1 < config.buttons.size(); ++i) {
    const menus::ShareButtonSpec& button = config.buttons[i];
    if (!Exists(button.action) || !Exists(button.normalImage) || !Exists(button.hoverImage)) std::abort();
  }
  if (!Exists(config.background)) std::abort();
  for (const menus::ShareButtonSpec& button : config.buttons) {
    // The hit test and the placement take any rectangle.
    (void)button.normalRect.Holds(static_cast<int32_t>(size), 0);
    (void)menus::ScreenToEngine(button.hoverRect);
  }
  return 0;
}
