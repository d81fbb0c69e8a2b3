// Opening the promotion screen's links: a file of the game folder handed to
// the system's opener (a shortcut's URL, a page, a program). Never a shell
// command line.
#pragma once

#include <string>

namespace menus {

// Opens the game-folder file `file` (written with backslashes) if it exists,
// on the main window's thread; does nothing otherwise.
void OpenLink(const std::string& file);

}  // namespace menus
