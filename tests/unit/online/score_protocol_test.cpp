// The score submission's packing and encoding, and the reading of the version reply.
#include "online/score_protocol.h"

#include <gtest/gtest.h>

#include <random>

#include "base32_reference.h"

namespace online {
namespace {

TEST(ScoreReply, SevenFieldsBeginningOkGiveTheFifthFieldAsP) {
  const std::string reply = "OK|1.0|Quellix3|x|p-7731|tail|end";
  EXPECT_TRUE(ReplyAccepted(reply));
  EXPECT_EQ(PValueFromReply(reply), "p-7731");
}

TEST(ScoreReply, FewerThanFiveBarsGiveAnEmptyP) {
  EXPECT_EQ(PValueFromReply("OK|a|b|c|d"), "");     // five fields
  EXPECT_EQ(PValueFromReply("OK"), "");
  EXPECT_EQ(PValueFromReply("OK|a|b|c|d|"), "d");   // the fifth bar ends the fifth field
  EXPECT_EQ(PValueFromReply("OK||||"), "");
}

TEST(ScoreReply, OnlyAnUpperCaseOkAtTheStartIsAccepted) {
  EXPECT_TRUE(ReplyAccepted("OK"));
  EXPECT_FALSE(ReplyAccepted("ok|a|b|c|d|e"));
  EXPECT_FALSE(ReplyAccepted("Ok|a|b|c|d|e"));
  EXPECT_FALSE(ReplyAccepted(" OK|a|b|c|d|e"));
  EXPECT_FALSE(ReplyAccepted("O"));
  EXPECT_FALSE(ReplyAccepted(""));
  EXPECT_FALSE(ReplyAccepted("<html>502 Bad Gateway</html>"));
}

TEST(ScorePayload, FieldsComeInOrderWithShiftedTextsAndZeroPadding) {
  // "type=0|name=" + 2 + "|score=50|key=X|p=7|add=" + 1 + "|z=" is 42 bytes: three "0" follow.
  EXPECT_EQ(BuildPayload("AB", 50, "7", "c"), "type=0|name=\x81\x82|score=50|key=X|p=7|add=\xA3|z=000");
}

TEST(ScorePayload, AnEmptyNameLeavesTheNameKeyDirectlyBeforeTheScore) {
  const std::string payload = BuildPayload("", 1234, "p", "");
  EXPECT_EQ(payload.rfind("type=0|name=|score=1234|key=X|p=p|add=|z=", 0), 0u);
}

TEST(ScorePayload, BytesFrom192WrapUnderTheShift) {
  EXPECT_EQ(ShiftText("\xC8"), std::string(1, '\x08'));  // 200 -> 8
  EXPECT_EQ(ShiftText(std::string_view("\xC0\xFF\x00\x40", 4)), std::string("\x00\x3F\x40\x80", 4));
}

TEST(ScorePayload, APayloadAlreadyAMultipleOfFiveGetsNoPaddingAndEightSymbolsPerFiveBytes) {
  // 37 bytes of keys and score, 3 of name: 40 in all.
  const std::string payload = BuildPayload("ABC", 7, "", "");
  ASSERT_EQ(payload.size(), 40u);
  EXPECT_EQ(payload.substr(payload.size() - 3), "|z=");
  EXPECT_EQ(EncodePayload(payload).size(), 64u);
}

TEST(ScoreEncoding, FiveBitGroupsMostSignificantFirstWithLeadingZeroBits) {
  EXPECT_EQ(EncodePayload(std::string("\x00\x00\x00\x00\x01", 5)), "AAAAAAAB");
  EXPECT_EQ(EncodePayload(std::string("\xFF\xFF\xFF\xFF\xFF", 5)), "77777777");
  // 8 bits padded to 10: 00 11111111 -> 00111 11111.
  EXPECT_EQ(EncodePayload("\xFF"), "H7");
  EXPECT_EQ(EncodePayload(""), "");
}

TEST(ScoreEncoding, AnIndependentDecoderGetsEveryPayloadBack) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 10), score(0, 2000000);
  for (int i = 0; i < 500; ++i) {
    std::string name, add, p;
    for (int n = length(random); n > 0; --n) name += static_cast<char>(byte(random));
    for (int n = length(random); n > 0; --n) add += static_cast<char>(byte(random));
    for (int n = length(random) * 3; n > 0; --n) p += static_cast<char>(byte(random));
    const std::string payload = BuildPayload(name, score(random), p, add);
    ASSERT_EQ(payload.size() % 5, 0u);
    const std::string encoded = EncodePayload(payload);
    ASSERT_EQ(encoded.size(), payload.size() / 5 * 8);
    EXPECT_EQ(reference::DecodeBase32(encoded), payload);
  }
}

}  // namespace
}  // namespace online
