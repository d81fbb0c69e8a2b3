// Draws a Scene into a Frame with the rasteriser: the one drawing path of
// both backends.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "raster.h"
#include "scene.h"

namespace spriteengine {

inline constexpr float kParticleBrightness = 0.1f;  // per-particle intensity of additive fire

// Clears the frame to the scene's clear colour and draws DrawOrder(scene).
void RenderScene(const Scene& scene, Frame& frame);
// The same for the rows rowBegin..rowEnd-1 only.
void RenderSceneRows(const Scene& scene, Frame& frame, int rowBegin, int rowEnd);

// RenderScene on two threads: the caller draws the top half while a worker
// of its own draws the bottom half. One Render at a time.
class ParallelRenderer {
 public:
  ParallelRenderer();
  ~ParallelRenderer();
  ParallelRenderer(const ParallelRenderer&) = delete;
  ParallelRenderer& operator=(const ParallelRenderer&) = delete;

  void Render(const Scene& scene, Frame& frame);

 private:
  void Work();

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
