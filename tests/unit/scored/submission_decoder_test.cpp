// The server's reading of a submission: what the game sends is taken, and
// anything else is refused.
#include "submission_decoder.h"

#include <gtest/gtest.h>

#include "online/score_protocol.h"

namespace scored {
namespace {

std::string Inf(std::string_view name, int32_t score, std::string_view p, std::string_view add) {
  return online::EncodePayload(online::BuildPayload(name, score, p, add));
}

TEST(SubmissionDecoder, TakesWhatTheGamesClientSends) {
  const auto submission = DecodeSubmission(Inf("NOVA", 123456, "0a1b2c", "CITY"));
  ASSERT_TRUE(submission);
  EXPECT_EQ(submission->name, "NOVA");
  EXPECT_EQ(submission->addText, "CITY");
  EXPECT_EQ(submission->score, 123456);
  EXPECT_EQ(submission->p, "0a1b2c");
}

TEST(SubmissionDecoder, NamesMayHoldAnyByteTheSeparatorsToo) {
  for (std::string_view name : {std::string_view(""), std::string_view("<score=1|k"), std::string_view("\x00\xFF\xC8", 3),
                                std::string_view("|score=7|k"), std::string_view("\xBC""3#/2%}")}) {
    for (std::string_view add : {std::string_view(""), std::string_view("\xBCz}0"), std::string_view("<:}\xF0\xF0")}) {
      const auto submission = DecodeSubmission(Inf(name, 5, "p1", add));
      ASSERT_TRUE(submission) << name << " / " << add;
      EXPECT_EQ(submission->name, name);
      EXPECT_EQ(submission->addText, add);
      EXPECT_EQ(submission->score, 5);
    }
  }
}

TEST(SubmissionDecoder, RefusesTextThatIsNotWholeBase32Blocks) {
  const std::string inf = Inf("NOVA", 10, "p1", "");
  EXPECT_FALSE(DecodeInf(""));
  EXPECT_FALSE(DecodeInf(inf.substr(0, inf.size() - 1)));            // truncated
  EXPECT_FALSE(DecodeInf(inf.substr(0, inf.size() - 3) + "a18"));    // lower case, 1 and 8
  EXPECT_FALSE(DecodeInf(std::string(kMaxInfSymbols + 8, 'A')));     // oversized
  EXPECT_TRUE(DecodeInf(std::string(kMaxInfSymbols, 'A')));
  EXPECT_FALSE(DecodeSubmission(inf.substr(0, inf.size() - 8)));      // a whole block short
}

// Pads like the client: "0" up to a multiple of 5 bytes.
std::string Padded(std::string payload) {
  while (payload.size() % 5 != 0) payload += '0';
  return payload;
}

TEST(SubmissionDecoder, RefusesPayloadsOfAnyOtherForm) {
  const char* bad[] = {
      "type=1|name=|score=1|key=X|p=a|add=|z=",            // another type
      "type=0|score=1|name=|key=X|p=a|add=|z=",            // keys out of order
      "type=0|name=|score=1|key=Y|p=a|add=|z=",            // another key
      "type=0|name=|score=|key=X|p=a|add=|z=",             // no score
      "type=0|name=|score=-5|key=X|p=a|add=|z=",           // negative
      "type=0|name=|score=007|key=X|p=a|add=|z=",          // leading zeros
      "type=0|name=|score=99999999999|key=X|p=a|add=|z=",  // beyond 32 bits
      "type=0|name=|score=1|key=X|p=|add=|z=",             // no p
      "type=0|name=|score=1|key=X|p=a b|add=|z=",          // p not as issued
      "type=0|name=ABCDEFGHIJK|score=1|key=X|p=a|add=|z=", // name of 11
      "type=0|name=|score=1|key=X|p=a|add=ABCDEFGHIJK|z=", // add text of 11
      "type=0|name=|score=1|key=X|p=a|add=|",              // no end key
      "type=0|name=|score=1|key=X|p=a|add=|z=1",           // padding not zeros
  };
  for (const char* payload : bad) EXPECT_FALSE(ParsePayload(Padded(payload))) << payload;
  const std::string good = Padded("type=0|name=|score=1|key=X|p=a|add=|z=");
  EXPECT_TRUE(ParsePayload(good));
  EXPECT_FALSE(ParsePayload(good + "00000"));  // more padding than a block
  EXPECT_FALSE(ParsePayload(good + "0"));      // not whole blocks
}

}  // namespace
}  // namespace scored
