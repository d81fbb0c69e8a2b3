#include "core/image_sprite.h"

namespace app {

EHandle CreateImageSprite(const char* meshFile, const char* textureFile, float width, float height) {
  const EHandle sprite = iSpriteCreate(meshFile, 0);
  const EHandle texture = iTextureCreate(textureFile);
  iSpriteTextureSet(sprite, texture);
  SetSpriteScale(sprite, width, height);
  return sprite;
}

void SetSpriteLocation(EHandle sprite, float x, float y) {
  const EngineVec location{x, y, 0};
  iSpriteLocationSet(sprite, &location);
}

void SetSpriteScale(EHandle sprite, float width, float height) {
  const EngineVec scale{width, height, 0};
  iSpriteScaleSet(sprite, &scale);
}

}  // namespace app
