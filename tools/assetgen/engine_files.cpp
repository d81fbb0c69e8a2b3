// The sprite quad mesh and the two particle textures, in the engine's own
// formats (spriteengine/formats.h).
#include <spriteengine/formats.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "art.h"
#include "paint.h"

namespace assetgen {

namespace fmt = spriteengine::formats;

Bytes MakeSpriteMesh() {
  const std::string mesh = std::string(fmt::kMeshHeader) +
                           "\n"
                           "Mesh quad {\n"
                           " 4;\n"
                           " -0.5;-0.5;0.0;,\n"
                           " 0.5;-0.5;0.0;,\n"
                           " 0.5;0.5;0.0;,\n"
                           " -0.5;0.5;0.0;;\n"
                           " 2;\n"
                           " 3;0,1,2;,\n"
                           " 3;0,2,3;;\n"
                           " MeshTextureCoords {\n"
                           "  4;\n"
                           "  0.0;1.0;,\n"
                           "  1.0;1.0;,\n"
                           "  1.0;0.0;,\n"
                           "  0.0;0.0;;\n"
                           " }\n"
                           "}\n";
  return Bytes(mesh.begin(), mesh.end());
}

namespace {

constexpr uint32_t kDdsFlags = 0x100F;        // caps | height | width | pixel format
constexpr uint32_t kDdsPixelFlags = 0x41;     // RGB | alpha pixels
constexpr uint32_t kDdsCapsTexture = 0x1000;
constexpr uint32_t kBitsPerPixel = 32;

template <typename T>
void Append(Bytes& out, const T& value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof(T));
}

// Coverage of a particle at (x, y) in -1..1: a soft disc for flames; for the
// "clot", a denser lumpy cloud of a few overlapping puffs.
double ParticleAlpha(double x, double y, bool clot, const double (*puffs)[3], int puffCount) {
  const double r = std::sqrt(x * x + y * y);
  if (!clot) {
    const double t = std::clamp(1.0 - r, 0.0, 1.0);
    return t * t * (3 - 2 * t);  // smoothstep: no hard rim
  }
  double a = 0;
  for (int i = 0; i < puffCount; ++i) {
    const double dx = x - puffs[i][0], dy = y - puffs[i][1];
    const double t = std::clamp(1.0 - std::sqrt(dx * dx + dy * dy) / puffs[i][2], 0.0, 1.0);
    a = std::max(a, t * t * (3 - 2 * t));
  }
  return std::min(1.0, a * 1.15) * std::clamp((1.0 - r) * 3, 0.0, 1.0);
}

}  // namespace

Bytes MakeParticleTexture(bool clot, int size) {
  fmt::DdsHeader header{};
  header.size = sizeof(fmt::DdsHeader);
  header.flags = kDdsFlags;
  header.height = static_cast<uint32_t>(size);
  header.width = static_cast<uint32_t>(size);
  header.pitch = static_cast<uint32_t>(size) * 4;
  header.pixelFormat.size = sizeof(fmt::DdsPixelFormat);
  header.pixelFormat.flags = kDdsPixelFlags;
  header.pixelFormat.rgbBitCount = kBitsPerPixel;
  header.pixelFormat.rMask = 0x00FF0000;
  header.pixelFormat.gMask = 0x0000FF00;
  header.pixelFormat.bMask = 0x000000FF;
  header.pixelFormat.aMask = 0xFF000000;
  header.caps = kDdsCapsTexture;

  constexpr int kPuffs = 7;
  double puffs[kPuffs][3];
  Rng rng(0xC107);
  for (auto& p : puffs) {
    const double angle = rng.Uniform(0, 2 * M_PI), dist = rng.Uniform(0.05, 0.4);
    p[0] = std::cos(angle) * dist;
    p[1] = std::sin(angle) * dist;
    p[2] = rng.Uniform(0.35, 0.6);
  }

  Bytes out;
  for (char ch : fmt::kDdsMagic) out.push_back(static_cast<uint8_t>(ch));
  Append(out, header);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / size * 2 - 1, v = (y + 0.5) / size * 2 - 1;
      const double a = ParticleAlpha(u, v, clot, puffs, kPuffs);
      // White: the emitter's start and end colours tint it. The clot darkens
      // toward its rim so it reads as smoke wrapped round fire.
      const double shade = clot ? 0.55 + 0.45 * std::clamp(1.0 - std::sqrt(u * u + v * v), 0.0, 1.0) : 1.0;
      const auto c = static_cast<uint8_t>(std::lround(255 * shade));
      out.push_back(c);  // B
      out.push_back(c);  // G
      out.push_back(c);  // R
      out.push_back(static_cast<uint8_t>(std::lround(255 * a)));
    }
  }
  return out;
}

}  // namespace assetgen
