// Test pictures made with libpng and libjpeg directly, in memory.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Rows of `samples` laid out as libpng expects for the colour type and depth.
Bytes EncodePng(int width, int height, int colourType, int bitDepth, const Bytes& samples,
                const std::vector<uint8_t>& paletteRgb = {}, const Bytes& transparency = {});
// 1 (grey), 3 (RGB) or 4 (CMYK) components.
Bytes EncodeJpeg(int width, int height, int components, const Bytes& samples, int quality = 95);
