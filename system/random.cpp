#include "system/system.h"

namespace {

constexpr int32_t Modulus = 2147483647;
constexpr int32_t InitialState = 4660;
int32_t randomState = InitialState;

// Multiplier 48271 by Schrage's method, without 32-bit overflow.
int32_t Step() {
    int32_t s = 48271 * (randomState % 44488) - 3399 * (randomState / 44488);
    if (s < 0) s += Modulus;
    randomState = s;
    return s;
}

}  // namespace

float RandomUnitFloat() { return static_cast<float>(Step() & 0x0FFFFFF0) / 268435456.0f; }

double RandomUnitDouble() {
    double hi = Step() & 0x1FFFFFFC;
    double lo = Step() & 0x1FFFFFF8;
    return (hi + lo / 134217728.0) / 536870912.0;
}

double RandomBetween(double a, double b) {
    if (b > a) return a + RandomUnitDouble() * (b - a);
    return b + RandomUnitDouble() * (a - b);
}

int32_t RandomIntBetween(int32_t a, int32_t b) {
    double span = static_cast<double>(b) - a;
    double r = RandomUnitDouble();
    double v = span > 0 ? r * (span + 1) + a : r * (1 - span) + b;
    return TruncToInt(v);
}

void SetRandomSeed(int32_t seed) {
    randomState = seed & 0x7FFFFFFF;
    if (randomState == 0 || randomState == Modulus) randomState = InitialState;
}

int32_t GetRandomSeed() { return randomState; }
