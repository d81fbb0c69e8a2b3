#include "menus/typing.h"

#include <gtest/gtest.h>

namespace menus {
namespace {

constexpr int32_t kA = 0x1E, kSemicolon = 0x27, kDigit1 = 0x02, kEnter = 0x1C;

TEST(TypeKey, LettersTypeLowerCaseAndWithShiftTheirName) {
  std::string field;
  EXPECT_TRUE(TypeKey(field, kA, false));
  EXPECT_TRUE(TypeKey(field, kA, true));
  EXPECT_EQ(field, "aA");
}

TEST(TypeKey, PunctuationTypesItsOwnCharacter) {
  std::string field;
  TypeKey(field, kSemicolon, false);
  EXPECT_EQ(field, ";");
}

TEST(TypeKey, OnlyTheLetterRowsType) {
  std::string field;
  EXPECT_FALSE(TypeKey(field, kDigit1, false));
  EXPECT_FALSE(TypeKey(field, kEnter, false));
  EXPECT_FALSE(TypeKey(field, 0x58, false));
  EXPECT_TRUE(field.empty());
}

TEST(TypeKey, AFullFieldTakesNothingAndBackspaceDeletes) {
  std::string field = "abcdefghij";
  EXPECT_FALSE(TypeKey(field, kA, false));
  EXPECT_EQ(field.size(), 10u);
  EXPECT_TRUE(TypeKey(field, kBackspaceKey, false));
  EXPECT_EQ(field, "abcdefghi");
  std::string empty;
  EXPECT_FALSE(TypeKey(empty, kBackspaceKey, false));
}

TEST(AddText, RoundTripsThroughTheSettingsAndClampsTheStoredLength) {
  core::TSettings settings;
  SetAddText(settings, "HELLO WORLD AND MORE");
  EXPECT_EQ(settings.AddTextLength, 10);
  EXPECT_EQ(AddTextOf(settings), "HELLO WORL");
  settings.AddTextLength = 200;
  EXPECT_EQ(AddTextOf(settings).size(), 10u);
}

}  // namespace
}  // namespace menus
