// Opening files and links the way the other system's shell would. Nothing here
// ever builds a shell command line: programs are started with an argument vector.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::Shell {

// Opens target, detached from the game (the started program outlives it and
// never becomes a zombie of ours):
//  - a ".url" file (any case) opens the URL of its URL= line with xdg-open;
//  - an executable regular file is started directly, with its folder as the
//    working directory;
//  - an "http://" or "https://" string is given to xdg-open;
//  - anything else that exists is given to xdg-open.
// A target beginning with '-' is never taken as an option. Returns false when
// the target is missing or unusable or the program could not be started.
bool Open(const std::string& target);

// The URL of the first URL= line of an internet shortcut's text, trimmed.
// Only http://, https:// and file:// URLs are accepted. Other lines are ignored,
// as are lines longer than 4 KB; text longer than 64 KB gives nullopt.
std::optional<std::string> ParseUrlFile(std::string_view text);

// The argument vector Open would run for target (argv[0] is the program), or
// empty when there is nothing to run. Reads the file system like Open does.
std::vector<std::string> CommandFor(const std::string& target);

// Starts argv detached in workingDir (empty: the current folder); true when it started.
using Spawner = std::function<bool(const std::vector<std::string>& argv, const std::string& workingDir)>;

// Replaces how Open and RelaunchSelf start programs (for tests); an empty Spawner
// restores the real one. Safe to call while another thread opens something.
void SetSpawner(Spawner spawner);

}  // namespace platform::Shell
