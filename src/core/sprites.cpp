#include "core/sprites.h"

#include <vector>

#include "core/game_context.h"
#include "core/game_files.h"

namespace app {

EHandle MakeSprite(const SpriteSpec& spec) {
  const SharedResources& res = Ctx().res;
  const EHandle camera = spec.camera.value_or(res.mainCamera);
  EHandle sprite;
  if (spec.meshResource) {
    const std::vector<uint8_t>& mesh = res.spriteMesh;
    sprite = iSpriteCreateFromMemory(mesh.data(), static_cast<int32_t>(mesh.size()), 0, 0, *spec.meshResource, camera);
  } else {
    sprite = iSpriteCreate(kSpriteMesh, camera);
  }
  if (spec.textureFile != nullptr) {
    iSpriteTextureSet(sprite, iTextureCreate(spec.textureFile));
  } else if (spec.texture) {
    iSpriteTextureSet(sprite, *spec.texture);
  }
  if (spec.scale.given) SetSpriteScale(sprite, spec.scale.x, spec.scale.y);
  if (spec.location.given) SetSpriteLocation(sprite, spec.location.x, spec.location.y);
  if (spec.priority) iSpritePrioritySet(sprite, *spec.priority);
  if (spec.mipFilter) iSpriteMipFilterModeSet(sprite, *spec.mipFilter);
  if (spec.textureMode) iSpriteTextureModeSet(sprite, *spec.textureMode);
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
