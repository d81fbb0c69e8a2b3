// Telling the player about a fatal problem.
#pragma once

#include <string>

namespace platform {

// Always prints "title: text" on standard error. Where a display exists (DISPLAY
// or WAYLAND_DISPLAY set) it also shows a modal error dialog, loaded from SDL at
// run time; when that is not possible the dialog is silently skipped. Setting the
// environment variable VARNOK_NO_DIALOGS skips the dialog, so tests never block.
void ShowMessageBox(const std::string& title, const std::string& text);

}  // namespace platform
