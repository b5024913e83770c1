// Colours as players with the three kinds of dichromacy see them (Machado,
// Oliveira and Fernandes 2009, at full severity, applied to linear RGB), and
// how far apart two colours look (CIE76 distance in CIELAB, D65 white).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kelp_vision {

enum class Vision { Typical, Protanopia, Deuteranopia, Tritanopia };
constexpr std::array<Vision, 4> Visions = {Vision::Typical, Vision::Protanopia, Vision::Deuteranopia,
                                           Vision::Tritanopia};
std::string_view nameOf(Vision vision);

// Linear RGB, each channel 0 to 1.
struct Linear {
    double r = 0, g = 0, b = 0;
};

Linear fromSrgb(uint8_t r, uint8_t g, uint8_t b);
// The colour as seen with `vision`, clipped to what a screen shows.
Linear seenAs(Vision vision, Linear colour);
double luminance(Linear colour);
// CIE76: about 2 is just noticeable side by side; things told apart at a
// glance in play are tens apart.
double colourDistance(Linear a, Linear b);
// WCAG's luminance contrast ratio, 1 to 21.
double contrastRatio(Linear a, Linear b);

}  // namespace kelp_vision
