// The real game on the headless engine runs one scripted fight twice, the
// second time with every core kept busy: the state log and the snapshot the
// fight ends with must come out the same byte for byte, since the game's time
// follows the engine's frames and not the machine's clock. With no seed given,
// the levels' seed comes from that time too.
#include <atomic>
#include <cstring>
#include <map>
#include <set>

#include "game_process.h"

namespace {

using process_test::CountOf;
using process_test::GameProcessTest;
using process_test::ReadBytes;
using process_test::ReadText;
using process_test::RunResult;
using process_test::WriteText;
namespace fs = std::filesystem;

constexpr int kEnter = 28, kLeftCtrl = 29, kZ = 44, kAlt = 56, kUp = 200, kRight = 205;

// Spinning threads on every core while it lives; they stop by themselves after
// `limit` should the test end some other way.
class BusyMachine {
 public:
  explicit BusyMachine(std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < cores; ++i) {
      threads_.emplace_back([this, until] {
        uint64_t x = 1;
        while (!stop_.load(std::memory_order_relaxed) && std::chrono::steady_clock::now() < until) {
          for (int k = 0; k < 100000; ++k) x = x * 6364136223846793005ull + 1442695040888963407ull;
        }
        sink_.fetch_add(x, std::memory_order_relaxed);
      });
    }
  }
  ~BusyMachine() {
    stop_ = true;
    for (std::thread& t : threads_) t.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> sink_{0};
  std::vector<std::thread> threads_;
};

class RepeatProcessTest : public GameProcessTest {
 protected:
  struct Outcome {
    std::string log;
    std::map<std::string, std::vector<uint8_t>> files;  // data/*.dat after every process ended
  };

  // One fight, then Alt+Enter saves it and the next process resumes it and quits.
  Outcome PlayOnce() {
    for (const char* file : {"engine.log", "data/settings.dat", "data/records.dat", "data/boss.dat"}) {
      fs::remove(dir_ / file);
    }
    for (const auto& entry : fs::directory_iterator(dir_ / "data")) {
      if (snapshotNames_.count(entry.path().filename().string())) fs::remove(entry.path());
    }
    const RunResult result = Run({"fight.script", "quit.script"}, 60);
    EXPECT_FALSE(result.timedOut) << result.stderrText;
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    // The resumed process runs on its own after the first one ended.
    EXPECT_TRUE(WaitFor([&] { return CountOf(ReadText(dir_ / "engine.log"), " close") >= 2; }, 30))
        << ReadText(dir_ / "engine.log");
    Outcome outcome{ReadText(dir_ / "engine.log"), {}};
    for (const auto& entry : fs::directory_iterator(dir_ / "data")) {
      const std::string name = entry.path().filename().string();
      if (snapshotNames_.count(name) || name == "boss.dat") outcome.files[name] = ReadBytes(entry.path());
    }
    return outcome;
  }

  const std::set<std::string> snapshotNames_ = {"game.dat", "bp.dat", "fp.dat", "bld.dat", "vgn.dat",
                                                "FPT.dat", "E.dat", "hero.dat"};
};

TEST_F(RepeatProcessTest, AFightRepeatsFrameForFrameOnABusyMachine) {
  // New game; shoot the first pick-up down and take it; then walk right into
  // the enemies' fire, jumping now and then. Alt+Enter saves the fight, and
  // the next process resumes it and quits.
  std::ostringstream script;
  script << "60 tap " << kEnter << "\n200 down " << kRight << "\n220 up " << kRight << "\n";
  for (int key : {kZ, kUp, kLeftCtrl}) script << "222 down " << key << "\n500 up " << key << "\n";
  script << "520 down " << kRight << "\n";
  for (int f = 600; f < 1480; f += 100) {
    script << f << " up " << kRight << "\n" << f << " down " << kUp << "\n";
    script << f + 8 << " up " << kUp << "\n" << f + 8 << " down " << kRight << "\n";
  }
  script << "1500 down " << kAlt << "\n1500 down " << kEnter << "\n";
  WriteText(dir_ / "fight.script", script.str());
  WriteText(dir_ / "quit.script", "20 quit\n");
  envOverrides_ = {"VARNOK_SEED=4242"};  // a level known to hold this fight

  const Outcome idle = PlayOnce();
  Outcome busy;
  {
    BusyMachine load(std::chrono::seconds(90));
    busy = PlayOnce();
  }

  // The fight had what makes a run part ways: deaths, pick-ups and fire.
  EXPECT_GE(CountOf(idle.log, " gamestate 13"), 2u) << "the hero died, and again once resumed:\n" << idle.log;
  ASSERT_TRUE(idle.files.count("game.dat")) << "the fight was saved:\n" << idle.log;
  int32_t score = 0;
  std::memcpy(&score, idle.files.at("game.dat").data() + 8, sizeof score);
  EXPECT_GE(score, 50) << "a pick-up was taken";

  EXPECT_EQ(idle.log, busy.log);
  ASSERT_EQ(idle.files.size(), busy.files.size());
  for (const auto& [name, bytes] : idle.files) {
    ASSERT_TRUE(busy.files.count(name)) << name;
    EXPECT_TRUE(bytes == busy.files.at(name)) << name << " differs";
  }
}

TEST_F(RepeatProcessTest, WithoutASeedEveryRunLaysOutTheSameLevel) {
  WriteText(dir_ / "look.script", "30 tap " + std::to_string(kEnter) + "\n90 shot level.png\n100 quit\n");
  std::vector<std::vector<uint8_t>> shots;
  for (int run = 0; run < 2; ++run) {
    const RunResult result = Run({"look.script"});
    ASSERT_FALSE(result.timedOut) << result.stderrText;
    ASSERT_EQ(result.exitCode, 0) << result.stderrText;
    shots.push_back(ReadBytes(dir_ / "level.png"));
    fs::remove(dir_ / "level.png");
  }
  ASSERT_FALSE(shots[0].empty());
  EXPECT_TRUE(shots[0] == shots[1]) << "the two runs drew different streets";
}

}  // namespace
