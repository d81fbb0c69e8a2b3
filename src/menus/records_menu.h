// TRecordsMenu: the table of the ten best scores beside the main menu, with
// buttons to clear it (after a confirmation) and to view the online table.
#pragma once

#include <cstdint>
#include <string>

#include "engine_link/engine_calls.h"
#include "core/player_files.h"

namespace menus {

class TRecordsMenu {
 public:
  enum Item : uint8_t { kClear = 1, kView = 2 };

  void Build();
  void ShowSprites();
  void HideSprites();
  // Any arrow key switches between the two buttons, with the click.
  void ToggleItem();
  // Hover: true when the item changed.
  bool SetItem(uint8_t item);
  uint8_t item() const { return item_; }
  // Each frame in the records state: the ten lines and the buttons' highlights.
  void Draw();
  // Opens the confirmation dialog for clearing the table.
  void AskClear();
  // Opens the online table: in a window beside the game, in full screen
  // through a restart whose new process opens it.
  void ViewOnline();
  // Back to the main menu.
  void Leave();

  // One line of the table: the name right-aligned in 10 characters, seven
  // spaces, the score right-aligned in 6 digits.
  static std::string Line(const TRecordEntry& entry);

 private:
  uint8_t item_ = kClear;                 // 1 clear, 2 view
  EHandle panel_ = 0, title_ = 0;
  EHandle clear_ = 0, view_ = 0;          // plain buttons
  EHandle clearLit_ = 0, viewLit_ = 0;    // their highlights
  double clearLevel_ = 1, viewLevel_ = 0; // opacity of the highlights
};

}  // namespace menus
