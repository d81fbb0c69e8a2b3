// CreateImageSprite: a sprite of a mesh file with one texture and a scale;
// every menu builds its pictures with it.
#pragma once

#include "engine_link/engine_calls.h"

namespace app {

EHandle CreateImageSprite(const char* meshFile, const char* textureFile, float width, float height);

// Location and scale setters that take plain numbers.
void SetSpriteLocation(EHandle sprite, float x, float y);
void SetSpriteScale(EHandle sprite, float width, float height);

}  // namespace app
