// The promotion screen's description "wdata\config.ini": a background
// picture, link buttons, an exit button and a countdown, read line by line.
//
// Two kinds of line: a number line (leading blanks skipped, then k decimal
// integers each ended by one blank or the end of the line) and a text line
// (leading blanks removed). A line that cannot be read as its kind, a named
// file that does not exist, or the end of the file makes the whole
// description invalid; nothing after the first bad line is read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "menus/button.h"

namespace menus {

inline constexpr const char* kShareConfigFile = "wdata\\config.ini";
inline constexpr size_t kMaxShareConfigBytes = 64 * 1024;
// More buttons than this cannot fit a screen; such a file is not trusted.
inline constexpr int32_t kMaxShareButtons = 64;

struct ShareButtonSpec {
  menus::ScreenRect hoverRect, normalRect, disabledRect;
  std::string hoverImage, normalImage, disabledImage;
  std::string action;              // file to open, or "exit" for the last button
};

struct ShareConfig {
  bool valid = false;
  int32_t buttonCount = 0;         // N; the last button is the exit button
  std::string background;          // full-screen picture
  std::vector<ShareButtonSpec> buttons;
  int32_t countdownX = 0, countdownY = 0;  // screen pixels
  int32_t countdownStart = 0;
  int32_t red = 0, green = 0, blue = 0;    // 0..255 as written
  bool customSize = false;         // the file gave the digits' size
  int32_t countdownSize = 0;
};

// Whether a file named in the description exists (a game-folder path).
using FileExists = std::function<bool(const std::string& file)>;

// Reads a description from its text. Lines may end in "\n" or "\r\n".
ShareConfig ParseShareConfig(std::string_view text, const FileExists& exists);

// Reads "wdata\config.ini" of the game folder; a missing or oversized file is not valid.
ShareConfig LoadShareConfig();

}  // namespace menus
