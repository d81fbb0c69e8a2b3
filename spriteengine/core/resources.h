// Pictures, meshes and fonts by file or from memory, each decoded once per
// process (docs/architecture.md). A missing or corrupt picture gives the magenta
// checker, a bad mesh the unit quad, a bad font nothing; each with one
// warning line on standard error.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "decode_cache.h"
#include "font.h"
#include "image.h"
#include "mesh.h"
#include "picture_loader.h"

namespace spriteengine {

class Resources {
 public:
  // PNG/JPEG decoder for what is not our DDS (straight alpha out).
  using PictureDecoder = std::function<std::optional<Image>(std::span<const uint8_t>)>;
  explicit Resources(PictureDecoder decoder) : decoder_(std::move(decoder)) {}

  std::shared_ptr<const TextureData> PictureFromFile(const std::string& gameFile, int mipLevels);
  // PictureFromFile, run later by the loader or by the first thread that needs it.
  std::shared_ptr<const PendingPicture> PictureLater(const std::string& gameFile, int mipLevels);
  std::shared_ptr<const TextureData> PictureFromMemory(const void* bytes, int size, int resourceId, int mipLevels);
  std::shared_ptr<const MeshQuad> MeshFromFile(const std::string& gameFile);
  std::shared_ptr<const MeshQuad> MeshFromMemory(const void* bytes, int size, int resourceId);
  std::shared_ptr<const Font> FontFromFile(const std::string& gameFile, int mipLevels);

  // Pictures decoded so far, once every picture asked for has been.
  int PictureDecodes() const {
    loader_.Settle();
    return pictures_.DecodeCount();
  }

 private:
  std::shared_ptr<const TextureData> DecodePicture(std::span<const uint8_t> bytes, const std::string& what);
  std::shared_ptr<const TextureData> Texture(const std::string& key, int mipLevels,
                                             const std::function<std::shared_ptr<const TextureData>()>& decode);
  std::shared_ptr<const MeshQuad> Mesh(const std::string& key, const std::string& what,
                                       const std::function<std::optional<std::vector<uint8_t>>()>& read);

  PictureDecoder decoder_;
  DecodeOnceCache<TextureData> pictures_;  // decoded pictures with their full mip chain (nullptr: failed)
  DecodeOnceCache<TextureData> textures_;  // the levels one mip setting uses, shared with pictures_
  DecodeOnceCache<MeshQuad> meshes_;
  DecodeOnceCache<Font> fonts_;
  mutable PictureLoader loader_;  // last: its thread stops before the caches go
};

// Key of in-memory bytes: the resource id, size and a hash of the bytes.
std::string MemoryKey(const void* bytes, int size, int resourceId);

}  // namespace spriteengine
