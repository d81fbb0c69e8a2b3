#include "scene_renderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace spriteengine {

namespace {

Filter FilterOf(int textureMode) {
  return textureMode == 0 || textureMode == 1 ? Filter::kNearest : Filter::kBilinear;
}

void DrawSprite(const Scene& scene, const SpriteState& s, Frame& frame, int rowBegin, int rowEnd) {
  const TextureData& tex = *scene.textures.at(s.texture).data;
  const MeshQuad& q = *s.mesh;
  float radians = s.degrees * std::numbers::pi_v<float> / 180;
  float c = std::cos(radians), sn = std::sin(radians);
  float sx = s.scale.x * kUnitsPerScale, sy = s.scale.y * kUnitsPerScale;
  // Linear part in pixels (y down) of a mesh-space vector.
  auto toPixels = [&](Vec2 a) {
    float x = a.x * sx, y = a.y * sy;
    return Vec2{(x * c - y * sn) * kPixelsPerUnit, -(x * sn + y * c) * kPixelsPerUnit};
  };
  Vec2 origin = toPixels(q.origin);
  Vec2 centre = UnitsToPixels({s.location.x, s.location.y});
  Vec2 uAxis = toPixels(q.uAxis), vAxis = toPixels(q.vAxis);  // pixels per whole texture
  const Image& base = tex.levels.front();
  float uLength = std::hypot(uAxis.x, uAxis.y), vLength = std::hypot(vAxis.x, vAxis.y);
  if (uLength < 1e-6f || vLength < 1e-6f) return;
  int level = 0;
  if (s.mipFilterMode != 0) {
    float rho = std::max(base.width * (q.uMax - q.uMin) / (uLength * (q.uMax - q.uMin)),
                         base.height * (q.vMax - q.vMin) / (vLength * (q.vMax - q.vMin)));
    level = MipLevelFor(tex, rho);
  }
  const Image& img = tex.levels[level];
  QuadDraw d;
  d.image = &img;
  d.originX = centre.x + origin.x;
  d.originY = centre.y + origin.y;
  d.uAxisX = uAxis.x / img.width, d.uAxisY = uAxis.y / img.width;
  d.vAxisX = vAxis.x / img.height, d.vAxisY = vAxis.y / img.height;
  d.u0 = q.uMin * img.width, d.u1 = q.uMax * img.width;
  d.v0 = q.vMin * img.height, d.v1 = q.vMax * img.height;
  SetModulation(d, s.color.r, s.color.g, s.color.b, s.color.a);
  d.filter = FilterOf(s.textureMode);
  DrawQuad(frame, d, rowBegin, rowEnd);
}

void DrawParticles(const Scene& scene, const ParticleSystemState& p, Frame& frame, int rowBegin, int rowEnd) {
  if (!p.texture) return;
  const Camera& camera = scene.ActiveCamera();
  const TextureData& tex = *p.texture;
  const ParticleSystem& system = *p.system;
  Blend blend = system.settings.renderMode == 1 ? Blend::kAdditive : Blend::kAlpha;
  float brightness = blend == Blend::kAdditive ? kParticleBrightness : 1.0f;
  for (int i = 0; i < system.Live(); ++i) {
    ParticleSystem::View v = system.ViewOf(i);
    if (v.intensity <= 0) continue;
    std::optional<Projection> proj = Project(camera, v.position);
    if (!proj) continue;
    float w = v.size.x * proj->unitsPerWorld * kPixelsPerUnit, h = v.size.y * proj->unitsPerWorld * kPixelsPerUnit;
    Vec2 centre = UnitsToPixels(proj->screen);
    if (w < 0.5f || h < 0.5f || centre.x + w / 2 < 0 || centre.x - w / 2 > frame.width || centre.y + h / 2 < rowBegin ||
        centre.y - h / 2 > rowEnd)
      continue;
    const Image& base = tex.levels.front();
    int level = MipLevelFor(tex, std::max(base.width / w, base.height / h));
    const Image& img = tex.levels[level];
    QuadDraw d;
    d.image = &img;
    d.originX = centre.x - w / 2, d.originY = centre.y - h / 2;
    d.uAxisX = w / img.width, d.uAxisY = 0;
    d.vAxisX = 0, d.vAxisY = h / img.height;
    d.u1 = static_cast<float>(img.width), d.v1 = static_cast<float>(img.height);
    float a = v.intensity * brightness;
    SetModulation(d, v.color.x, v.color.y, v.color.z, a);
    d.blend = blend;
    d.filter = Filter::kNearest;
    DrawQuad(frame, d, rowBegin, rowEnd);
  }
}

void DrawText(const PrintItem& item, Frame& frame, int rowBegin, int rowEnd) {
  const Font& font = *item.font;
  const TextureData& tex = *font.atlas;
  TextLayout layout = LayoutText(font, item.text, item.location, item.scale, item.spacing, item.centered);
  float linePixels = kLineHeightUnits * std::fabs(item.scale.y) * kPixelsPerUnit;
  if (linePixels < 0.5f) return;
  int level = MipLevelFor(tex, font.header.lineHeight / linePixels);
  const Image& img = tex.levels[level];
  float shrink = static_cast<float>(img.width) / tex.levels.front().width;
  for (const GlyphPlacement& g : layout.glyphs) {
    Vec2 topLeft = UnitsToPixels({g.left, g.top}), bottomRight = UnitsToPixels({g.right, g.bottom});
    QuadDraw d;
    d.image = &img;
    float u0 = g.atlasX * shrink, v0 = g.atlasY * shrink, uw = g.atlasW * shrink, vh = g.atlasH * shrink;
    d.uAxisX = (bottomRight.x - topLeft.x) / uw, d.uAxisY = 0;
    d.vAxisX = 0, d.vAxisY = (bottomRight.y - topLeft.y) / vh;
    d.originX = topLeft.x - u0 * d.uAxisX, d.originY = topLeft.y - v0 * d.vAxisY;
    d.u0 = u0, d.u1 = u0 + uw, d.v0 = v0, d.v1 = v0 + vh;
    SetModulation(d, item.color.r, item.color.g, item.color.b, item.color.a);
    DrawQuad(frame, d, rowBegin, rowEnd);
  }
}

}  // namespace

int MipLevelFor(const TextureData& texture, float texelsPerPixel) {
  int level = 0;
  while (level + 1 < static_cast<int>(texture.levels.size()) && texelsPerPixel >= 2.0f) {
    texelsPerPixel /= 2;
    ++level;
  }
  return level;
}

void RenderSceneRows(const Scene& scene, Frame& frame, int rowBegin, int rowEnd) {
  rowBegin = std::max(0, rowBegin);
  rowEnd = std::min(frame.height, rowEnd);
  std::fill(frame.pixels.begin() + static_cast<size_t>(rowBegin) * frame.width,
            frame.pixels.begin() + static_cast<size_t>(rowEnd) * frame.width, scene.clearColor);
  for (const DrawItem& item : DrawOrder(scene)) {
    switch (item.kind) {
      case DrawKind::kSprite:
        DrawSprite(scene, scene.sprites.at(item.id), frame, rowBegin, rowEnd);
        break;
      case DrawKind::kParticles:
        DrawParticles(scene, scene.particleSystems.at(item.id), frame, rowBegin, rowEnd);
        break;
      case DrawKind::kText:
        DrawText(scene.prints[item.id], frame, rowBegin, rowEnd);
        break;
    }
  }
}

void RenderScene(const Scene& scene, Frame& frame) { RenderSceneRows(scene, frame, 0, frame.height); }

ParallelRenderer::ParallelRenderer() : worker_([this] { Work(); }) {}

ParallelRenderer::~ParallelRenderer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

void ParallelRenderer::Render(const Scene& scene, Frame& frame) {
  int split = frame.height / 2;
  {
    std::lock_guard lock(mutex_);
    scene_ = &scene;
    frame_ = &frame;
    rowBegin_ = split;
    busy_ = true;
  }
  wake_.notify_all();
  RenderSceneRows(scene, frame, 0, split);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return !busy_; });
}

void ParallelRenderer::Work() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || busy_; });
    if (stop_) return;
    const Scene* scene = scene_;
    Frame* frame = frame_;
    int begin = rowBegin_;
    lock.unlock();
    RenderSceneRows(*scene, *frame, begin, frame->height);
    lock.lock();
    busy_ = false;
    done_.notify_all();
  }
}

}  // namespace spriteengine
