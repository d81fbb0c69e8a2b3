#include "automation.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "game_path.h"
#include "spriteengine/engine_api.h"

namespace spriteengine {

namespace {

int WindowCommandOf(ScriptOp op) {
  switch (op) {
    case ScriptOp::kClose: return VARNOK_WINDOW_CLOSE;
    case ScriptOp::kMinimize: return VARNOK_WINDOW_MINIMIZE;
    case ScriptOp::kMaximize: return VARNOK_WINDOW_MAXIMIZE;
    case ScriptOp::kRestore: return VARNOK_WINDOW_RESTORE;
    case ScriptOp::kActivate: return VARNOK_WINDOW_ACTIVATE;
    case ScriptOp::kQuit: return VARNOK_WINDOW_QUIT;
    default: return 0;
  }
}

}  // namespace

void Automation::TakeScriptOnce() {
  std::lock_guard lock(scriptMutex_);
  if (scriptTaken_) return;
  scriptTaken_ = true;
  const char* list = std::getenv("VARNOK_ENGINE_SCRIPT");
  if (!list) return;
  std::string rest;
  std::optional<std::string> file = TakeFirstScriptFile(list, &rest);
  // The rest stays for a relaunched process, which inherits our environment.
  if (rest.empty())
    ::unsetenv("VARNOK_ENGINE_SCRIPT");
  else
    ::setenv("VARNOK_ENGINE_SCRIPT", rest.c_str(), 1);
  if (!file) return;
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(*file);
  if (!bytes) {
    Warn("cannot read input script '" + *file + "'");
    return;
  }
  script_ = ParseScript(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  for (const ScriptError& e : script_.errors)
    std::fprintf(stderr, "spriteengine: %s:%d: %s (line skipped)\n", file->c_str(), e.line, e.message.c_str());
}

uint64_t Automation::NextFrame() {
  const uint64_t frame = ++frame_;
  Apply(frame);
  return frame;
}

void Automation::NextUndrawnFrame() {
  Apply(++frame_);
  pendingShots_.clear();
}

void Automation::Apply(uint64_t frame) {
  // Last frame's taps and clicks end first.
  for (int code : releaseNextFrame_) actions_.key(code, false);
  releaseNextFrame_.clear();
  if (releaseClickNextFrame_) actions_.leftButton(false);
  releaseClickNextFrame_ = false;
  for (const auto& [pad, button] : releasePadNextFrame_) actions_.padButton(pad, button, false);
  releasePadNextFrame_.clear();

  std::vector<ScriptCommand> commands;
  {
    std::lock_guard lock(scriptMutex_);
    // Frame 0 commands come with frame 1.
    auto begin = script_.byFrame.lower_bound(frame <= 1 ? 0 : frame);
    auto end = script_.byFrame.upper_bound(frame);
    for (auto it = begin; it != end; ++it) commands.push_back(it->second);
  }
  for (const ScriptCommand& c : commands) {
    switch (c.op) {
      case ScriptOp::kDown: actions_.key(c.code, true); break;
      case ScriptOp::kUp: actions_.key(c.code, false); break;
      case ScriptOp::kTap:
        actions_.key(c.code, true);
        releaseNextFrame_.push_back(c.code);
        break;
      case ScriptOp::kMouse: actions_.pointer(c.x, c.y); break;
      case ScriptOp::kClick:
        actions_.leftButton(true);
        releaseClickNextFrame_ = true;
        break;
      case ScriptOp::kShot:
        if (c.picture > 0)
          waitingShots_.push_back({c.file, c.picture});
        else
          pendingShots_.push_back(c.file);
        break;
      case ScriptOp::kPadTap:
        actions_.pad(c);
        releasePadNextFrame_.emplace_back(c.pad, c.button);
        break;
      case ScriptOp::kPadAdd:
      case ScriptOp::kPadRemove:
      case ScriptOp::kPadDown:
      case ScriptOp::kPadUp:
      case ScriptOp::kPadAxis: actions_.pad(c); break;
      default: actions_.window(WindowCommandOf(c.op)); break;
    }
  }
}

std::vector<std::string> Automation::PictureDrawn() {
  std::vector<std::string> files;
  if (!inRunPhase_) return files;
  ++phasePictures_;
  std::erase_if(waitingShots_, [&](const WaitingShot& w) {
    if (w.picture != phasePictures_) return false;
    files.push_back(w.file);
    return true;
  });
  return files;
}

void Automation::SaveShots(const std::vector<std::string>& files, const Frame& shot, const SavePng& save) {
  for (const std::string& file : files) {
    std::string path = ResolveNewFilePath(file);
    bool ok = save && save(shot, path);
    if (!ok) Warn("cannot write screenshot '" + path + "'");
    Log("shot " + path);
  }
}

void Automation::DropWaitingShots() {
  for (const WaitingShot& w : waitingShots_)
    Warn("screenshot '" + w.file + "' not taken: no run phase drew " + std::to_string(w.picture) + " pictures");
  waitingShots_.clear();
}

}  // namespace spriteengine
