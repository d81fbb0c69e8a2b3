#include "core/sprites.h"

#include <vector>

#include "core/game_context.h"
#include "core/game_files.h"

namespace core {

EHandle MakeSprite(const SpriteSetup& setup) {
  const SharedResources& res = Ctx().res;
  const EHandle camera = setup.camera.value_or(res.mainCamera);
  EHandle sprite;
  if (setup.meshResource) {
    const std::vector<uint8_t>& mesh = res.spriteMesh;
    sprite = iSpriteCreateFromMemory(mesh.data(), static_cast<int32_t>(mesh.size()), 0, 0, *setup.meshResource, camera);
  } else {
    sprite = iSpriteCreate(kSpriteMesh, camera);
  }
  if (setup.textureFile != nullptr) {
    iSpriteTextureSet(sprite, iTextureCreate(setup.textureFile));
  } else if (setup.texture) {
    iSpriteTextureSet(sprite, *setup.texture);
  }
  if (setup.scale.given) SetSpriteScale(sprite, setup.scale.x, setup.scale.y);
  if (setup.location.given) SetSpriteLocation(sprite, setup.location.x, setup.location.y);
  if (setup.priority) iSpritePrioritySet(sprite, *setup.priority);
  if (setup.mipFilter) iSpriteMipFilterModeSet(sprite, *setup.mipFilter);
  if (setup.textureMode) iSpriteTextureModeSet(sprite, *setup.textureMode);
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

}  // namespace core
