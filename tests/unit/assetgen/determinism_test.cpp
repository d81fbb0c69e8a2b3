// Two runs of the generator must write byte-identical files: the build is
// reproducible and a rebuild never churns the game folder.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "asset_readers.h"
#include "manifest.h"

extern char** environ;

namespace assetgen::test {
namespace {

int RunGenerator(const std::string& outDir) {
  std::string exe = ASSETGEN_EXE, outFlag = "--out";
  std::vector<char*> argv = {exe.data(), outFlag.data(), const_cast<char*>(outDir.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Determinism, ASecondRunWritesTheSameBytesAsTheBuild) {
  char pattern[] = "/tmp/assetgen-determinism-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  ASSERT_EQ(RunGenerator(dir), 0);
  std::vector<std::string> differing;
  for (const Asset& a : Manifest()) {
    if (ReadAll(dir + "/" + a.path) != ReadAll(std::string(VARNOK_GAME_DIR) + "/" + a.path)) differing.push_back(a.path);
  }
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(differing.empty()) << differing.size() << " files differ, first: " << differing.front();
}

}  // namespace
}  // namespace assetgen::test
