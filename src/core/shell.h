// What the layers below the main window may ask of it, by name. The main form
// implements it and installs itself in the game context for its lifetime;
// tests install a recording fake instead.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace core {

class Shell {
 public:
  virtual ~Shell() = default;

  // Runs `task` on the main window's thread: desktop calls (opening a page)
  // belong there, not on the frame thread.
  virtual void PostToWindow(std::function<void()> task) = 0;
  // Runs `task` on the frame thread at the start of the next frame: work
  // another thread (the score client) hands back to the game. Safe from any thread.
  virtual void PostToFrame(std::function<void()> task) = 0;
  virtual void Minimize() = 0;
  // The options saved a new window mode: the game restarts into it and comes
  // back where it was.
  virtual void RestartIntoNewMode() = 0;
  // Ends the engine and starts the game again; the restart record written
  // just before tells the new process which page to open.
  virtual void RestartAndOpenLink() = 0;
  // Ends the engine, closes the window and opens the play link.
  virtual void ExitAndOpenPlayLink() = 0;
  // Ends the engine and closes the window.
  virtual void Exit() = 0;
  // The replay file of the run that ended last, when it ended with `score`
  // (the run a new high-score entry was made by); nothing when none was kept.
  virtual std::optional<std::vector<uint8_t>> FinishedRunReplay(int32_t /*score*/) { return std::nullopt; }
  // Plays the replay file at `path` (a player file) in the game, with
  // `caption` (the entry's name, in the game font's code) beside "REPLAY",
  // then comes back to the records screen. The empty text when it plays,
  // else one line saying why not.
  virtual std::string WatchReplay(const std::string& /*path*/, const std::string& /*caption*/) {
    return "Replays cannot be watched here.";
  }
};

// The installed shell. Game code runs only while one is installed: a call
// without one is a fault of the caller and ends the process with a message.
Shell& TheShell();

}  // namespace core
