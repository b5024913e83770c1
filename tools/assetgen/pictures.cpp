// Every picture of the game. The game shrinks most of them (0.2 to 0.45),
// tints the white ones and adds the glows, so shapes are bold and outlined.
#include "assets.h"

#include <cmath>

namespace {

constexpr float Pi = float(M_PI);

const Rgba White = Colour(255, 255, 255);
const Rgba Ink = Colour(30, 20, 40);
const Rgba Pink = Colour(255, 120, 170);
const Rgba Skin = Colour(255, 214, 178);
const Rgba Hair = Colour(120, 70, 35);

Point At(Point p, float angleDegrees, float distance) {
    float a = angleDegrees * Pi / 180;
    return {p.x + std::cos(a) * distance, p.y + std::sin(a) * distance};
}

Point Offset(Point p, float dx, float dy) { return {p.x + dx, p.y + dy}; }

// A soft blush: pink fading to nothing.
void Blush(Canvas& c, Point centre, float rx, float ry, float strength) {
    c.FillEllipse(centre, rx, ry, 0,
                  [=](float x, float y) {
                      float dx = (x - centre.x) / rx, dy = (y - centre.y) / ry;
                      float t = std::min(1.0f, std::sqrt(dx * dx + dy * dy));
                      Rgba p = Pink;
                      p.a = strength * (1 - t * t);
                      return p;
                  });
}

// ---- The fish's face marks: white strokes over its tinted head -------------------

void FishFace(Canvas& c, int expression, float x0) {
    Point mouth{x0 + 150, 205};
    Paint line = Solid(White);
    switch (expression) {
    case 0:  // flat line
        c.StrokePolyline({Offset(mouth, -55, 0), Offset(mouth, 55, 0)}, 16, line);
        break;
    case 1:  // smile with pink cheeks
        Blush(c, {x0 + 62, 170}, 38, 26, 0.85f);
        Blush(c, {x0 + 238, 170}, 38, 26, 0.85f);
        c.StrokePolyline(QuadraticCurve(Offset(mouth, -60, -15), Offset(mouth, 0, 45), Offset(mouth, 60, -15)), 16, line);
        break;
    case 2:  // slanted line
        c.StrokePolyline({Offset(mouth, -55, 12), Offset(mouth, 55, -14)}, 16, line);
        break;
    case 3:  // small smile over a large blush
        Blush(c, {x0 + 150, 185}, 125, 65, 0.7f);
        c.StrokePolyline(QuadraticCurve(Offset(mouth, -28, -8), Offset(mouth, 0, 22), Offset(mouth, 28, -8)), 13, line);
        break;
    case 4:  // open square mouth in a pink glow
        c.FillCircle(mouth, 95, RadialGradient(mouth, 95, Colour(255, 120, 170, 0.9f), Colour(255, 120, 170, 0)));
        c.FillPolygon({Offset(mouth, -42, -30), Offset(mouth, 42, -30), Offset(mouth, 42, 34), Offset(mouth, -42, 34)}, Solid(Colour(60, 10, 40)));
        c.StrokePolyline({Offset(mouth, -42, -30), Offset(mouth, 42, -30), Offset(mouth, 42, 34), Offset(mouth, -42, 34), Offset(mouth, -42, -30)}, 12, line);
        break;
    default:  // open mouth with squint marks
        c.StrokePolyline({{x0 + 50, 95}, {x0 + 95, 120}, {x0 + 50, 145}}, 14, line);
        c.StrokePolyline({{x0 + 250, 95}, {x0 + 205, 120}, {x0 + 250, 145}}, 14, line);
        c.FillEllipse(Offset(mouth, 0, 8), 38, 30, 0, Solid(Colour(60, 10, 40)));
        c.StrokeArc(Offset(mouth, 0, 8), 36, 0, 360, 12, line);
        break;
    }
}

Canvas FishHead() {
    Canvas c(1800, 300);
    for (int i = 0; i < 6; ++i) FishFace(c, i, i * 300.0f);
    return c;
}

Canvas FishTail() {
    Canvas c(150, 150);
    std::vector<Point> fin = CubicCurve({75, 8}, {40, 40}, {10, 95}, {18, 142});
    auto lower = CubicCurve({18, 142}, {50, 120}, {100, 120}, {132, 142});
    auto right = CubicCurve({132, 142}, {140, 95}, {110, 40}, {75, 8});
    fin.insert(fin.end(), lower.begin(), lower.end());
    fin.insert(fin.end(), right.begin(), right.end());
    c.FillPolygon(fin, LinearGradient({75, 8}, {75, 142}, Colour(255, 255, 255), Colour(215, 215, 225)));
    for (int ray = -2; ray <= 2; ++ray)
        c.StrokePolyline(QuadraticCurve({75, 20}, {75 + ray * 14.0f, 80}, {75 + ray * 26.0f, 132}), 4,
                         Solid(Colour(190, 190, 205, 0.8f)));
    return c;
}

// ---- The character ----------------------------------------------------------------

void Eye(Canvas& c, Point p, float r) {
    c.FillCircle(p, r, Solid(Ink));
    c.FillCircle(Offset(p, -r * 0.35f, -r * 0.35f), r * 0.35f, Solid(White));
}

void Cross(Canvas& c, Point p, float r, float width) {
    c.StrokePolyline({Offset(p, -r, -r), Offset(p, r, r)}, width, Solid(Ink));
    c.StrokePolyline({Offset(p, -r, r), Offset(p, r, -r)}, width, Solid(Ink));
}

void MeFace(Canvas& c, int face, float x0) {
    Point centre{x0 + 75, 75};
    c.FillCircle(centre, 52, Solid(Ink));
    c.FillCircle(centre, 48, RadialGradient(Offset(centre, -12, -10), 60, Skin, Colour(240, 180, 140)));
    // Hair over the back half of the head, with a fringe.
    std::vector<Point> hair = CubicCurve(Offset(centre, -50, 5), Offset(centre, -55, -60), Offset(centre, 55, -60), Offset(centre, 50, 5));
    auto fringe = CubicCurve(Offset(centre, 50, 5), Offset(centre, 30, -25), Offset(centre, -10, -10), Offset(centre, -50, 5));
    hair.insert(hair.end(), fringe.begin(), fringe.end());
    c.FillPolygon(hair, LinearGradient(Offset(centre, 0, -50), Offset(centre, 0, 5), Colour(150, 90, 45), Hair));
    Point left = Offset(centre, -18, 14), right = Offset(centre, 18, 14), mouth = Offset(centre, 0, 34);
    Blush(c, Offset(centre, -30, 28), 10, 6, 0.5f);
    Blush(c, Offset(centre, 30, 28), 10, 6, 0.5f);
    Paint ink = Solid(Ink);
    switch (face) {
    case 0:  // smile
        Eye(c, left, 6), Eye(c, right, 6);
        c.StrokePolyline(QuadraticCurve(Offset(mouth, -12, -3), Offset(mouth, 0, 8), Offset(mouth, 12, -3)), 4, ink);
        break;
    case 1:  // kiss
        c.StrokePolyline(QuadraticCurve(Offset(left, -6, 0), Offset(left, 0, -6), Offset(left, 6, 0)), 3.5f, ink);
        Eye(c, right, 6);
        c.StrokeArc(mouth, 5, 0, 360, 3.5f, Solid(Colour(200, 40, 80)));
        break;
    case 2:  // laugh with squeezed eyes
        c.StrokePolyline({Offset(left, -7, -5), Offset(left, 4, 0), Offset(left, -7, 5)}, 3.5f, ink);
        c.StrokePolyline({Offset(right, 7, -5), Offset(right, -4, 0), Offset(right, 7, 5)}, 3.5f, ink);
        c.FillPolygon(QuadraticCurve(Offset(mouth, -14, -6), Offset(mouth, 0, 18), Offset(mouth, 14, -6)), Solid(Colour(150, 30, 50)));
        break;
    case 3:  // surprise
        Eye(c, left, 7.5f), Eye(c, right, 7.5f);
        c.FillEllipse(mouth, 6, 8, 0, Solid(Colour(150, 30, 50)));
        break;
    case 4:  // grimace with crossed eyes
        Eye(c, Offset(left, 4, 0), 5), Eye(c, Offset(right, -4, 0), 5);
        c.StrokePolyline({Offset(mouth, -14, 0), Offset(mouth, -7, -4), Offset(mouth, 0, 2), Offset(mouth, 7, -4), Offset(mouth, 14, 0)}, 3.5f, ink);
        break;
    case 5:  // fainted with x eyes
        Cross(c, left, 5.5f, 3.5f), Cross(c, right, 5.5f, 3.5f);
        c.StrokePolyline({Offset(mouth, -8, 0), Offset(mouth, 8, 0)}, 3.5f, ink);
        break;
    default:  // sad
        Eye(c, left, 5.5f), Eye(c, right, 5.5f);
        c.StrokePolyline(QuadraticCurve(Offset(mouth, -11, 5), Offset(mouth, 0, -6), Offset(mouth, 11, 5)), 4, ink);
        c.FillEllipse(Offset(left, -2, 12), 2.5f, 4, 0, Solid(Colour(120, 190, 255)));
        break;
    }
}

Canvas MeHead() {
    Canvas c(1050, 150);
    for (int i = 0; i < 7; ++i) MeFace(c, i, i * 150.0f);
    return c;
}

Canvas Helmet() {
    Canvas c(150, 150);
    Point centre{75, 75};
    c.FillCircle(centre, 70, RadialGradient(centre, 70, Colour(200, 240, 255, 0.05f), Colour(200, 240, 255, 0.22f)));
    c.StrokeArc(centre, 68, 0, 360, 6, Solid(Colour(255, 255, 255, 0.95f)));
    c.StrokeArc(centre, 62, 0, 360, 2, Solid(Colour(180, 230, 255, 0.5f)));
    c.StrokeArc(centre, 54, 200, 250, 9, Solid(Colour(255, 255, 255, 0.75f)));
    c.FillCircle({42, 38}, 5, Solid(Colour(255, 255, 255, 0.9f)));
    return c;
}

// Arms of a breaststroke seen from above: the phase 0..1 runs one stroke.
void Arms(Canvas& c, float x0, float reach, float sweep, float bend) {
    Paint sleeve = Solid(Colour(120, 60, 170));
    Paint outline = Solid(Ink);
    for (int side : {-1, 1}) {
        Point shoulder{x0 + 75 + side * 24.0f, 70};
        Point hand{x0 + 75 + side * sweep, 70 - reach};
        Point elbow{(shoulder.x + hand.x) / 2 + side * bend, (shoulder.y + hand.y) / 2 + bend * 0.4f};
        c.StrokePolyline({shoulder, elbow, hand}, 16, outline);
        c.StrokePolyline({shoulder, elbow, hand}, 11, sleeve);
        c.FillCircle(hand, 10, outline);
        c.FillCircle(hand, 7.5f, Solid(Colour(255, 150, 190)));
    }
}

void Torso(Canvas& c, float x0) {
    c.FillEllipse({x0 + 75, 82}, 31, 40, 0, Solid(Ink));
    c.FillEllipse({x0 + 75, 82}, 28, 37, 0, RadialGradient({x0 + 68, 74}, 44, Colour(170, 100, 220), Colour(110, 50, 160)));
    c.StrokePolyline({{x0 + 62, 100}, {x0 + 88, 100}}, 3, Solid(Colour(90, 40, 130)));
}

Canvas MeBody() {
    Canvas c(2550, 150);
    for (int frame = 0; frame < 17; ++frame) {
        float x0 = frame * 150.0f;
        float reach, sweep, bend;
        if (frame < 15) {
            float phase = frame / 15.0f * 2 * Pi;
            reach = 38 + 22 * std::cos(phase);   // forward and back
            sweep = 30 + 28 * std::sin(phase) * std::sin(phase) + 8 * (1 - std::cos(phase));
            bend = 14 * std::sin(phase);
        } else if (frame == 15) {  // caught: arms thrown wide
            reach = 10, sweep = 68, bend = -6;
        } else {  // holding on: both hands forward together
            reach = 62, sweep = 10, bend = 4;
        }
        Torso(c, x0);
        Arms(c, x0, reach, sweep, bend);
    }
    return c;
}

Canvas MeLegs() {
    Canvas c(1200, 100);
    for (int frame = 0; frame < 12; ++frame) {
        float x0 = frame * 100.0f;
        for (int side : {-1, 1}) {
            // Each foot goes round a small loop: down and out, then up and in.
            float phase = frame / 10.0f * 2 * Pi + (side > 0 ? Pi : 0);
            float kick = std::sin(phase), swing = std::cos(phase);
            float spread = 10;
            if (frame == 10) kick = 0, swing = 0, spread = 26;  // caught
            if (frame == 11) kick = 0.3f, swing = 0, spread = 5;  // holding
            Point hip{x0 + 50 + side * 11.0f, 8};
            Point knee{x0 + 50 + side * (13 + spread * 0.5f + 2 * swing), 45 + 6 * kick};
            Point foot{x0 + 50 + side * (12 + spread + 4 * swing), 80 + 10 * kick};
            c.StrokePolyline({hip, knee, foot}, 17, Solid(Ink));
            c.StrokePolyline({hip, knee, foot}, 13, LinearGradient(Offset(hip, -side * 6.0f, 0), Offset(hip, side * 6.0f, 0), Colour(240, 90, 40), Colour(90, 220, 230)));
            c.StrokePolyline({hip, knee, foot}, 7, Solid(Colour(235, 85, 40)));
            c.FillEllipse(Offset(foot, 0, 6), 8, 11, side * swing * 12, Solid(Ink));
            c.FillEllipse(Offset(foot, 0, 6), 6, 9, side * swing * 12, Solid(Colour(255, 220, 60)));
        }
    }
    return c;
}

// ---- Glows ------------------------------------------------------------------------

Canvas Glow(int width, int height) {
    Canvas c(width, height);
    Point centre{width / 2.0f, height / 2.0f};
    float rx = width / 2.0f, ry = height / 2.0f;
    c.FillEllipse(centre, rx, ry, 0, [=](float x, float y) {
        float dx = (x - centre.x) / rx, dy = (y - centre.y) / ry;
        float t = std::min(1.0f, std::sqrt(dx * dx + dy * dy));
        float falloff = (1 - t) * (1 - t);
        return Rgba{1, 1, 1, falloff * falloff * 0.6f + falloff * 0.4f};
    });
    return c;
}

// ---- The maze's balls and sparks ----------------------------------------------------

void BallFace(Canvas& c, int face, float x0) {
    Point centre{x0 + 25, 25};
    Rgba base = face == 2 ? Colour(235, 70, 60) : face == 3 ? Colour(255, 140, 190) : Colour(175, 180, 190);
    Rgba shade = face == 2 ? Colour(150, 30, 30) : face == 3 ? Colour(200, 80, 140) : Colour(100, 105, 120);
    c.FillCircle(centre, 23, Solid(Ink));
    c.FillCircle(centre, 20.5f, RadialGradient(Offset(centre, -6, -7), 26, base, shade));
    c.FillCircle(Offset(centre, -8, -9), 4, Solid(Colour(255, 255, 255, 0.7f)));
    Point left = Offset(centre, -7, -1), right = Offset(centre, 7, -1), mouth = Offset(centre, 0, 9);
    Paint ink = Solid(Ink);
    switch (face) {
    case 0:  // calm
        c.FillCircle(left, 2.5f, ink), c.FillCircle(right, 2.5f, ink);
        c.StrokePolyline(QuadraticCurve(Offset(mouth, -5, -1), Offset(mouth, 0, 3), Offset(mouth, 5, -1)), 2, ink);
        break;
    case 1:  // x-eyed
        Cross(c, left, 3, 2), Cross(c, right, 3, 2);
        c.StrokePolyline({Offset(mouth, -5, 0), Offset(mouth, 5, 0)}, 2, ink);
        break;
    case 2:  // angry
        c.StrokePolyline({Offset(left, -5, -6), Offset(left, 3, -2)}, 2.5f, ink);
        c.StrokePolyline({Offset(right, 5, -6), Offset(right, -3, -2)}, 2.5f, ink);
        c.FillCircle(Offset(left, 0, 1), 2.5f, ink), c.FillCircle(Offset(right, 0, 1), 2.5f, ink);
        c.StrokePolyline(QuadraticCurve(Offset(mouth, -6, 2), Offset(mouth, 0, -4), Offset(mouth, 6, 2)), 2.5f, ink);
        break;
    case 3:  // shouting
        c.FillCircle(left, 2.5f, ink), c.FillCircle(right, 2.5f, ink);
        c.FillEllipse(Offset(mouth, 0, 1), 6, 6.5f, 0, Solid(Colour(110, 20, 50)));
        break;
    default:  // sleepy
        c.StrokePolyline({Offset(left, -3.5f, 0), Offset(left, 3.5f, 0)}, 2, ink);
        c.StrokePolyline({Offset(right, -3.5f, 0), Offset(right, 3.5f, 0)}, 2, ink);
        c.FillCircle(mouth, 2, ink);
        break;
    }
}

Canvas Ball() {
    Canvas c(250, 50);
    for (int i = 0; i < 5; ++i) BallFace(c, i, i * 50.0f);
    return c;
}

// Strokes run across each cell from its left edge to its right, since the
// game stretches a cell between two points.
Canvas Sparks(uint32_t seed, bool zigzag) {
    Canvas c(500, 50);
    Dice dice(seed);
    for (int cell = 0; cell < 10; ++cell) {
        float x0 = cell * 50.0f;
        std::vector<Point> points;
        if (zigzag) {
            float x = 0;
            while (x < 50) {
                points.push_back({x0 + x, 25 + dice.Between(-13, 13)});
                x += dice.Between(5, 11);
            }
            points.push_back({x0 + 50, 25});
        } else {
            float phase = dice.Between(0, 2 * Pi), waves = dice.Between(1.2f, 2.4f), amplitude = dice.Between(5, 10);
            for (int i = 0; i <= 40; ++i) {
                float t = i / 40.0f;
                points.push_back({x0 + 50 * t, 25 + amplitude * std::sin(phase + t * waves * 2 * Pi)});
            }
        }
        c.StrokePolyline(points, 7, Solid(Colour(255, 255, 255, 0.35f)));
        c.StrokePolyline(points, 3, Solid(White));
    }
    return c;
}

Canvas Eye() {
    Canvas c(200, 150);
    for (float x : {52.0f, 148.0f}) {
        Point centre{x, 78};
        c.FillCircle(centre, 40, RadialGradient(Offset(centre, -10, -12), 50, Colour(40, 40, 55), Colour(5, 5, 10)));
        c.FillEllipse(Offset(centre, -13, -15), 12, 8, -30, Solid(Colour(255, 255, 255, 0.95f)));
        c.FillCircle(Offset(centre, 14, 16), 5, Solid(Colour(255, 255, 255, 0.55f)));
    }
    return c;
}

Canvas EyeBackground() {
    Canvas c(180, 180);
    std::vector<Point> half;
    for (int i = 0; i <= 64; ++i) {
        float a = Pi + Pi * i / 64;
        half.push_back({90 + 88 * std::cos(a), 90 + 88 * std::sin(a)});
    }
    c.FillPolygon(half, Solid(White));
    return c;
}

// ---- The clock dial -------------------------------------------------------------------

Rgba Hue(float degrees) {
    float h = std::fmod(degrees / 60.0f, 6.0f);
    float x = 1 - std::fabs(std::fmod(h, 2.0f) - 1);
    float r = 0, g = 0, b = 0;
    if (h < 1) r = 1, g = x; else if (h < 2) r = x, g = 1; else if (h < 3) g = 1, b = x;
    else if (h < 4) g = x, b = 1; else if (h < 5) r = x, b = 1; else r = 1, b = x;
    return {0.25f + 0.75f * r, 0.25f + 0.75f * g, 0.25f + 0.75f * b, 1};
}

Canvas Clock() {
    Canvas c(100, 100);
    Point centre{50, 50};
    c.FillCircle(centre, 48, Solid(Ink));
    c.FillCircle(centre, 45, [=](float x, float y) {
        float angle = std::atan2(x - centre.x, -(y - centre.y)) * 180 / Pi;
        Rgba hue = Hue(angle + 360);
        float t = std::hypot(x - centre.x, y - centre.y) / 45;
        return Rgba{hue.r + (1 - hue.r) * (1 - t) * 0.6f, hue.g + (1 - hue.g) * (1 - t) * 0.6f,
                    hue.b + (1 - hue.b) * (1 - t) * 0.6f, 1};
    });
    for (int hour = 0; hour < 12; ++hour)
        c.FillCircle(At(centre, hour * 30.0f - 90, 39), hour % 3 ? 2.5f : 3.5f, Solid(Ink));
    return c;
}

Canvas ClockCursor() {
    Canvas c(100, 100);
    Paint dark = Solid(Colour(40, 25, 50));
    c.StrokePolyline({{50, 52}, {50, 12}}, 5, dark);
    c.FillPolygon({{50, 4}, {59, 18}, {41, 18}}, dark);
    c.FillCircle({50, 52}, 8, dark);
    c.FillCircle({50, 52}, 6, Solid(Colour(255, 220, 40)));
    c.FillCircle({48, 51}, 0.9f, dark), c.FillCircle({52, 51}, 0.9f, dark);
    c.StrokePolyline(QuadraticCurve({47.5f, 53.5f}, {50, 55.5f}, {52.5f, 53.5f}), 0.9f, dark);
    return c;
}

Canvas LittleCursor() {
    Canvas c(100, 100);
    c.StrokePolyline({{50, 50}, {50, 20}}, 3, Solid(Colour(80, 30, 100)));
    return c;
}

}  // namespace

std::vector<Picture> MakePictures(const FontFace& chalk) {
    std::vector<Picture> pictures;
    auto add = [&](const char* name, Canvas canvas) { pictures.push_back({name, std::move(canvas)}); };
    add("fish_head.png", FishHead());
    add("fish_tail.png", FishTail());
    add("me_head.png", MeHead());
    add("helmet.png", Helmet());
    add("me_body.png", MeBody());
    add("me_legs.png", MeLegs());
    add("light.png", Glow(269, 260));
    add("big_light.png", Glow(500, 250));
    add("ball.png", Ball());
    add("lightning.png", Sparks(17, true));
    add("neon.png", Sparks(29, false));
    add("eye.png", Eye());
    add("eye_bg.png", EyeBackground());
    add("clock.png", Clock());
    add("clock_cursor.png", ClockCursor());
    add("little_cursor.png", LittleCursor());
    add("goal.png", Goal(chalk));
    return pictures;
}
