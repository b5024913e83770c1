#include "tools/colours/vision.h"

#include <algorithm>
#include <cmath>

namespace kelp_vision {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

const Matrix Protan = {{{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}};
const Matrix Deutan = {{{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}};
const Matrix Tritan = {{{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}};

double Linearise(uint8_t channel) {
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

struct Lab {
    double l, a, b;
};

double LabCurve(double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; }

Lab ToLab(Linear c) {
    double x = 0.4124 * c.r + 0.3576 * c.g + 0.1805 * c.b;
    double y = 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
    double z = 0.0193 * c.r + 0.1192 * c.g + 0.9505 * c.b;
    double fx = LabCurve(x / 0.95047), fy = LabCurve(y), fz = LabCurve(z / 1.08883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

}  // namespace

std::string_view nameOf(Vision vision) {
    switch (vision) {
    case Vision::Protanopia: return "protanopia";
    case Vision::Deuteranopia: return "deuteranopia";
    case Vision::Tritanopia: return "tritanopia";
    default: return "typical";
    }
}

Linear fromSrgb(uint8_t r, uint8_t g, uint8_t b) { return {Linearise(r), Linearise(g), Linearise(b)}; }

Linear seenAs(Vision vision, Linear c) {
    if (vision == Vision::Typical) return c;
    const Matrix& m = vision == Vision::Protanopia ? Protan : vision == Vision::Deuteranopia ? Deutan : Tritan;
    auto row = [&](int i) { return std::clamp(m[i][0] * c.r + m[i][1] * c.g + m[i][2] * c.b, 0.0, 1.0); };
    return {row(0), row(1), row(2)};
}

double luminance(Linear c) { return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b; }

double colourDistance(Linear a, Linear b) {
    Lab p = ToLab(a), q = ToLab(b);
    return std::hypot(p.l - q.l, p.a - q.a, p.b - q.b);
}

double contrastRatio(Linear a, Linear b) {
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace kelp_vision
