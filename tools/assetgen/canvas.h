// A small anti-aliased drawing kit for the asset generator: shapes are tested
// at 4 x 4 points per pixel and composited source-over onto a float canvas.
#pragma once

#include "image/image.h"

#include <cstdint>
#include <functional>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};

constexpr Rgba Colour(int r, int g, int b, float a = 1) { return {r / 255.f, g / 255.f, b / 255.f, a}; }

struct Point {
    float x = 0, y = 0;
};

// Seeded, so every run draws the same bytes.
class Dice {
public:
    explicit Dice(uint32_t seed) : state(seed ? seed : 1) {}
    float Unit();  // [0, 1)
    float Between(float low, float high) { return low + (high - low) * Unit(); }

private:
    uint32_t state;
};

using Paint = std::function<Rgba(float x, float y)>;
Paint Solid(Rgba colour);
// From `inner` at the centre to `outer` at the radius (and beyond).
Paint RadialGradient(Point centre, float radius, Rgba inner, Rgba outer);
Paint LinearGradient(Point from, Point to, Rgba start, Rgba end);

class Canvas {
public:
    Canvas(int width, int height);

    void FillCircle(Point centre, float radius, const Paint& paint);
    void FillEllipse(Point centre, float rx, float ry, float degrees, const Paint& paint);
    void FillPolygon(const std::vector<Point>& points, const Paint& paint);
    // A thick stroke with round caps and joins.
    void StrokePolyline(const std::vector<Point>& points, float width, const Paint& paint);
    void StrokeArc(Point centre, float radius, float fromDegrees, float toDegrees, float width,
                   const Paint& paint);
    // Coverage 0..1 per pixel (for example rendered text), painted at (x, y).
    void FillCoverage(const std::vector<float>& coverage, int width, int height, int x, int y,
                      const Paint& paint);
    // Multiplies alpha by `keep(x, y)` in 0..1.
    void Erase(const std::function<float(float x, float y)>& keep);
    void Paste(const Canvas& source, int x, int y);

    PixmapRef ToPixmap() const;  // RGBA, straight alpha
    int Width() const { return width; }
    int Height() const { return height; }

private:
    using Inside = std::function<bool(float x, float y)>;
    void Fill(float left, float top, float right, float bottom, const Inside& inside,
              const Paint& paint);
    void Blend(int x, int y, Rgba colour, float coverage);

    int width, height;
    std::vector<Rgba> pixels;  // premultiplied
};

std::vector<Point> QuadraticCurve(Point a, Point control, Point b, int steps = 24);
std::vector<Point> CubicCurve(Point a, Point c1, Point c2, Point b, int steps = 32);
