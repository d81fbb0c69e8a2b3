// What the engine core needs from a backend: the window (or none), audio,
// picture codecs and the minimised placeholder window. The SDL backend and
// the headless backend implement these; unit tests use fakes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "image.h"
#include "pad_state.h"
#include "raster.h"

namespace spriteengine {

// What a window reports to the engine (called on the engine thread, from
// VideoBackend::HandleEvent).
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void OnKey(int dik, bool down) = 0;
  virtual void OnPointer(float x, float y) = 0;  // 0..1 of the frame; outside when off it
  virtual void OnMouseButton(int button, bool down) = 0;
  virtual void OnWindowCommand(int command) = 0;  // VARNOK_WINDOW_*, for the game's main window
  virtual void OnVisible(bool visible) = 0;       // false while minimised
  // The window lost what it showed (resized): show the last frame again.
  virtual void OnRepaintNeeded() {}
  // Runs work(begin, end) over rows 0..rows-1, split between the engine's
  // drawing threads when it has them (they are idle while a frame is shown),
  // and returns when every row is done.
  virtual void RunOnDrawingThreads(int rows, const std::function<void(int, int)>& work) { work(0, rows); }
  // Game controllers; `pad` names one connection (a pad plugged in again
  // gets a new id). A receiver that has no use for pads may ignore them.
  virtual void OnPadAdded(int pad) {}
  virtual void OnPadRemoved(int pad) {}
  virtual void OnPadButton(int pad, PadButton button, bool down) {}
  virtual void OnPadAxis(int pad, PadAxis axis, float value) {}  // -1..1
};

class VideoBackend {
 public:
  virtual ~VideoBackend() = default;
  virtual const char* Name() const = 0;
  // Engine thread, from iEngineSettings: shows the 800 x 600 window or the
  // desktop full screen. false: the engine cannot open.
  virtual bool Open(bool fullScreen, WindowEvents* events) = 0;
  // Engine thread, from iEngineClose.
  virtual void Close() = 0;
  // Engine thread: handles one pending window-system event and returns true,
  // or waits up to waitMs for one and returns false if none came.
  virtual bool HandleEvent(int waitMs) = 0;
  // Whether frames are shown; a backend that shows nothing draws only when a
  // screenshot asks for the frame.
  virtual bool ShowsFrames() const = 0;
  // Engine thread: gets a finished frame ready to be shown, when it is
  // drawn (the drawing threads are free); the frame does not change until
  // the Present that shows it.
  virtual void Prepare(const Frame& frame) {}
  // Engine thread: shows a finished frame (the one last prepared, if any
  // was since the last Present).
  virtual void Present(const Frame& frame) = 0;
  // Engine thread: the seconds the next Present is expected to take, so it
  // can begin that much early and the frame reach the display when it is
  // due (0: it takes next to nothing, or nothing is known).
  virtual double PresentLead() const { return 0; }
  // Engine thread: minimise, restore, activate or close the window (VARNOK_WINDOW_*).
  virtual void Command(int command) = 0;
  virtual void SetSystemCursorHidden(bool hidden) = 0;
  // Moves the system pointer to (x, y), 0..1 of the frame, where the backend has one.
  virtual void WarpPointer(float x, float y) = 0;
  // How frames reach the display, for the log ("" when there is nothing to say).
  virtual std::string PresentPath() const { return ""; }
};

// A minimised window shown while no engine is open; runs on its own thread.
class PlaceholderWindow {
 public:
  virtual ~PlaceholderWindow() = default;
  virtual bool Create() = 0;
  // Handles pending events; `forward` gets VARNOK_WINDOW_* commands.
  virtual void Pump(const std::function<void(int)>& forward) = 0;
  virtual void Destroy() = 0;
};

// A decoded sound, shared by every handle made from the same file.
class Sample {
 public:
  virtual ~Sample() = default;
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // Decodes WAV (or, with music set, OGG) bytes; nullptr when they are not one.
  virtual std::shared_ptr<const Sample> Decode(std::span<const uint8_t> bytes, bool music) = 0;
  // Starts a sample; returns a voice id (0 = could not play). loops -1 repeats.
  virtual uint64_t Play(const Sample& sample, int loops) = 0;
  virtual void Stop(uint64_t voice) = 0;
  virtual bool IsPlaying(uint64_t voice) = 0;
  virtual void StopAll() = 0;
};

struct Codecs {
  // PNG or JPEG bytes to straight-alpha ARGB; nullopt when not decodable.
  std::function<std::optional<Image>(std::span<const uint8_t>)> decodePicture;
  // Writes the frame as a PNG file; false on failure.
  std::function<bool(const Frame&, const std::string&)> savePng;
};

// How a backend is made, by name ("sdl" or "headless").
struct Platform {
  std::function<std::unique_ptr<VideoBackend>(const std::string&)> makeVideo;
  std::function<std::unique_ptr<PlaceholderWindow>(const std::string&)> makePlaceholder;  // may return null
  std::function<std::unique_ptr<AudioDevice>(const std::string&)> makeAudio;
  Codecs codecs;
};

}  // namespace spriteengine
