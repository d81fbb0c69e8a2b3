// Draws a Scene into a Frame with the rasteriser: the one drawing path of
// both backends.
#pragma once

#include "raster.h"
#include "scene.h"

namespace spriteengine {

inline constexpr float kParticleBrightness = 0.12f;  // per-particle intensity of additive fire

// Clears the frame to the scene's clear colour and draws DrawOrder(scene).
void RenderScene(const Scene& scene, Frame& frame);

// The mip level to sample when `texelsPerPixel` texels of level 0 fall on a
// pixel: the level that brings it nearest to, not below, one.
int MipLevelFor(const TextureData& texture, float texelsPerPixel);

}  // namespace spriteengine
