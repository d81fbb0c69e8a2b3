// Draws a Scene into a Frame with the rasteriser: the one drawing path of
// both backends.
//
// A frame is drawn in two steps. The plan (one thread) puts everything in
// draw order and turns every visible particle into a quad in frame pixels:
// the camera's constants are worked out once, and particles off the frame
// are dropped before anything is drawn. Then the rows are drawn from the
// plan, on two threads in ParallelRenderer, each with its own band of rows.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "raster.h"
#include "scene.h"
#include "worker_choice.h"

namespace spriteengine {

inline constexpr float kParticleBrightness = 0.1f;  // per-particle intensity of additive fire

struct FramePlan {
  std::vector<DrawItem> order;
  // The quads of order[i], ready to draw into their target (the
  // half-resolution layer for additive particles, else the frame): a
  // sprite's one, a particle system's many. The inner vectors keep their
  // memory from frame to frame.
  std::vector<std::vector<PreparedQuad>> quads;
  // Drawing starts at order[start]: an item that covers the whole frame
  // with opaque texels hides everything before it.
  size_t start = 0;
  // The rows the clear must paint, top to bottom: all but those that
  // opaque pictures cover from edge to edge (the sky of a level).
  struct Rows {
    int begin, end;
  };
  std::vector<Rows> clearRows;
  // Particle systems in view are planned in two parts (one per drawing
  // thread): part 0 is order[start..split), part 1 order[split..).
  size_t split = 0;
  // Wide sprites drawn at their own size, in draw order (at most
  // kMostOver): what their opaque texels cover is not drawn below them (a
  // level's buildings hide most of its sky).
  std::vector<size_t> over;
};

// Milliseconds a frame's drawing spent by stage, added up over the frames
// drawn with it: the benchmark's split (play draws without).
struct StageTimes {
  double plan = 0;       // draw order, sprites made quads
  double particles = 0;  // particles culled and made quads
  double clear = 0;
  double sprites = 0;    // sprites and alpha-blended particles drawn
  double additive = 0;   // additive particles drawn into their layer
  double layer = 0;      // that layer added to the frame
  double text = 0;
};

// Puts the scene in draw order and plans its sprites; the particle systems
// are planned by PlanParticleItems. Sprites become quads once here for both
// drawing threads.
void PlanItems(const Scene& scene, FramePlan& plan);
// Plans the particle systems of one part (0 or 1) of the plan.
void PlanParticleItems(const Scene& scene, FramePlan& plan, int part);
// Both: the whole plan on the calling thread.
void PlanFrame(const Scene& scene, FramePlan& plan, StageTimes* times = nullptr);

// Clears the plan's clear rows among rowBegin..rowEnd-1 to the scene's
// clear colour and draws the plan into rows rowBegin..rowEnd-1.
void RenderPlanRows(const Scene& scene, const FramePlan& plan, Frame& frame, int rowBegin, int rowEnd,
                    StageTimes* times = nullptr);

// Plan and draw the whole frame on the calling thread.
void RenderScene(const Scene& scene, Frame& frame, StageTimes* times = nullptr);

// How many threads draw: two only when the drawing is heavy enough to be
// worth the worker (WorkerChoice), or always one, or always two.
enum class DrawThreads { kWhenWorthIt, kOne, kTwo };

// RenderScene on two threads: the caller and a worker of its own each plan
// half of the particles, then the caller draws the top half of the frame
// while the worker draws the bottom half. While the drawing is light the
// caller does all of it alone. The frame is the same either way. One Render
// at a time.
class ParallelRenderer {
 public:
  explicit ParallelRenderer(DrawThreads threads = DrawThreads::kWhenWorthIt);
  ~ParallelRenderer();
  ParallelRenderer(const ParallelRenderer&) = delete;
  ParallelRenderer& operator=(const ParallelRenderer&) = delete;

  void Render(const Scene& scene, Frame& frame);
  // Runs work(begin, end) over rows 0..rows-1: the caller does the upper
  // half, the worker the lower, and it returns when both are done (a few
  // rows, or a light frame's, the caller does alone). Not while a Render
  // runs.
  void Split(int rows, const std::function<void(int, int)>& work);

 private:
  void Work();
  // Whether the next Render or Split hands half to the worker.
  bool UsesWorker() const;

  DrawThreads threads_;
  WorkerChoice choice_;
  double frameMs_ = 0;   // the drawing threads' working time since the last Render began
  double workerMs_ = 0;  // the worker's, for its last part (guarded by mutex_)

  FramePlan plan_;
  std::mutex mutex_;
  std::condition_variable wake_, planned_, done_;
  const Scene* scene_ = nullptr;
  Frame* frame_ = nullptr;
  int rowBegin_ = 0;
  const std::function<void(int, int)>* job_ = nullptr;  // Split's work, while it runs
  int jobEnd_ = 0;
  int partsPlanned_ = 0;  // of this frame's two particle parts
  bool busy_ = false;     // the worker has a frame to plan and draw
  bool stop_ = false;
  std::thread worker_;  // last: starts after the fields above exist
};

// The mip level to sample when `texelsPerPixel` texels of level 0 fall on a
// pixel: the level that brings it nearest to, not below, one.
int MipLevelFor(const TextureData& texture, float texelsPerPixel);

}  // namespace spriteengine
