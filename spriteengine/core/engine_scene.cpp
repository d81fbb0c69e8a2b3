// Scene operations of Engine: camera, sprites, textures, text, particles.
#include <algorithm>

#include "engine.h"
#include "game_path.h"
#include "scene_renderer.h"

namespace spriteengine {

namespace {
std::string NameOf(const char* s) { return s ? std::string(s) : std::string(); }
}  // namespace

uint32_t Engine::CameraCreate(int, int, float, float) {
  std::lock_guard lock(mutex_);
  uint32_t handle = NewHandle();
  scene_.cameras[handle] = Camera{};
  scene_.currentCamera = handle;
  return handle;
}

void Engine::CameraLocationSet(uint32_t camera, Vec3 location) {
  std::lock_guard lock(mutex_);
  if (auto it = scene_.cameras.find(camera); it != scene_.cameras.end()) it->second.location = location;
}

void Engine::CameraFovSet(uint32_t camera, float degrees) {
  std::lock_guard lock(mutex_);
  if (auto it = scene_.cameras.find(camera); it != scene_.cameras.end()) it->second.fovDegrees = degrees;
}

uint32_t Engine::SpriteCreate(const char* meshFile) {
  std::shared_ptr<const MeshQuad> mesh = resources_.MeshFromFile(NameOf(meshFile));
  std::lock_guard lock(mutex_);
  uint32_t handle = NewHandle();
  scene_.sprites[handle].mesh = std::move(mesh);
  return handle;
}

uint32_t Engine::SpriteCreateFromMemory(const void* bytes, int size, int resourceId) {
  std::shared_ptr<const MeshQuad> mesh = resources_.MeshFromMemory(bytes, size, resourceId);
  std::lock_guard lock(mutex_);
  uint32_t handle = NewHandle();
  scene_.sprites[handle].mesh = std::move(mesh);
  return handle;
}

#define WITH_SPRITE(handle, body)                                        \
  std::lock_guard lock(mutex_);                                          \
  if (auto it = scene_.sprites.find(handle); it != scene_.sprites.end()) { \
    SpriteState& s = it->second;                                         \
    body;                                                                \
  }

void Engine::SpriteShow(uint32_t sprite, bool visible) { WITH_SPRITE(sprite, s.visible = visible) }
void Engine::SpriteDestroy(uint32_t sprite) {
  std::lock_guard lock(mutex_);
  scene_.sprites.erase(sprite);
}
void Engine::SpriteTextureSet(uint32_t sprite, uint32_t texture) { WITH_SPRITE(sprite, s.texture = texture) }
void Engine::SpriteLocationSet(uint32_t sprite, Vec3 location) { WITH_SPRITE(sprite, s.location = location) }
Vec3 Engine::SpriteLocation(uint32_t sprite) {
  Vec3 out;
  WITH_SPRITE(sprite, out = s.location)
  return out;
}
void Engine::SpriteScaleSet(uint32_t sprite, Vec2 scale) { WITH_SPRITE(sprite, s.scale = scale) }
void Engine::SpriteOrientationSet(uint32_t sprite, float degrees) { WITH_SPRITE(sprite, s.degrees = degrees) }
void Engine::SpriteColorSet(uint32_t sprite, Color color) { WITH_SPRITE(sprite, s.color = color) }
void Engine::SpritePrioritySet(uint32_t sprite, int priority) { WITH_SPRITE(sprite, s.priority = priority) }
void Engine::SpriteTextureModeSet(uint32_t sprite, int mode) { WITH_SPRITE(sprite, s.textureMode = mode) }
void Engine::SpriteMipFilterModeSet(uint32_t sprite, int mode) { WITH_SPRITE(sprite, s.mipFilterMode = mode) }
#undef WITH_SPRITE

namespace {
// iTextureMipLevelsSet's value (0 = mip-maps off, 1 = on, n = at most n
// levels) as BuildTexture's level count (0 = the full chain).
int ChainLevels(int setting) { return setting == 0 ? 1 : setting == 1 ? 0 : setting; }
}  // namespace

uint32_t Engine::TextureCreate(const char* file) {
  int levels;
  {
    std::lock_guard lock(mutex_);
    levels = ChainLevels(mipLevels_);
  }
  // Decoded later: the game makes far more textures at start than it shows.
  std::shared_ptr<const PendingPicture> picture = resources_.PictureLater(NameOf(file), levels);
  std::lock_guard lock(mutex_);
  uint32_t handle = NewHandle();
  scene_.textures[handle].pending = std::move(picture);
  return handle;
}

uint32_t Engine::TextureCreateFromMemory(const void* bytes, int size, int resourceId) {
  int levels;
  {
    std::lock_guard lock(mutex_);
    levels = ChainLevels(mipLevels_);
  }
  std::shared_ptr<const TextureData> data = resources_.PictureFromMemory(bytes, size, resourceId, levels);
  std::lock_guard lock(mutex_);
  uint32_t handle = NewHandle();
  scene_.textures[handle].data = std::move(data);
  return handle;
}

void Engine::TextureDestroy(uint32_t texture) {
  std::lock_guard lock(mutex_);
  scene_.textures.erase(texture);
}

void Engine::TextureMipLevelsSet(int levels) {
  std::lock_guard lock(mutex_);
  mipLevels_ = std::max(0, levels);
}

uint32_t Engine::FontCreate(const char* file) {
  // Font atlases always get their mip chain: text is drawn far smaller than
  // the atlas, whatever iTextureMipLevelsSet says.
  std::shared_ptr<const Font> font = resources_.FontFromFile(NameOf(file), 0);
  std::lock_guard lock(mutex_);
  uint32_t handle = NewHandle();
  scene_.fonts[handle] = std::move(font);
  return handle;
}

void Engine::PrintColorSet(Color color) {
  std::lock_guard lock(mutex_);
  scene_.printColor = color;
}

void Engine::Print(const char* text, Vec2 location, Vec2 scale, float spacing, uint32_t font, bool centered) {
  if (!text) return;
  std::lock_guard lock(mutex_);
  auto it = scene_.fonts.find(font);
  if (it == scene_.fonts.end() || !it->second) return;
  scene_.prints.push_back({text, location, scale, spacing, it->second, scene_.printColor, centered});
}

void Engine::PrintsHide() {
  std::lock_guard lock(mutex_);
  scene_.prints.clear();
}

uint32_t Engine::ParticleCreate(const char* textureFile, int capacity) {
  std::shared_ptr<const TextureData> texture = resources_.PictureFromFile(NameOf(textureFile), 0);
  std::lock_guard lock(mutex_);
  uint32_t handle = NewHandle();
  ParticleSystemState& p = scene_.particleSystems[handle];
  p.system = std::make_unique<ParticleSystem>(capacity, handle * 2654435761u);
  p.texture = std::move(texture);
  return handle;
}

#define WITH_SYSTEM(handle, body)                                                        \
  std::lock_guard lock(mutex_);                                                          \
  if (auto it = scene_.particleSystems.find(handle); it != scene_.particleSystems.end()) { \
    ParticleSystemState& p = it->second;                                                 \
    body;                                                                                \
  }

void Engine::ParticleRenderModeSet(uint32_t system, int mode) { WITH_SYSTEM(system, p.system->settings.renderMode = mode) }
void Engine::ParticleGravitySet(uint32_t system, Vec3 gravity) { WITH_SYSTEM(system, p.system->settings.gravity = gravity) }
void Engine::ParticleAirResistanceSet(uint32_t system, float resistance) {
  WITH_SYSTEM(system, p.system->settings.airResistance = resistance)
}
void Engine::ParticleColorSet(uint32_t system, Vec3 start, Vec3 end) {
  WITH_SYSTEM(system, p.system->settings.startColor = start; p.system->settings.endColor = end)
}
void Engine::ParticleLifeTimeSet(uint32_t system, float seconds) { WITH_SYSTEM(system, p.system->settings.lifeTime = seconds) }
void Engine::ParticleEnvMapCasterAdd(uint32_t system) { WITH_SYSTEM(system, p.envMapCaster = true) }
void Engine::ParticleShow(uint32_t system, bool visible) { WITH_SYSTEM(system, p.visible = visible) }
#undef WITH_SYSTEM

void Engine::ParticleDestroy(uint32_t system) {
  std::lock_guard lock(mutex_);
  scene_.particleSystems.erase(system);
  std::erase_if(scene_.emitters, [system](const auto& e) { return e.second.system == system; });
}

uint32_t Engine::ParticleEmitterCreate(uint32_t system) {
  std::lock_guard lock(mutex_);
  if (!scene_.particleSystems.count(system)) return 0;
  uint32_t handle = NewHandle();
  scene_.emitters[handle].system = system;
  return handle;
}

#define WITH_EMITTER(handle, body)                                          \
  std::lock_guard lock(mutex_);                                             \
  if (auto it = scene_.emitters.find(handle); it != scene_.emitters.end()) { \
    EmitterSettings& e = it->second.settings;                               \
    body;                                                                   \
  }

void Engine::EmitterLocationSet(uint32_t emitter, Vec3 location) { WITH_EMITTER(emitter, e.location = location) }
void Engine::EmitterDirectionSet(uint32_t emitter, Vec3 min, Vec3 max) {
  WITH_EMITTER(emitter, e.directionMin = min; e.directionMax = max)
}
void Engine::EmitterSpeedSet(uint32_t emitter, float min, float max) {
  WITH_EMITTER(emitter, e.speedMin = min; e.speedMax = max)
}
void Engine::EmitterScaleSet(uint32_t emitter, Vec2 start, Vec2 end) {
  WITH_EMITTER(emitter, e.startSize = start; e.endSize = end)
}
#undef WITH_EMITTER

void Engine::EmitterEmit(uint32_t emitter, int count) {
  std::lock_guard lock(mutex_);
  auto it = scene_.emitters.find(emitter);
  if (it == scene_.emitters.end()) return;
  auto sys = scene_.particleSystems.find(it->second.system);
  if (sys != scene_.particleSystems.end()) sys->second.system->Emit(it->second.settings, count);
}

void Engine::EmitterDestroy(uint32_t emitter) {
  std::lock_guard lock(mutex_);
  scene_.emitters.erase(emitter);
}

Vec3 Engine::LocationToScreen(Vec3 world) {
  std::lock_guard lock(mutex_);
  std::optional<Projection> p = Project(scene_.ActiveCamera(), world);
  return p ? Vec3{p->screen.x, p->screen.y, 0} : Vec3{};
}

void Engine::StepParticles(float dt) {
  std::lock_guard lock(mutex_);
  for (auto& [handle, p] : scene_.particleSystems) p.system->Step(dt);
}

void Engine::ScreenWipe(float r, float g, float b) {
  auto byte = [](float f) { return static_cast<uint32_t>(std::clamp(f, 0.0f, 1.0f) * 255 + 0.5f); };
  std::lock_guard lock(mutex_);
  scene_.clearColor = byte(r) << 16 | byte(g) << 8 | byte(b);
}

Frame Engine::Snapshot() {
  std::lock_guard frameLock(frameMutex_);
  {
    std::lock_guard lock(mutex_);
    renderer_.Render(scene_, frame_);
  }
  return frame_;
}

Frame Engine::Snapshot(StageTimes& times) {
  std::lock_guard frameLock(frameMutex_);
  {
    std::lock_guard lock(mutex_);
    RenderScene(scene_, frame_, &times);
  }
  return frame_;
}

}  // namespace spriteengine
