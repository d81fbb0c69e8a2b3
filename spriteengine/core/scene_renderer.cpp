#include "scene_renderer.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>

#include "additive_layer.h"
#include "pixel_ops.h"
#include "raster_spans.h"

namespace spriteengine {

namespace {

// Opaque pictures looked at for rows the clear can leave alone (a level's
// sky is two or three tiles side by side).
constexpr size_t kMostOpaqueRects = 16;

Filter FilterOf(int textureMode) {
  return textureMode == 0 || textureMode == 1 ? Filter::kNearest : Filter::kBilinear;
}

// The sprite as a quad in frame pixels; false when it draws nothing.
bool PlanSprite(const SpriteState& s, const TextureState& texture, QuadDraw& d) {
  const TextureData& tex = texture.Data();
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
  if (uLength < 1e-6f || vLength < 1e-6f) return false;
  int level = 0;
  if (s.mipFilterMode != 0) {
    float rho = std::max(base.width * (q.uMax - q.uMin) / (uLength * (q.uMax - q.uMin)),
                         base.height * (q.vMax - q.vMin) / (vLength * (q.vMax - q.vMin)));
    level = MipLevelFor(tex, rho);
  }
  const Image& img = tex.Level(level);
  d.image = &img;
  d.originX = centre.x + origin.x;
  d.originY = centre.y + origin.y;
  d.uAxisX = uAxis.x / img.width, d.uAxisY = uAxis.y / img.width;
  d.vAxisX = vAxis.x / img.height, d.vAxisY = vAxis.y / img.height;
  d.u0 = q.uMin * img.width, d.u1 = q.uMax * img.width;
  d.v0 = q.vMin * img.height, d.v1 = q.vMax * img.height;
  SetModulation(d, s.color.r, s.color.g, s.color.b, s.color.a);
  d.filter = FilterOf(s.textureMode);
  return true;
}

// The pixels an unrotated quad surely paints with opaque texels, false when
// it may leave any of them showing what is behind. Conservative for a
// scaled or filtered quad: it must reach a quarter pixel past the centres
// of the pixels at its edges.
struct PixelRect {
  int left, top, right, bottom;  // right and bottom exclusive
};
bool OpaqueRect(const QuadDraw& d, const PreparedQuad& q, PixelRect& r) {
  if (AtOwnSize(q) && q.image->opaque) {
    // Drawn texel for pixel, every pixel of its rows and columns takes an
    // opaque texel: exactly its rows. Two tiles meeting at a fraction of a
    // pixel then cover the seam's column between them.
    int top = q.yStart, bottom = q.yEnd;
    int32_t v;
    while (top < bottom && !raster::UnrotatedRow(q, top, v)) ++top;
    while (bottom > top && !raster::UnrotatedRow(q, bottom - 1, v)) --bottom;
    r = {q.xStart, top, q.xEnd, bottom};
    return r.left < r.right && r.top < r.bottom;
  }
  if (!d.image || !d.image->opaque || d.blend != Blend::kAlpha || d.uAxisY != 0 || d.vAxisX != 0) return false;
  if ((d.modR & d.modG & d.modB & d.modA) != 256) return false;
  if (d.uAxisX <= 0 || d.vAxisY <= 0 || d.u0 < 0 || d.v0 < 0 || d.u1 > d.image->width || d.v1 > d.image->height)
    return false;
  float left = d.originX + d.u0 * d.uAxisX, right = d.originX + d.u1 * d.uAxisX;
  float top = d.originY + d.v0 * d.vAxisY, bottom = d.originY + d.v1 * d.vAxisY;
  // Also false far off the frame or for a NaN.
  if (!(left < kFrameWidth && right > 0 && top < kFrameHeight && bottom > 0)) return false;
  auto first = [](float edge) { return static_cast<int>(std::ceil(std::max(edge - 0.25f, 0.0f))); };
  auto end = [](float edge, int size) {
    return static_cast<int>(std::floor(std::min(edge - 0.75f, static_cast<float>(size)))) + 1;
  };
  r = {first(left), first(top), std::min(end(right, kFrameWidth), kFrameWidth),
       std::min(end(bottom, kFrameHeight), kFrameHeight)};
  return r.left < r.right && r.top < r.bottom;
}

bool CoversFrame(const PixelRect& r) {
  return r.left == 0 && r.top == 0 && r.right == kFrameWidth && r.bottom == kFrameHeight;
}

// The rows not covered edge to edge by the union of `rects`, as runs.
void UncoveredRows(std::vector<PixelRect>& rects, std::vector<FramePlan::Rows>& out) {
  out.clear();
  // Bands between the rectangles' top and bottom edges: each is covered
  // or not as a whole.
  std::vector<int> edges{0, kFrameHeight};
  for (const PixelRect& r : rects) edges.push_back(r.top), edges.push_back(r.bottom);
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::sort(rects.begin(), rects.end(), [](const PixelRect& a, const PixelRect& b) { return a.left < b.left; });
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    int top = edges[i], bottom = edges[i + 1];
    int reach = 0;  // columns covered so far from the left edge
    for (const PixelRect& r : rects)
      if (r.top <= top && r.bottom >= bottom && r.left <= reach) reach = std::max(reach, r.right);
    if (reach >= kFrameWidth) continue;
    if (!out.empty() && out.back().end == top)
      out.back().end = bottom;
    else
      out.push_back({top, bottom});
  }
}

// False when no particle of the system can reach a target of that size in
// pixels (k of them per frame pixel): checked on the box that bounds its
// particles, so a system far off screen costs nothing per particle.
bool MayReachTarget(const ParticleSystem& system, const CameraView& camera, float k, float targetWidth,
                    float targetHeight) {
  if (system.Live() == 0) return false;
  const ParticleSystem::Bounds& b = system.PathBounds();
  const Vec3 g = system.settings.gravity;
  auto range = [&](float low, float high, float pull, float& lo, float& hi) {
    float a = pull * b.pulledLow, c = pull * b.pulledHigh;
    lo = low + std::min(a, c);
    hi = high + std::max(a, c);
  };
  float lo[3], hi[3];
  range(b.low.x, b.high.x, g.x, lo[0], hi[0]);
  range(b.low.y, b.high.y, g.y, lo[1], hi[1]);
  range(b.low.z, b.high.z, g.z, lo[2], hi[2]);
  float left = 0, right = 0, bottom = 0, top = 0, nearest = 0;
  for (int corner = 0; corner < 8; ++corner) {
    Vec3 at{corner & 1 ? hi[0] : lo[0], corner & 2 ? hi[1] : lo[1], corner & 4 ? hi[2] : lo[2]};
    std::optional<Projection> proj = camera.Project(at);
    if (!proj) return true;  // reaches behind the near plane: no bound on screen
    if (corner == 0) {
      left = right = proj->screen.x, bottom = top = proj->screen.y, nearest = proj->unitsPerWorld;
      continue;
    }
    left = std::min(left, proj->screen.x), right = std::max(right, proj->screen.x);
    bottom = std::min(bottom, proj->screen.y), top = std::max(top, proj->screen.y);
    nearest = std::max(nearest, proj->unitsPerWorld);
  }
  float half = b.size * kParticleSizeUnit * nearest / 2;  // sprite units
  Vec2 topLeft = UnitsToPixels({left - half, top + half}), bottomRight = UnitsToPixels({right + half, bottom - half});
  // A NaN anywhere makes every test false: such a system is not passed over.
  bool off = bottomRight.x * k < -1 || topLeft.x * k > targetWidth + 1 || bottomRight.y * k < -1 ||
             topLeft.y * k > targetHeight + 1;
  return !off;
}

// Turns the live particles of a system into quads in target pixels, dropping
// those too small or off the target.
void PlanParticles(const ParticleSystemState& p, const CameraView& camera, std::vector<PreparedQuad>& out) {
  if (!p.texture) return;
  const TextureData& tex = *p.texture;
  const ParticleSystem& system = *p.system;
  Blend blend = system.settings.renderMode == 1 ? Blend::kAdditive : Blend::kAlpha;
  float brightness = blend == Blend::kAdditive ? kParticleBrightness : 1.0f;
  float k = blend == Blend::kAdditive ? 0.5f : 1.0f;  // pixels of the target per frame pixel
  float targetWidth = kFrameWidth * k, targetHeight = kFrameHeight * k;
  const Image& base = tex.Level(0);
  if (!MayReachTarget(system, camera, k, targetWidth, targetHeight)) return;
  const Vec3 g = system.settings.gravity;
  QuadDraw d;
  d.blend = blend;
  d.filter = Filter::kNearest;
  d.uAxisY = 0, d.vAxisX = 0;
  const bool additive = blend == Blend::kAdditive;
  // The look of the quads (their picture, modulation and blend), prepared
  // once for the many that share it; stale after a change of either.
  PreparedQuad prepared;
  bool stale = true, drawable = false;
  system.ForEachRun([&](const ParticleSystem::BatchLook& look, const ParticleSystem::Member* members, size_t n) {
    if (!(look.intensity > 0)) return;
    SetModulation(d, look.color.x, look.color.y, look.color.z, look.intensity * brightness);
    stale = true;
    bool lastDrawn = false;  // members[-1]'s quad ends `out`
    for (const ParticleSystem::Member* m = members; m != members + n; ++m) {
      if (additive && m != members && std::memcmp(m, m - 1, sizeof(*m)) == 0) {
        // The member before it again, bit for bit, with the same look: the
        // same quad once more (a fire's batch, which leaves one point).
        if (!lastDrawn) continue;
        if (out.back().repeat < kMostRepeats) {
          ++out.back().repeat;
        } else {
          PreparedQuad again = out.back();
          again.repeat = 1;
          out.push_back(again);
        }
        continue;
      }
      lastDrawn = false;
      std::optional<Projection> proj = camera.Project(ParticleSystem::PositionOf(*m, look, g));
      if (!proj) continue;
      Vec2 size = ParticleSystem::SizeOf(*m, look.progress);
      float w = size.x * proj->unitsPerWorld * kPixelsPerUnit * k;
      float h = size.y * proj->unitsPerWorld * kPixelsPerUnit * k;
      Vec2 centre = UnitsToPixels(proj->screen);
      centre.x *= k, centre.y *= k;
      if (w < 0.5f || h < 0.5f || centre.x + w / 2 < 0 || centre.x - w / 2 > targetWidth || centre.y + h / 2 < 0 ||
          centre.y - h / 2 > targetHeight)
        continue;
      int level = MipLevelFor(tex, std::max(base.width / w, base.height / h));
      const Image& img = tex.Level(level);
      if (d.image != &img) {
        // Only on a change of level: a field stored just before the quad's
        // place reads it with its neighbour would stall the load.
        d.image = &img;
        d.u1 = static_cast<float>(img.width), d.v1 = static_cast<float>(img.height);
        stale = true;
      }
      if (stale) drawable = PrepareLook(d, prepared), stale = false;
      if (!drawable) continue;
      d.originX = centre.x - w / 2, d.originY = centre.y - h / 2;
      d.uAxisX = w / img.width, d.vAxisY = h / img.height;
      PreparedQuad& q = out.emplace_back(prepared);
      lastDrawn = PrepareUnrotatedPlace(d, static_cast<int>(targetWidth), static_cast<int>(targetHeight), q);
      if (!lastDrawn) out.pop_back();
    }
  });
}

// Draws a planned particle system: additive ones into the layer, others into the frame.
void DrawParticles(const PreparedQuad* begin, const PreparedQuad* end, Frame& frame, int rowBegin, int rowEnd,
                   AdditiveLayer& layer) {
  if (begin == end) return;
  if (begin->blend != Blend::kAdditive) {  // a system's quads share their blend
    for (const PreparedQuad* q = begin; q != end; ++q) DrawPrepared(frame, *q, rowBegin, rowEnd);
    return;
  }
  // The layer is told once of the box around the system's quads (a
  // stream or a flame: what lies between them in it is still zero).
  int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
  for (const PreparedQuad* q = begin; q != end; ++q) {
    const PreparedQuad& p = *q;
    if (p.yEnd <= layer.RowBegin() || p.yStart >= layer.RowEnd()) continue;
    top = std::min(top, p.yStart), bottom = std::max(bottom, p.yEnd - 1);
    left = std::min(left, p.xStart), right = std::max(right, p.xEnd - 1);
    DrawPrepared(layer.Pixels(), p, layer.RowBegin(), layer.RowEnd());
  }
  if (top <= bottom) layer.Touch(top, bottom, static_cast<float>(left), static_cast<float>(right));
}

// Draws order[item]'s sprite quad, leaving out what wide own-size sprites
// drawn after it will cover with opaque texels.
void DrawSprite(const FramePlan& plan, size_t item, const PreparedQuad& q, Frame& frame, int rowBegin, int rowEnd) {
  const PreparedQuad* over[kMostOver];
  int n = 0;
  if (AtOwnSize(q))
    for (size_t later : plan.over) {
      const PreparedQuad& o = plan.quads[later].front();
      if (later > item && o.yStart < q.yEnd && o.yEnd > q.yStart && o.xStart < q.xEnd && o.xEnd > q.xStart)
        over[n++] = &o;
    }
  if (n == 0)
    DrawPrepared(frame, q, rowBegin, rowEnd);
  else
    DrawPreparedUnder(frame, q, over, n, rowBegin, rowEnd);
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

void PlanItems(const Scene& scene, FramePlan& plan) {
  plan.order = DrawOrder(scene);
  plan.quads.resize(plan.order.size());
  plan.start = 0;
  thread_local std::vector<PixelRect> opaque;
  opaque.clear();
  plan.over.clear();
  bool covered = false;
  for (size_t i = 0; i < plan.order.size(); ++i) {
    std::vector<PreparedQuad>& quads = plan.quads[i];
    quads.clear();
    const DrawItem& item = plan.order[i];
    if (item.kind != DrawKind::kSprite) continue;
    QuadDraw d;
    PreparedQuad q;
    if (!PlanSprite(*item.sprite, *item.texture, d) || !PrepareQuad(d, kFrameWidth, kFrameHeight, q))
      continue;
    quads.push_back(q);
    constexpr int kWide = 128;  // columns: narrower sprites hide too little to be looked for
    if (AtOwnSize(q) && q.xEnd - q.xStart >= kWide && plan.over.size() < kMostOver) plan.over.push_back(i);
    PixelRect r;
    if (!OpaqueRect(d, q, r)) continue;
    if (CoversFrame(r)) {
      // Everything below it is hidden: start the frame from this sprite.
      plan.start = i;
      covered = true;
    } else if (opaque.size() < kMostOpaqueRects) {
      opaque.push_back(r);
    }
  }
  if (covered)
    plan.clearRows.clear();
  else
    UncoveredRows(opaque, plan.clearRows);
  // Split the particles that will be drawn into two parts of about as many.
  size_t total = 0;
  for (size_t i = plan.start; i < plan.order.size(); ++i)
    if (plan.order[i].kind == DrawKind::kParticles)
      total += static_cast<size_t>(plan.order[i].particles->system->Live());
  size_t before = 0;
  plan.split = plan.order.size();
  for (size_t i = plan.start; i < plan.order.size(); ++i) {
    if (plan.order[i].kind != DrawKind::kParticles) continue;
    if (2 * before >= total) {
      plan.split = i;
      break;
    }
    before += static_cast<size_t>(plan.order[i].particles->system->Live());
  }
}

void PlanParticleItems(const Scene& scene, FramePlan& plan, int part) {
  CameraView camera(scene.ActiveCamera());
  size_t begin = part == 0 ? plan.start : plan.split, end = part == 0 ? plan.split : plan.order.size();
  for (size_t i = begin; i < end; ++i)
    if (plan.order[i].kind == DrawKind::kParticles)
      PlanParticles(*plan.order[i].particles, camera, plan.quads[i]);
}

namespace {

// Adds the time since the last stage ended to the stage that just ended.
class StageClock {
 public:
  explicit StageClock(StageTimes* times) : times_(times) {
    if (times_) last_ = std::chrono::steady_clock::now();
  }
  void Ended(double StageTimes::*stage) {
    if (!times_) return;
    auto now = std::chrono::steady_clock::now();
    times_->*stage += std::chrono::duration<double, std::milli>(now - last_).count();
    last_ = now;
  }

 private:
  StageTimes* times_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace

void PlanFrame(const Scene& scene, FramePlan& plan, StageTimes* times) {
  StageClock clock(times);
  PlanItems(scene, plan);
  clock.Ended(&StageTimes::plan);
  PlanParticleItems(scene, plan, 0);
  PlanParticleItems(scene, plan, 1);
  clock.Ended(&StageTimes::particles);
}

void RenderPlanRows(const Scene& scene, const FramePlan& plan, Frame& frame, int rowBegin, int rowEnd,
                    StageTimes* times) {
  rowBegin = std::max(0, rowBegin);
  rowEnd = std::min(frame.height, rowEnd);
  if (rowBegin >= rowEnd) return;
  StageClock clock(times);
  for (const FramePlan::Rows& rows : plan.clearRows) {
    int begin = std::max(rows.begin, rowBegin), end = std::min(rows.end, rowEnd);
    if (begin < end)
      pixel::Fill(frame.pixels.data() + static_cast<size_t>(begin) * frame.width,
                  static_cast<size_t>(end - begin) * frame.width, scene.clearColor);
  }
  clock.Ended(&StageTimes::clear);
  thread_local AdditiveLayer layer;  // one per drawing thread
  layer.Begin(rowBegin, rowEnd);
  const std::vector<DrawItem>& order = plan.order;
  for (size_t i = plan.start; i < order.size(); ++i) {
    const PreparedQuad* begin = plan.quads[i].data();
    const PreparedQuad* end = begin + plan.quads[i].size();
    switch (order[i].kind) {
      case DrawKind::kSprite:
        for (const PreparedQuad* q = begin; q != end; ++q) DrawSprite(plan, i, *q, frame, rowBegin, rowEnd);
        clock.Ended(&StageTimes::sprites);
        break;
      case DrawKind::kParticles:
        DrawParticles(begin, end, frame, rowBegin, rowEnd, layer);
        clock.Ended(begin != end && begin->blend == Blend::kAdditive ? &StageTimes::additive : &StageTimes::sprites);
        // The particle layer ends with its last system: add it before what lies above.
        if (i + 1 == order.size() || order[i + 1].kind != DrawKind::kParticles) {
          layer.AddTo(frame, rowBegin, rowEnd);
          clock.Ended(&StageTimes::layer);
        }
        break;
      case DrawKind::kText:
        DrawText(scene.prints[order[i].id], frame, rowBegin, rowEnd);
        clock.Ended(&StageTimes::text);
        break;
    }
  }
}

void RenderScene(const Scene& scene, Frame& frame, StageTimes* times) {
  thread_local FramePlan plan;  // keeps its memory from frame to frame
  PlanFrame(scene, plan, times);
  RenderPlanRows(scene, plan, frame, 0, frame.height, times);
}

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

ParallelRenderer::ParallelRenderer(DrawThreads threads) : threads_(threads), worker_([this] { Work(); }) {}

ParallelRenderer::~ParallelRenderer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

bool ParallelRenderer::UsesWorker() const {
  return threads_ == DrawThreads::kTwo || (threads_ == DrawThreads::kWhenWorthIt && choice_.UseWorker());
}

void ParallelRenderer::Render(const Scene& scene, Frame& frame) {
  choice_.FrameDrawn(frameMs_);
  frameMs_ = 0;
  auto start = std::chrono::steady_clock::now();
  if (!UsesWorker()) {
    PlanFrame(scene, plan_);
    RenderPlanRows(scene, plan_, frame, 0, frame.height);
    frameMs_ += MsSince(start);
    return;
  }
  int split = frame.height / 2;
  PlanItems(scene, plan_);
  {
    std::lock_guard lock(mutex_);
    scene_ = &scene;
    frame_ = &frame;
    rowBegin_ = split;
    partsPlanned_ = 0;
    busy_ = true;
  }
  wake_.notify_all();
  PlanParticleItems(scene, plan_, 0);
  frameMs_ += MsSince(start);
  {
    // Both parts are needed before either band is drawn.
    std::unique_lock lock(mutex_);
    if (++partsPlanned_ == 2) planned_.notify_all();
    planned_.wait(lock, [this] { return partsPlanned_ == 2; });
  }
  start = std::chrono::steady_clock::now();
  RenderPlanRows(scene, plan_, frame, 0, split);
  frameMs_ += MsSince(start);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return !busy_; });
  frameMs_ += workerMs_;
}

void ParallelRenderer::Split(int rows, const std::function<void(int, int)>& work) {
  constexpr int kFewRows = 32;  // less than waking the worker costs
  auto start = std::chrono::steady_clock::now();
  if (rows < kFewRows || !UsesWorker()) {
    work(0, rows);
    frameMs_ += MsSince(start);
    return;
  }
  int split = rows / 2;
  {
    std::lock_guard lock(mutex_);
    job_ = &work;
    rowBegin_ = split;
    jobEnd_ = rows;
    busy_ = true;
  }
  wake_.notify_all();
  work(0, split);
  frameMs_ += MsSince(start);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return !busy_; });
  frameMs_ += workerMs_;
}

void ParallelRenderer::Work() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || busy_; });
    if (stop_) return;
    if (const std::function<void(int, int)>* job = job_) {
      int begin = rowBegin_, end = jobEnd_;
      lock.unlock();
      auto start = std::chrono::steady_clock::now();
      (*job)(begin, end);
      double ms = MsSince(start);
      lock.lock();
      job_ = nullptr;
      workerMs_ = ms;
      busy_ = false;
      done_.notify_all();
      continue;
    }
    const Scene* scene = scene_;
    Frame* frame = frame_;
    int begin = rowBegin_;
    lock.unlock();
    auto start = std::chrono::steady_clock::now();
    PlanParticleItems(*scene, plan_, 1);
    double ms = MsSince(start);
    lock.lock();
    if (++partsPlanned_ == 2) planned_.notify_all();
    planned_.wait(lock, [this] { return partsPlanned_ == 2; });
    lock.unlock();
    start = std::chrono::steady_clock::now();
    RenderPlanRows(*scene, plan_, *frame, begin, frame->height);
    ms += MsSince(start);
    lock.lock();
    workerMs_ = ms;
    busy_ = false;
    done_.notify_all();
  }
}

}  // namespace spriteengine
