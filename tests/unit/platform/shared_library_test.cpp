#include "platform/shared_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "temp_folder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using AnswerFn = int (*)();

constexpr int kGameFolderAnswer = 42;  // the copy beside the test binary
constexpr int kOtherAnswer = 7;        // the copy built elsewhere

int Answer(const SharedLibrary& library) {
  const auto answer = reinterpret_cast<AnswerFn>(library.Symbol("varnok_test_answer"));
  return answer ? answer() : -1;
}

// The test binary's folder stands in for the game folder; the current folder is a
// fresh one so only the search order decides what is found.
class SharedLibraryTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  testing::ScopedCurrentFolder inFolder{folder.path()};
};

TEST_F(SharedLibraryTest, LoadsFromTheGameFolderFirst) {
  fs::copy_file(PLATFORM_ALT_LIBRARY_PATH, folder / PLATFORM_TEST_LIBRARY_NAME);
  SharedLibrary library;
  ASSERT_TRUE(library.Open(PLATFORM_TEST_LIBRARY_NAME));
  EXPECT_EQ(Answer(library), kGameFolderAnswer);
}

TEST_F(SharedLibraryTest, MatchesTheNameInTheGameFolderIgnoringCase) {
  std::string upper = PLATFORM_TEST_LIBRARY_NAME;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  SharedLibrary library;
  ASSERT_TRUE(library.Open(upper));
  EXPECT_EQ(Answer(library), kGameFolderAnswer);
}

TEST_F(SharedLibraryTest, FallsBackToTheCurrentFolder) {
  fs::copy_file(PLATFORM_ALT_LIBRARY_PATH, folder / "SYSTEm.DLL");
  SharedLibrary library;
  ASSERT_TRUE(library.Open("system.dll"));
  EXPECT_EQ(Answer(library), kOtherAnswer);
}

TEST_F(SharedLibraryTest, FallsBackToTheLoadersOwnSearch) {
  SharedLibrary library;
  ASSERT_TRUE(library.Open("libm.so.6"));
  EXPECT_NE(library.Symbol("cos"), nullptr);
}

TEST_F(SharedLibraryTest, MissingLibraryLeavesNothingOpenAndNoLoaderError) {
  SharedLibrary library;
  EXPECT_FALSE(library.Open("no_such_library.so"));
  EXPECT_FALSE(library.IsOpen());
  EXPECT_EQ(library.Symbol("varnok_test_answer"), nullptr);
  EXPECT_EQ(::dlerror(), nullptr);
}

TEST_F(SharedLibraryTest, MissingSymbolIsNull) {
  SharedLibrary library;
  ASSERT_TRUE(library.Open(PLATFORM_TEST_LIBRARY_NAME));
  EXPECT_EQ(library.Symbol("no_such_symbol"), nullptr);
  EXPECT_EQ(library.Symbol(nullptr), nullptr);
}

TEST_F(SharedLibraryTest, MovingHandsOverTheLibrary) {
  SharedLibrary first;
  ASSERT_TRUE(first.Open(PLATFORM_TEST_LIBRARY_NAME));
  SharedLibrary second(std::move(first));
  EXPECT_FALSE(first.IsOpen());  // NOLINT(bugprone-use-after-move): moved-from state is part of the contract
  EXPECT_EQ(Answer(second), kGameFolderAnswer);

  SharedLibrary third;
  third = std::move(second);
  EXPECT_FALSE(second.IsOpen());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(Answer(third), kGameFolderAnswer);

  third.Close();
  EXPECT_FALSE(third.IsOpen());
  EXPECT_EQ(third.Symbol("varnok_test_answer"), nullptr);
}

}  // namespace
}  // namespace platform
