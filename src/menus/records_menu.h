// TRecordsMenu: the table of the ten best scores beside the main menu, with
// buttons to clear it (after a confirmation) and to view the online table.
// A row whose entry kept its run's replay can be picked (Up and Down, or the
// pointer) and watched (Enter, or a click).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "engine_link/engine_calls.h"
#include "core/player_files.h"
#include "core/pointer.h"
#include "menus/screen.h"

namespace menus {

class TRecordsMenu final : public TScreen {
 public:
  // The screen's input and frame work (see TScreen).
  void Keys(uint8_t modifiers) override;
  void Hover(core::CursorPoint p) override;
  void Click(core::CursorPoint p) override;
  enum Item : uint8_t { kClear = 1, kView = 2 };

  void Build();
  // Shows the table, with the replays its entries keep now.
  void ShowSprites();
  void HideSprites();
  // Any arrow key switches between the two buttons, with the click.
  void ToggleItem();
  // Hover: true when the item changed.
  bool SetItem(uint8_t item);
  uint8_t item() const { return item_; }
  // Each frame in the records state: the ten lines and the buttons' highlights.
  void Draw();
  void Frame() override { Draw(); }
  // Opens the confirmation dialog for clearing the table.
  void AskClear();
  // Opens the online table: in a window beside the game, in full screen
  // through a restart whose new process opens it.
  void ViewOnline();
  // Back to the main menu.
  void Leave();

  // Rows are ranks 1..10; 0 is none (the buttons have the keys).
  int row() const { return row_; }
  bool RowHasReplay(int row) const;
  // Up and Down: the next row with a replay above or below the one picked
  // (none picked: the lowest, from the buttons); past the last one the
  // buttons have the keys again. False when no row has a replay.
  bool MoveRow(bool up);
  // The pointer over the table: picks a row with a replay; over one without,
  // says so. True when the picked row changed.
  bool HoverRow(core::CursorPoint p);
  // The row under the pointer, or 0.
  static int RowAt(core::CursorPoint p);
  // Plays the picked row's replay; a replay that cannot play says why.
  void WatchRow();
  // Forgets the picked row (the buttons' keys were used).
  void DropRow();

  // One line of the table: the name right-aligned in 10 characters, seven
  // spaces, the score right-aligned in 6 digits.
  static std::string Line(const core::TRecordEntry& entry);

 private:
  uint8_t item_ = kClear;                 // 1 clear, 2 view
  EHandle panel_ = 0, title_ = 0;
  EHandle clear_ = 0, view_ = 0;          // plain buttons
  EHandle clearLit_ = 0, viewLit_ = 0;    // their highlights
  double clearLevel_ = 1, viewLevel_ = 0; // opacity of the highlights
  EHandle rowLit_ = 0;                    // the picked row's highlight
  int row_ = 0;                           // picked row, 1..10, or 0
  std::array<std::optional<std::string>, core::kRecordCount> replays_{};  // each row's replay file
  std::string note_;                      // a line under the table: why a row does not play
  void PlaceRowHighlight();
};

}  // namespace menus
