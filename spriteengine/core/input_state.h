// Keyboard and mouse as the game polls them: keys by DirectInput code, a
// press seen by iKeyClick exactly once, the pointer in 0..1 of the frame.
//
// Presses arriving between two run phases are handed to the next run phase
// (BeginFrame); iKeyClick / iMouseButtonClick return each press once and
// forget it; a press not asked for during its run phase is dropped, so a key
// pressed in one game state never fires in a later one.
#pragma once

#include <array>
#include <mutex>

#include "geometry.h"

namespace spriteengine {

inline constexpr int kKeyCount = 256;
inline constexpr int kMouseButtons = 3;
inline constexpr float kPointerOutside = -1.0f;  // pointer position while outside the frame

class InputState {
 public:
  void KeyDown(int dik);
  void KeyUp(int dik);
  void MouseMove(float x, float y);   // 0..1 of the frame, may lie outside
  void MouseButtonDown(int button);   // 0 left, 1 right, 2 middle
  void MouseButtonUp(int button);
  void ReleaseAll();                  // focus lost: every key and button up

  // Start of a run phase: presses since the last one become clickable.
  void BeginFrame();

  bool IsKeyDown(int dik) const;
  bool TakeKeyClick(int dik);
  bool TakeMouseClick(int button);
  Vec2 Pointer() const;
  bool PointerMoved() const;  // ever moved by a device or the script

 private:
  mutable std::mutex mutex_;
  std::array<bool, kKeyCount> down_{};       // held on the keyboard (or by the script)
  std::array<bool, kKeyCount> pending_{};     // pressed since the last BeginFrame
  std::array<bool, kKeyCount> clickable_{};   // press of this run phase not yet taken
  std::array<bool, kMouseButtons> buttonPending_{};
  std::array<bool, kMouseButtons> buttonClickable_{};
  std::array<bool, kMouseButtons> buttonDown_{};
  Vec2 pointer_{kPointerOutside, kPointerOutside};
  bool moved_ = false;
};

}  // namespace spriteengine
