// Pictures, fonts and meshes made in the tests themselves, so the engine's
// tests do not depend on tools/assetgen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/image.h"

namespace spriteengine::testing {

// The quad mesh of formats.h, as text.
std::string SpriteMeshText();

// A w x h picture of one straight-alpha ARGB colour.
Image SolidImage(int w, int h, uint32_t argb);

// A soft round white particle (alpha falls off from the centre).
Image SoftParticleImage(int size);

// A ".wid" font: lineHeight 40 px, every printable glyph a solid 24 x 32 px
// block 4 px below the line top, advance 24 px (1.2 units at scale 1);
// the space has no cell.
std::vector<uint8_t> BlockFontBytes();

// Writes bytes to a file; aborts the test on failure.
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFile(const std::string& path, const std::string& text);

// A fresh folder under the system temp folder.
std::string MakeTempFolder(const std::string& prefix);

}  // namespace spriteengine::testing
