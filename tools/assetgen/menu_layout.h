// The menu art's layout: where the game sets the pictures (fixed by its menu
// code) and where the pictures put their content so that nothing meets. All
// in pixels; frame x runs 0..800 left to right, y 0..600 top to bottom.
#pragma once

namespace assetgen {

// The "VARNOK" logo at the top left of the menu background: it shares its
// baseline with the screen titles and stays left of the widest of them.
inline constexpr double kLogoLeft = 20;
inline constexpr double kLogoBaseline = 96;
inline constexpr double kLogoMaxWidth = 300;
inline constexpr double kLogoMaxSize = 84;

// Screen titles (450 x 200 pictures with their top at y = 0). HELP and
// OPTIONS are set from x = 375, HIGH SCORES from x = 325; each ends at
// kTitleRight, all at the size at which the longest fits from kTitleLeftmost.
inline constexpr double kHelpTitleLeft = 375;
inline constexpr double kOptionsTitleLeft = 375;
inline constexpr double kHighScoreTitleLeft = 325;
inline constexpr double kControlsTitleLeft = 375;  // set over the options' place
inline constexpr double kTitleRight = 765;
inline constexpr double kTitleLeftmost = 395;
inline constexpr double kTitleBaseline = 96;
inline constexpr double kTitleMaxSize = 72;
inline constexpr double kTitleGlow = 8;
inline constexpr const char* kLongestTitle = "HIGH SCORES";

// Main-menu items: plates narrower than the 350 px pictures, since the game
// sets the column's middle items 10 px past the right edge of the frame.
inline constexpr double kMainMenuPlateWidth = 310;

// Option values: plate height as a share of the picture's height.
inline constexpr double kOptionPlateHeight = 0.36;
inline constexpr double kOptionModePlateWidth = 100;  // WINDOW, FULL SCREEN
inline constexpr double kOptionOnOffPlateWidth = 52;  // ON, OFF

// Header cells of the score table over the columns the game prints, in
// Table.png's pixels (the panel is set from x = -25 of the frame).
struct ScoreColumn {
  const char* label;
  double left, right;
};
inline constexpr ScoreColumn kScoreNameColumn{"NAME", 168, 302};
inline constexpr ScoreColumn kScoreValueColumn{"SCORE", 372, 456};

}  // namespace assetgen
