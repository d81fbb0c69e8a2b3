// MakeSprite: every sprite of the game is made here, from the sprite mesh
// file or from the same mesh kept in memory, with what it starts with; and
// setters for a sprite's location and scale that take plain numbers.
#pragma once

#include <cstdint>
#include <optional>

#include "engine_link/engine_calls.h"

namespace core {

// Two numbers for a sprite's scale (width, height) or location (x, y); left
// out when default-made.
struct SpriteXY {
  constexpr SpriteXY() = default;
  constexpr SpriteXY(float first, float second) : x(first), y(second), given(true) {}
  float x = 0, y = 0;
  bool given = false;  // set from two numbers: the sprite gets them
};

// What a new sprite starts with. Whatever is left out stays as the engine
// makes it (hidden, no texture, scale 1, at the origin, priority 0), and the
// caller sets it later. Every field has its own default, so a designated
// initialiser that names a few of them builds without warnings.
struct SpriteSetup {
  // The in-memory copy of the mesh under this resource id; the mesh file when left out.
  std::optional<int32_t> meshResource = std::nullopt;
  std::optional<EHandle> camera = std::nullopt;   // the main camera when left out
  const char* textureFile = nullptr;              // a texture of its own, made right after the sprite
  std::optional<EHandle> texture = std::nullopt;  // a texture made before, set as it is (with no textureFile)
  SpriteXY scale{};
  SpriteXY location{};
  std::optional<int32_t> priority = std::nullopt;
  std::optional<int32_t> mipFilter = std::nullopt;    // iSpriteMipFilterModeSet's mode
  std::optional<int32_t> textureMode = std::nullopt;  // iSpriteTextureModeSet's mode
};

// Makes the sprite, then sets in this order what the setup gives: texture,
// scale, location, priority, mip filter, texture mode. Only a textureFile
// makes another handle, and always after the sprite's own, so handles and
// the creation order (the draw order within a priority) follow the calls.
EHandle MakeSprite(const SpriteSetup& setup);

void SetSpriteLocation(EHandle sprite, float x, float y);
void SetSpriteScale(EHandle sprite, float width, float height);

}  // namespace core
