#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/shell.h"
#include "temp_folder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(ProcessTest, EnterGameFolderMovesIntoTheExecutablesFolder) {
  testing::TempFolder elsewhere;
  testing::ScopedCurrentFolder inElsewhere(elsewhere.path());
  ASSERT_TRUE(EnterGameFolder());
  EXPECT_EQ(fs::current_path(), fs::canonical("/proc/self/exe").parent_path());
  EXPECT_EQ(fs::path(ExecutableFolder()), fs::current_path());
}

TEST(ProcessTest, RelaunchSelfStartsThisExecutableAloneInItsFolder) {
  std::vector<std::string> argv;
  std::string workingDir;
  Shell::SetSpawner([&](const std::vector<std::string>& a, const std::string& dir) {
    argv = a;
    workingDir = dir;
    return true;
  });
  const bool started = RelaunchSelf();
  Shell::SetSpawner({});

  EXPECT_TRUE(started);
  EXPECT_EQ(argv, std::vector<std::string>{fs::canonical("/proc/self/exe").string()});
  EXPECT_EQ(argv, RelaunchCommand());
  EXPECT_EQ(workingDir, ExecutableFolder());
}

TEST(ProcessTest, RelaunchSelfReportsASpawnFailure) {
  Shell::SetSpawner([](const std::vector<std::string>&, const std::string&) { return false; });
  const bool started = RelaunchSelf();
  Shell::SetSpawner({});
  EXPECT_FALSE(started);
}

}  // namespace
}  // namespace platform
