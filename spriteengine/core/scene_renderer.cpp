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
  const Image& base = tex.Level(0);
  float uLength = std::hypot(uAxis.x, uAxis.y), vLength = std::hypot(vAxis.x, vAxis.y);
  if (uLength < 1e-6f || vLength < 1e-6f) return;
  int level = 0;
  if (s.mipFilterMode != 0) {
    float rho = std::max(base.width * (q.uMax - q.uMin) / (uLength * (q.uMax - q.uMin)),
                         base.height * (q.vMax - q.vMin) / (vLength * (q.vMax - q.vMin)));
    level = MipLevelFor(tex, rho);
  }
  const Image& img = tex.Level(level);
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

// Additive particles are drawn at half resolution into this layer and added
// to the frame once per frame: fire is soft, and it has a quarter of the
// pixels to fill.
struct HalfLayer {
  Frame pixels{kFrameWidth / 2, kFrameHeight / 2};
  int rowBegin = 0, rowEnd = 0;           // half-resolution rows of this thread's band
  int minX = 0, minY = 0, maxX = -1, maxY = -1;  // drawn box, half resolution, inclusive
  bool cleared = false;

  void Begin(int fullRowBegin, int fullRowEnd) {
    rowBegin = fullRowBegin / 2;
    rowEnd = (fullRowEnd + 1) / 2;
    cleared = false;
    maxX = maxY = -1;
    minX = pixels.width, minY = pixels.height;
  }
  void Touch(float x0, float y0, float x1, float y1) {
    if (!cleared) {
      std::fill(pixels.pixels.begin() + static_cast<size_t>(rowBegin) * pixels.width,
                pixels.pixels.begin() + static_cast<size_t>(rowEnd) * pixels.width, 0u);
      cleared = true;
    }
    minX = std::max(0, std::min(minX, static_cast<int>(std::floor(x0))));
    minY = std::max(rowBegin, std::min(minY, static_cast<int>(std::floor(y0))));
    maxX = std::min(pixels.width - 1, std::max(maxX, static_cast<int>(std::ceil(x1))));
    maxY = std::min(rowEnd - 1, std::max(maxY, static_cast<int>(std::ceil(y1))));
  }
};

// Adds the half-resolution layer to the frame rows, bilinearly enlarged.
void CompositeHalfLayer(const HalfLayer& layer, Frame& frame, int rowBegin, int rowEnd) {
  if (layer.maxX < layer.minX || layer.maxY < layer.minY) return;
  const Frame& half = layer.pixels;
  int y0 = std::max(rowBegin, 2 * layer.minY - 1), y1 = std::min(rowEnd, 2 * layer.maxY + 3);
  int x0 = std::max(0, 2 * layer.minX - 1), x1 = std::min(frame.width, 2 * layer.maxX + 3);
  auto weigh = [](uint32_t a, uint32_t b, uint32_t wb) {  // (a * (256 - wb) + b * wb) / 256, per channel
    uint32_t rb = ((a & 0x00FF00FF) * (256 - wb) + (b & 0x00FF00FF) * wb) >> 8;
    uint32_t g = ((a & 0x0000FF00) * (256 - wb) + (b & 0x0000FF00) * wb) >> 8;
    return (rb & 0x00FF00FF) | (g & 0x0000FF00);
  };
  for (int y = y0; y < y1; ++y) {
    // Full-resolution pixel centre y + 0.5 sits at half-resolution (y + 0.5) / 2 - 0.5.
    int hy = (y - 1) >> 1;
    uint32_t wy = (y & 1) ? 64 : 192;  // weight of row hy + 1
    int ha = std::clamp(hy, layer.rowBegin, layer.rowEnd - 1), hb = std::clamp(hy + 1, layer.rowBegin, layer.rowEnd - 1);
    const uint32_t* rowA = half.pixels.data() + static_cast<size_t>(ha) * half.width;
    const uint32_t* rowB = half.pixels.data() + static_cast<size_t>(hb) * half.width;
    uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width;
    for (int x = x0; x < x1; ++x) {
      int hx = (x - 1) >> 1;
      uint32_t wx = (x & 1) ? 64 : 192;
      int xa = std::clamp(hx, 0, half.width - 1), xb = std::clamp(hx + 1, 0, half.width - 1);
      uint32_t top = weigh(rowA[xa], rowA[xb], wx), bottom = weigh(rowB[xa], rowB[xb], wx);
      uint32_t add = weigh(top, bottom, wy);
      if (add == 0) continue;
      uint32_t d = dst[x];
      uint32_t r = std::min<uint32_t>(255, ((d >> 16) & 0xFF) + ((add >> 16) & 0xFF));
      uint32_t g = std::min<uint32_t>(255, ((d >> 8) & 0xFF) + ((add >> 8) & 0xFF));
      uint32_t b = std::min<uint32_t>(255, (d & 0xFF) + (add & 0xFF));
      dst[x] = r << 16 | g << 8 | b;
    }
  }
}

// Draws a particle system: additive ones into the half layer, others into the frame.
void DrawParticles(const Scene& scene, const ParticleSystemState& p, Frame& frame, int rowBegin, int rowEnd,
                   HalfLayer& layer) {
  if (!p.texture) return;
  const Camera& camera = scene.ActiveCamera();
  const TextureData& tex = *p.texture;
  const ParticleSystem& system = *p.system;
  Blend blend = system.settings.renderMode == 1 ? Blend::kAdditive : Blend::kAlpha;
  float brightness = blend == Blend::kAdditive ? kParticleBrightness : 1.0f;
  float k = blend == Blend::kAdditive ? 0.5f : 1.0f;  // pixels of the target per frame pixel
  Frame& target = blend == Blend::kAdditive ? layer.pixels : frame;
  int targetBegin = blend == Blend::kAdditive ? layer.rowBegin : rowBegin;
  int targetEnd = blend == Blend::kAdditive ? layer.rowEnd : rowEnd;
  for (int i = 0; i < system.Live(); ++i) {
    ParticleSystem::View v = system.ViewOf(i);
    if (v.intensity <= 0) continue;
    std::optional<Projection> proj = Project(camera, v.position);
    if (!proj) continue;
    float w = v.size.x * proj->unitsPerWorld * kPixelsPerUnit * k;
    float h = v.size.y * proj->unitsPerWorld * kPixelsPerUnit * k;
    Vec2 centre = UnitsToPixels(proj->screen);
    centre.x *= k, centre.y *= k;
    if (w < 0.5f || h < 0.5f || centre.x + w / 2 < 0 || centre.x - w / 2 > target.width ||
        centre.y + h / 2 < targetBegin || centre.y - h / 2 > targetEnd)
      continue;
    if (blend == Blend::kAdditive)
      layer.Touch(centre.x - w / 2, centre.y - h / 2, centre.x + w / 2, centre.y + h / 2);
    const Image& base = tex.Level(0);
    int level = MipLevelFor(tex, std::max(base.width / w, base.height / h));
    const Image& img = tex.Level(level);
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
    DrawQuad(target, d, targetBegin, targetEnd);
  }
}

void DrawText(const PrintItem& item, Frame& frame, int rowBegin, int rowEnd) {
  const Font& font = *item.font;
  const TextureData& tex = *font.atlas;
  TextLayout layout = LayoutText(font, item.text, item.location, item.scale, item.spacing, item.centered);
  float linePixels = kLineHeightUnits * std::fabs(item.scale.y) * kPixelsPerUnit;
  if (linePixels < 0.5f) return;
  int level = MipLevelFor(tex, font.header.lineHeight / linePixels);
  const Image& img = tex.Level(level);
  float shrink = static_cast<float>(img.width) / tex.Level(0).width;
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
  while (level + 1 < static_cast<int>(texture.LevelCount()) && texelsPerPixel >= 2.0f) {
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
  thread_local HalfLayer layer;  // one per drawing thread
  layer.Begin(rowBegin, rowEnd);
  std::vector<DrawItem> order = DrawOrder(scene);
  for (size_t i = 0; i < order.size(); ++i) {
    const DrawItem& item = order[i];
    switch (item.kind) {
      case DrawKind::kSprite:
        DrawSprite(scene, scene.sprites.at(item.id), frame, rowBegin, rowEnd);
        break;
      case DrawKind::kParticles:
        DrawParticles(scene, scene.particleSystems.at(item.id), frame, rowBegin, rowEnd, layer);
        // The particle layer ends with its last system: add it before what lies above.
        if (i + 1 == order.size() || order[i + 1].kind != DrawKind::kParticles)
          CompositeHalfLayer(layer, frame, rowBegin, rowEnd);
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
