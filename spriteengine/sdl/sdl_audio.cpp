#include "sdl_audio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <dlfcn.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/game_path.h"

namespace spriteengine::sdl {

namespace {

constexpr int kFrequency = 44100;
constexpr int kChunkBytes = 1024;
constexpr int kInitialChannels = 32;

class ChunkSample : public Sample {
 public:
  explicit ChunkSample(Mix_Chunk* chunk) : chunk(chunk) {}
  ~ChunkSample() override { Mix_FreeChunk(chunk); }
  Mix_Chunk* chunk;
};

class MusicSample : public Sample {
 public:
  MusicSample(std::vector<uint8_t> bytes, Mix_Music* music) : bytes(std::move(bytes)), music(music) {}
  ~MusicSample() override { Mix_FreeMusic(music); }
  std::vector<uint8_t> bytes;  // the stream reads from here
  Mix_Music* music;
};

// ALSA's library writes its own lines to standard error when there is no
// sound card, before SDL can say anything; our one warning says it all.
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa() {
  using SetHandler = int (*)(void (*)(const char*, int, const char*, int, const char*, ...));
  // Kept loaded: SDL opens the same library when it tries ALSA.
  void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
  if (!alsa) return;
  if (auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler"))) set(SilentAlsaError);
}

// Starts the audio subsystem with SDL_AUDIODRIVER=dummy for the call only,
// so a relaunched game does not inherit it.
bool OpenWithDummyDriver() {
  const char* old = std::getenv("SDL_AUDIODRIVER");
  std::string saved = old ? old : "";
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
            Mix_OpenAudio(kFrequency, AUDIO_S16SYS, 2, kChunkBytes) == 0;
  if (old)
    ::setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  else
    ::unsetenv("SDL_AUDIODRIVER");
  return ok;
}

class MixerAudio : public AudioDevice {
 public:
  explicit MixerAudio(bool forceDummy) {
    // Before the first SDL_Init: SDL must not take SIGINT/SIGTERM from the
    // game (it would turn them into SDL_QUIT events nobody reads).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    bool ok = false;
    if (!forceDummy) {
      QuietAlsa();
      ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(kFrequency, AUDIO_S16SYS, 2, kChunkBytes) == 0;
      if (!ok) {
        Warn(std::string("no sound device (") + SDL_GetError() + "); playing silently");
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
      }
    }
    if (!ok) ok = OpenWithDummyDriver();
    if (!ok) {
      Warn(std::string("SDL audio cannot start at all: ") + SDL_GetError());
      return;
    }
    open_ = true;
    Mix_Init(MIX_INIT_OGG);
    Mix_AllocateChannels(kInitialChannels);
    channelVoice_.assign(kInitialChannels, 0);
  }

  ~MixerAudio() override {
    // Kept for the process; closing at exit could race SDL's own teardown.
  }

  std::shared_ptr<const Sample> Decode(std::span<const uint8_t> bytes, bool music) override {
    if (!open_ || bytes.empty()) return nullptr;
    std::lock_guard lock(mutex_);
    if (music) {
      std::vector<uint8_t> copy(bytes.begin(), bytes.end());
      SDL_RWops* rw = SDL_RWFromConstMem(copy.data(), static_cast<int>(copy.size()));
      Mix_Music* m = rw ? Mix_LoadMUS_RW(rw, 1) : nullptr;
      if (!m) return nullptr;
      return std::make_shared<MusicSample>(std::move(copy), m);
    }
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (!chunk) return nullptr;
    return std::make_shared<ChunkSample>(chunk);
  }

  uint64_t Play(const Sample& sample, int loops) override {
    if (!open_) return 0;
    std::lock_guard lock(mutex_);
    uint64_t voice = ++lastVoice_;
    if (auto* m = dynamic_cast<const MusicSample*>(&sample)) {
      if (Mix_PlayMusic(m->music, loops < 0 ? -1 : loops + 1) != 0) return 0;
      musicVoice_ = voice;
      return voice;
    }
    auto* c = dynamic_cast<const ChunkSample*>(&sample);
    if (!c) return 0;
    int channel = Mix_PlayChannel(-1, c->chunk, loops);
    if (channel < 0) {
      // Every channel busy: make room for more at once.
      int count = Mix_AllocateChannels(-1);
      Mix_AllocateChannels(count * 2);
      channelVoice_.resize(static_cast<size_t>(count) * 2, 0);
      channel = Mix_PlayChannel(-1, c->chunk, loops);
      if (channel < 0) return 0;
    }
    if (channel >= static_cast<int>(channelVoice_.size())) channelVoice_.resize(channel + 1, 0);
    channelVoice_[channel] = voice;
    voiceChannel_[voice] = channel;
    if (voiceChannel_.size() > 4096) Prune();
    return voice;
  }

  void Stop(uint64_t voice) override {
    std::lock_guard lock(mutex_);
    if (voice == musicVoice_) {
      Mix_HaltMusic();
      musicVoice_ = 0;
      return;
    }
    int channel = ChannelOf(voice);
    if (channel >= 0) Mix_HaltChannel(channel);
  }

  bool IsPlaying(uint64_t voice) override {
    std::lock_guard lock(mutex_);
    if (voice == musicVoice_) return Mix_PlayingMusic() != 0;
    int channel = ChannelOf(voice);
    return channel >= 0 && Mix_Playing(channel) != 0;
  }

  void StopAll() override {
    std::lock_guard lock(mutex_);
    if (!open_) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    musicVoice_ = 0;
  }

 private:
  // The channel still playing this voice, or -1.
  int ChannelOf(uint64_t voice) {
    auto it = voiceChannel_.find(voice);
    if (it == voiceChannel_.end()) return -1;
    int channel = it->second;
    if (channel >= static_cast<int>(channelVoice_.size()) || channelVoice_[channel] != voice) {
      voiceChannel_.erase(it);
      return -1;
    }
    return channel;
  }

  void Prune() {
    for (auto it = voiceChannel_.begin(); it != voiceChannel_.end();) {
      int ch = it->second;
      if (channelVoice_[ch] != it->first || !Mix_Playing(ch))
        it = voiceChannel_.erase(it);
      else
        ++it;
    }
  }

  std::mutex mutex_;
  bool open_ = false;
  uint64_t lastVoice_ = 0;
  uint64_t musicVoice_ = 0;              // voice on the music channel
  std::vector<uint64_t> channelVoice_;   // last voice started per channel
  std::map<uint64_t, int> voiceChannel_;
};

}  // namespace

std::unique_ptr<AudioDevice> MakeMixerAudio(bool forceDummy) { return std::make_unique<MixerAudio>(forceDummy); }

}  // namespace spriteengine::sdl
