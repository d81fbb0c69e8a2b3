// A shell that records what the game asked of the main window. It installs
// itself in the current game context for its lifetime, so construct it after
// a ScopedGameContext. Posted tasks wait in `posted` until a test runs them.
#pragma once

#include <functional>
#include <vector>

#include "core/game_context.h"
#include "core/shell.h"

namespace fake {

class FakeShell final : public core::Shell {
 public:
  FakeShell() : previous_(core::Ctx().shell) { core::Ctx().shell = this; }
  ~FakeShell() override {
    if (core::Ctx().shell == this) core::Ctx().shell = previous_;
  }
  FakeShell(const FakeShell&) = delete;
  FakeShell& operator=(const FakeShell&) = delete;

  void PostToWindow(std::function<void()> task) override { posted.push_back(std::move(task)); }
  void PostToFrame(std::function<void()> task) override { postedToFrame.push_back(std::move(task)); }
  void Minimize() override { ++minimizes; }
  void RestartIntoNewMode() override { ++restartsIntoNewMode; }
  void RestartAndOpenLink() override { ++restartsOpeningLink; }
  void ExitAndOpenPlayLink() override { ++exitsOpeningPlayLink; }
  void Exit() override { ++exits; }

  std::vector<std::function<void()>> posted;
  std::vector<std::function<void()>> postedToFrame;
  int minimizes = 0;
  int restartsIntoNewMode = 0;
  int restartsOpeningLink = 0;
  int exitsOpeningPlayLink = 0;
  int exits = 0;

 private:
  core::Shell* previous_;
};

}  // namespace fake
