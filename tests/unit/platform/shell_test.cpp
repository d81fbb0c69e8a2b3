#include "platform/shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "temp_folder.h"
#include "wait_for.h"

namespace platform {
namespace {

using testing::ReadText;
using testing_support::WaitFor;
using testing::ScopedCurrentFolder;
using testing::TempFolder;
namespace fs = std::filesystem;

// Names a shell would split, expand or take as an option.
const std::vector<std::string> kHostileNames = {
    "my file.txt", "it's \"quoted\".txt", "a;b.txt", "$(touch pwned).txt", "`touch pwned`.txt", "-rf", "--help", "|x&y>z",
};

// ---- ParseUrlFile ----

TEST(ParseUrlFileTest, ReadsTheUrlOfAnInternetShortcut) {
  EXPECT_EQ(Shell::ParseUrlFile("[InternetShortcut]\r\nURL=https://example.org/play?a=1&b=2\r\n"),
            "https://example.org/play?a=1&b=2");
}

TEST(ParseUrlFileTest, IgnoresOtherSectionsKeysAndSpacing) {
  const std::string text =
      "\xEF\xBB\xBF[DEFAULT]\nBASEURL=http://base/\n[Other]\nURL=http://wrong/\n"
      "[ internetshortcut ]\nIconIndex=0\n; comment\n  url =  http://right/  \nURL=http://later/\n";
  EXPECT_EQ(Shell::ParseUrlFile(text), "http://right/");
}

TEST(ParseUrlFileTest, AcceptsALineWithoutAnySection) {
  EXPECT_EQ(Shell::ParseUrlFile("URL=file:///usr/share/doc/index.html"), "file:///usr/share/doc/index.html");
}

TEST(ParseUrlFileTest, RefusesSchemesOtherThanWebAndFile) {
  for (const char* text : {"URL=javascript:alert(1)", "URL=ftp://host/x", "URL=/etc/passwd", "URL=-x", "URL=http://",
                           "URL=", "URL=mailto:a@b"}) {
    EXPECT_FALSE(Shell::ParseUrlFile(text).has_value()) << text;
  }
}

TEST(ParseUrlFileTest, RefusesUrlsWithBlanksOrControlBytes) {
  EXPECT_FALSE(Shell::ParseUrlFile("URL=http://a b/").has_value());
  EXPECT_FALSE(Shell::ParseUrlFile(std::string("URL=http://a\0b/", 15)).has_value());
  EXPECT_FALSE(Shell::ParseUrlFile("URL=http://a\x1b[2J/").has_value());
}

TEST(ParseUrlFileTest, GivesNothingWithoutAUrlLine) {
  EXPECT_FALSE(Shell::ParseUrlFile("").has_value());
  EXPECT_FALSE(Shell::ParseUrlFile("[InternetShortcut]\nIconFile=x.ico\n").has_value());
  EXPECT_FALSE(Shell::ParseUrlFile("\xff\xfe\x00garbage\n=\n[\n]").has_value());
}

TEST(ParseUrlFileTest, SkipsLinesLongerThan4KB) {
  const std::string longLine = "URL=http://example.org/" + std::string(5000, 'a');
  EXPECT_EQ(Shell::ParseUrlFile(longLine + "\nURL=http://short/\n"), "http://short/");
}

TEST(ParseUrlFileTest, RefusesTextOver64KB) {
  const std::string head = "URL=http://example.org/\n";
  std::string exactly = head + std::string(64 * 1024 - head.size(), '\n');
  EXPECT_EQ(Shell::ParseUrlFile(exactly), "http://example.org/");
  EXPECT_FALSE(Shell::ParseUrlFile(exactly + "\n").has_value());
}

// ---- CommandFor and Open ----

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() {
    Shell::SetSpawner([this](const std::vector<std::string>& argv, const std::string& workingDir) {
      spawned.push_back(argv);
      spawnedIn.push_back(workingDir);
      return spawnSucceeds;
    });
  }
  ~ShellTest() override { Shell::SetSpawner({}); }

  std::string Executable(const std::string& name, const std::string& script) const {
    const std::string file = folder.Write(name, script);
    fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    return file;
  }

  TempFolder folder;
  ScopedCurrentFolder inFolder{folder.path()};
  std::vector<std::vector<std::string>> spawned;
  std::vector<std::string> spawnedIn;
  bool spawnSucceeds = true;
};

using Argv = std::vector<std::string>;

TEST_F(ShellTest, WebLinksGoToTheDesktopOpenerAsOneArgument) {
  EXPECT_EQ(Shell::CommandFor("https://example.org/x?a=1&b=$(id);`id`"),
            (Argv{"xdg-open", "https://example.org/x?a=1&b=$(id);`id`"}));
  EXPECT_EQ(Shell::CommandFor("HTTP://example.org/"), (Argv{"xdg-open", "HTTP://example.org/"}));
}

TEST_F(ShellTest, MissingTargetsHaveNothingToRun) {
  EXPECT_TRUE(Shell::CommandFor("").empty());
  EXPECT_TRUE(Shell::CommandFor("missing.exe").empty());
  EXPECT_TRUE(Shell::CommandFor("ftp://example.org/").empty());
  EXPECT_TRUE(Shell::CommandFor("http://has space/").empty());
  EXPECT_FALSE(Shell::Open("fscommand\\wgame.exe"));
  EXPECT_TRUE(spawned.empty());
}

TEST_F(ShellTest, FilesWithShellCharactersInTheirNamesStayOneArgument) {
  for (const std::string& name : kHostileNames) {
    SCOPED_TRACE(name);
    folder.Write(name, "data");
    const Argv argv = Shell::CommandFor(name);
    ASSERT_EQ(argv.size(), 2u);
    EXPECT_EQ(argv[0], "xdg-open");
    EXPECT_EQ(argv[1], folder / name);
    EXPECT_EQ(argv[1].front(), '/');
  }
}

TEST_F(ShellTest, ExecutablesStartDirectlyInTheirOwnFolder) {
  for (const std::string& name : kHostileNames) {
    SCOPED_TRACE(name);
    const std::string file = Executable("fscommand/" + name, "#!/bin/sh\n");
    ASSERT_TRUE(Shell::Open("fscommand/" + name));
    EXPECT_EQ(spawned.back(), Argv{file});
    EXPECT_EQ(spawnedIn.back(), folder / "fscommand");
  }
}

TEST_F(ShellTest, FindsTargetsWrittenWithBackslashesInAnyCase) {
  const std::string file = Executable("fscommand/wgame.exe", "#!/bin/sh\n");
  EXPECT_EQ(Shell::CommandFor("FSCommand\\WGame.exe"), Argv{file});
}

TEST_F(ShellTest, UrlFilesOpenTheirLinkInAnyCaseOfExtension) {
  folder.Write("play.URL", "[InternetShortcut]\nURL=https://example.org/play\n");
  EXPECT_EQ(Shell::CommandFor("play.URL"), (Argv{"xdg-open", "https://example.org/play"}));
  EXPECT_EQ(Shell::CommandFor("Play.url"), (Argv{"xdg-open", "https://example.org/play"}));
}

TEST_F(ShellTest, UrlFileLinksWinOverTheExecuteBit) {
  Executable("moregames.url", "[InternetShortcut]\nURL=http://example.org/more\n");
  EXPECT_EQ(Shell::CommandFor("moregames.url"), (Argv{"xdg-open", "http://example.org/more"}));
}

TEST_F(ShellTest, UrlFilesWithoutAnAcceptedLinkHaveNothingToRun) {
  folder.Write("bad.url", "[InternetShortcut]\nURL=javascript:alert(1)\n");
  folder.Write("huge.url", "URL=http://example.org/\n" + std::string(70 * 1024, '\n'));
  EXPECT_TRUE(Shell::CommandFor("bad.url").empty());
  EXPECT_TRUE(Shell::CommandFor("huge.url").empty());
  EXPECT_FALSE(Shell::Open("bad.url"));
  EXPECT_TRUE(spawned.empty());
}

TEST_F(ShellTest, OtherExistingThingsGoToTheDesktopOpener) {
  folder.Write("docs/readme.txt", "text");
  EXPECT_EQ(Shell::CommandFor("docs"), (Argv{"xdg-open", folder / "docs"}));
  EXPECT_EQ(Shell::CommandFor("./docs/readme.txt"), (Argv{"xdg-open", folder / "docs/readme.txt"}));
}

TEST_F(ShellTest, OpenReportsASpawnFailure) {
  folder.Write("readme.txt");
  spawnSucceeds = false;
  EXPECT_FALSE(Shell::Open("readme.txt"));
  ASSERT_EQ(spawned.size(), 1u);
}

// ---- Real spawning ----

class ShellSpawnTest : public ::testing::Test {
 protected:
  ShellSpawnTest() { Shell::SetSpawner({}); }
  TempFolder folder;
};

TEST_F(ShellSpawnTest, RunsAnExecutableByItsLiteralNameWithoutAShell) {
  const std::string name = "-x $(touch pwned) `touch pwned2`; touch pwned3 'q\" &.sh";
  const std::string script = folder.Write(name, "#!/bin/sh\nprintf '%s' \"$0\" > ran.tmp && mv ran.tmp ran.txt\n");
  fs::permissions(script, fs::perms::owner_all);

  ASSERT_TRUE(Shell::Open(script));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(folder / "ran.txt"); }));
  EXPECT_EQ(ReadText(folder / "ran.txt"), script);
  for (const char* injected : {"pwned", "pwned2", "pwned3"}) {
    EXPECT_FALSE(fs::exists(folder / injected)) << injected;
    EXPECT_FALSE(fs::exists(injected)) << injected;
  }
}

TEST_F(ShellSpawnTest, ReapsTheStartedProgram) {
  const std::string script = folder.Write("pid.sh", "#!/bin/sh\necho $$ > pid.tmp && mv pid.tmp pid.txt\n");
  fs::permissions(script, fs::perms::owner_all);
  ASSERT_TRUE(Shell::Open(script));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(folder / "pid.txt"); }));
  const std::string pid = std::to_string(std::stol(ReadText(folder / "pid.txt")));
  // A zombie keeps its /proc entry until its parent (us) waits for it.
  EXPECT_TRUE(WaitFor([&] { return !fs::exists("/proc/" + pid); })) << "child " << pid << " was not reaped";
}

TEST_F(ShellSpawnTest, ReportsAProgramThatCannotBeExecuted) {
  // Execute bit set but no interpreter line and not a binary: exec fails.
  const std::string file = folder.Write("broken.exe", std::string("\x7f" "ELF garbage", 12));
  fs::permissions(file, fs::perms::owner_all);
  EXPECT_FALSE(Shell::Open(file));
}

}  // namespace
}  // namespace platform
