// Sound handles over an AudioDevice: each handle plays its own voice, many
// at once; decoded samples are shared per file. The game creates every sound
// in its init phase: a file is read there (a missing one warns at once), but
// decoded on the loader's thread, or by the first play that gets there
// before it, so the first frame does not wait for music it does not play.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "decode_cache.h"
#include "picture_loader.h"
#include "platform.h"

namespace spriteengine {

class SoundRegistry {
 public:
  // Waits for decodes under way with the old device before it goes.
  void SetDevice(AudioDevice* device);

  // A handle for the file (WAV, or OGG with music set); a missing or corrupt
  // file gives a silent handle and one warning.
  uint32_t Create(const std::string& gameFile, bool music);
  void PlayNow(uint32_t handle, int loops);  // restarts
  void Play(uint32_t handle, int loops);     // starts unless playing
  void Stop(uint32_t handle);
  bool IsPlaying(uint32_t handle);
  void Destroy(uint32_t handle);
  void DestroyAll();

  int DecodeCount() const { return cache_.DecodeCount(); }

 private:
  using PendingSample = PendingDecode<Sample>;
  struct Entry {
    std::shared_ptr<const PendingSample> sample;  // decodes to nullptr: silent
    uint64_t voice = 0;                    // last voice started
  };
  void Start(Entry& entry, int loops);

  std::mutex mutex_;
  AudioDevice* device_ = nullptr;
  std::map<uint32_t, Entry> sounds_;
  DecodeOnceCache<PendingSample> cache_;
  PictureLoader loader_;  // last: its thread stops before the cache goes
};

}  // namespace spriteengine
