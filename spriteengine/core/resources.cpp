#include "resources.h"

#include "game_path.h"

namespace spriteengine {

namespace {
std::span<const uint8_t> BytesOf(const void* bytes, int size) {
  if (!bytes || size <= 0) return {};
  return {static_cast<const uint8_t*>(bytes), static_cast<size_t>(size)};
}
}  // namespace

std::string MemoryKey(const void* bytes, int size, int resourceId) {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (uint8_t b : BytesOf(bytes, size)) hash = (hash ^ b) * 1099511628211ull;
  return "mem:" + std::to_string(resourceId) + ":" + std::to_string(size) + ":" + std::to_string(hash);
}

std::shared_ptr<const TextureData> Resources::DecodePicture(std::span<const uint8_t> bytes, const std::string& what) {
  std::optional<Image> image = ReadDds(bytes);
  if (!image && decoder_ && !bytes.empty()) {
    image = decoder_(bytes);
    if (image) Premultiply(*image);
  }
  if (!image || image->width <= 0 || image->height <= 0) {
    Warn("cannot decode picture " + what + "; showing a checker");
    return nullptr;
  }
  return std::make_shared<TextureData>(BuildTexture(std::move(*image), 0));
}

std::shared_ptr<const TextureData> Resources::Texture(
    const std::string& key, int mipLevels, const std::function<std::shared_ptr<const TextureData>()>& decode) {
  std::string textureKey = key + "#mips=" + std::to_string(mipLevels);
  return textures_.Get(textureKey, [&]() -> std::shared_ptr<const TextureData> {
    std::shared_ptr<const TextureData> chain = pictures_.Get(key, decode);
    if (!chain) {
      auto checker = std::make_shared<TextureData>(BuildTexture(MakeCheckerImage(), mipLevels));
      checker->placeholder = true;
      return checker;
    }
    return std::make_shared<TextureData>(FirstLevels(*chain, mipLevels));
  });
}

std::shared_ptr<const TextureData> Resources::PictureFromFile(const std::string& gameFile, int mipLevels) {
  std::optional<std::string> path = ResolveGamePath(gameFile);
  std::string key = "file:" + (path ? *path : SlashPath(gameFile));
  return Texture(key, mipLevels, [&]() -> std::shared_ptr<const TextureData> {
    std::optional<std::vector<uint8_t>> bytes = path ? ReadWholeFile(*path) : std::nullopt;
    if (!bytes) {
      Warn("cannot read picture '" + gameFile + "'; showing a checker");
      return nullptr;
    }
    return DecodePicture(*bytes, "'" + gameFile + "'");
  });
}

std::shared_ptr<const PendingPicture> Resources::PictureLater(const std::string& gameFile, int mipLevels) {
  return loader_.Load([this, gameFile, mipLevels] { return PictureFromFile(gameFile, mipLevels); });
}

std::shared_ptr<const TextureData> Resources::PictureFromMemory(const void* bytes, int size, int resourceId,
                                                                int mipLevels) {
  return Texture(MemoryKey(bytes, size, resourceId), mipLevels, [&] {
    return DecodePicture(BytesOf(bytes, size), "resource " + std::to_string(resourceId));
  });
}

std::shared_ptr<const MeshQuad> Resources::Mesh(const std::string& key, const std::string& what,
                                                const std::function<std::optional<std::vector<uint8_t>>()>& read) {
  return meshes_.Get(key, [&]() -> std::shared_ptr<const MeshQuad> {
    std::optional<std::vector<uint8_t>> bytes = read();
    if (!bytes) {
      Warn("cannot read mesh " + what + "; using the unit quad");
      return std::make_shared<MeshQuad>(DefaultMeshQuad());
    }
    std::string error;
    std::optional<struct Mesh> mesh = ParseMesh(*bytes, &error);
    std::optional<MeshQuad> quad = mesh ? QuadOfMesh(*mesh) : std::nullopt;
    if (!quad) {
      Warn("bad mesh " + what + " (" + (error.empty() ? "degenerate quad" : error) + "); using the unit quad");
      return std::make_shared<MeshQuad>(DefaultMeshQuad());
    }
    return std::make_shared<MeshQuad>(*quad);
  });
}

std::shared_ptr<const MeshQuad> Resources::MeshFromFile(const std::string& gameFile) {
  std::optional<std::string> path = ResolveGamePath(gameFile);
  return Mesh("file:" + (path ? *path : SlashPath(gameFile)), "'" + gameFile + "'",
              [&] { return path ? ReadWholeFile(*path) : std::nullopt; });
}

std::shared_ptr<const MeshQuad> Resources::MeshFromMemory(const void* bytes, int size, int resourceId) {
  return Mesh(MemoryKey(bytes, size, resourceId), "resource " + std::to_string(resourceId), [&] {
    std::span<const uint8_t> span = BytesOf(bytes, size);
    return std::optional<std::vector<uint8_t>>(std::vector<uint8_t>(span.begin(), span.end()));
  });
}

std::shared_ptr<const Font> Resources::FontFromFile(const std::string& gameFile, int mipLevels) {
  std::optional<std::string> path = ResolveGamePath(gameFile);
  std::string key = "file:" + (path ? *path : SlashPath(gameFile)) + "#mips=" + std::to_string(mipLevels);
  return fonts_.Get(key, [&]() -> std::shared_ptr<const Font> {
    std::optional<std::vector<uint8_t>> bytes = path ? ReadWholeFile(*path) : std::nullopt;
    if (!bytes) {
      Warn("cannot read font '" + gameFile + "'; its prints show nothing");
      return nullptr;
    }
    std::string error;
    std::optional<Font> font = ParseWid(*bytes, mipLevels, &error);
    if (!font) {
      Warn("bad font '" + gameFile + "' (" + error + "); its prints show nothing");
      return nullptr;
    }
    return std::make_shared<Font>(std::move(*font));
  });
}

}  // namespace spriteengine
