#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "temp_folder.h"

namespace platform {
namespace {

using testing::ReadText;
using testing::TempFolder;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReadWholeFileTest, ReturnsEveryByteOfTheFile) {
  TempFolder folder;
  const std::string binary("a\0b\xff\n", 5);
  const std::string file = folder.Write("records.dat", binary);
  EXPECT_EQ(ReadWholeFile(file, 100), Bytes(binary));
}

TEST(ReadWholeFileTest, ReadsAnEmptyFileAsNoBytes) {
  TempFolder folder;
  const auto bytes = ReadWholeFile(folder.Write("empty.dat"), 10);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_TRUE(bytes->empty());
}

TEST(ReadWholeFileTest, AcceptsAFileOfExactlyTheLimit) {
  TempFolder folder;
  const std::string file = folder.Write("settings.dat", std::string(20, 'x'));
  EXPECT_EQ(ReadWholeFile(file, 20)->size(), 20u);
}

TEST(ReadWholeFileTest, RefusesAFileOverTheLimit) {
  TempFolder folder;
  const std::string file = folder.Write("settings.dat", std::string(21, 'x'));
  EXPECT_FALSE(ReadWholeFile(file, 20).has_value());
  EXPECT_FALSE(ReadWholeFile(file, 0).has_value());
}

TEST(ReadWholeFileTest, EnforcesTheLimitOnFilesThatReportNoSize) {
  // /proc files report size 0 but have content.
  EXPECT_FALSE(ReadWholeFile("/proc/self/status", 8).has_value());
  EXPECT_TRUE(ReadWholeFile("/proc/self/status", 1 << 20).has_value());
}

TEST(ReadWholeFileTest, RefusesMissingFilesAndFolders) {
  TempFolder folder;
  EXPECT_FALSE(ReadWholeFile(folder / "missing.dat", 100).has_value());
  EXPECT_FALSE(ReadWholeFile(folder.path().string(), 100).has_value());
}

TEST(ReadWholeFileTest, RefusesAPipeWithoutWaitingForAWriter) {
  TempFolder folder;
  const std::string fifo = folder / "settings.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadWholeFile(fifo, 100).has_value());
}

TEST(WriteFileAtomicTest, CreatesANewFile) {
  TempFolder folder;
  const std::string file = folder / "boss.dat";
  ASSERT_TRUE(WriteFileAtomic(file, Bytes("123456")));
  EXPECT_EQ(ReadText(file), "123456");
  EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"boss.dat"});
}

TEST(WriteFileAtomicTest, ReplacesTheOldContentsWhole) {
  TempFolder folder;
  const std::string file = folder.Write("records.dat", std::string(160, 'o'));
  ASSERT_TRUE(WriteFileAtomic(file, Bytes("short")));
  EXPECT_EQ(ReadText(file), "short");
  EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"records.dat"});
}

TEST(WriteFileAtomicTest, FailsWhenTheFolderIsMissing) {
  TempFolder folder;
  EXPECT_FALSE(WriteFileAtomic(folder / "missing/boss.dat", Bytes("x")));
  EXPECT_TRUE(NamesIn(folder.path()).empty());
}

TEST(WriteFileAtomicTest, LeavesTheTargetAndNoTempFileWhenTheRenameFails) {
  TempFolder folder;
  // A non-empty folder can never be replaced by a file.
  folder.Write("data.dat/keep.txt", "kept");
  EXPECT_FALSE(WriteFileAtomic(folder / "data.dat", Bytes("new")));
  EXPECT_EQ(ReadText(folder / "data.dat/keep.txt"), "kept");
  EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"data.dat"});
}

TEST(WriteFileAtomicTest, LeavesTheOldFileAndNoTempFileWhenTheWriteFails) {
  TempFolder folder;
  const std::string old(100, 'o');
  const std::string file = folder.Write("settings.dat", old);

  // A file size limit makes write() fail part-way, even for root.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int error = 0;
  const bool written = WriteFileAtomic(file, Bytes(std::string(1000, 'n')), &error);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(ReadText(file), old);
  EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"settings.dat"});
}

// A disk that fills up, turns read-only or fails at any step of a write: the
// old file stays whole, no temporary file is left and the reason comes back.
TEST(WriteFileAtomicTest, AFailureAtAnyStepKeepsTheOldFileAndSaysWhy) {
  const struct {
    WriteStep step;
    int error;
  } kFaults[] = {{WriteStep::kCreate, ENOSPC}, {WriteStep::kCreate, EROFS}, {WriteStep::kWrite, ENOSPC},
                 {WriteStep::kSync, EIO},      {WriteStep::kRename, EROFS}, {WriteStep::kRename, ENOSPC}};
  for (const auto& fault : kFaults) {
    SCOPED_TRACE(::testing::Message() << "step " << static_cast<int>(fault.step) << ", errno " << fault.error);
    TempFolder folder;
    const std::string file = folder.Write("records.dat", "old table");
    const ScopedWriteFault disk(fault.step, fault.error);
    int error = 0;
    EXPECT_FALSE(WriteFileAtomic(file, Bytes("new table"), &error));
    EXPECT_EQ(error, fault.error);
    EXPECT_EQ(disk.failures(), 1);
    EXPECT_EQ(ReadText(file), "old table");
    EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"records.dat"});
  }
}

TEST(WriteFileAtomicTest, LeavesTheOldFileWhenTheFolderIsReadOnly) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempFolder folder;
  const std::string file = folder.Write("settings.dat", "old");
  std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(WriteFileAtomic(file, Bytes("new")));
  std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadText(file), "old");
  EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"settings.dat"});
}

TEST(FileOperationsTest, RemoveFileReportsWhetherAFileWasRemoved) {
  TempFolder folder;
  const std::string file = folder.Write("boss.dat", "x");
  EXPECT_TRUE(RemoveFile(file));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(RemoveFile(file));
}

TEST(FileOperationsTest, RenameFileReplacesTheTarget) {
  TempFolder folder;
  const std::string from = folder.Write("a.dat", "from");
  const std::string to = folder.Write("b.dat", "to");
  EXPECT_TRUE(RenameFile(from, to));
  EXPECT_EQ(ReadText(to), "from");
  EXPECT_FALSE(RenameFile(from, to));
}

TEST(RemoveStrayTempFilesTest, RemovesOnlyTheTempFilesOfTheNamedFiles) {
  TempFolder folder;
  for (const char* stray : {"settings.dat.tmp.4242.0", "SETTINGS.DAT.tmp.1.17", "fpt.dat.tmp.99.3"}) folder.Write(stray, "x");
  const std::vector<std::string> kept = {
      "settings.dat",            // the file itself
      "settings.dat.bad",        // a damaged file kept for the player
      "settings.dat.tmp.12",     // no counter
      "settings.dat.tmp.12.",    // empty counter
      "settings.dat.tmp.x1.2",   // not a process id
      "settings.dat.tmp.1.2.3",  // more than the writer makes
      "settings.dat.tmp.1.2~",
      "notes.txt.tmp.1.2",       // not a file of the game's
      "xsettings.dat.tmp.1.2",
  };
  for (const std::string& name : kept) folder.Write(name, "keep");
  folder.Write("records.dat.tmp.5.5/inside", "a folder under a temp name");
  std::filesystem::create_symlink(folder / "settings.dat", folder / "records.dat.tmp.6.6");

  const std::vector<std::string> names = {"settings.dat", "records.dat", "FPT.dat"};
  EXPECT_EQ(RemoveStrayTempFiles(folder.path().string(), names), 3u);
  std::vector<std::string> expected = kept;
  expected.push_back("records.dat.tmp.5.5");
  expected.push_back("records.dat.tmp.6.6");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(NamesIn(folder.path()), expected);
  EXPECT_EQ(ReadText(folder / "settings.dat"), "keep");
  EXPECT_EQ(RemoveStrayTempFiles(folder / "missing", names), 0u);
}

}  // namespace
}  // namespace platform
