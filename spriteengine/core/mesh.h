// The text quad mesh "data\sprite.x" (formats.h): read and checked, then
// reduced to the affine map from texture coordinates to mesh positions that
// the rasteriser draws.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "geometry.h"

namespace spriteengine {

struct Mesh {
  std::vector<Vec3> vertices;
  std::vector<Vec2> texCoords;          // one per vertex
  std::vector<std::vector<int>> faces;  // vertex indices, 3 or 4 each
};

// position = origin + u * uAxis + v * vAxis for texture coordinates (u, v)
// in [uMin, uMax] x [vMin, vMax]; positions in units of sprite scale.
struct MeshQuad {
  Vec2 origin, uAxis, vAxis;
  float uMin = 0, uMax = 1, vMin = 0, vMax = 1;
};

// Parses the DirectX text layout; nullopt (and `error` set) when the file is
// not one (header, counts, indices, separators).
std::optional<Mesh> ParseMesh(std::span<const uint8_t> bytes, std::string* error = nullptr);

// The quad of a mesh; nullopt when the mesh is degenerate.
std::optional<MeshQuad> QuadOfMesh(const Mesh& mesh);

// The unit quad of formats.h, used when no mesh file can be read.
MeshQuad DefaultMeshQuad();

}  // namespace spriteengine
