// TControlsMenu: the controls screen beside the main menu, opened from the
// options. A row for each action of the fight with its two keys and two pad
// buttons, then DEFAULTS and BACK. Enter or a click on a cell waits for the
// next key (a key cell) or pad button (a pad cell), Esc gives up; a key or
// button bound elsewhere is offered as a swap (Enter, a click on the cell or
// the pad's A takes it, Esc keeps things as they were). Every change is in
// force and saved at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/controls.h"
#include "engine_link/engine_calls.h"
#include "menus/screen.h"

namespace menus {

class TControlsMenu final : public TScreen {
 public:
  void Keys(uint8_t modifiers) override;
  void Hover(core::CursorPoint p) override;
  void Click(core::CursorPoint p) override;
  void Frame() override { Draw(); }

  static constexpr int kColumns = 2 * core::kSlotsPerAction;  // key, key, pad, pad
  static constexpr int kDefaultsRow = core::kActionCount;      // the rows after the actions
  static constexpr int kBackRow = core::kActionCount + 1;
  static constexpr int kRows = core::kActionCount + 2;

  void Build();
  // From the options: the screen beside the main menu column.
  void Open();
  void Show();
  void Hide();
  // Back to the options.
  void Back();
  // Every action back on the game's own keys and buttons, saved.
  void RestoreDefaults();
  // Each frame: the buttons' highlights and the table's texts.
  void Draw();

  int row() const { return row_; }
  int column() const { return column_; }
  // The text of a cell as shown.
  static std::string CellText(const core::Controls& controls, core::Action action, int column);

 private:
  struct Offer {  // a key or button bound elsewhere, waiting for the player's yes
    int code = 0;
    bool pad = false;
  };
  void Select(int row, int column);
  void Activate();
  void StartCapture();
  void EndCapture();
  // A key (or pad button) for the selected cell: bound at once when free,
  // offered when another action has it.
  void Take(int code, bool pad);
  void Bind(int code, bool pad);
  void Saved(bool ok) { saveFailed_ = !ok; }
  core::BindingSlot SelectedSlot() const;
  bool PadColumn() const { return column_ >= core::kSlotsPerAction; }

  int row_ = 0, column_ = 0;
  std::optional<Offer> offer_;
  bool saveFailed_ = false;
  EHandle frame_ = 0, label_ = 0;
  EHandle defaults_ = 0, back_ = 0, defaultsLit_ = 0, backLit_ = 0;
  double defaultsOpacity_ = 0, backOpacity_ = 0;
};

// The names the controls screen and the help show.
std::string ControlKeyName(int32_t scanCode);
std::string PadButtonName(int button);
std::string ActionName(core::Action action);

}  // namespace menus
