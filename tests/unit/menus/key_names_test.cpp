#include "menus/key_names.h"

#include <gtest/gtest.h>

#include "menus/options_menu.h"

namespace menus {
namespace {

TEST(KeyName, NamesTheSpecialKeysDigitsAndFunctionKeys) {
  EXPECT_EQ(KeyName(1), "ESCAPE");
  EXPECT_EQ(KeyName(2), "1");
  EXPECT_EQ(KeyName(11), "0");
  EXPECT_EQ(KeyName(12), "-");
  EXPECT_EQ(KeyName(13), "=");
  EXPECT_EQ(KeyName(14), "BACKSPACE");
  EXPECT_EQ(KeyName(15), "TAB");
  EXPECT_EQ(KeyName(59), "F1");
  EXPECT_EQ(KeyName(68), "F10");
  EXPECT_EQ(KeyName(87), "F11");
  EXPECT_EQ(KeyName(88), "F12");
}

TEST(KeyName, LetterRowsFollowTheKeyboard) {
  EXPECT_EQ(KeyName(16), "Q");
  EXPECT_EQ(KeyName(27), "]");
  EXPECT_EQ(KeyName(30), "A");
  EXPECT_EQ(KeyName(40), "'");
  EXPECT_EQ(KeyName(44), "Z");
  EXPECT_EQ(KeyName(50), "M");
  EXPECT_EQ(KeyName(52), ".");
}

TEST(KeyName, KeysWithoutANameGiveTheEmptyText) {
  for (int code : {0, 28, 29, 41, 42, 43, 53, 56, 58, 69, 86, 89, 200, 255, 256, -1, 65535}) {
    EXPECT_EQ(KeyName(code), "") << code;
  }
}

TEST(HotKeyCandidates, CoverTheDigitLetterAndFunctionRangesOnly) {
  for (int code : {0x02, 0x1B, 0x1E, 0x26, 0x2C, 0x32, 0x3B, 0x45, 0x57, 0x58}) EXPECT_TRUE(IsHotKeyCandidate(code));
  for (int code : {0x01, 0x1C, 0x1D, 0x27, 0x2A, 0x33, 0x39, 0x46, 0x56, 0x59, 0xC8}) EXPECT_FALSE(IsHotKeyCandidate(code));
}

TEST(HotKeyText, AppendsTheModifiersInShiftAltCtrlOrder) {
  core::TSettings settings;
  settings.BossKey = 88;
  settings.BossKeyShift = 1;
  settings.BossKeyAlt = 1;
  settings.BossKeyCtrl = 1;
  EXPECT_EQ(TOptMenu::HotKeyText(settings), "F12+SHIFT+ALT+CTRL");
  settings.BossKey = 69;
  settings.BossKeyShift = 0;
  settings.BossKeyCtrl = 0;
  EXPECT_EQ(TOptMenu::HotKeyText(settings), "+ALT");
}

}  // namespace
}  // namespace menus
