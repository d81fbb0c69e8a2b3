// TRecordInputMenu: the name-entry screen of a run that entered the
// high-score table. The player types a name and the add text, then saves the
// entry (which leads to the online submission question) or cancels it.
#pragma once

#include <cstdint>
#include <string>

#include "engine_link/engine_calls.h"
#include "menus/text_cursor.h"
#include "menus/screen.h"

namespace menus {

class TRecordInputMenu final : public TScreen {
 public:
  // The screen's input and frame work (see TScreen).
  void Keys(uint8_t modifiers) override;
  void Hover(core::CursorPoint p) override;
  void Click(core::CursorPoint p) override;
  enum Item : uint8_t { kName = 1, kAddText = 2, kSave = 3, kCancel = 4 };

  void Build();
  // Shows the frame over the lowered play screen and starts typing the name.
  void Open();
  void HideSprites();
  // Wraps at both ends; the state follows the item (typing the name, typing
  // the add text, or the buttons).
  void MoveSelection(bool up);
  // Hover: the item under the pointer becomes the selected one; pointing at a
  // field starts typing it. True when the item changed.
  bool HoverItem(uint8_t item);
  // A field starts being typed, or a button runs (0: nothing).
  void Choose(uint8_t item);
  uint8_t item() const { return item_; }
  // Each frame in an entry state: the captions, the fields and the buttons.
  void Draw();
  void Frame() override { Draw(); }

  // Enters the run at pendingRecordRank, writes the table, takes the add
  // text into the settings and asks about the online submission. A table
  // that could not be written changes nothing: the entry stays open on its
  // buttons, saying so, to try again or to cancel.
  void SaveRecord();
  // Drops the entry: back to the main menu, nothing written.
  void CancelRecord();

  std::string& name() { return name_; }        // kept from one entry to the next
  std::string& addText() { return addText_; }

 private:
  void FollowItemWithState();

  uint8_t item_ = kName;          // 1 name, 2 add text, 3 save, 4 cancel
  EHandle frame_ = 0;
  TextCursor cursor_;             // blinks in the field being typed
  std::string addText_;           // at most 10 characters
  std::string name_;              // at most 10 characters
  bool saveFailed_ = false;       // the last save of this entry could not write the table
};

}  // namespace menus
