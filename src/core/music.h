// The two musics: menu ("1") and game ("2").
#pragma once

#include <string_view>

namespace core {

// Only while MusicOn: "1" stops the game music and starts the menu music from
// the beginning, looping; "2" the other way round; other names do nothing.
void PlayMusic(std::string_view name);
// Stops both musics, whatever the name.
void StopMusic(std::string_view name);

}  // namespace core
