// Everything the engine draws, by handle: sprites, textures, fonts, printed
// texts, cameras and particle systems with their emitters. Plain data; the
// engine locks it. Handles come from one process-wide counter and are never
// reused, so the maps iterate in creation order.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "camera.h"
#include "font.h"
#include "geometry.h"
#include "image.h"
#include "mesh.h"
#include "particles.h"
#include "picture_loader.h"

namespace spriteengine {

inline constexpr int kModeUnset = -1;

struct SpriteState {
  std::shared_ptr<const MeshQuad> mesh;
  bool visible = false;          // sprites start hidden
  Vec3 location;                 // sprite units; z is kept, not drawn
  Vec2 scale{1, 1};              // the quad covers scale / 0.625 units
  float degrees = 0;             // counter-clockwise
  Color color;                   // modulates the texture; a = opacity
  int priority = 0;              // see DrawOrder
  uint32_t texture = 0;          // texture handle drawn; 0 = nothing drawn
  int textureMode = kModeUnset;  // 0, 1: nearest texels; otherwise bilinear
  int mipFilterMode = kModeUnset;  // 0: level 0 only; otherwise the nearest mip level
};

struct TextureState {
  std::shared_ptr<const TextureData> data;        // decoded already, or
  std::shared_ptr<const PendingPicture> pending;  // decoded when first needed

  const TextureData& Data() const { return pending ? pending->Get() : *data; }
};

struct PrintItem {
  std::string text;
  Vec2 location, scale;
  float spacing = kNeutralSpacing;
  std::shared_ptr<const Font> font;
  Color color;
  bool centered = false;
};

struct ParticleSystemState {
  std::unique_ptr<ParticleSystem> system;
  std::shared_ptr<const TextureData> texture;
  bool visible = false;       // systems start hidden, like sprites
  bool envMapCaster = false;  // recorded; has no visible effect here
};

struct EmitterState {
  uint32_t system = 0;
  EmitterSettings settings;
};

struct Scene {
  std::map<uint32_t, SpriteState> sprites;
  std::map<uint32_t, TextureState> textures;
  std::map<uint32_t, std::shared_ptr<const Font>> fonts;
  std::map<uint32_t, Camera> cameras;
  uint32_t currentCamera = 0;  // the last camera created; particles are seen through it
  std::map<uint32_t, ParticleSystemState> particleSystems;
  std::map<uint32_t, EmitterState> emitters;
  std::vector<PrintItem> prints;  // drawn in print order, on top of everything
  Color printColor;               // colour for later prints
  uint32_t clearColor = 0;        // 0x00RRGGBB the frame starts from (iScreenWipe)

  // The camera particles are seen through (a default one when none exists).
  const Camera& ActiveCamera() const;
  // Forgets every object (a closing engine instance); caches live on.
  void Clear();
};

// A new handle, never given before in this process.
uint32_t NewHandle();

enum class DrawKind { kSprite, kParticles, kText };
struct DrawItem {
  DrawKind kind;
  uint32_t id;  // sprite or particle system handle, or index into prints
  // What the handle named when the order was made (valid while the scene
  // is not changed): the frame's planning looks nothing up again.
  const SpriteState* sprite = nullptr;
  const TextureState* texture = nullptr;  // the sprite's
  const ParticleSystemState* particles = nullptr;
  bool operator==(const DrawItem& o) const { return kind == o.kind && id == o.id; }
};

// Back to front: sprites of priority >= 2 (higher numbers further back), then
// the particle systems, then priorities 0 and 1 (negative ones just below 0);
// within one priority in creation order; then the printed texts. Only
// visible, drawable items are listed.
std::vector<DrawItem> DrawOrder(const Scene& scene);

}  // namespace spriteengine
