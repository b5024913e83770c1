#include "tools/colours/maze_colours.h"

#include "game/game.h"

#include <algorithm>
#include <cmath>
#include <functional>

using namespace kelp;

namespace kelp_vision {

namespace {

constexpr int Screen = 800;
// How much a pixel must change to be the thing's rather than its glow's.
constexpr double MinChange = 10;
constexpr uint32_t Deal = 4660;

// Which pixels of the frame belong to the thing, by their screen position.
using Footprint = std::function<bool(tvector)>;

tvector ToScreen(tvector world) { return worldToScreen(world); }

Footprint Disc(tvector centre, float radius) {
    tvector at = ToScreen(centre);
    float r = radius * viewZoom();
    return [at, r](tvector p) { return distanceSquared(p, at) <= r * r; };
}

// The middle three fifths of a beam, `band` world units either side: its
// balls and their glows are left out.
Footprint Band(const tbeam& beam, float band) {
    tvector a = ToScreen(beam.ballA->position), b = ToScreen(beam.ballB->position);
    tvector d = sub(b, a);
    float length2 = dot(d, d), width = band * viewZoom();
    return [a, d, length2, width](tvector p) {
        float t = dot(sub(p, a), d) / length2;
        if (t < 0.2f || t > 0.8f) return false;
        return distanceSquared(p, add(a, scale(d, t))) <= width * width;
    };
}

void SavePictures(const TPixmap& shot, const std::string& folder, const std::string& name) {
    for (Vision vision : Visions) {
        PixmapRef seen = shot.Duplicate();
        for (int y = 0; y < seen->height; ++y) {
            uint8_t* row = seen->pixels + size_t(y) * size_t(seen->pitch);
            for (int x = 0; x < seen->width; ++x) {
                uint8_t* p = row + 4 * x;
                Linear c = seenAs(vision, fromSrgb(p[0], p[1], p[2]));
                auto encode = [](double v) {
                    double s = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
                    return uint8_t(std::lround(std::clamp(s, 0.0, 1.0) * 255));
                };
                p[0] = encode(c.r), p[1] = encode(c.g), p[2] = encode(c.b);
            }
        }
        SavePixelMapPng(*seen, folder + "/" + name + "-" + std::string(nameOf(vision)) + ".png", 6);
    }
}

PixmapRef DrawAround(Level& level, tvector at, int32_t seed) {
    setViewCentre(at);
    // Twice from the same dice: a frame's glows are drawn with the next one's backdrop.
    for (int pass = 0; pass < 2; ++pass) {
        SetRandomSeed(seed);
        level.draw();
        FinishDrawing();
    }
    return ReadScreenPixels(0, 0, Screen, Screen);
}

// The level drawn centred on `at` as the game draws it, and again with the
// thing hidden by `show(false)`: the thing is the pixels of the footprint it
// changes.
SeenThing Look(Level& level, const std::string& name, const std::string& shape, tvector at, const std::function<void(bool)>& show,
               const std::function<Footprint()>& footprint, const std::string& pictures) {
    int32_t seed = GetRandomSeed();
    PixmapRef without = (show(false), DrawAround(level, at, seed));
    PixmapRef with = (show(true), DrawAround(level, at, seed));
    Footprint inside = footprint();
    SeenThing thing{name, shape, {}};
    for (int y = 0; y < Screen; ++y) {
        const uint8_t* row = with->pixels + size_t(y) * size_t(with->pitch);
        const uint8_t* bare = without->pixels + size_t(y) * size_t(without->pitch);
        for (int x = 0; x < Screen; ++x) {
            Linear seen = fromSrgb(row[4 * x], row[4 * x + 1], row[4 * x + 2]);
            Linear under = fromSrgb(bare[4 * x], bare[4 * x + 1], bare[4 * x + 2]);
            if (inside({float(x), float(y)}) && colourDistance(seen, under) > MinChange) thing.pixels.push_back(seen);
        }
    }
    if (!pictures.empty()) SavePictures(*with, pictures, name);
    return thing;
}

void StepUntil(Level& level, const std::function<bool()>& done) {
    for (int frame = 0; frame < 30 * 60 && (frame < 30 || !done()); ++frame) level.step({{0, 0}, false});
}

template <class Beam>
Beam* FindBeam(bool (*wanted)(const Beam&)) {
    for (int i = 0; i <= LAST_BEAM; ++i) {
        auto* beam = dynamic_cast<Beam*>(BEAMS[size_t(i)].get());
        if (beam && !beam->ballA->hidden && !beam->ballB->hidden && wanted(*beam)) return beam;
    }
    return nullptr;
}

// A ball showing `face`, on no beam's middle and away from the goal's sign.
tBall* FindBall(int face) {
    for (int i = 0; i <= LAST_BALL; ++i) {
        tBall& ball = *BALLS[size_t(i)];
        if (!ball.hidden && ball.face == face && ball.shownState == BALL_IDLE && distance(ball.position, GOAL->position) > 400)
            return &ball;
    }
    return nullptr;
}

constexpr float BallRadius = 14, GoalRadius = 200, BoltBand = 12;

tvector Middle(const tbeam& beam) { return scale(add(beam.ballA->position, beam.ballB->position), 0.5f); }

bool Firing(const tredbeam& beam) { return beam.state == RED_FIRING; }
bool Lit(const tbluebeam& beam) { return beam.lit; }

}  // namespace

std::vector<SeenThing> lookAtMazeThings(const std::string& pictures) {
    std::vector<SeenThing> things;
    {
        Level bright(5, Deal);
        StepUntil(bright, [] { return FindBeam<tredbeam>(Firing); });
        if (auto* red = FindBeam<tredbeam>(Firing))
            things.push_back(Look(bright, "red-beam", "bolt", Middle(*red), [red](bool on) { red->state = on ? RED_FIRING : RED_OFF; },
                                  [red] { return Band(*red, BoltBand); }, pictures));
        if (auto* blue = FindBeam<tbluebeam>(Lit))
            things.push_back(Look(bright, "blue-beam", "bolt", Middle(*blue), [blue](bool on) { blue->lit = on; },
                                  [blue] { return Band(*blue, BoltBand); }, pictures));
        if (tBall* lit = FindBall(FACE_LIT))
            things.push_back(Look(bright, "lit-ball", "ball", lit->position, [lit](bool on) { lit->hidden = !on; },
                                  [lit] { return Disc(lit->position, BallRadius); }, pictures));
        tvector goal = GOAL->position;
        things.push_back(Look(bright, "goal", "sign", goal, [goal](bool on) { GOAL->position = on ? goal : tvector{1e6f, 1e6f}; },
                              [goal] { return Disc(goal, GoalRadius); }, pictures));
    }
    Level dark(4, Deal);
    StepUntil(dark, [] { return FindBall(FACE_DIM) != nullptr; });
    if (tBall* unlit = FindBall(FACE_DIM))
        things.push_back(Look(dark, "unlit-ball", "ball", unlit->position, [unlit](bool on) { unlit->hidden = !on; },
                              [unlit] { return Disc(unlit->position, BallRadius); }, pictures));
    return things;
}

Linear colourOf(const SeenThing& thing, Vision vision) {
    std::vector<Linear> pixels = thing.pixels;
    auto brighter = pixels.begin() + std::ptrdiff_t(pixels.size() / 2);
    std::nth_element(pixels.begin(), brighter, pixels.end(),
                     [](const Linear& a, const Linear& b) { return luminance(a) > luminance(b); });
    Linear sum;
    for (auto p = pixels.begin(); p < brighter; ++p) {
        Linear seen = seenAs(vision, *p);
        sum.r += seen.r, sum.g += seen.g, sum.b += seen.b;
    }
    double n = std::max<double>(1, double(brighter - pixels.begin()));
    return {sum.r / n, sum.g / n, sum.b / n};
}

}  // namespace kelp_vision
