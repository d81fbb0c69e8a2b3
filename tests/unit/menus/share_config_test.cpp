#include "menus/share_config.h"

#include <gtest/gtest.h>

#include <set>

namespace menus {
namespace {

const std::set<std::string> kFiles = {"wdata\\back.png", "wdata\\n.png", "wdata\\h.png", "wdata\\d.png",
                                      "wdata\\readme.html"};
const FileExists kExists = [](const std::string& file) { return kFiles.count(file) > 0; };

const std::string kExitBlock =
    "500 500 200 60\n510 505 190 50\n520 510 180 40\nwdata\\n.png\nwdata\\h.png\nwdata\\d.png\n";
const std::string kLinkBlock = "100 100 200 50\n110 105 190 45\nwdata\\n.png\nwdata\\h.png\nwdata\\readme.html\n";
const std::string kTail = "40 60\n5\n255 128 0\nFALSE\n";

TEST(ShareConfig, OneButtonIsTheExitButtonAlone) {
  const ShareConfig config = ParseShareConfig("1\nwdata\\back.png\n" + kExitBlock + kTail, kExists);
  ASSERT_TRUE(config.valid);
  ASSERT_EQ(config.buttons.size(), 1u);
  const ShareButtonSpec& exit = config.buttons[0];
  EXPECT_EQ(exit.action, "exit");
  EXPECT_EQ(exit.normalRect.left, 510);
  EXPECT_EQ(exit.normalRect.top, 505);
  EXPECT_EQ(exit.normalRect.width, 190);
  EXPECT_EQ(exit.normalRect.height, 50);
  EXPECT_EQ(exit.disabledImage, "wdata\\d.png");
  EXPECT_EQ(config.countdownX, 40);
  EXPECT_EQ(config.countdownY, 60);
  EXPECT_EQ(config.countdownStart, 5);
  EXPECT_EQ(config.red, 255);
  EXPECT_EQ(config.green, 128);
  EXPECT_EQ(config.blue, 0);
  EXPECT_FALSE(config.customSize);
  EXPECT_EQ(config.countdownSize, 20) << "0.4 of the exit button's normal height, rounded";
}

TEST(ShareConfig, LinkButtonsComeFirstInFileOrderWithTheirActions) {
  const ShareConfig config =
      ParseShareConfig("3\nwdata\\back.png\n" + kLinkBlock + kLinkBlock + kExitBlock + kTail, kExists);
  ASSERT_TRUE(config.valid);
  ASSERT_EQ(config.buttons.size(), 3u);
  EXPECT_EQ(config.buttons[0].action, "wdata\\readme.html");
  EXPECT_EQ(config.buttons[0].normalImage, "wdata\\n.png");
  EXPECT_EQ(config.buttons[0].hoverImage, "wdata\\h.png");
  EXPECT_EQ(config.buttons[0].hoverRect.left, 100);
  EXPECT_EQ(config.buttons[2].action, "exit");
}

TEST(ShareConfig, TrueLineIsFollowedByTheDigitsSize) {
  const ShareConfig config =
      ParseShareConfig("1\nwdata\\back.png\n" + kExitBlock + "40 60\n5\n1 2 3\nTRUE\n33\n", kExists);
  ASSERT_TRUE(config.valid);
  EXPECT_TRUE(config.customSize);
  EXPECT_EQ(config.countdownSize, 33);
}

TEST(ShareConfig, LeadingBlanksAndWindowsLineEndsAreAccepted) {
  const ShareConfig config = ParseShareConfig(
      "  1\r\n   wdata\\back.png\r\n500 500 200 60\r\n510 505 190 50\r\n520 510 180 40\r\n wdata\\n.png\r\n"
      "wdata\\h.png\r\nwdata\\d.png\r\n\t40 60\r\n5\r\n255 128 0\r\nFALSE",
      kExists);
  EXPECT_TRUE(config.valid);
  EXPECT_EQ(config.buttons[0].normalImage, "wdata\\n.png");
}

TEST(ShareConfig, AColourLineWithTwoNumbersIsNotValid) {
  EXPECT_FALSE(ParseShareConfig("1\nwdata\\back.png\n" + kExitBlock + "40 60\n5\n255 128\nFALSE\n", kExists).valid);
}

TEST(ShareConfig, AMissingPictureIsNotValid) {
  EXPECT_FALSE(ParseShareConfig("1\nwdata\\gone.png\n" + kExitBlock + kTail, kExists).valid);
  std::string block = kExitBlock;
  block.replace(block.find("wdata\\d.png"), 11, "wdata\\x.png");
  EXPECT_FALSE(ParseShareConfig("1\nwdata\\back.png\n" + block + kTail, kExists).valid);
}

TEST(ShareConfig, AMissingActionFileIsNotValid) {
  std::string link = kLinkBlock;
  link.replace(link.find("wdata\\readme.html"), 17, "wdata\\gone.html");
  EXPECT_FALSE(ParseShareConfig("2\nwdata\\back.png\n" + link + kExitBlock + kTail, kExists).valid);
}

TEST(ShareConfig, AShortFileIsNotValidWhereverItStops) {
  const std::string whole = "2\nwdata\\back.png\n" + kLinkBlock + kExitBlock + kTail;
  ASSERT_TRUE(ParseShareConfig(whole, kExists).valid);
  // Cut after every complete line but the last (the "FALSE" line is the last one read).
  size_t cut = 0;
  int cuts = 0;
  while ((cut = whole.find('\n', cut)) != std::string::npos && cut + 1 < whole.size() - 6) {
    EXPECT_FALSE(ParseShareConfig(whole.substr(0, cut + 1), kExists).valid) << "cut at " << cut;
    ++cut;
    ++cuts;
  }
  EXPECT_GE(cuts, 15);
  EXPECT_FALSE(ParseShareConfig("", kExists).valid);
}

TEST(ShareConfig, TrueWithoutItsSizeLineIsNotValid) {
  EXPECT_FALSE(ParseShareConfig("1\nwdata\\back.png\n" + kExitBlock + "40 60\n5\n1 2 3\nTRUE\n", kExists).valid);
}

TEST(ShareConfig, MalformedNumberLinesAreNotValid) {
  for (const char* countdown : {"", "   ", "five", "5x", "99999999999", "1  2"}) {
    const std::string text = "1\nwdata\\back.png\n" + kExitBlock + "40 60\n" + countdown + "\n1 2 3\nFALSE\n";
    const bool expectValid = std::string(countdown) == "1  2";  // one integer wanted: the rest is not read
    EXPECT_EQ(ParseShareConfig(text, kExists).valid, expectValid) << "'" << countdown << "'";
  }
  EXPECT_FALSE(ParseShareConfig("1\nwdata\\back.png\n" + kExitBlock + "40  60\n5\n1 2 3\nFALSE\n", kExists).valid)
      << "two blanks leave an empty integer";
}

TEST(ShareConfig, ButtonCountsOutsideOneToTheLimitAreNotValid) {
  EXPECT_FALSE(ParseShareConfig("0\nwdata\\back.png\n" + kExitBlock + kTail, kExists).valid);
  EXPECT_FALSE(ParseShareConfig("-3\nwdata\\back.png\n" + kExitBlock + kTail, kExists).valid);
  EXPECT_FALSE(ParseShareConfig("1000000\nwdata\\back.png\n" + kExitBlock + kTail, kExists).valid);
}

TEST(ShareConfig, NegativeNumbersAndAPlusSignRead) {
  const ShareConfig config =
      ParseShareConfig("+1\nwdata\\back.png\n" + kExitBlock + "-10 60\n-2\n1 2 3\nFALSE\n", kExists);
  ASSERT_TRUE(config.valid);
  EXPECT_EQ(config.countdownX, -10);
  EXPECT_EQ(config.countdownStart, -2);
}

}  // namespace
}  // namespace menus
