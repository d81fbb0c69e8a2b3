#include "scene.h"

#include <algorithm>
#include <atomic>

namespace spriteengine {

namespace {

std::atomic<uint32_t> nextHandle{1};

constexpr int kParticleLayer = -3;

// Sort key of a sprite priority; the particle layer sits at kParticleLayer.
int LayerOf(int priority) {
  if (priority >= 2) return -2 * priority;
  if (priority < 0) return -2;
  return 2 * priority;
}

}  // namespace

uint32_t NewHandle() { return nextHandle.fetch_add(1); }

const Camera& Scene::ActiveCamera() const {
  static const Camera kDefault;
  auto it = cameras.find(currentCamera);
  return it != cameras.end() ? it->second : kDefault;
}

void Scene::Clear() {
  sprites.clear();
  textures.clear();
  fonts.clear();
  cameras.clear();
  currentCamera = 0;
  particleSystems.clear();
  emitters.clear();
  prints.clear();
  printColor = Color{};
  clearColor = 0;
}

std::vector<DrawItem> DrawOrder(const Scene& scene) {
  struct Keyed {
    int layer;
    uint32_t seq;
    DrawItem item;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(scene.sprites.size() + scene.particleSystems.size());
  for (const auto& [handle, s] : scene.sprites) {
    if (!s.visible || s.texture == 0) continue;
    auto texture = scene.textures.find(s.texture);
    if (texture == scene.textures.end()) continue;
    keyed.push_back({LayerOf(s.priority), handle, {DrawKind::kSprite, handle, &s, &texture->second}});
  }
  for (const auto& [handle, p] : scene.particleSystems) {
    if (!p.visible || p.system->Live() == 0) continue;
    keyed.push_back({kParticleLayer, handle, {DrawKind::kParticles, handle, nullptr, nullptr, &p}});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.layer != b.layer ? a.layer < b.layer : a.seq < b.seq;
  });
  std::vector<DrawItem> order;
  order.reserve(keyed.size() + scene.prints.size());
  for (const Keyed& k : keyed) order.push_back(k.item);
  for (uint32_t i = 0; i < scene.prints.size(); ++i) order.push_back({DrawKind::kText, i});
  return order;
}

}  // namespace spriteengine
