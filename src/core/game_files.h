// Names of game-folder files that more than one layer opens.
#pragma once

namespace core {

// The one mesh every sprite of the game is made from.
inline constexpr const char* kSpriteMesh = "data\\sprite.x";
inline constexpr const char* kMoreGamesLink = "moregames.url";
inline constexpr const char* kPlayLink = "play.url";
// The two fonts: the display face of the menus and the plain sans.
inline constexpr const char* kMainFontFile = "data\\_font\\Haettenschweiler.wid";
inline constexpr const char* kSecondFontFile = "data\\_fontl\\Arial.wid";

}  // namespace core
