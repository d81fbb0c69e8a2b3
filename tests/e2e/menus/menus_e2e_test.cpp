// The real game in a real SDL window under Xvfb: every menu walked by keys
// and by the pointer, every option changed, the restart into full screen and
// back, and quitting through the promotion screen. Input comes from the
// engine's script; the engine's log tells the game states apart.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "text_file.h"
#include "virtual_display.h"
#include "wait_for.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
const fs::path kGameDir = VARNOK_GAME_DIR;

using testing_support::ReadText;
using testing_support::VirtualDisplay;
using testing_support::WaitFor;
using testing_support::WriteText;

class MenusE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kGameDir / "SYSTEm.DLL") || !fs::exists(kGameDir / "data" / "sprite.x") ||
        !fs::exists(kGameDir / "wdata" / "config.ini")) {
      GTEST_SKIP() << "the game folder is not complete (engine library or data files missing)";
    }
    if (!fs::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(display_.Start());
    std::string pattern = (fs::temp_directory_path() / "varnok-e2e-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    fs::copy(kGameDir, dir_, fs::copy_options::recursive);
    // No browser is opened from a test: the exit button's link is gone (the
    // promotion screen's own links must stay, or its description is not valid).
    for (const char* file : {"data/settings.dat", "data/records.dat", "data/boss.dat", "play.url"}) {
      fs::remove(dir_ / file);
    }
  }
  void TearDown() override {
    std::error_code error;
    if (!dir_.empty() && !HasFailure()) fs::remove_all(dir_, error);
    if (HasFailure()) std::cerr << "game folder kept: " << dir_ << "\n";
  }

  // Starts the game on the virtual display with the scripts (one per process) and
  // waits until `closes` engine instances have closed.
  bool Play(const std::vector<std::string>& scripts, int closes, int seconds) {
    std::string list;
    for (size_t i = 0; i < scripts.size(); ++i) {
      const fs::path file = dir_ / ("p" + std::to_string(i) + ".script");
      WriteText(file, scripts[i]);
      list += (list.empty() ? "" : ":") + file.string();
    }
    std::vector<std::string> env = {"VARNOK_ENGINE=sdl", "VARNOK_ENGINE_SCRIPT=" + list,
                                    "VARNOK_ENGINE_LOG=" + (dir_ / "engine.log").string(), "VARNOK_NO_DIALOGS=1",
                                    "SDL_AUDIODRIVER=dummy", "DISPLAY=" + display_.name(),
                                    "HOME=" + dir_.string(), "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const fs::path err = dir_ / "stderr.txt";
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string exe = (dir_ / "varnok").string();
    char* argv[] = {exe.data(), nullptr};
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) return false;
    int status = 0;
    WaitFor([&] { return waitpid(pid, &status, WNOHANG) != 0; }, std::chrono::seconds(seconds));
    return WaitFor([&] { return Count(Log(), " close\n") >= closes; }, std::chrono::seconds(seconds));
  }

  std::string Log() { return ReadText(dir_ / "engine.log"); }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  // The game states of the log, in order.
  std::vector<int> States() {
    std::vector<int> states;
    std::istringstream in(Log());
    std::string frame, word;
    int state = 0;
    while (in >> frame >> word) {
      if (word == "gamestate" && in >> state) states.push_back(state);
      std::getline(in, word);
    }
    return states;
  }
  std::vector<uint8_t> Settings() {
    const std::string text = ReadText(dir_ / "data" / "settings.dat");
    return {text.begin(), text.end()};
  }
  bool Screenshot(const std::string& name) { return fs::exists(dir_ / name) && fs::file_size(dir_ / name) > 1000; }

  VirtualDisplay display_;
  fs::path dir_;
};

// Pointer spots (0..1 of the frame): main menu items, help's next, the options' rows, the dialog's yes.
const std::string kWalk =
    "40 shot main.png\n"
    "50 mouse 0.78 0.49\n60 click\n"                 // help by click
    "80 mouse 0.47 0.825\n90 click\n100 click\n"     // next, next
    "120 shot help3.png\n"
    "125 tap 0xCB\n130 tap 0x1C\n"                   // previous by key
    "140 tap 1\n"                                    // back to the main menu
    "150 mouse 0.78 0.59\n160 click\n"               // options by click
    "180 shot options.png\n"
    "190 tap 0xD0\n200 tap 0xCB\n"                   // music off by key
    "210 mouse 0.36 0.52\n220 click\n"               // sound off by click
    "230 mouse 0.28 0.63\n240 click\n"               // add text row
    "250 tap 0x1E\n255 tap 0x30\n260 tap 0x1C\n"     // "ab"
    "270 mouse 0.3 0.79\n280 click\n"                // hot-key row
    "290 down 0x1D\n291 down 0x2A\n295 tap 0x58\n300 up 0x1D\n301 up 0x2A\n"
    "320 shot options_changed.png\n"
    "330 tap 1\n"                                    // leave: applied
    "340 tap 0xD0\n345 tap 0x1C\n"                   // high scores by key
    "370 shot records.png\n"
    "380 tap 1\n"
    "390 mouse 0.78 0.904\n400 click\n"              // exit by click
    "420 shot quit.png\n"
    "430 mouse 0.45 0.608\n440 click\n"              // yes
    "480 shot share.png\n"
    "960 shot share_ready.png\n"
    "970 mouse 0.5 0.87\n980 click\n";               // the exit button

TEST_F(MenusE2E, EveryMenuByKeysAndPointerThenQuitThroughThePromotionScreen) {
  ASSERT_TRUE(Play({kWalk}, 1, 60)) << Log();
  const std::vector<int> expected = {3, 6, 3, 4, 7, 4, 8, 4, 3, 10, 3, 9, 26};
  EXPECT_EQ(States(), expected) << Log();
  const std::vector<uint8_t> settings = Settings();
  ASSERT_EQ(settings.size(), 20u);
  EXPECT_EQ(settings[0], 1);  // still windowed
  EXPECT_EQ(settings[1], 0);  // sound off
  EXPECT_EQ(settings[2], 0);  // music off
  EXPECT_EQ(std::string(settings.begin() + 3, settings.begin() + 6), std::string("\x02" "ab"));
  EXPECT_EQ(settings[14], 0x58);
  EXPECT_EQ(settings[16], 1);  // Shift
  EXPECT_EQ(settings[17], 0);  // no Alt
  EXPECT_EQ(settings[18], 1);  // Ctrl
  for (const char* shot : {"main.png", "help3.png", "options.png", "options_changed.png", "records.png", "quit.png",
                           "share.png", "share_ready.png"}) {
    EXPECT_TRUE(Screenshot(shot)) << shot;
  }
}

TEST_F(MenusE2E, AltEnterRestartsIntoFullScreenAndBackKeepingTheOptionsScreen) {
  const std::string toFull = "40 tap 0xD0\n45 tap 0xD0\n50 tap 0x1C\n80 down 0x38\n81 down 0x1C\n85 up 0x1C\n86 up 0x38\n";
  const std::string inFull = "60 shot full.png\n70 down 0x38\n71 down 0x1C\n75 up 0x1C\n76 up 0x38\n";
  const std::string back = "60 shot back.png\n70 tap 1\n80 tap 0xC8\n85 tap 0x1C\n95 tap 0x1C\n"
                           "110 shot share.png\n130 quit\n";
  ASSERT_TRUE(Play({toFull, inFull, back}, 3, 60)) << Log();
  EXPECT_EQ(Count(Log(), " open sdl\n"), 3) << Log();
  const std::vector<int> expected = {3, 4, 4, 4, 3, 9, 26};
  EXPECT_EQ(States(), expected) << Log();
  EXPECT_EQ(Settings().at(0), 1) << "back in a window";
  EXPECT_TRUE(Screenshot("full.png"));
  EXPECT_TRUE(Screenshot("back.png"));
  EXPECT_FALSE(fs::exists(dir_ / "data" / "boss.dat"));
}

TEST_F(MenusE2E, TheWindowModeOptionRestartsIntoFullScreenAndBack) {
  // Options, item 1, Right: applied at once, the game restarts in the other
  // mode and comes back in the options, where Right switches it back.
  const std::string toFull = "40 tap 0xD0\n45 tap 0xD0\n50 tap 0x1C\n70 shot options_window.png\n80 tap 0xCD\n";
  const std::string back = "60 shot options_full.png\n80 tap 0xCD\n";
  const std::string done = "60 shot options_again.png\n70 tap 1\n90 shot main_again.png\n100 quit\n";
  ASSERT_TRUE(Play({toFull, back, done}, 3, 60)) << Log();
  EXPECT_EQ(Count(Log(), " open sdl\n"), 3) << Log();
  const std::vector<int> expected = {3, 4, 4, 4, 3};
  EXPECT_EQ(States(), expected) << Log();
  EXPECT_EQ(Settings().at(0), 1) << "back in a window";
  EXPECT_TRUE(Screenshot("options_full.png"));
  EXPECT_TRUE(Screenshot("options_again.png"));
  EXPECT_TRUE(Screenshot("main_again.png"));
}

}  // namespace
