#include "sound_registry.h"

#include "game_path.h"
#include "scene.h"

namespace spriteengine {

void SoundRegistry::SetDevice(AudioDevice* device) {
  loader_.Settle();  // queued decodes hold the old device
  std::lock_guard lock(mutex_);
  device_ = device;
}

uint32_t SoundRegistry::Create(const std::string& gameFile, bool music) {
  std::optional<std::string> path = ResolveGamePath(gameFile);
  std::string key = (music ? "music:" : "sound:") + (path ? *path : SlashPath(gameFile));
  std::lock_guard lock(mutex_);
  AudioDevice* device = device_;
  std::shared_ptr<const PendingSample> sample = cache_.Get(key, [&]() -> std::shared_ptr<const PendingSample> {
    std::optional<std::vector<uint8_t>> read = path ? ReadWholeFile(*path) : std::nullopt;
    if (!read) Warn("cannot read sound '" + gameFile + "'; it stays silent");
    auto bytes = std::make_shared<const std::vector<uint8_t>>(read ? std::move(*read) : std::vector<uint8_t>());
    PendingSample::Decode decode = [device, bytes, music, gameFile, readable = read.has_value()] {
      if (!readable) return std::shared_ptr<const Sample>();
      std::shared_ptr<const Sample> decoded = device ? device->Decode(*bytes, music) : nullptr;
      if (!decoded) Warn("cannot decode sound '" + gameFile + "'; it stays silent");
      return decoded;
    };
    return loader_.Later<Sample>(std::move(decode));
  });
  uint32_t handle = NewHandle();
  sounds_[handle] = Entry{sample, 0};
  return handle;
}

void SoundRegistry::Start(Entry& entry, int loops) {
  if (!device_ || !entry.sample) return;
  const std::shared_ptr<const Sample>& sample = entry.sample->Value();  // waits for (or runs) its decode
  if (sample) entry.voice = device_->Play(*sample, loops);
}

void SoundRegistry::PlayNow(uint32_t handle, int loops) {
  std::lock_guard lock(mutex_);
  auto it = sounds_.find(handle);
  if (it == sounds_.end()) return;
  if (device_ && it->second.voice) device_->Stop(it->second.voice);
  Start(it->second, loops);
}

void SoundRegistry::Play(uint32_t handle, int loops) {
  std::lock_guard lock(mutex_);
  auto it = sounds_.find(handle);
  if (it == sounds_.end()) return;
  if (device_ && it->second.voice && device_->IsPlaying(it->second.voice)) return;
  Start(it->second, loops);
}

void SoundRegistry::Stop(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto it = sounds_.find(handle);
  if (it == sounds_.end() || !device_ || !it->second.voice) return;
  device_->Stop(it->second.voice);
  it->second.voice = 0;
}

bool SoundRegistry::IsPlaying(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto it = sounds_.find(handle);
  return it != sounds_.end() && device_ && it->second.voice && device_->IsPlaying(it->second.voice);
}

void SoundRegistry::Destroy(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto it = sounds_.find(handle);
  if (it == sounds_.end()) return;
  if (device_ && it->second.voice) device_->Stop(it->second.voice);
  sounds_.erase(it);
}

void SoundRegistry::DestroyAll() {
  std::lock_guard lock(mutex_);
  if (device_)
    for (auto& [handle, entry] : sounds_)
      if (entry.voice) device_->Stop(entry.voice);
  sounds_.clear();
}

}  // namespace spriteengine
