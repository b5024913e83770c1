#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int Samples = 4;

float DistanceToSegment(Point p, Point a, Point b) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float lengthSquared = dx * dx + dy * dy;
    float t = lengthSquared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0;
    t = std::clamp(t, 0.0f, 1.0f);
    float ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

bool InsidePolygon(const std::vector<Point>& polygon, float x, float y) {
    bool inside = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

Rgba Mix(Rgba a, Rgba b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

}  // namespace

float Dice::Unit() {
    // xorshift32
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return (state >> 8) / 16777216.0f;
}

Paint Solid(Rgba colour) {
    return [colour](float, float) { return colour; };
}

Paint RadialGradient(Point centre, float radius, Rgba inner, Rgba outer) {
    return [=](float x, float y) {
        float t = std::hypot(x - centre.x, y - centre.y) / radius;
        return Mix(inner, outer, std::min(t, 1.0f));
    };
}

Paint LinearGradient(Point from, Point to, Rgba start, Rgba end) {
    return [=](float x, float y) {
        float dx = to.x - from.x, dy = to.y - from.y;
        float t = ((x - from.x) * dx + (y - from.y) * dy) / (dx * dx + dy * dy);
        return Mix(start, end, std::clamp(t, 0.0f, 1.0f));
    };
}

Canvas::Canvas(int width, int height)
    : width(width), height(height), pixels(size_t(width) * height) {}

void Canvas::Blend(int x, int y, Rgba c, float coverage) {
    float a = c.a * coverage;
    if (a <= 0) return;
    Rgba& d = pixels[size_t(y) * width + x];
    d.r = c.r * a + d.r * (1 - a);
    d.g = c.g * a + d.g * (1 - a);
    d.b = c.b * a + d.b * (1 - a);
    d.a = a + d.a * (1 - a);
}

void Canvas::Fill(float left, float top, float right, float bottom, const Inside& inside,
                  const Paint& paint) {
    int x0 = std::max(0, int(std::floor(left))), y0 = std::max(0, int(std::floor(top)));
    int x1 = std::min(width - 1, int(std::ceil(right))), y1 = std::min(height - 1, int(std::ceil(bottom)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < Samples; ++sy)
                for (int sx = 0; sx < Samples; ++sx)
                    hits += inside(x + (sx + 0.5f) / Samples, y + (sy + 0.5f) / Samples);
            if (hits) Blend(x, y, paint(x + 0.5f, y + 0.5f), float(hits) / (Samples * Samples));
        }
}

void Canvas::FillCircle(Point c, float radius, const Paint& paint) {
    FillEllipse(c, radius, radius, 0, paint);
}

void Canvas::FillEllipse(Point c, float rx, float ry, float degrees, const Paint& paint) {
    float angle = degrees * float(M_PI) / 180, cs = std::cos(angle), sn = std::sin(angle);
    float reach = std::max(rx, ry);
    Fill(c.x - reach, c.y - reach, c.x + reach, c.y + reach,
         [=](float x, float y) {
             float dx = x - c.x, dy = y - c.y;
             float u = (dx * cs + dy * sn) / rx, v = (-dx * sn + dy * cs) / ry;
             return u * u + v * v <= 1;
         },
         paint);
}

void Canvas::FillPolygon(const std::vector<Point>& points, const Paint& paint) {
    if (points.size() < 3) return;
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (const Point& p : points) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    Fill(left, top, right, bottom, [&](float x, float y) { return InsidePolygon(points, x, y); },
         paint);
}

void Canvas::StrokePolyline(const std::vector<Point>& points, float strokeWidth,
                            const Paint& paint) {
    if (points.empty()) return;
    float r = strokeWidth / 2;
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (const Point& p : points) {
        left = std::min(left, p.x - r), right = std::max(right, p.x + r);
        top = std::min(top, p.y - r), bottom = std::max(bottom, p.y + r);
    }
    Fill(left, top, right, bottom,
         [&](float x, float y) {
             Point p{x, y};
             if (points.size() == 1) return DistanceToSegment(p, points[0], points[0]) <= r;
             for (size_t i = 1; i < points.size(); ++i)
                 if (DistanceToSegment(p, points[i - 1], points[i]) <= r) return true;
             return false;
         },
         paint);
}

void Canvas::StrokeArc(Point c, float radius, float from, float to, float strokeWidth,
                       const Paint& paint) {
    std::vector<Point> points;
    int steps = std::max(8, int(std::fabs(to - from) / 4));
    for (int i = 0; i <= steps; ++i) {
        float angle = (from + (to - from) * i / steps) * float(M_PI) / 180;
        points.push_back({c.x + radius * std::cos(angle), c.y + radius * std::sin(angle)});
    }
    StrokePolyline(points, strokeWidth, paint);
}

void Canvas::FillCoverage(const std::vector<float>& coverage, int w, int h, int x, int y,
                          const Paint& paint) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int px = x + i, py = y + j;
            float c = coverage[size_t(j) * w + i];
            if (c > 0 && px >= 0 && py >= 0 && px < width && py < height)
                Blend(px, py, paint(px + 0.5f, py + 0.5f), c);
        }
}

void Canvas::Erase(const std::function<float(float, float)>& keep) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Rgba& p = pixels[size_t(y) * width + x];
            float k = std::clamp(keep(x + 0.5f, y + 0.5f), 0.0f, 1.0f);
            p.r *= k, p.g *= k, p.b *= k, p.a *= k;
        }
}

void Canvas::Paste(const Canvas& source, int x, int y) {
    for (int j = 0; j < source.height; ++j)
        for (int i = 0; i < source.width; ++i) {
            int px = x + i, py = y + j;
            if (px < 0 || py < 0 || px >= width || py >= height) continue;
            const Rgba& s = source.pixels[size_t(j) * source.width + i];
            Rgba& d = pixels[size_t(py) * width + px];
            d.r = s.r + d.r * (1 - s.a);
            d.g = s.g + d.g * (1 - s.a);
            d.b = s.b + d.b * (1 - s.a);
            d.a = s.a + d.a * (1 - s.a);
        }
}

PixmapRef Canvas::ToPixmap() const {
    PixmapRef map = CreatePixelMap(width, height, FMT_RGBA32, 4);
    auto byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba& p = pixels[size_t(y) * width + x];
            uint8_t* t = map->PixelAddress(x, y);
            float a = p.a;
            t[0] = byte(a > 0 ? p.r / a : 0);
            t[1] = byte(a > 0 ? p.g / a : 0);
            t[2] = byte(a > 0 ? p.b / a : 0);
            t[3] = byte(a);
        }
    return map;
}

std::vector<Point> QuadraticCurve(Point a, Point c, Point b, int steps) {
    std::vector<Point> points;
    for (int i = 0; i <= steps; ++i) {
        float t = float(i) / steps, u = 1 - t;
        points.push_back({u * u * a.x + 2 * u * t * c.x + t * t * b.x,
                          u * u * a.y + 2 * u * t * c.y + t * t * b.y});
    }
    return points;
}

std::vector<Point> CubicCurve(Point a, Point c1, Point c2, Point b, int steps) {
    std::vector<Point> points;
    for (int i = 0; i <= steps; ++i) {
        float t = float(i) / steps, u = 1 - t;
        points.push_back({u * u * u * a.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * b.x,
                          u * u * u * a.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * b.y});
    }
    return points;
}
