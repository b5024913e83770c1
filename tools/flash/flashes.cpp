#include "tools/flash/flashes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace kelp_flash {

namespace {

constexpr float Change = 0.1f, DarkerBelow = 0.8f;
constexpr uint32_t OneSecond = (1u << FlashAnalyser::FramesPerSecond) - 1;

const std::array<float, 256>& Linear() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) {
            double c = i / 255.0;
            t[size_t(i)] = float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return t;
    }();
    return table;
}

int FlashesIn(uint32_t history) { return std::popcount(history & OneSecond) / 2; }

}  // namespace

FlashAnalyser::FlashAnalyser(int width, int height, Field field)
    : width(width), height(height), field(field), pixels(size_t(width) * size_t(height)),
      covered(size_t(width + 1) * size_t(height + 1)) {}

// A transition turns back from the last extreme by the change asked; until
// then the extreme follows the luminance on its way.
void FlashAnalyser::step(Pixel& p, float luminance, bool red) {
    p.general <<= 1, p.red <<= 1;
    if (p.extreme < 0) {
        p.extreme = luminance, p.extremeRed = red;
        return;
    }
    float change = luminance - p.extreme;
    bool further = p.direction > 0 ? change > 0 : p.direction < 0 ? change < 0 : false;
    if (further) {
        p.extreme = luminance, p.extremeRed = red;
        return;
    }
    if (std::fabs(change) < Change || std::min(luminance, p.extreme) >= DarkerBelow) return;
    p.general |= 1;
    if (red || p.extremeRed) p.red |= 1;
    p.direction = change > 0 ? 1 : -1;
    p.extreme = luminance, p.extremeRed = red;
}

void FlashAnalyser::add(const uint8_t* rgba, int pitch) {
    const std::array<float, 256>& linear = Linear();
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rgba + size_t(y) * size_t(pitch);
        for (int x = 0; x < width; ++x) {
            const uint8_t* c = row + 4 * x;
            float luminance = 0.2126f * linear[c[0]] + 0.7152f * linear[c[1]] + 0.0722f * linear[c[2]];
            int sum = c[0] + c[1] + c[2];
            bool red = sum > 0 && c[0] * 5 >= sum * 4;  // R / (R + G + B) >= 0.8
            step(pixels[size_t(y) * size_t(width) + size_t(x)], luminance, red);
        }
    }
    ++frameCount;
    measure(&Pixel::general, general);
    measure(&Pixel::red, red);
    overLimit = std::max(overLimit, densestField(MostFlashesPerSecond + 1, &Pixel::general));
}

int FlashAnalyser::flashesAt(int x, int y) const { return FlashesIn(pixels[size_t(y) * size_t(width) + size_t(x)].general); }

// The most flashes in the second just ended that enough pixels share to
// count; kept when it is the worst yet, or as bad over more of the frame.
void FlashAnalyser::measure(uint32_t Pixel::*history, Worst& worst) {
    int most = 0;
    for (const Pixel& p : pixels) most = std::max(most, FlashesIn(p.*history));
    for (int flashes = most; flashes > 0 && flashes >= worst.flashes; --flashes) {
        if (densestField(flashes, history) < field.share) continue;
        auto flashing = std::count_if(pixels.begin(), pixels.end(),
                                      [&](const Pixel& p) { return FlashesIn(p.*history) >= flashes; });
        double share = double(flashing) / double(pixels.size());
        if (flashes > worst.flashes || share > worst.areaShare) worst = {flashes, frameCount - 1, share};
        return;
    }
}

// The largest share of a field, placed anywhere on the frame, that the pixels
// with at least `atLeast` flashes cover.
double FlashAnalyser::densestField(int atLeast, uint32_t Pixel::*history) {
    size_t stride = size_t(width) + 1;
    for (int y = 0; y < height; ++y) {
        int row = 0;
        for (int x = 0; x < width; ++x) {
            row += FlashesIn(pixels[size_t(y) * size_t(width) + size_t(x)].*history) >= atLeast;
            covered[size_t(y + 1) * stride + size_t(x + 1)] = covered[size_t(y) * stride + size_t(x + 1)] + row;
        }
    }
    int fieldWidth = std::min(field.width, width), fieldHeight = std::min(field.height, height);
    int densest = 0;
    for (int y = fieldHeight; y <= height; ++y)
        for (int x = fieldWidth; x <= width; ++x) {
            int inside = covered[size_t(y) * stride + size_t(x)] - covered[size_t(y - fieldHeight) * stride + size_t(x)] -
                         covered[size_t(y) * stride + size_t(x - fieldWidth)] +
                         covered[size_t(y - fieldHeight) * stride + size_t(x - fieldWidth)];
            densest = std::max(densest, inside);
        }
    return double(densest) / (double(fieldWidth) * fieldHeight);
}

}  // namespace kelp_flash
