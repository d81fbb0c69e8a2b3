#include <gtest/gtest.h>

#include <set>

#include "core/dik_table.h"

namespace spriteengine {
namespace {

TEST(DikTable, MapsTheKeysTheGameNames) {
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_ESCAPE), 1);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_BACKSPACE), 14);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_TAB), 0x0F);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_RETURN), 28);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_LCTRL), 29);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_RCTRL), 157);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_LSHIFT), 42);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_RSHIFT), 54);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_LALT), 56);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_RALT), 184);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_UP), 200);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_LEFT), 203);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_RIGHT), 205);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_DOWN), 208);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_PAUSE), 0xC5);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_KP_0), 0x52);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_SPACE), 0x39);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_Z), 0x2C);
}

TEST(DikTable, LettersFollowTheKeyboardRows) {
  const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  const int starts[] = {0x10, 0x1E, 0x2C};
  for (int r = 0; r < 3; ++r)
    for (int i = 0; rows[r][i]; ++i)
      EXPECT_EQ(DikOfScancode(static_cast<SDL_Scancode>(SDL_SCANCODE_A + (rows[r][i] - 'A'))), starts[r] + i)
          << rows[r][i];
}

TEST(DikTable, DigitsAndFunctionKeys) {
  for (int d = 1; d <= 9; ++d) EXPECT_EQ(DikOfScancode(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + d - 1)), 1 + d);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_0), 0x0B);
  for (int f = 1; f <= 10; ++f) EXPECT_EQ(DikOfScancode(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + f - 1)), 0x3A + f);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_F11), 0x57);
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_F12), 0x58);
}

TEST(DikTable, CoversEveryCodeTheHotKeyCaptureAccepts) {
  // The options menu captures 2..88 except the codes no PC key sends.
  std::set<int> unused = {0x54, 0x55};
  for (int code = 2; code <= 88; ++code) {
    if (unused.count(code)) continue;
    EXPECT_NE(ScancodeOfDik(code), SDL_SCANCODE_UNKNOWN) << "DIK " << code;
  }
}

TEST(DikTable, IsOneToOne) {
  std::set<int> diks;
  std::set<int> scancodes;
  for (const auto& [sc, dik] : DikTable()) {
    EXPECT_TRUE(diks.insert(dik).second) << dik;
    EXPECT_TRUE(scancodes.insert(sc).second) << sc;
    EXPECT_EQ(ScancodeOfDik(dik), sc);
  }
}

TEST(DikTable, UnknownScancodeHasNoCode) {
  EXPECT_EQ(DikOfScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(DikOfScancode(static_cast<SDL_Scancode>(-5)), 0);
}

}  // namespace
}  // namespace spriteengine
