// The goal: the fish's head must reach it before the deadline; it also draws
// the clock dial in the screen's corner.
#include "game/world.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelp {

GoalRef newGoal(tvector position, float timeLimit) {
    auto g = std::make_shared<tgoal>();
    g->position = position;
    g->mass = 100;
    g->deadline = timeLimit;
    return g;
}

float tgoal::remaining() const { return deadline - LEVEL_CLOCK->elapsed; }

void tgoal::update(float) {
    if (distance(FISH->head->position, position) < 100 + FISH->radii[0] && !LEVEL_ENDING) {
        LEVEL_ENDING = true;
        LEVEL_WON = true;
    }
    if (remaining() < 0) LEVEL_ENDING = true;
}

void tgoal::drawGoal() const {
    SetBlendMode(BLEND_ALPHA);
    applyColor(WHITE);
    setUniformScale(2);
    SetDrawAlpha(1);
    drawImageAt(goal, position, 0, 0);
}

// In the last half minute the dial glows warm, once a second: time running
// out is seen coming, not only found out. Under calm lights it glows steady.
void tgoal::drawClock() const {
    constexpr float HurryAfter = 30;
    resetDrawState();
    float left = remaining();
    if (left > 0 && left < HurryAfter) {
        float pulse = steadyOr(0.5f - 0.5f * std::cos(left * 2 * std::numbers::pi_v<float>), 0.5f);
        SetBlendMode(BLEND_ADD);
        SetDrawColor(255, 120, 40);
        SetDrawAlpha(0.25f + 0.45f * pulse);
        setUniformScale(0.9f);
        DrawImageAt(light, 50, 50, 0);
        resetDrawState();
        SetDrawColor(255, 255 - int(110 * pulse), 255 - int(190 * pulse));
    }
    setUniformScale(0.75f);
    DrawImageAt(clock, 50, 50, 0);
    SetDrawRotation(remaining() / 100 * 360);
    DrawImageAt(little_cursor, 50, 50, 0);
    SetDrawRotation(remaining() / 600 * 360);
    DrawImageAt(clock_cursor, 50, 50, 0);
}

namespace {

constexpr float GoalRadius = 200;  // its sign, drawn at twice its size
constexpr float ArrowInset = 28, ArrowLength = 26, ArrowWidth = 15;

// Where the ray from the screen's centre through `towards` leaves the screen,
// inset by ArrowInset.
tvector EdgePoint(tvector centre, tvector towards) {
    tvector d = sub(towards, centre);
    float halfWidth = centre.x - ArrowInset, halfHeight = centre.y - ArrowInset;
    float reach = std::min(std::abs(d.x) > 0 ? halfWidth / std::abs(d.x) : 1e9f,
                           std::abs(d.y) > 0 ? halfHeight / std::abs(d.y) : 1e9f);
    return add(centre, scale(d, reach));
}

void FillArrow(tvector tip, tvector along, float length, float width) {
    static std::vector<float> corners(6);  // reused: drawing allocates nothing
    tvector across = makeVector(-along.y, along.x);
    tvector back = sub(tip, scale(along, length));
    tvector left = add(back, scale(across, width / 2)), right = sub(back, scale(across, width / 2));
    corners = {tip.x, tip.y, left.x, left.y, right.x, right.y};
    FillPolygon(corners);
}

}  // namespace

void tgoal::drawArrow() const {
    tvector at = worldToScreen(position);
    float reach = GoalRadius * viewZoom();
    float width = float(GetScreenWidth()), height = float(GetScreenHeight());
    if (at.x > -reach && at.y > -reach && at.x < width + reach && at.y < height + reach) return;
    tvector centre = makeVector(width / 2, height / 2);
    tvector along = normalize(sub(at, centre));
    tvector tip = EdgePoint(centre, at);
    resetDrawState();
    SetDrawColor(10, 25, 30);
    SetDrawAlpha(0.6f);
    FillArrow(add(tip, scale(along, 3)), along, ArrowLength + 8, ArrowWidth + 8);
    SetDrawColor(255, 250, 230);
    SetDrawAlpha(0.9f);
    FillArrow(tip, along, ArrowLength, ArrowWidth);
    resetDrawState();
}

}  // namespace kelp
