// The goal: the fish's head must reach it before the deadline; it also draws
// the clock dial in the screen's corner.
#include "game/world.h"

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

void tgoal::drawClock() const {
    resetDrawState();
    setUniformScale(0.75f);
    DrawImageAt(clock, 50, 50, 0);
    SetDrawRotation(remaining() / 100 * 360);
    DrawImageAt(little_cursor, 50, 50, 0);
    SetDrawRotation(remaining() / 600 * 360);
    DrawImageAt(clock_cursor, 50, 50, 0);
}

}  // namespace kelp
