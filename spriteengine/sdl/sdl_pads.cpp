#include "sdl_pads.h"

#include <cstdlib>

#include "core/game_path.h"

namespace spriteengine::sdl {

namespace {

constexpr float kAxisRange = 32767.0f;

float AxisValue(Sint16 raw) {
  float v = static_cast<float>(raw) / kAxisRange;
  return v < -1 ? -1 : v;  // -32768 is a touch beyond full
}

}  // namespace

std::vector<std::string> SdlPads::MappingFiles() {
  std::vector<std::string> files;
  if (std::optional<std::string> beside = ResolveGamePath(kPadMappingFile)) files.push_back(*beside);
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::string folder;
  if (dataHome && *dataHome == '/')
    folder = dataHome;
  else if (home && *home)
    folder = std::string(home) + "/.local/share";
  if (!folder.empty()) files.push_back(folder + "/varnok/" + kPadMappingFile);
  return files;
}

bool SdlPads::Open(WindowEvents* events) {
  events_ = events;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    Warn(std::string("game controllers cannot start: ") + SDL_GetError());
    return false;
  }
  started_ = true;
  for (const std::string& file : MappingFiles()) {
    if (!ResolveGamePath(file)) continue;
    if (SDL_GameControllerAddMappingsFromFile(file.c_str()) < 0)
      Warn("cannot read the controller mappings in '" + file + "': " + SDL_GetError());
  }
  return true;
}

void SdlPads::Close() {
  for (auto& [id, controller] : open_) SDL_GameControllerClose(controller);
  open_.clear();
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  started_ = false;
}

bool SdlPads::Handle(const SDL_Event& e) {
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      if (!started_) return true;
      SDL_GameController* controller = SDL_GameControllerOpen(e.cdevice.which);
      if (!controller) {
        Warn(std::string("cannot open a game controller: ") + SDL_GetError());
        return true;
      }
      SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
      if (open_.count(id)) {
        SDL_GameControllerClose(controller);  // announced twice: keep the first
        return true;
      }
      open_[id] = controller;
      events_->OnPadAdded(id);
      return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
      auto it = open_.find(e.cdevice.which);
      if (it == open_.end()) return true;
      SDL_GameControllerClose(it->second);
      open_.erase(it);
      events_->OnPadRemoved(e.cdevice.which);
      return true;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (open_.count(e.cbutton.which) && e.cbutton.button < static_cast<int>(PadButton::kCount))
        events_->OnPadButton(e.cbutton.which, static_cast<PadButton>(e.cbutton.button),
                             e.type == SDL_CONTROLLERBUTTONDOWN);
      return true;
    case SDL_CONTROLLERAXISMOTION:
      if (open_.count(e.caxis.which) && e.caxis.axis < static_cast<int>(PadAxis::kCount))
        events_->OnPadAxis(e.caxis.which, static_cast<PadAxis>(e.caxis.axis), AxisValue(e.caxis.value));
      return true;
    case SDL_CONTROLLERDEVICEREMAPPED:
      return true;
    default:
      return false;
  }
}

}  // namespace spriteengine::sdl
