// Where the player's files go: beside the game in a portable folder, in the
// player's data folder for an installed copy, carried over without loss.
#include "platform/player_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "temp_folder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::ScopedCurrentFolder;
using testing::TempFolder;

// Sets an environment variable for one test.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1); else ::unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_) ::setenv(name_, old_->c_str(), 1); else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class PlayerPathTest : public ::testing::Test {
 protected:
  TempFolder game, home;
  ScopedCurrentFolder inGame{game.path()};
  ScopedVariable dataHome{"XDG_DATA_HOME", home / "xdg"};
  void Install() const { game.Write(kInstalledMark, "installed\n"); }
  std::string Xdg(const std::string& name) const { return home / ("xdg/varnok/" + name); }
};

TEST_F(PlayerPathTest, PortableFolderKeepsThePlayersFilesBesideTheGame) {
  game.Write("data/settings.dat", "mine");
  EXPECT_EQ(LastingPlayerFilePath("data\\settings.dat"), "data/settings.dat");
  EXPECT_EQ(PlayerFilePath("data\\boss.dat"), "data/boss.dat");
  EXPECT_FALSE(fs::exists(home / "xdg"));
}

TEST_F(PlayerPathTest, InstalledCopyKeepsThemInThePlayersDataFolder) {
  Install();
  fs::create_directories(game / "data");
  EXPECT_EQ(PlayerFilePath("data\\game.dat"), Xdg("data/game.dat"));
  EXPECT_TRUE(fs::is_directory(Xdg("data"))) << "made for the write that follows";
  struct stat info {};
  ASSERT_EQ(::stat(Xdg("").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(PlayerPathTest, DataHomeThatIsNotAnAbsolutePathMeansTheDefault) {
  ScopedVariable relative{"XDG_DATA_HOME", "relative/xdg"};
  ScopedVariable user{"HOME", home.path().string()};
  Install();
  EXPECT_EQ(PlayerFilePath("data\\records.dat"), home / ".local/share/varnok/data/records.dat");
  ScopedVariable noHome{"HOME", std::nullopt};
  EXPECT_EQ(PlayerDataFolder(), "");
  EXPECT_EQ(PlayerFilePath("data\\records.dat"), "data/records.dat") << "nowhere else to go";
}

TEST_F(PlayerPathTest, LastingFilesAreCarriedOverOnceAndNeverOverwritten) {
  game.Write("data/settings.dat", "from the game folder");
  Install();
  const std::string settings = LastingPlayerFilePath("data\\settings.dat");
  EXPECT_EQ(ReadText(settings), "from the game folder");
  std::ofstream(settings, std::ios::binary) << "changed by the player";
  EXPECT_EQ(ReadText(LastingPlayerFilePath("data\\settings.dat")), "changed by the player");
  EXPECT_EQ(ReadText(game / "data/settings.dat"), "from the game folder") << "the original stays";
}

TEST_F(PlayerPathTest, RestartRecordLeftInTheGameFolderIsNotResumedAgain) {
  game.Write("data/boss.dat", "stale");
  Install();
  EXPECT_FALSE(fs::exists(PlayerFilePath("data\\boss.dat")));
}

TEST_F(PlayerPathTest, DataFolderThatCannotBeWrittenCountsAsInstalled) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  game.Write("data/settings.dat", "shipped");
  fs::permissions(game / "data", fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(LastingPlayerFilePath("data\\settings.dat"), Xdg("data/settings.dat"));
  fs::permissions(game / "data", fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace platform
