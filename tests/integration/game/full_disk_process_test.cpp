// The real varnok binary with its player files on a small file system that
// is full: every save fails, the game plays on, and the old files stay.
#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>

#include "game_process.h"

namespace {

using process_test::CountOf;
using process_test::GameProcessTest;
using process_test::ReadText;
using process_test::RunResult;
using process_test::WriteText;
namespace fs = std::filesystem;

// Scan codes of the script.
constexpr int kEsc = 1, kEnter = 28, kAlt = 56, kUp = 200, kLeft = 203, kRight = 205, kDown = 208;

// An installed copy whose player folder is a 256 KiB tmpfs of this test's
// own mount namespace (it goes when the test process ends).
class FullDiskProcessTest : public GameProcessTest {
 protected:
  void SetUp() override {
    GameProcessTest::SetUp();
    if (IsSkipped()) return;
    xdg_ = dir_ / "xdg";
    fs::create_directories(xdg_);
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", xdg_.c_str(), "tmpfs", 0, "size=256k,mode=0700") != 0) {
      GTEST_SKIP() << "no small file system can be mounted here: " << std::strerror(errno);
    }
    mounted_ = true;
    WriteText(dir_ / "installed.txt", "");
    envOverrides_.push_back("XDG_DATA_HOME=" + xdg_.string());
  }
  void TearDown() override {
    if (mounted_) umount2(xdg_.c_str(), MNT_DETACH);
    GameProcessTest::TearDown();
  }
  // Writes a filler file until the file system has no block left.
  void Fill() {
    const int fd = ::open((xdg_ / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const int error = errno;
    ::close(fd);
    ASSERT_EQ(error, ENOSPC);
  }

  fs::path xdg_;
  bool mounted_ = false;
};

TEST_F(FullDiskProcessTest, EverySaveFailsTheGamePlaysOnAndTheOldFilesStay) {
  WriteText(dir_ / "first.script", "20 quit\n");
  ASSERT_EQ(Run({"first.script"}).exitCode, 0);
  const fs::path player = xdg_ / "varnok" / "data";
  const std::string settings = ReadText(player / "settings.dat");
  const std::string records = ReadText(player / "records.dat");
  ASSERT_EQ(settings.size(), 20u);
  Fill();

  // Options: music off (saved at once), then back, which saves again. Then a
  // game, and Alt+Enter held in play: a restart tried on every frame it is held.
  auto tap = [](int frame, int code) { return std::to_string(frame) + " tap " + std::to_string(code) + "\n"; };
  WriteText(dir_ / "full.script", tap(30, kDown) + tap(32, kDown) + tap(34, kEnter) + tap(40, kDown) +
                                      tap(42, kLeft) + tap(46, kEsc) + tap(50, kUp) + tap(52, kUp) +
                                      tap(54, kEnter) + "120 down " + std::to_string(kRight) + "\n150 down " +
                                      std::to_string(kAlt) + "\n150 down " + std::to_string(kEnter) + "\n170 up " +
                                      std::to_string(kEnter) + "\n170 up " + std::to_string(kAlt) +
                                      "\n200 shot after.png\n210 quit\n");
  const RunResult result = Run({"full.script"}, 60);
  ASSERT_FALSE(result.timedOut) << result.stderrText;
  EXPECT_EQ(result.exitCode, 0) << result.stderrText;
  const std::string log = ReadText(dir_ / "engine.log");
  EXPECT_NE(log.find("gamestate 4"), std::string::npos) << "the options were open\n" << log;
  EXPECT_NE(log.find("gamestate 2"), std::string::npos) << "a game was played\n" << log;
  EXPECT_TRUE(fs::exists(dir_ / "after.png")) << "the game played on instead of restarting";
  EXPECT_EQ(CountOf(log, "open"), 2u) << "one engine per process, no third process";
  EXPECT_EQ(CountOf(result.stderrText, "settings could not be saved"), 1u) << result.stderrText;
  EXPECT_EQ(CountOf(result.stderrText, "could not be saved for its restart"), 1u) << result.stderrText;
  EXPECT_EQ(CountOf(result.stderrText, "a replay could not be saved"), 1u) << result.stderrText;
  EXPECT_EQ(CountOf(result.stderrText, "\n"), 3u) << result.stderrText;

  EXPECT_EQ(ReadText(player / "settings.dat"), settings);
  EXPECT_EQ(ReadText(player / "records.dat"), records);
  EXPECT_FALSE(fs::exists(player / "boss.dat"));
  for (const auto& entry : fs::directory_iterator(player)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << entry.path();
  }
}

}  // namespace
