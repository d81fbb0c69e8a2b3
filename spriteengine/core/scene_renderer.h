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
#include <mutex>
#include <thread>
#include <vector>

#include "raster.h"
#include "scene.h"

namespace spriteengine {

inline constexpr float kParticleBrightness = 0.1f;  // per-particle intensity of additive fire

// A particle quad ready to draw, with the rows it covers in its target
// (the half-resolution layer for additive particles, else the frame).
struct PlannedQuad {
  QuadDraw draw;
  int rowFirst = 0, rowLast = -1;  // inclusive
  float left = 0, right = 0;       // columns it covers
};

struct FramePlan {
  std::vector<DrawItem> order;
  // For order[i] of kind kParticles, its quads are quads[first[i]..first[i + 1]).
  std::vector<size_t> first;
  std::vector<PlannedQuad> quads;
};

// Fills `plan` for `scene` (its vectors keep their memory from frame to frame).
void PlanFrame(const Scene& scene, FramePlan& plan);

// Clears the rows rowBegin..rowEnd-1 of the frame to the scene's clear
// colour and draws the plan into them.
void RenderPlanRows(const Scene& scene, const FramePlan& plan, Frame& frame, int rowBegin, int rowEnd);

// Plan and draw the whole frame on the calling thread.
void RenderScene(const Scene& scene, Frame& frame);

// RenderScene on two threads: the caller plans and draws the top half while
// a worker of its own draws the bottom half. One Render at a time.
class ParallelRenderer {
 public:
  ParallelRenderer();
  ~ParallelRenderer();
  ParallelRenderer(const ParallelRenderer&) = delete;
  ParallelRenderer& operator=(const ParallelRenderer&) = delete;

  void Render(const Scene& scene, Frame& frame);

 private:
  void Work();

  FramePlan plan_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const Scene* scene_ = nullptr;
  Frame* frame_ = nullptr;
  int rowBegin_ = 0;
  bool busy_ = false;   // the worker has rows to draw
  bool stop_ = false;
  std::thread worker_;  // last: starts after the fields above exist
};

// The mip level to sample when `texelsPerPixel` texels of level 0 fall on a
// pixel: the level that brings it nearest to, not below, one.
int MipLevelFor(const TextureData& texture, float texelsPerPixel);

}  // namespace spriteengine
