// The verifier's sandbox: what its answers mean, and that a verifier can
// neither write a file nor reach the network.
#include "replay_sandbox.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>

namespace scored {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLine = R"({"format":1,"version":"1.0","frames":900,"score":50,"level":1,"lives":3,"outcome":"quit","world":"ab12"})";

TEST(ReplaySandbox, OnlyARunEndedByThePlayerOrTheEnemiesAtTheClaimedScoreIsVerified) {
  const std::string gameOver = std::string(kLine).replace(std::string(kLine).find("quit"), 4, "game over");
  const std::string ended = std::string(kLine).replace(std::string(kLine).find("quit"), 4, "ended");
  struct Case {
    int status, signal;
    std::string output;
    int32_t claimed;
    Verdict verdict;
    bool retry;
  };
  const Case cases[] = {
      {0, 0, kLine, 50, Verdict::kVerified, false},         {0, 0, gameOver, 50, Verdict::kVerified, false},
      {0, 0, kLine, 51, Verdict::kRejected, false},         {0, 0, ended, 50, Verdict::kRejected, false},
      {2, 0, "", 50, Verdict::kRejected, false},            {3, 0, "", 50, Verdict::kUnverifiable, false},
      {0, SIGXCPU, kLine, 50, Verdict::kRejected, false},   {0, SIGKILL, "", 50, Verdict::kRejected, false},
      {127, 0, "", 50, Verdict::kRejected, true},           {0, 0, "{\"score\":50}", 50, Verdict::kRejected, true},
      {0, SIGTERM, "", 50, Verdict::kRejected, true},       // the service stopping: no verdict
  };
  for (const Case& c : cases) {
    const Judgement judgement = JudgeVerifierOutcome(c.status, c.signal, c.output, c.claimed);
    EXPECT_EQ(judgement.verdict, c.verdict) << c.status << " " << c.output;
    EXPECT_EQ(judgement.retry, c.retry) << c.status << " " << c.output;
  }
  // Two runs differ by their frames, score or end world.
  const std::string otherWorld = std::string(kLine).replace(std::string(kLine).find("ab12"), 4, "cd34");
  EXPECT_NE(JudgeVerifierOutcome(0, 0, kLine, 50).run, JudgeVerifierOutcome(0, 0, otherWorld, 50).run);
}

TEST(ReplaySandbox, TheVerifierCannotWriteAFileAndReadsTheReplayItIsGiven) {
  std::string pattern = (fs::temp_directory_path() / "scored-sandbox-XXXXXX").string();
  const fs::path dir = ::mkdtemp(pattern.data());
  const fs::path verifier = dir / "verifier";
  // Verified only when the write fails and the file named is the replay.
  std::ofstream(verifier) << "#!/bin/sh\n"
                          << "if echo x > '" << (dir / "written").string() << "'; then exit 9; fi\n"
                          << "head -c 8 \"$2\" | grep -q VARNOKRP || exit 8\n"
                          << "echo '" << kLine << "'\n";
  fs::permissions(verifier, fs::perms::owner_all);
  const ReplaySandbox sandbox(verifier.string());
  const Judgement judgement = sandbox.Judge("VARNOKRP" + std::string(64, '\0'), 50, {});
  EXPECT_EQ(judgement.verdict, Verdict::kVerified) << judgement.why;
  EXPECT_FALSE(fs::exists(dir / "written"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace scored
