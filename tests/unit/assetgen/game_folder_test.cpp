// The game folder as the build leaves it: every file the game's code names
// and every file of the manifest is there, decodes, and has its size.
#include <gtest/gtest.h>
#include <spriteengine/formats.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "asset_readers.h"
#include "manifest.h"
#include "source_scan.h"

namespace assetgen::test {
namespace {

namespace fmt = spriteengine::formats;

std::string GamePath(const std::string& relative) { return std::string(VARNOK_GAME_DIR) + "/" + relative; }

std::vector<std::string> ManifestPaths() {
  std::vector<std::string> paths;
  for (const Asset& a : Manifest()) paths.push_back(a.path);
  return paths;
}

std::vector<const Asset*> OfKind(AssetKind kind) {
  std::vector<const Asset*> out;
  for (const Asset& a : Manifest()) {
    if (a.kind == kind) out.push_back(&a);
  }
  return out;
}

TEST(GameFolder, EveryFileTheGameCodeNamesIsGenerated) {
  const auto named = ScanSourceTree(std::string(VARNOK_SOURCE_DIR) + "/src");
  const auto paths = ManifestPaths();
  for (const NamedFile& n : named) {
    const auto matches = Resolve(n, paths);
    EXPECT_FALSE(matches.empty()) << n.where << " names \"" << n.name << "\", which the generator does not make";
    for (const auto& m : matches) EXPECT_TRUE(std::filesystem::exists(GamePath(m))) << m << " (" << n.where << ")";
  }
}

TEST(GameFolder, ManifestNamesAreUniqueIgnoringCase) {
  std::vector<std::string> lower;
  for (const auto& p : ManifestPaths()) {
    std::string l = p;
    std::transform(l.begin(), l.end(), l.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    lower.push_back(l);
  }
  std::sort(lower.begin(), lower.end());
  EXPECT_EQ(std::adjacent_find(lower.begin(), lower.end()), lower.end());
}

TEST(GameFolder, PicturesDecodeAtTheirManifestSize) {
  for (const Asset& a : Manifest()) {
    if (!a.isPicture()) continue;
    ASSERT_TRUE(a.pixelScale == 1 || a.pixelScale == 2) << a.path;
    Image img;
    std::string why;
    const bool ok = a.kind == AssetKind::Jpeg ? DecodeJpeg(GamePath(a.path), img, why) : DecodePng(GamePath(a.path), img, why);
    ASSERT_TRUE(ok) << a.path << ": " << why;
    EXPECT_EQ(img.width, a.fileWidth()) << a.path;
    EXPECT_EQ(img.height, a.fileHeight()) << a.path;
  }
}

TEST(GameFolder, PicturesAreNotBlank) {
  for (const Asset& a : Manifest()) {
    if (a.kind != AssetKind::Png) continue;
    Image img;
    std::string why;
    ASSERT_TRUE(DecodePng(GamePath(a.path), img, why)) << a.path;
    const size_t drawn = std::count_if(img.pixels.begin(), img.pixels.end(), [](uint32_t p) { return (p >> 24) > 0; });
    EXPECT_GT(drawn, img.pixels.size() / 100) << a.path << " is (almost) empty";
  }
}

TEST(GameFolder, LeftFacingFramesMirrorTheirRightFrames) {
  int pairs = 0;
  for (const Asset& a : Manifest()) {
    if (a.mirrorOf.empty()) continue;
    ++pairs;
    Image left, right;
    std::string why;
    ASSERT_TRUE(DecodePng(GamePath(a.path), left, why)) << a.path;
    ASSERT_TRUE(DecodePng(GamePath(a.mirrorOf), right, why)) << a.mirrorOf;
    ASSERT_EQ(left.width, right.width);
    ASSERT_EQ(left.height, right.height);
    bool same = true;
    for (int y = 0; y < left.height && same; ++y) {
      for (int x = 0; x < left.width && same; ++x) {
        same = left.pixels[y * left.width + x] == right.pixels[y * right.width + (right.width - 1 - x)];
      }
    }
    EXPECT_TRUE(same) << a.path << " is not the mirror of " << a.mirrorOf;
  }
  // The hero's 30 pairs and every terrorist frame.
  EXPECT_GE(pairs, 30 + 8 + 9 + 9 + 7 + 7 + 7 + 8);
}

TEST(GameFolder, SoundsAreClean16BitPcmOfSaneLength) {
  const auto sounds = OfKind(AssetKind::Wav);
  ASSERT_GE(sounds.size(), 24u);
  for (const Asset* a : sounds) {
    Pcm pcm;
    std::string why;
    ASSERT_TRUE(DecodeWav(GamePath(a->path), pcm, why)) << a->path << ": " << why;
    EXPECT_EQ(pcm.sampleRate, 44100) << a->path;
    EXPECT_EQ(pcm.bitsPerSample, 16) << a->path;
    EXPECT_GE(pcm.seconds(), kSoundMinSeconds) << a->path;
    EXPECT_LE(pcm.seconds(), kSoundMaxSeconds) << a->path;
    int peak = 0;
    for (int16_t s : pcm.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32000) << a->path << " clips";
    EXPECT_GT(peak, 3000) << a->path << " is nearly silent";
  }
}

// A sound that repeats must not jump between its last and first sample more
// than it moves from one sample to the next anywhere inside (noise moves a
// lot, a click more); a one-shot must start and end at rest.
TEST(GameFolder, SoundsStartAndEndWithoutAClick) {
  constexpr int kRest = 1500;  // about -27 dB of full scale
  for (const Asset* a : OfKind(AssetKind::Wav)) {
    Pcm pcm;
    std::string why;
    ASSERT_TRUE(DecodeWav(GamePath(a->path), pcm, why)) << a->path;
    ASSERT_GT(pcm.samples.size(), 2u);
    const int first = pcm.samples.front(), last = pcm.samples.back();
    if (a->loops) {
      std::vector<int> steps;
      for (size_t i = 1; i < pcm.samples.size(); ++i) steps.push_back(std::abs(pcm.samples[i] - pcm.samples[i - 1]));
      std::sort(steps.begin(), steps.end());
      const int typicalLargeStep = steps[steps.size() * 99 / 100];
      EXPECT_LE(std::abs(last - first), std::max(kRest, typicalLargeStep)) << a->path << " clicks at its loop point";
    } else {
      EXPECT_LT(std::abs(first), kRest) << a->path;
      EXPECT_LT(std::abs(last), kRest) << a->path;
    }
  }
}

TEST(GameFolder, MusicDecodesAsLoopsOfOneToTwoMinutes) {
  const auto music = OfKind(AssetKind::Ogg);
  ASSERT_EQ(music.size(), 2u);
  for (const Asset* a : music) {
    Pcm pcm;
    std::string why;
    ASSERT_TRUE(DecodeOgg(GamePath(a->path), pcm, why)) << a->path << ": " << why;
    EXPECT_EQ(pcm.sampleRate, 44100) << a->path;
    EXPECT_GE(pcm.seconds(), kMusicMinSeconds) << a->path;
    EXPECT_LE(pcm.seconds(), kMusicMaxSeconds) << a->path;
    // The tune wraps round: its end flows into its start.
    const size_t ch = static_cast<size_t>(pcm.channels);
    for (size_t c = 0; c < ch; ++c) {
      const int first = pcm.samples[c], last = pcm.samples[pcm.samples.size() - ch + c];
      EXPECT_LT(std::abs(last - first), 4000) << a->path << " channel " << c;
    }
  }
}

TEST(GameFolder, FontsHoldPrintableAsciiWithTheTextMetrics) {
  for (const Asset* a : OfKind(AssetKind::Font)) {
    const auto bytes = ReadAll(GamePath(a->path));
    ASSERT_GE(bytes.size(), sizeof(fmt::WidHeader)) << a->path;
    fmt::WidHeader h;
    std::memcpy(&h, bytes.data(), sizeof h);
    EXPECT_EQ(std::memcmp(h.magic, fmt::kWidMagic, 4), 0) << a->path;
    EXPECT_EQ(h.version, fmt::kWidVersion);
    EXPECT_EQ(h.firstChar, 32);
    ASSERT_EQ(h.glyphCount, 95);
    ASSERT_EQ(bytes.size(), sizeof h + 95 * sizeof(fmt::WidGlyph) + size_t{h.atlasWidth} * h.atlasHeight) << a->path;
    double capsAdvance = 0;
    int tallest = 0;
    for (int i = 0; i < 95; ++i) {
      fmt::WidGlyph g;
      std::memcpy(&g, bytes.data() + sizeof h + i * sizeof g, sizeof g);
      EXPECT_LE(g.x + g.width, h.atlasWidth) << a->path << " glyph " << i + 32;
      EXPECT_LE(g.y + g.height, h.atlasHeight) << a->path << " glyph " << i + 32;
      const char ch = static_cast<char>(32 + i);
      if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) capsAdvance += g.advance;
      if (ch >= 'A' && ch <= 'Z') tallest = std::max(tallest, static_cast<int>(g.height));
      if (ch != ' ') {
        EXPECT_GT(g.width, 0) << a->path << " glyph '" << ch << "' is empty";
      }
    }
    // lineHeight pixels are 2 units: a capital advances about 1.2 units and
    // stands most of a line tall.
    const double unitsPerPixel = 2.0 / h.lineHeight;
    EXPECT_NEAR(capsAdvance / 36 * unitsPerPixel, 1.2, 0.1) << a->path;
    EXPECT_GT(tallest * unitsPerPixel, 1.2) << a->path;
    EXPECT_LT(tallest * unitsPerPixel, 2.2) << a->path;
  }
}

TEST(GameFolder, ParticleTexturesAreUncompressedDds) {
  for (const Asset* a : OfKind(AssetKind::Particle)) {
    const auto bytes = ReadAll(GamePath(a->path));
    ASSERT_GE(bytes.size(), 4 + sizeof(fmt::DdsHeader)) << a->path;
    EXPECT_EQ(std::memcmp(bytes.data(), fmt::kDdsMagic, 4), 0);
    fmt::DdsHeader h;
    std::memcpy(&h, bytes.data() + 4, sizeof h);
    EXPECT_EQ(h.size, 124u);
    EXPECT_EQ(h.flags & 0x100Fu, 0x100Fu);
    EXPECT_EQ(h.pixelFormat.flags, 0x41u);
    EXPECT_EQ(h.pixelFormat.rgbBitCount, 32u);
    EXPECT_EQ(h.pixelFormat.aMask, 0xFF000000u);
    EXPECT_EQ(static_cast<int>(h.width), a->width);
    EXPECT_EQ(static_cast<int>(h.height), a->height);
    EXPECT_EQ(bytes.size(), 4 + sizeof h + size_t{h.width} * h.height * 4);
    // Soft: transparent corners, opaque middle.
    const size_t pixels = 4 + sizeof h;
    EXPECT_EQ(bytes[pixels + 3], 0) << a->path;
    const size_t middle = pixels + (size_t{h.height} / 2 * h.width + h.width / 2) * 4;
    EXPECT_GT(bytes[middle + 3], 200) << a->path;
  }
}

TEST(GameFolder, SpriteMeshIsOneQuadInTextForm) {
  std::ifstream in(GamePath("data/sprite.x"));
  std::stringstream text;
  text << in.rdbuf();
  const std::string mesh = text.str();
  EXPECT_EQ(mesh.rfind(fmt::kMeshHeader, 0), 0u);
  EXPECT_NE(mesh.find("4;"), std::string::npos);
  EXPECT_NE(mesh.find("3;0,1,2;,"), std::string::npos);
  EXPECT_NE(mesh.find("3;0,2,3;;"), std::string::npos);
  EXPECT_NE(mesh.find("MeshTextureCoords"), std::string::npos);
}

// Reads the promotion screen's file line by line as the game does.
TEST(GameFolder, PromotionConfigFollowsTheLineFormatAndNamesShippedFiles) {
  std::ifstream in(GamePath("wdata/config.ini"));
  ASSERT_TRUE(in) << "wdata/config.ini missing";
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  size_t at = 0;
  auto numbers = [&](size_t count) {
    std::vector<int> values;
    if (at >= lines.size()) {
      ADD_FAILURE() << "file ends at line " << at + 1;
      return values;
    }
    std::istringstream s(lines[at++]);
    for (int v; s >> v;) values.push_back(v);
    EXPECT_EQ(values.size(), count) << "line " << at << ": " << lines[at - 1];
    return values;
  };
  auto file = [&]() {
    if (at >= lines.size()) {
      ADD_FAILURE() << "file ends at line " << at + 1;
      return;
    }
    std::string name = lines[at++];
    EXPECT_EQ(name.find('\r'), std::string::npos);
    std::replace(name.begin(), name.end(), '\\', '/');
    EXPECT_TRUE(std::filesystem::exists(GamePath(name))) << "line " << at << " names missing " << name;
  };
  auto rect = [&]() {
    const auto r = numbers(4);
    if (r.size() == 4) {
      EXPECT_GE(r[0], 0);
      EXPECT_GE(r[1], 0);
      EXPECT_LE(r[0] + r[2], 800);
      EXPECT_LE(r[1] + r[3], 600);
    }
  };
  const auto count = numbers(1);
  ASSERT_EQ(count.size(), 1u);
  ASSERT_GE(count[0], 1);
  file();
  for (int b = 1; b < count[0]; ++b) {
    rect();
    rect();
    file();
    file();
    file();
  }
  rect();
  rect();
  rect();
  file();
  file();
  file();
  numbers(2);
  const auto start = numbers(1);
  ASSERT_EQ(start.size(), 1u);
  EXPECT_EQ(start[0], 5);
  const auto colour = numbers(3);
  for (int c : colour) EXPECT_TRUE(c >= 0 && c <= 255);
  ASSERT_LT(at, lines.size());
  if (lines[at++] == "TRUE") numbers(1);
  EXPECT_EQ(at, lines.size()) << "lines left over";
}

TEST(GameFolder, ShortcutsAreInternetShortcutFiles) {
  for (const char* name : {"play.url", "moregames.url"}) {
    std::ifstream in(GamePath(name));
    ASSERT_TRUE(in) << name;
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first.rfind("[InternetShortcut]", 0), 0u) << name;
    EXPECT_EQ(second.rfind("URL=https://", 0), 0u) << name;
  }
}

}  // namespace
}  // namespace assetgen::test
