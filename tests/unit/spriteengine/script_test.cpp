#include <gtest/gtest.h>

#include "core/script.h"

namespace spriteengine {
namespace {

std::vector<ScriptCommand> At(const Script& s, uint64_t frame) {
  std::vector<ScriptCommand> out;
  auto [b, e] = s.byFrame.equal_range(frame);
  for (auto it = b; it != e; ++it) out.push_back(it->second);
  return out;
}

TEST(ScriptParser, ReadsEveryCommand) {
  Script s = ParseScript(
      "10 down 28\n11 up 0x1C\n12 tap 0xc8\n13 mouse 0.25 0.75\n14 click\n15 shot a.png\n"
      "16 close\n17 minimize\n18 maximize\n19 restore\n20 activate\n21 quit\n");
  EXPECT_TRUE(s.errors.empty());
  ASSERT_EQ(s.byFrame.size(), 12u);
  EXPECT_EQ(At(s, 10)[0].op, ScriptOp::kDown);
  EXPECT_EQ(At(s, 10)[0].code, 28);
  EXPECT_EQ(At(s, 11)[0].code, 28);
  EXPECT_EQ(At(s, 12)[0].op, ScriptOp::kTap);
  EXPECT_EQ(At(s, 12)[0].code, 200);
  EXPECT_FLOAT_EQ(At(s, 13)[0].x, 0.25f);
  EXPECT_FLOAT_EQ(At(s, 13)[0].y, 0.75f);
  EXPECT_EQ(At(s, 14)[0].op, ScriptOp::kClick);
  EXPECT_EQ(At(s, 15)[0].file, "a.png");
  EXPECT_EQ(At(s, 16)[0].op, ScriptOp::kClose);
  EXPECT_EQ(At(s, 17)[0].op, ScriptOp::kMinimize);
  EXPECT_EQ(At(s, 18)[0].op, ScriptOp::kMaximize);
  EXPECT_EQ(At(s, 19)[0].op, ScriptOp::kRestore);
  EXPECT_EQ(At(s, 20)[0].op, ScriptOp::kActivate);
  EXPECT_EQ(At(s, 21)[0].op, ScriptOp::kQuit);
}

TEST(ScriptParser, ShotTakesAnOptionalPictureNumberFromOne) {
  Script s = ParseScript("1 shot a.png\n2 shot b.png 3\n3 shot c.png 0\n4 shot d.png x\n5 shot e.png 1 2\n");
  std::vector<int> lines;
  for (const ScriptError& e : s.errors) lines.push_back(e.line);
  EXPECT_EQ(lines, (std::vector<int>{3, 4, 5}));
  ASSERT_EQ(s.byFrame.size(), 2u);
  EXPECT_EQ(At(s, 1)[0].picture, 0);
  EXPECT_EQ(At(s, 2)[0].file, "b.png");
  EXPECT_EQ(At(s, 2)[0].picture, 3);
}

TEST(ScriptParser, CommentsBlankLinesAndAnyOrder) {
  Script s = ParseScript("# header\n\n  30 tap 1   # escape\n5 tap 2\n");
  EXPECT_TRUE(s.errors.empty());
  EXPECT_EQ(s.byFrame.begin()->first, 5u);
  EXPECT_EQ(At(s, 30)[0].code, 1);
}

TEST(ScriptParser, SameFrameKeepsLineOrder) {
  Script s = ParseScript("7 down 2\n7 up 2\n");
  std::vector<ScriptCommand> c = At(s, 7);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].op, ScriptOp::kDown);
  EXPECT_EQ(c[1].op, ScriptOp::kUp);
}

TEST(ScriptParser, MalformedLinesAreReportedWithTheirNumbersAndSkipped) {
  Script s = ParseScript(
      "1 tap 28\n"
      "x tap 28\n"         // 2: bad frame
      "3\n"                // 3: no command
      "4 tap\n"            // 4: no code
      "5 tap 256\n"        // 5: out of range
      "6 jump\n"           // 6: unknown
      "7 mouse 0.5\n"      // 7: one number
      "8 click now\n"      // 8: extra argument
      "9 shot\n"           // 9: no file
      "10 quit please\n"   // 10: extra argument
      "11 down 0xZZ\n"     // 11: bad hex
      "12 tap 28\n");
  std::vector<int> lines;
  for (const ScriptError& e : s.errors) lines.push_back(e.line);
  EXPECT_EQ(lines, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(s.byFrame.size(), 2u);
}

TEST(ScriptFiles, TakesTheFirstAndLeavesTheRest) {
  std::string rest;
  EXPECT_EQ(TakeFirstScriptFile("a.txt:b.txt:c.txt", &rest), "a.txt");
  EXPECT_EQ(rest, "b.txt:c.txt");
  EXPECT_EQ(TakeFirstScriptFile("only.txt", &rest), "only.txt");
  EXPECT_EQ(rest, "");
  EXPECT_FALSE(TakeFirstScriptFile("", &rest));
}

}  // namespace
}  // namespace spriteengine
