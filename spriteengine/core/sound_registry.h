// Sound handles over an AudioDevice: each handle plays its own voice, many
// at once; decoded samples are shared per file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "decode_cache.h"
#include "platform.h"

namespace spriteengine {

class SoundRegistry {
 public:
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
  struct Entry {
    std::shared_ptr<const Sample> sample;  // nullptr: silent
    uint64_t voice = 0;                    // last voice started
  };
  void Start(Entry& entry, int loops);

  std::mutex mutex_;
  AudioDevice* device_ = nullptr;
  std::map<uint32_t, Entry> sounds_;
  DecodeOnceCache<Sample> cache_;
};

}  // namespace spriteengine
