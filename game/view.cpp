// The world view, world-space drawing helpers, jitter and the lightning.
#include "game/world.h"

#include <cmath>
#include <cstring>

namespace kelp {

namespace {

float zoom = 1;
tvector centre;
tvector screenCentre;

}  // namespace

void setViewZoom(float z) { zoom = z; }
void setViewCentre(tvector point) { centre = point; }
void setScreenCentre(tvector point) { screenCentre = point; }
float viewZoom() { return zoom; }
tvector viewCentre() { return centre; }

tvector worldToScreen(tvector p) { return add(scale(sub(p, centre), zoom), screenCentre); }

void drawImageAt(const ImageRef& image, tvector position, float rotation, int frame) {
    float sx = 1, sy = 1;
    GetDrawScale(sx, sy);
    SetDrawScale(sx * zoom, sy * zoom);
    SetDrawRotation(rotation);
    tvector at = worldToScreen(position);
    DrawImageAt(image, at.x, at.y, frame);
    SetDrawRotation(0);
    SetDrawScale(sx, sy);
}

void drawQuadAt(tvector p1, tvector p2, tvector p3, tvector p4) {
    tvector a = worldToScreen(p1), b = worldToScreen(p2), c = worldToScreen(p3), d = worldToScreen(p4);
    FillPolygon({a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y});
}

void drawDiscAt(tvector c, float radius) {
    float sx = 1, sy = 1;
    GetDrawScale(sx, sy);
    SetDrawScale(sx * zoom, sy * zoom);
    tvector at = worldToScreen(c);
    FillEllipse(at.x - radius * sx * zoom, at.y - radius * sy * zoom, 2 * radius, 2 * radius);
    SetDrawScale(sx, sy);
}

void setUniformScale(float s) { SetDrawScale(s, s); }

void resetDrawState() {
    SetDrawColor(255, 255, 255);
    SetDrawScale(1, 1);
    SetDrawAlpha(1);
    SetBlendMode(BLEND_ALPHA);
    SetDrawRotation(0);
}

tcolor newColor(float r, float g, float b) { return {r, g, b}; }

void applyColor(const tcolor& c) {
    SetDrawColor(TruncToInt(c.r * 255), TruncToInt(c.g * 255), TruncToInt(c.b * 255));
}

tvector randomJitter(float r) {
    float u2 = RandomUnitFloat();
    float u1 = RandomUnitFloat();
    return {(u1 - 0.5f) * 2 * r, (u2 - 0.5f) * 2 * r};
}

float loudnessAt(float onScreenDistance) {
    float range = GetScreenWidth() / 2.0f + 200;
    return onScreenDistance < range ? 1 - onScreenDistance / range : 0;
}

namespace {

// A bolt's jags and flips come from dice of its own, seeded by where
// it runs and the moment, which is the same for BoltHoldFrames frames of game
// time. Bolts redrawn with fresh jags every frame lit and darkened a sixth of
// level 1's screen five times a second, over the photosensitivity limit of
// three; held for three frames they crackle ten times a second, and no level
// flashes more than twice. Calm lights hold them for ten.
constexpr int BoltHoldFrames = 3, CalmBoltHoldFrames = 10;

bool lightsCalm = false;

class BoltDice {
public:
    BoltDice(tvector a, tvector b) {
        long moment = std::lround(LEVEL_CLOCK->elapsed * 30) / (lightsCalm ? CalmBoltHoldFrames : BoltHoldFrames);
        state = uint64_t(moment) * 0x9E3779B97F4A7C15ull;
        for (float f : {a.x, a.y, b.x, b.y}) {
            uint32_t bits = 0;
            std::memcpy(&bits, &f, sizeof bits);
            state = (state ^ bits) * 0xBF58476D1CE4E5B9ull;
        }
    }
    // In [0, 1).
    float unit() {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return float((z ^ (z >> 31)) >> 40) / float(1 << 24);
    }
    int between(int low, int high) { return low + int(unit() * float(high - low + 1)); }
    // Each component in [-r, r).
    tvector jitter(float r) {
        float y = unit(), x = unit();
        return {(x - 0.5f) * 2 * r, (y - 0.5f) * 2 * r};
    }

private:
    uint64_t state;
};

void drawBolt(tvector p, tvector q, bool red, BoltDice& dice);

}  // namespace

void drawBlueLightning(tvector a, tvector b, float jag, bool startExact, bool endExact) {
    BoltDice dice(a, b);
    tvector d = sub(b, a);
    tvector n = normalize(d);
    float l = length(d);
    if (l < jag) jag = l / 2;
    setUniformScale(1);
    tvector start = startExact ? a : add(a, dice.jitter(jag / 4));
    int count = TruncToInt(l / 75 - 1);
    for (int i = 1; i <= count; ++i) {
        tvector next = add(dice.jitter(jag / 4), add(a, scale(n, 75.0f * i)));
        drawBolt(start, next, false, dice);
        start = next;
    }
    drawBolt(start, endExact ? b : add(b, dice.jitter(jag * 0.75f)), false, dice);
}

void drawRedLightning(tvector a, tvector b, float jag, bool startExact, bool endExact) {
    BoltDice dice(a, b);
    SetBlendMode(BLEND_ADD);
    tvector d = sub(b, a);
    tvector n = normalize(d);
    float l = length(d);
    if (l < jag) jag = l / 2;
    tvector start = startExact ? a : add(a, dice.jitter(jag * 1.5f));
    SetDrawAlpha(0.9f);
    int count = TruncToInt(l / 50 - 1);
    for (int i = 1; i <= count; ++i) {
        float w = jag;
        // The shaking grows from an exact end over the first segments.
        if (startExact && 2.0f * i < jag) w = 2.0f * i;
        if (endExact && jag > (l / jag - i) * 2) w = (l / jag - i) * 2;
        SetBlendMode(BLEND_ADD);
        tvector next = add(dice.jitter(w * 1.5f), add(a, scale(n, 50.0f * i)));
        drawBolt(start, next, true, dice);
        start = next;
    }
    drawBolt(start, endExact ? b : add(b, dice.jitter(jag * 1.5f)), true, dice);
}

namespace {

bool lightsAtFullCost = false;

// A bolt's glow: faint, flickering light around a point. Gathered, the glows
// of a frame are drawn at low resolution with the next frame's backdrop.
struct Glow {
    tvector at;
    float scale, alpha;
    int32_t red, green, blue;
};

std::array<Glow, 4096> glows;
int glowCount = 0;

void DrawGlow(const Glow& glow) {
    SetDrawColor(glow.red, glow.green, glow.blue);
    SetDrawScale(glow.scale, glow.scale);
    SetDrawAlpha(glow.alpha);
    drawImageAt(light, glow.at, 0, 0);
}

}  // namespace

void addGlow(tvector at, float scale, float alpha) {
    Glow glow{at, scale, alpha, 0, 0, 0};
    GetDrawColor(glow.red, glow.green, glow.blue);
    if (!lightsAtFullCost && glowCount < int(glows.size()))
        glows[glowCount++] = glow;
    else
        DrawGlow(glow);
}

namespace {

// Calm bolts are drawn at half contrast: a red one once, not twice over.
constexpr float CalmBoltAlpha = 0.5f;

void drawBolt(tvector p, tvector q, bool red, BoltDice& dice) {
    tvector d = sub(q, p);
    float rotation = -heading(d) - 90 + 180.0f * float(dice.between(0, 1));
    SetDrawScale((length(d) + 30) / 50, 0.8f);
    tvector middle = scale(add(p, q), 0.5f);
    if (red) {
        SetDrawAlpha(lightsCalm ? CalmBoltAlpha : 1);
        int frame = dice.between(1, 9);
        drawImageAt(lightning, middle, rotation, frame);
        if (!lightsCalm) drawImageAt(lightning, middle, rotation, frame);
    } else {
        if (lightsCalm) SetDrawAlpha(CalmBoltAlpha);
        drawImageAt(neon, middle, rotation, dice.between(1, 4));
    }
    // The glows are faint enough to flicker every frame; calm ones hold their
    // mean, at a quarter and three quarters of the bolt.
    float r = steadyOr(RandomUnitFloat(), 0.5f);
    float alpha = steadyOr(RandomUnitFloat(), 0.5f) * (red ? 0.1f : 0.05f);
    for (int i = 0; i < 2; ++i) {
        float t = steadyOr(RandomUnitFloat(), i ? 0.75f : 0.25f);
        addGlow(add(scale(p, t), scale(q, 1 - t)), r, alpha);
    }
    SetDrawScale(1, 1);
    SetDrawAlpha(1);
}

}  // namespace

void setFullCostLights(bool on) { lightsAtFullCost = on; }
void setCalmLights(bool on) { lightsCalm = on; }
bool calmLights() { return lightsCalm; }
float steadyOr(float flickering, float steady) { return lightsCalm ? steady : flickering; }
bool fullCostLights() { return lightsAtFullCost; }

void forgetGlows() { glowCount = 0; }

void drawGlows() {
    SetBlendMode(BLEND_ADD);
    for (int i = 0; i < glowCount; ++i) DrawGlow(glows[i]);
    resetDrawState();
}

}  // namespace kelp
