#include "platform/folder_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "temp_folder.h"

extern char** environ;

namespace platform {
namespace {

using namespace std::chrono_literals;
using Outcome = FolderLock::Outcome;
using testing::TempFolder;

TEST(FolderLockTest, OneHolderAtATimeAndTheNextOneAfterARelease) {
  TempFolder folder;
  const std::string path = folder / "varnok.lock";
  FolderLock first = FolderLock::Acquire(path, 0ms);
  ASSERT_EQ(first.outcome(), Outcome::kLocked);
  EXPECT_TRUE(first.held());

  // Another open of the same file is another holder, even in this process.
  const FolderLock second = FolderLock::Acquire(path, 50ms);
  EXPECT_EQ(second.outcome(), Outcome::kHeldElsewhere);
  EXPECT_FALSE(second.held());

  first.Release();
  EXPECT_FALSE(first.held());
  EXPECT_EQ(FolderLock::Acquire(path, 0ms).outcome(), Outcome::kLocked);
}

TEST(FolderLockTest, AWaitingCopyGetsTheLockWhenTheHolderLetsGo) {
  TempFolder folder;
  const std::string path = folder / "varnok.lock";
  FolderLock holder = FolderLock::Acquire(path, 0ms);
  ASSERT_TRUE(holder.held());
  std::thread handOver([&holder] {
    std::this_thread::sleep_for(100ms);
    holder.Release();
  });
  const FolderLock next = FolderLock::Acquire(path, 30s);
  handOver.join();
  EXPECT_EQ(next.outcome(), Outcome::kLocked);
}

TEST(FolderLockTest, AFolderThatCannotHoldTheLockFileIsUnavailableNotHeld) {
  TempFolder folder;
  const FolderLock lock = FolderLock::Acquire(folder / "missing/varnok.lock", 0ms);
  EXPECT_EQ(lock.outcome(), Outcome::kUnavailable);
  EXPECT_EQ(lock.error(), ENOENT);
  EXPECT_FALSE(lock.held());
}

// A program started while the lock is held must not keep it: a relaunched game
// would otherwise wait for a lock its own process holds.
TEST(FolderLockTest, AStartedProgramDoesNotInheritTheLock) {
  TempFolder folder;
  const std::string path = folder / "varnok.lock";
  FolderLock lock = FolderLock::Acquire(path, 0ms);
  ASSERT_TRUE(lock.held());
  // A plain spawn closes nothing itself: only close-on-exec keeps the descriptor out.
  char sleepPath[] = "/bin/sleep";
  char seconds[] = "30";
  char* argv[] = {sleepPath, seconds, nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ), 0);
  lock.Release();
  const Outcome next = FolderLock::Acquire(path, 0ms).outcome();
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(next, Outcome::kLocked);
}

TEST(FolderLockTest, AKilledHolderLeavesTheFolderFree) {
  TempFolder folder;
  const std::string path = folder / "varnok.lock";
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FolderLock held = FolderLock::Acquire(path, 0ms);
    const char mark = held.held() ? 'y' : 'n';
    if (write(ready[1], &mark, 1) != 1) _exit(1);
    for (;;) pause();
  }
  close(ready[1]);
  char mark = 0;
  ASSERT_EQ(read(ready[0], &mark, 1), 1);
  close(ready[0]);
  EXPECT_EQ(mark, 'y');
  EXPECT_EQ(FolderLock::Acquire(path, 0ms).outcome(), Outcome::kHeldElsewhere);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(FolderLock::Acquire(path, 0ms).outcome(), Outcome::kLocked);
}

}  // namespace
}  // namespace platform
