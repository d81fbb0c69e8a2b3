// The controls screen through whole frames: rebinding by keyboard and mouse,
// swaps offered and never forced, the defaults back, the help's line, and
// play reading the bound keys.
#include <gtest/gtest.h>

#include "core/controls.h"
#include "menu_driver.h"

namespace {

using namespace menus_test;
using testing_support::GameHarness;
using Controls = menus::TControlsMenu;

constexpr int32_t kSpace = 0x39, kW = 0x11;

class ControlsHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    game.Start();
    game.Frame();
    Menus().mainMenu.Options();
    game.Frame();
    while (Menus().optMenu.item() != menus::TOptMenu::kControls) Press(game, keys::kDown);
    Press(game, keys::kEnter);
    ASSERT_EQ(core::GameState(), core::gsControls);
  }
  // Walks the keyboard's selection to a cell.
  void SelectCell(int row, int column) {
    while (Menus().controlsMenu.row() != row) Press(game, keys::kDown);
    while (Menus().controlsMenu.column() != column) Press(game, keys::kRight);
  }
  core::Controls File() {
    const auto bytes = game.folder().Read("data/controls.txt");
    return core::ParseControls(std::string(bytes.begin(), bytes.end())).value_or(core::Controls{});
  }
  const core::Controls& InForce() { return game.context().controls; }

  GameHarness game;
};

TEST_F(ControlsHarness, TheKeyboardRebindsOffersASwapAndPutsTheDefaultsBack) {
  SelectCell(static_cast<int>(core::Action::kFire), 0);
  Press(game, keys::kEnter);
  EXPECT_TRUE(Printed(game, "..."));
  Press(game, kSpace);  // free: taken at once
  EXPECT_EQ(core::GameState(), core::gsControls);
  EXPECT_EQ(InForce()[core::Action::kFire].keys[0], kSpace);
  EXPECT_EQ(File(), InForce()) << "saved at once";

  SelectCell(static_cast<int>(core::Action::kUp), 0);
  Press(game, keys::kEnter);
  Press(game, keys::kLeft);  // walking left's key: offered, not taken
  EXPECT_TRUE(Printed(game, "LEFT IS LEFT: ENTER SWAPS, ESC KEEPS"));
  Press(game, keys::kEscape);
  EXPECT_EQ(InForce()[core::Action::kLeft].keys[0], keys::kLeft);
  Press(game, keys::kEnter);
  Press(game, keys::kLeft);
  Press(game, keys::kEnter);  // yes: the two swap
  EXPECT_EQ(InForce()[core::Action::kUp].keys[0], keys::kLeft);
  EXPECT_EQ(InForce()[core::Action::kLeft].keys[0], keys::kUp);

  SelectCell(Controls::kDefaultsRow, 0);
  Press(game, keys::kEnter);
  EXPECT_EQ(InForce(), core::DefaultControls());
  EXPECT_EQ(File(), core::DefaultControls());
  Press(game, keys::kEscape);
  EXPECT_EQ(core::GameState(), core::gsOptions);
  EXPECT_EQ(Menus().optMenu.item(), menus::TOptMenu::kControls);
}

TEST_F(ControlsHarness, TheMouseRebindsAndTheGameAndItsHelpFollow) {
  const auto* jumpCell = FindPrint(game, "UP");
  ASSERT_NE(jumpCell, nullptr);
  ClickAt(game, jumpCell->location.x + 0.3f, jumpCell->location.y - 0.2f);
  EXPECT_EQ(core::GameState(), core::gsControlsCapture);
  Press(game, kW);
  EXPECT_EQ(InForce()[core::Action::kUp].keys[0], kW);

  Menus().mainMenu.Help();
  game.Frame();
  EXPECT_TRUE(Printed(game, "YOUR CONTROLS: JUMP / UP W/A/D-UP"));

  // In play W jumps as Up did, and Up itself is nobody's key now.
  Menus().mainMenu.Start();
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsPlaying; }, 5));
  game.Hold(kW);
  game.Frame();
  EXPECT_TRUE(game.context().frameInput.KeyHeld(keys::kUp));
  EXPECT_FALSE(game.context().frameInput.KeyHeld(kW));
  game.Release(kW);
  game.Hold(keys::kUp);
  game.Frame();
  EXPECT_FALSE(game.context().frameInput.KeyHeld(keys::kUp));
}

}  // namespace
