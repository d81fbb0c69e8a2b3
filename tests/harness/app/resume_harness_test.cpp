// A game carried across a self-restart: the old process's restart (the
// restart record and the world snapshot it leaves) and the new process's
// start on those files, each driven through whole frames.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "actors/combat.h"
#include "actors/fire.h"
#include "actors/hero.h"
#include "world/play_screen.h"
#include "engine_link/scan_codes.h"
#include "game_harness.h"
#include "menus/front_end.h"
#include "menus/typing.h"
#include "platform/file_io.h"
#include "platform/shell.h"
#include "menus/share_screen.h"
#include "world/game.h"
#include "world/world_snapshot.h"

namespace {

using testing_support::GameHarness;
using Files = std::map<std::string, std::vector<uint8_t>>;

constexpr int kRecordsCheckFrames = 2000 / 15 + 5;

const char* const kPlayerFiles[] = {"data/settings.dat", "data/records.dat", "data/boss.dat", "data/game.dat",
                                    "data/bp.dat",       "data/fp.dat",      "data/bld.dat",  "data/vgn.dat",
                                    "data/FPT.dat",      "data/E.dat",       "data/hero.dat"};

class ResumeHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    // A restart started here must never start a real process.
    platform::Shell::SetSpawner([](const std::vector<std::string>&, const std::string&) { return true; });
  }
  void TearDown() override { platform::Shell::SetSpawner(nullptr); }

  // What the old process leaves in the game folder for the new one.
  static Files Left(GameHarness& game) {
    Files files;
    for (const char* f : kPlayerFiles) {
      if (game.folder().Exists(f)) files[f] = game.folder().Read(f);
    }
    return files;
  }
  static void StartOn(GameHarness& game, const Files& files) {
    for (const auto& [name, bytes] : files) game.folder().Write(name, bytes);
    game.Start();
  }
  // The run's counters saved as a game in `state` saves them.
  static void WriteRun(GameHarness& game, uint8_t state, int32_t level, int32_t score, int32_t lives) {
    world::WorldSnapshot run;
    run.header.level = level;
    run.header.score = score;
    run.header.lives = lives;
    run.header.energy = 5;
    world::WriteWorldSnapshot(run);
    game.folder().Write("data/boss.dat", {1, state, 0, 0, 0, 0});
  }
  // A sprite wearing `texture` is on screen.
  static bool Shown(GameHarness& game, const std::string& texture) {
    for (EHandle sprite : game.engine().SpritesShowing(texture)) {
      if (game.engine().sprites[sprite].shown) return true;
    }
    return false;
  }
};

TEST_F(ResumeHarness, AltEnterInPlayContinuesTheSameLevelInTheNewProcess) {
  Files files;
  int32_t level = 0;
  long double heroX = 0;
  int32_t scrolled = 0;
  {
    GameHarness game(5);
    game.StartPlaying();
    world::TGame& w = *game.context().game;
    game.Hold(keys::kRight);
    game.Frame(30);
    game.Release(keys::kRight);
    w.SetScore(700);
    level = w.Level();
    heroX = w.hero->X;
    scrolled = w.hero->ScrollPos;
    game.Hold(keys::kLeftAlt);
    game.Hold(keys::kEnter);
    game.Frame(3);  // held over several frames: one switch
    EXPECT_TRUE(game.form().Window().TimerEnabled(game.form().Timer2));
    files = Left(game);
  }
  ASSERT_EQ(files.at("data/boss.dat").at(1), core::gsPlaying);
  EXPECT_EQ(files.at("data/settings.dat").at(0), 0) << "switched to full screen once";

  GameHarness game(6);
  StartOn(game, files);
  const world::TGame& w = *game.context().game;
  EXPECT_EQ(core::GameState(), core::gsPlaying);
  EXPECT_FALSE(game.folder().Exists("data/boss.dat"));
  EXPECT_EQ(w.Level(), level);
  EXPECT_EQ(w.Score(), 700);
  EXPECT_EQ(w.hero->X, heroX);
  EXPECT_EQ(w.hero->ScrollPos, scrolled);
  game.Frame(5);
  EXPECT_EQ(core::GameState(), core::gsPlaying);
  EXPECT_TRUE(game.engine().sprites[w.hero->BodySprite].shown);
  EXPECT_FALSE(Shown(game, "data\\PMMStart.png")) << "no menu over the play screen";
}

// The hide key in full screen restarts the game minimised, to open its
// engine only when shown: closed before that, it leaves its run to the next start.
TEST_F(ResumeHarness, BetweenLevelsTheRunsCountersComeBackAndTheNextLevelIsBuilt) {
  for (uint8_t state : {core::gsLevelIntro, core::gsLevelBuild}) {
    GameHarness game;
    WriteRun(game, state, 4, 1234, 2);
    game.Start();
    const world::TGame& w = *game.context().game;
    EXPECT_EQ(core::GameState(), core::gsPlaying) << int(state);
    EXPECT_EQ(w.Level(), 5) << int(state);
    EXPECT_EQ(w.Score(), 1234) << int(state);
    EXPECT_EQ(w.Lives(), 2) << int(state);
    EXPECT_FALSE(w.buildings.empty()) << int(state);
  }
}

TEST_F(ResumeHarness, BetweenLevelsWithoutASnapshotTheMainMenuComes) {
  GameHarness game;
  game.folder().Write("data/boss.dat", {1, core::gsLevelIntro, 0, 0, 0, 0});
  testing::internal::CaptureStderr();
  game.Start();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("game.dat"), std::string::npos);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_FALSE(game.folder().Exists("data/boss.dat")) << "a run that cannot come back is not tried at every start";
  game.Frame(2);
  EXPECT_TRUE(Shown(game, "data\\PMMStart.png"));
  EXPECT_EQ(game.context().musicChoice, 1);
}

TEST_F(ResumeHarness, ASwitchDuringTheSubmissionResumesItsResultDialogWithTheScore) {
  Files files;
  {
    GameHarness game;
    game.StartPlaying();
    game.context().game->SetScore(5000);
    menus::Menus().recordInput.name() = "ADA";
    core::SetGameState(core::gsSubmitting);
    game.form().SwitchWindowMode();
    files = Left(game);
  }
  EXPECT_EQ(files.at("data/boss.dat").at(1), core::gsSubmitResult);
  GameHarness game;
  StartOn(game, files);
  EXPECT_EQ(core::GameState(), core::gsSubmitResult);
  EXPECT_EQ(game.context().game->Score(), 5000);
  EXPECT_EQ(menus::Menus().recordInput.name(), "ADA") << "the entry to send again";
  game.Frame();
  game.Tap(keys::kEscape);
  game.Frame();
  EXPECT_EQ(core::GameState(), core::gsRecords) << "the dialog answers its keys";
}

TEST_F(ResumeHarness, TheGameOverPictureResumesItsWaitAndTheRecordsCheckFollows) {
  Files files;
  {
    GameHarness game;
    game.StartPlaying();
    game.context().game->SetScore(5000);
    core::SetGameState(core::gsGameOver);
    game.form().SwitchWindowMode();
    files = Left(game);
  }
  EXPECT_EQ(files.at("data/boss.dat").at(1), core::gsGameOverWait) << "the run is carried, not dropped";
  GameHarness game;
  StartOn(game, files);
  EXPECT_EQ(core::GameState(), core::gsGameOverWait);
  EXPECT_TRUE(game.engine().sprites[game.context().res.gameOverPicture].shown);
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() != core::gsGameOverWait; }, kRecordsCheckFrames));
  EXPECT_EQ(core::GameState(), core::gsRecordName) << "5000 beats the table";
}

TEST_F(ResumeHarness, KeyCaptureResumesWithTheOptionsPanelBesideTheMenuColumn) {
  GameHarness game;
  game.folder().Write("data/boss.dat", {1, core::gsOptionsKeyCapture, 1, 0, 0, 0});
  game.Start();
  game.Frame();
  EXPECT_EQ(core::GameState(), core::gsOptionsKeyCapture);
  EXPECT_TRUE(Shown(game, "data\\Options.png"));
  EXPECT_TRUE(Shown(game, "data\\PMMStart.png"));
}

TEST_F(ResumeHarness, ThePromotionScreenResumesAndCountsDown) {
  GameHarness game;
  const std::string config =
      "1\nwdata\\back.png\n"
      "500 500 200 60\n500 500 200 60\n500 500 200 60\nwdata\\n.png\nwdata\\h.png\nwdata\\d.png\n"
      "40 40\n3\n255 128 0\nFALSE\n";
  game.folder().Write("wdata/config.ini", std::vector<uint8_t>(config.begin(), config.end()));
  for (const char* file : {"wdata/back.png", "wdata/n.png", "wdata/h.png", "wdata/d.png"}) {
    game.folder().Write(file, {'x'});
  }
  game.folder().Write("data/boss.dat", {1, core::gsShareScreen, 1, 0, 0, 0});
  game.Start();
  game.Frame(2);
  EXPECT_EQ(core::GameState(), core::gsShareScreen);
  ASSERT_NE(menus::Menus().shareScreen, nullptr);
  EXPECT_TRUE(menus::Menus().shareScreen->valid());
  EXPECT_TRUE(Shown(game, "wdata\\back.png"));
  const long double before = menus::Menus().shareScreen->countdown();
  game.Frame(10);
  EXPECT_LT(menus::Menus().shareScreen->countdown(), before);
}

TEST_F(ResumeHarness, AnExitConfirmationDuringPlayResumesOverTheLoweredWorld) {
  Files files;
  {
    GameHarness game;
    game.StartPlaying();
    game.Tap(keys::kEscape);
    game.Frame();
    ASSERT_EQ(core::GameState(), core::gsGameExitConfirm);
    game.form().SwitchWindowMode();
    files = Left(game);
  }
  GameHarness game;
  StartOn(game, files);
  EXPECT_EQ(core::GameState(), core::gsGameExitConfirm);
  const actors::THero& hero = *game.context().game->hero;
  EXPECT_EQ(game.engine().sprites[hero.BodySprite].priority, world::kActorUnderDialogPriority);
  game.Tap(keys::kEscape);
  game.Frame();
  EXPECT_EQ(core::GameState(), core::gsPlaying);
}

TEST_F(ResumeHarness, ThePlayScreenHidesTheMainMenu) {
  GameHarness game;
  game.StartPlaying();
  menus::Menus().mainMenu.Show();
  world::ShowPlayScreen();
  EXPECT_FALSE(Shown(game, "data\\PMMStart.png"));
  EXPECT_FALSE(Shown(game, "data\\PMMExit.png"));
}

TEST_F(ResumeHarness, LinksOpenedFromFullScreenRestartMinimisedOverThePage) {
  GameHarness game;
  game.Start();
  game.context().ActiveSettings.Windowed = 0;
  menus::Menus().mainMenu.Web();
  EXPECT_EQ(game.folder().Read("data/boss.dat").at(0), 0);
  EXPECT_EQ(game.folder().Read("data/boss.dat").at(4), 1);

  GameHarness other;
  other.Start();
  other.context().ActiveSettings.Windowed = 0;
  menus::Menus().recordsMenu.ViewOnline();
  EXPECT_EQ(other.folder().Read("data/boss.dat").at(0), 0);
  EXPECT_EQ(other.folder().Read("data/boss.dat").at(5), 1);
}

TEST_F(ResumeHarness, HidingInAWindowMutesUntilTheWindowIsNormalAgain) {
  GameHarness game;
  game.Start();
  game.Frame();
  const fake::Sound* music = game.engine().SoundFor("sound\\Menu.ogg");
  ASSERT_TRUE(music->playing);
  game.form().HideGame();
  game.form().HideGame();  // pressed again while hidden
  EXPECT_EQ(game.form().Window().State(), platform::WindowState::kMinimized);
  game.Frame(3);
  EXPECT_FALSE(music->playing);
  EXPECT_EQ(game.context().ActiveSettings.SoundOn, 0);
  game.form().Window().Restore();
  game.Frame();
  EXPECT_TRUE(music->playing);
  EXPECT_EQ(game.context().ActiveSettings.SoundOn, 1) << "the second press did not remember the muted values";
  EXPECT_EQ(game.context().ActiveSettings.MusicOn, 1);
}

// A full disk while the game is saved for a restart: the run is not given up
// for a new process that could not resume it. The game goes on here (one
// that could not hide pauses), nothing restarts, and the player is told once.
TEST_F(ResumeHarness, AGameThatCannotBeSavedForARestartGoesOnInThisProcess) {
  GameHarness game;
  game.StartPlaying();
  app::TMainForm& form = game.form();
  const auto settings = game.folder().Read("data/settings.dat");
  testing::internal::CaptureStderr();
  {
    const platform::ScopedWriteFault fullDisk(platform::WriteStep::kWrite, ENOSPC, "E.dat");
    form.SwitchWindowMode();
    game.context().ActiveSettings.Windowed = 0;
    form.HideGame();
    EXPECT_EQ(core::GameState(), core::gsPaused);
    form.SwitchWindowMode();
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("E.dat"), std::string::npos) << said;
  for (int timer : {form.Timer1, form.Timer2}) EXPECT_FALSE(form.Window().TimerEnabled(timer));
  EXPECT_EQ(game.engine().exits, 0) << "the engine goes on";
  EXPECT_FALSE(game.folder().Exists("data/boss.dat"));
  EXPECT_EQ(game.folder().Read("data/settings.dat"), settings);

  // The record lands but the new window mode does not: no switch, and no record left behind.
  game.context().ActiveSettings.Windowed = 1;
  {
    const platform::ScopedWriteFault readOnly(platform::WriteStep::kRename, EROFS, "settings");
    form.SwitchWindowMode();
  }
  EXPECT_FALSE(form.Window().TimerEnabled(form.Timer2));
  EXPECT_FALSE(game.folder().Exists("data/boss.dat"));
  EXPECT_EQ(game.context().ActiveSettings.Windowed, 1);

  form.SwitchWindowMode();
  EXPECT_TRUE(form.Window().TimerEnabled(form.Timer2)) << "with room on the disk the switch goes ahead";
  EXPECT_EQ(game.folder().Read("data/boss.dat").at(1), core::gsPaused);
  EXPECT_EQ(game.folder().Read("data/settings.dat").at(0), 0);
}

TEST_F(ResumeHarness, HidingAWindowedGameInPlayPausesIt) {
  GameHarness game;
  game.StartPlaying();
  game.form().HideGame();
  EXPECT_EQ(core::GameState(), core::gsPaused);
  const long double x = game.context().game->hero->X;
  game.Hold(keys::kRight);
  game.Frame(10);
  EXPECT_EQ(game.context().game->hero->X, x);
}

TEST_F(ResumeHarness, TheNameEntryResumesWithTheNameTypedSoFar) {
  Files files;
  {
    GameHarness game;
    game.StartPlaying();
    game.context().game->SetScore(3000);
    game.context().pendingRecordRank = 2;
    menus::Menus().recordInput.name() = "BOB";
    core::SetGameState(core::gsRecordName);
    game.form().SwitchWindowMode();
    files = Left(game);
  }
  GameHarness game;
  StartOn(game, files);
  EXPECT_EQ(core::GameState(), core::gsRecordName);
  EXPECT_EQ(menus::Menus().recordInput.name(), "BOB");
  EXPECT_EQ(game.context().pendingRecordRank, 2);
  game.Tap(0x1F);  // S
  game.Frame();
  EXPECT_EQ(menus::Menus().recordInput.name(), "BOBs");
}

TEST_F(ResumeHarness, MaximisingAHiddenWindowSwitchesModeWithoutSavingTheMuting) {
  GameHarness game;
  game.Start();
  game.Frame();
  game.form().HideGame();
  game.form().Window().PostCommand(VARNOK_WINDOW_MAXIMIZE);
  game.Frame();
  EXPECT_TRUE(game.form().Window().TimerEnabled(game.form().Timer2)) << "a maximise switches the window mode";
  EXPECT_FALSE(game.engine().SoundFor("sound\\Menu.ogg")->playing) << "not while the window is not normal";
  const auto settings = game.folder().Read("data/settings.dat");
  EXPECT_EQ(settings.at(0), 0) << "full screen next";
  EXPECT_EQ(settings.at(1), 1) << "sound stays the player's choice";
  EXPECT_EQ(settings.at(2), 1) << "music stays the player's choice";
}

// The restart record is the commit point of a restart: a process killed
// before it lands leaves no record (the next start shows the main menu), and a
// record on disk always names a snapshot that is whole. So every snapshot
// file must be in place before the record, and none may change after it.
TEST_F(ResumeHarness, ARestartCommitsItsRecordOnlyAfterEverySnapshotFile) {
  struct Case {
    const char* name;
    uint8_t state;
    bool fullScreen, hide;
  };
  const Case cases[] = {{"Alt+Enter in play", core::gsPlaying, false, false},
                        {"Alt+Enter in the name entry", core::gsRecordName, false, false},
                        {"the hide key in full-screen play", core::gsPlaying, true, true},
                        {"the hide key in the full-screen name entry", core::gsRecordAdd, true, true}};
  const std::vector<std::string> snapshot = {"game.dat", "bp.dat", "fp.dat", "FPT.dat", "E.dat", "hero.dat"};
  for (const Case& c : cases) {
    GameHarness game;
    game.StartPlaying();
    game.context().ActiveSettings.Windowed = c.fullScreen ? 0 : 1;
    core::SetGameState(c.state);
    // Renames into the folder and removals, in the order the folder saw them.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, (game.folder().path() / "data").c_str(), IN_MOVED_TO | IN_DELETE), 0);
    if (c.hide) game.form().HideGame(); else game.form().SwitchWindowMode();
    std::vector<std::string> seen;
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t got; (got = read(watch, buffer, sizeof buffer)) > 0;) {
      for (char* at = buffer; at < buffer + got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        if (event->len > 0) seen.emplace_back(event->name);
        at += sizeof(inotify_event) + event->len;
      }
    }
    close(watch);
    const auto record = std::find(seen.begin(), seen.end(), "boss.dat");
    ASSERT_NE(record, seen.end()) << c.name;
    EXPECT_EQ(game.folder().Read("data/boss.dat").at(1), c.state) << c.name;
    for (const std::string& file : snapshot) {
      EXPECT_NE(std::find(seen.begin(), record, file), record) << c.name << ": " << file << " before the record";
    }
    for (auto after = record + 1; after != seen.end(); ++after) {
      EXPECT_TRUE(*after == "settings.dat") << c.name << ": " << *after << " changed after the record";
    }
  }
}

TEST_F(ResumeHarness, TheNameEntryResumesWithTheSettingsAddTextAndSavingKeepsIt) {
  for (uint8_t state : {core::gsRecordButtons, core::gsRecordName, core::gsRecordAdd}) {
    SCOPED_TRACE(int(state));
    Files files;
    {
      GameHarness game;
      game.StartPlaying();
      menus::SetAddText(game.context().ActiveSettings, "CLAN");
      game.context().game->SetScore(3000);
      game.context().pendingRecordRank = 2;
      core::SetGameState(state);
      game.form().SwitchWindowMode();
      files = Left(game);
    }
    GameHarness game;
    StartOn(game, files);
    EXPECT_EQ(menus::Menus().recordInput.addText(), "CLAN");
    // From the name, down past the add text to OK, which saves the entry.
    for (int32_t key : {keys::kDown, keys::kDown, keys::kEnter}) {
      game.Tap(key);
      game.Frame();
    }
    ASSERT_EQ(core::GameState(), core::gsSubmitConfirm);
    EXPECT_EQ(menus::AddTextOf(game.context().ActiveSettings), "CLAN") << "not the empty text written back";
  }
}

// Particles live in the camera's space, which travels with the scroll: on
// screen every fire and the flamethrower's farthest stream (fired for a frame)
// burn at their own X.
void ExpectParticlesWhereTheyBurn(GameHarness& game) {
  world::TGame& w = *game.context().game;
  fake::FakeEngine& engine = game.engine();
  const float camera = engine.cameraLocations[game.context().res.mainCamera].x;
  constexpr long double kParticleUnit = 5.5L / 16;
  int fires = 0;
  for (const auto& thing : w.foregroundObjects) {
    if (!thing->IsFire()) continue;
    const auto& fire = static_cast<const actors::TFire&>(*thing);
    EXPECT_NEAR(engine.emitterLocations[fire.Emitter].x - camera, float(fire.X * kParticleUnit), 1e-3);
    ++fires;
  }
  EXPECT_GT(fires, 0);
  w.currentWeapon = actors::kWeaponD;
  game.Hold(keys::kLeftCtrl);
  game.Frame();
  game.Release(keys::kLeftCtrl);
  const auto& flame = *static_cast<actors::TCombat&>(*game.context().combat).Arsenal().Flames.back();
  EXPECT_NEAR(engine.emitterLocations[flame.Emitter].x - camera, float(flame.X * kParticleUnit), 1e-3);
}

TEST_F(ResumeHarness, ALevelResumedMidwayHasItsCameraWhereTheScrollingLeftIt) {
  Files files;
  float cameraX = 0;
  {
    GameHarness game(5);
    game.StartPlaying();
    game.Hold(keys::kRight);
    game.Frame(30);
    game.Release(keys::kRight);
    ASSERT_GT(game.context().game->hero->ScrollPos, 0);
    cameraX = game.engine().cameraLocations[game.context().res.mainCamera].x;
    ExpectParticlesWhereTheyBurn(game);
    game.form().SwitchWindowMode();
    files = Left(game);
  }
  auto resumedCamera = [](const Files& left) {
    GameHarness game(6);
    StartOn(game, left);
    EXPECT_EQ(core::GameState(), core::gsPlaying);
    const float camera = game.context().game->cameraLocation.x;
    EXPECT_EQ(camera, game.engine().cameraLocations[game.context().res.mainCamera].x);
    ExpectParticlesWhereTheyBurn(game);
    return camera;
  };
  EXPECT_NEAR(resumedCamera(files), cameraX, 1e-4);

  // Past the end of the scrolling the hero walks and the camera stays.
  auto atScroll = [&files](int32_t scrollPos) {
    Files left = files;
    std::memcpy(left.at("data/hero.dat").data() + 96, &scrollPos, 4);
    return left;
  };
  const float stopped = resumedCamera(atScroll(actors::kScrollStopPos + 2));
  EXPECT_GT(stopped, 100.f);
  EXPECT_EQ(resumedCamera(atScroll(actors::kLevelEndPos - 2)), stopped);
}

TEST_F(ResumeHarness, ARestartRecordThatCannotBeWrittenKeepsThisProcessAndItsRun) {
  GameHarness game;
  game.StartPlaying();
  // A folder where the record belongs: it cannot be written.
  const auto record = game.folder().path() / "data" / "boss.dat";
  std::filesystem::create_directories(record);
  const auto settings = game.folder().Read("data/settings.dat");
  app::TMainForm& form = game.form();
  testing::internal::CaptureStderr();
  form.SwitchWindowMode();
  game.context().ActiveSettings.Windowed = 0;
  form.HideGame();
  core::SetGameState(core::gsRecords);
  menus::Menus().recordsMenu.ViewOnline();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("boss.dat"), std::string::npos) << said;
  for (int timer : {form.Timer1, form.Timer2, form.Timer4}) EXPECT_FALSE(form.Window().TimerEnabled(timer));
  EXPECT_EQ(game.engine().exits, 0) << "the engine goes on";
  EXPECT_EQ(game.folder().Read("data/settings.dat"), settings) << "the window mode was not switched";

  core::SetGameState(core::gsPlaying);
  const int32_t scrolled = game.context().game->hero->ScrollPos;
  game.Hold(keys::kRight);
  game.Frame(5);
  EXPECT_GT(game.context().game->hero->ScrollPos, scrolled) << "the run goes on";

  std::filesystem::remove(record);
  form.SwitchWindowMode();
  EXPECT_TRUE(form.Window().TimerEnabled(form.Timer2)) << "a later try restarts";
  EXPECT_EQ(game.folder().Read("data/boss.dat").at(5), 0) << "the page that was not opened is not asked for";
}

}  // namespace
