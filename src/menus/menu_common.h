// Small pieces every menu screen shares: pictures made from the sprite mesh,
// the fading highlight of a selected item, the selection click and printed
// texts in the main font.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/restart_record.h"
#include "engine_link/engine_calls.h"

namespace menus {

inline constexpr double kFadeStep = 0.05;     // highlight opacity change per frame
inline constexpr float kTextSpacing = 0.1f;   // spacing argument of every menu print

// A picture of the sprite mesh with one texture, at (x, y) with scale (w, h), hidden.
EHandle CreatePicture(const char* textureFile, float w, float h, float x, float y);

// Moves `opacity` one step toward 1 when `lit`, else toward 0 (it may overshoot
// by one step, as the fade has always done), and applies it to `highlight`.
void FadeHighlight(EHandle highlight, double& opacity, bool lit);
// Gives `highlight` the opacity at once.
void SetHighlight(EHandle highlight, double opacity);

// The selection click, only while menu sounds are on. `restart` plays it from
// the start even when it is still sounding.
void PlayClick(bool restart = true);

void ShowSprites(std::initializer_list<EHandle> sprites);
void HideSprites(std::initializer_list<EHandle> sprites);

// Text colour for the following prints.
void SetPrintColor(float r, float g, float b, float a = 1);
// Prints `text` with the main font at (x, y), scale (s, s).
void PrintText(std::string_view text, float x, float y, float scale);

// Grey of texts that are not selected, white of the selected one.
inline constexpr float kDimGrey = 0.8f;
// White for the selected text, grey otherwise.
void SetTextSelected(bool selected);

// The next item of a list 1..count that wraps at both ends.
uint8_t WrapItem(uint8_t item, bool up, uint8_t count);

// Opens `target` (a game-folder path or a URL) outside the game. In a window the
// game is minimised and the target opened beside it; full screen cannot show
// anything over it, so the game restarts (restart kind 4) after `markRestart`
// has put the request into the restart record, and the new process opens it
// while it waits minimised (its engine opens when the player comes back). When
// the record cannot be written the game does not restart and stays as it was.
void OpenOutsideTheGame(const std::string& target, const std::function<void(core::RestartRecord&)>& markRestart);

}  // namespace menus
