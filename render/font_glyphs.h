// The built-in font's glyph designs and the 1536-byte bitmap made from them.
#pragma once

#include <array>
#include <cstdint>

namespace kelp_render {

extern const char* const GlyphDesigns[96];

// 16 rows of 96 bytes; bit k of byte j in row i is column k of row i of the
// glyph for character 32 + j.
std::array<uint8_t, 1536> BuiltInFontBitmap();

}  // namespace kelp_render
