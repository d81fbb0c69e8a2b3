// TOptMenu: the options screen beside the main menu. It edits PendingSettings
// (window or full screen, music, sound, the add text, the hide hot key) and
// Apply writes them to the settings file and puts them in force. Its last
// item opens the controls screen.
#pragma once

#include <cstdint>
#include <string>

#include "engine_link/engine_calls.h"
#include "core/player_files.h"
#include "menus/text_cursor.h"
#include "menus/screen.h"

namespace menus {

class TOptMenu final : public TScreen {
 public:
  // The screen's input and frame work (see TScreen).
  void Keys(uint8_t modifiers) override;
  void Hover(core::CursorPoint p) override;
  void Click(core::CursorPoint p) override;
  enum Item : uint8_t { kWindow = 1, kMusic = 2, kSound = 3, kAddText = 4, kHotKey = 5, kControls = 6 };
  static constexpr int kItems = 6;

  // Engine start: the pictures, item 1, the lit choices from ActiveSettings.
  void Build();
  void ShowSprites();
  void HideSprites();
  // Wraps at both ends; the underline moves under the new item.
  void MoveSelection(bool up);
  // Hover: the item under the pointer becomes the selected one (true when it
  // changed); the underline is put under it.
  bool HoverItem(uint8_t item);

  // Pending edits.
  void ToggleWindowed();   // also flips WindowModeChanged
  void SetWindowed(uint8_t windowed);
  void ToggleMusic();
  void ToggleSound();

  // Saves PendingSettings, starts or stops the menu music, puts the pending
  // values in force and, when the display mode changed, restarts the engine.
  // Settings that could not be saved still apply to this run, except the
  // display mode (a restart takes it from the file); the screen says they
  // were not saved until a later save works.
  void Apply();
  // Hides the screen and applies.
  void Close();
  // Back to the main menu, applying the pending values.
  void Leave();
  // Each frame in an options state: fades, the add text and the hot key.
  void Draw();
  void Frame() override { Draw(); }

  uint8_t item() const { return item_; }
  void set_item(uint8_t item) { item_ = item; }
  bool windowModeChanged() const { return windowModeChanged_ != 0; }
  // The hot key as shown: its name and the modifiers held with it.
  static std::string HotKeyText(const core::TSettings& settings);

 private:
  void PlaceUnderline();
  // Applies what was chosen and opens the controls screen.
  void OpenControls();

  uint8_t item_ = kWindow;                   // selected item 1..5
  EHandle panel_ = 0, title_ = 0, underline_ = 0;
  EHandle musicOn_ = 0, musicOff_ = 0, musicOnLit_ = 0, musicOffLit_ = 0;
  EHandle soundOn_ = 0, soundOff_ = 0, soundOnLit_ = 0, soundOffLit_ = 0;
  EHandle window_ = 0, full_ = 0, windowLit_ = 0, fullLit_ = 0;
  EHandle controls_ = 0, controlsLit_ = 0;
  // Opacity of each lit picture.
  double musicOnLevel_ = 0, musicOffLevel_ = 0, soundOnLevel_ = 0, soundOffLevel_ = 0;
  double windowLevel_ = 0, fullLevel_ = 0, controlsLevel_ = 0;
  uint8_t windowModeChanged_ = 0;            // 1: pending display mode differs from the running one
  TextCursor cursor_;                        // blinks while the add text is typed
  bool saveFailed_ = false;                  // the last Apply could not write the settings file
};

}  // namespace menus
