#include "world_fixture.h"

#include <SDL.h>

using namespace kelp;

namespace {

FishRef TwentySegments() { return newFish({0, 0}, 20, 9, 7.5f, 4, {0, 1}); }

}  // namespace

TEST(Fish, RadiiGrowThenTaper) {
    FishRef fish = TwentySegments();
    EXPECT_EQ(fish->segmentCount, 20);
    EXPECT_FLOAT_EQ(fish->radii[0], 9.0f);
    for (int i = 1; i <= 6; ++i) {
        float f = i / 6.0f;
        EXPECT_FLOAT_EQ(fish->radii[i], 9 + (1 - (1 - f) * (1 - f)) * (7.5f - 9)) << i;
    }
    float k = 20 * 0.3f + 1;
    for (int i = 7; i <= 18; ++i)
        EXPECT_NEAR(fish->radii[i], 4 + (1 - (i - k) / (19 - k)) * 3.5f, 1e-5f) << i;
    EXPECT_FLOAT_EQ(fish->radii[19], 4.0f);
    EXPECT_FLOAT_EQ(fish->segments[0]->mass, 18.0f);
    EXPECT_FLOAT_EQ(fish->segments[5]->mass, fish->radii[5]);
    float sum = 0;
    for (int i = 0; i < 20; ++i) sum += fish->segments[i]->mass;
    EXPECT_FLOAT_EQ(fish->strength, sum);
    EXPECT_FLOAT_EQ(fish->segments[1]->position.y, (fish->radii[0] + fish->radii[1]) / 3);
    EXPECT_GT(fish->tail->position.y, fish->segments[18]->position.y);
}

TEST(Fish, OnlySegmentsThreeApartRepelEachOther) {
    FishRef fish = TwentySegments();
    auto forceOnHead = [&](tvector third) {
        for (int i = 0; i < 20; ++i) {
            fish->segments[i]->position = {1000.0f * i, 1000};
            fish->segments[i]->velocity = fish->segments[i]->force = {};
        }
        // Segment 1 at its chain's rest length, segment 2 inside the reach of
        // a repulsion but outside the bend's: no force on the head from either.
        fish->segments[0]->position = {0, 0};
        fish->segments[1]->position = {(fish->radii[0] + fish->radii[1]) / 3, 0};
        fish->segments[2]->position = {0, 14};
        fish->segments[3]->position = third;
        fish->update(0);
        return fish->segments[0]->acceleration;
    };
    ASSERT_LT(14, fish->radii[0] + fish->radii[2]);
    tvector alone = forceOnHead({3000, 1000});
    EXPECT_NEAR(alone.x, 0, 1e-2f);
    EXPECT_NEAR(alone.y, 0, 1e-2f);
    tvector pushed = forceOnHead({0, -14});
    EXPECT_GT(pushed.y, 100.0f);
}

// A fish coiled so that its head meets a segment far down the chain, just
// inside and just outside their reach, seen aslant: the head is pushed only
// when they touch, whatever run of segments the other lies in.
TEST(Fish, TheHeadMeetsAFarSegmentOnlyWithinTheirReach) {
    FishRef fish = TwentySegments();
    auto forceOnHead = [&](int other, float apart) {
        for (int i = 0; i < 20; ++i) {
            fish->segments[i]->position = {1000.0f * float(i), 1000.0f * float(i % 3)};
            fish->segments[i]->velocity = fish->segments[i]->force = {};
        }
        fish->segments[0]->position = {0, 0};
        float reach = fish->radii[0] + fish->radii[other];
        fish->segments[other]->position = scale(normalize({1, 1}), reach * apart);
        fish->update(0);
        return fish->segments[0]->acceleration;
    };
    for (int other : {6, 11, 17, 19}) {
        tvector alone = forceOnHead(other, 100);  // the chain's own pull only
        tvector touching = sub(forceOnHead(other, 0.99f), alone);
        EXPECT_LT(touching.x, -1.0f) << "segment " << other;
        EXPECT_LT(touching.y, -1.0f) << "segment " << other;
        tvector apart = sub(forceOnHead(other, 1.01f), alone);
        EXPECT_NEAR(apart.x, 0, 1e-2f) << "segment " << other;
        EXPECT_NEAR(apart.y, 0, 1e-2f) << "segment " << other;
    }
}

TEST(Fish, TouchesResetTheTimers) {
    FishRef fish = TwentySegments();
    const float hates[][2] = {{-0.5f, 4}, {2, 3.5f}, {3.8f, 3.8f}};
    for (const auto& h : hates) {
        fish->hate = h[0];
        fish->touchedInHate();
        EXPECT_FLOAT_EQ(fish->hate, h[1]) << h[0];
    }
    fish->angry = -1;
    fish->touchedInAnger();
    EXPECT_FLOAT_EQ(fish->angry, -1.0f);
    fish->angry = -3;
    fish->touchedInAnger();
    EXPECT_FLOAT_EQ(fish->angry, 2.0f);
}

TEST_F(Headless, AtTheStartTheFishSeeksOrAvoidsThePlayer) {
    Build(1);
    tfish& fish = *FISH;
    fish.target = PLAYER->main;
    tvector dir = direction(PLAYER->main->position, fish.head->position);
    float dt = TIME_STEP / 5;
    fish.think(dt);
    EXPECT_EQ(fish.mood, MOOD_SEEKING);
    EXPECT_FLOAT_EQ(fish.head->force.x, dir.x * 100 * fish.strength);
    EXPECT_FLOAT_EQ(fish.head->force.y, dir.y * 100 * fish.strength);

    fish.head->force = {};
    fish.hateMode = 0;
    fish.think(dt);  // angry went from -1.25 by two sub-steps
    float a = (1.25f + 2 * dt) / 3;
    EXPECT_EQ(fish.mood, MOOD_SULKING);
    EXPECT_NEAR(fish.head->force.y, dir.y * -100 * fish.strength * a, 0.5f);

    fish.head->force = {};
    PLAYER->state = PLAYER_HOLDING;
    fish.think(dt);
    EXPECT_EQ(fish.head->force.y, 0.0f);
}

TEST_F(Headless, HoldingTheButtonDoublesTheBodyDragsMassTerm) {
    Build(2);
    tfish& fish = *FISH;
    fish.segments[5]->velocity = {1, 0};
    // The same positions and velocities twice, so every spring force is the
    // same and only the drag differs.
    auto forceOn5 = [&] {
        for (int i = 0; i < fish.segmentCount; ++i) fish.segments[i]->force = {};
        fish.update(0);
        return fish.segments[5]->acceleration.x * fish.segments[5]->mass;
    };
    PLAYER->state = PLAYER_NEUTRAL;
    float calm = forceOn5();
    PLAYER->state = PLAYER_HOLDING;
    float holding = forceOn5();
    EXPECT_NEAR(holding - calm, -(fish.strength / 25 - fish.strength / 50), 0.01f);
}

TEST_F(Headless, PlayerFacesShowHurtAndFright) {
    Build(1);
    tplayer& player = *PLAYER;
    FISH->hate = 0;  // neither fleeing nor resting: easy
    player.hurt = 1;
    player.settle(false, TIME_STEP);
    EXPECT_EQ(player.state, PLAYER_HURT);
    for (int frame = 0; frame < 4; ++frame) {
        player.settle(false, TIME_STEP);
        EXPECT_EQ(player.state, PLAYER_HURT) << frame;
    }
    player.settle(false, TIME_STEP);
    EXPECT_EQ(player.state, PLAYER_EASY);

    player.hurt = 1;
    FISH->mood = MOOD_CHARGING;
    FISH->head->position = player.main->position;
    player.settle(false, TIME_STEP);
    EXPECT_EQ(player.state, PLAYER_FRIGHTENED);
    EXPECT_FLOAT_EQ(player.hurtTimer, 0.0f);
    FISH->mood = MOOD_CALM;
    FISH->head->position = {5000, 5000};
    for (int frame = 0; frame < 14; ++frame) player.settle(false, TIME_STEP);
    EXPECT_EQ(player.state, PLAYER_FRIGHTENED);
    player.settle(false, TIME_STEP);
    player.settle(false, TIME_STEP);
    EXPECT_NE(player.state, PLAYER_FRIGHTENED);
}

TEST_F(Headless, HoldingWhileFrightenedIsNotHolding) {
    Build(1);
    FISH->hate = 0;
    PLAYER->settle(true, TIME_STEP);
    EXPECT_EQ(PLAYER->state, PLAYER_HOLDING);
    FISH->mood = MOOD_STUNG;
    PLAYER->settle(true, TIME_STEP);
    EXPECT_EQ(PLAYER->state, PLAYER_FRIGHTENED);
}

TEST_F(Headless, TheGoalDecidesByDistanceAndDeadline) {
    Build(4);  // head radius 20
    int frames = 0;
    while (LEVEL_CLOCK->elapsed <= 360) LEVEL_CLOCK->advance(TIME_STEP), ++frames;
    EXPECT_NEAR(frames, 360 * 30, 2);
    LEVEL_CLOCK->start();
    FISH->head->position = add(GOAL->position, makeVector(0, 119.5f));
    GOAL->update(0);
    EXPECT_TRUE(LEVEL_ENDING);
    EXPECT_TRUE(LEVEL_WON);
    LEVEL_CLOCK->elapsed = 400;
    GOAL->update(0);
    EXPECT_TRUE(LEVEL_WON);

    Build(1);
    LEVEL_CLOCK->elapsed = 180;
    GOAL->update(0);
    EXPECT_FALSE(LEVEL_ENDING);
    LEVEL_CLOCK->elapsed = 180.01f;
    GOAL->update(0);
    EXPECT_TRUE(LEVEL_ENDING);
    FISH->head->position = GOAL->position;
    GOAL->update(0);
    EXPECT_FALSE(LEVEL_WON);  // arriving after the time-out
    FISH->head->position = add(GOAL->position, makeVector(0, 121));
    EXPECT_FLOAT_EQ(GOAL->remaining(), 180 - 180.01f);
}

namespace {

void PushSdl(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

void PushMotion(int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = 400, event.motion.y = 400;  // a captured pointer stays put
    event.motion.xrel = dx, event.motion.yrel = dy;
    PushSdl(event);
}

void PushFocus(bool gained) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    PushSdl(event);
}

void PushLeftButton(bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_LEFT;
    PushSdl(event);
}

}  // namespace

// Real SDL motion events through the real pump: the controller steers by the
// motion summed over a frame, capped; loses it all while released; and takes
// it up again from the click that captures the pointer.
TEST_F(Headless, TheMouseSteersByTheMotionOfEachFrame) {
    InitSystemLayer();
    EnablePolledInput(nullptr);
    MOUSE->capture();
    TakeFrameInput();
    PushMotion(120, -30);
    PushMotion(80, 0);
    tvector offset = MOUSE->offset(TakeFrameInput());
    EXPECT_EQ(offset.x, 200.0f);
    EXPECT_EQ(offset.y, -30.0f);
    EXPECT_NEAR(steeringVelocity(offset, TIME_STEP).x, 9000, 0.5f);
    EXPECT_EQ(MOUSE->offset(TakeFrameInput()).x, 0.0f);  // a still mouse steers nowhere
    PushMotion(300, 400);
    EXPECT_NEAR(length(steeringVelocity(MOUSE->offset(TakeFrameInput()), TIME_STEP)), 20000, 0.5f);

    PushFocus(false);
    PushMotion(50, 50);
    EXPECT_EQ(MOUSE->offset(TakeFrameInput()).x, 0.0f);
    EXPECT_EQ(MOUSE->released, 1);
    PushFocus(true);
    PushMotion(70, 0);  // moving back over the window before the click
    EXPECT_EQ(MOUSE->offset(TakeFrameInput()).x, 0.0f);
    PushLeftButton(true);
    PushLeftButton(false);
    PushMotion(-5, 2);
    offset = MOUSE->offset(TakeFrameInput());
    EXPECT_EQ(MOUSE->released, 0);
    EXPECT_EQ(offset.x, -5.0f);
    EXPECT_EQ(offset.y, 2.0f);
    DisablePolledInput();
}

TEST(Particles, AboutOneEmissionInFifteenFramesAtRateTwo) {
    struct Counting : temitter {
        int emitted = 0;
        void emit(int count) override { emitted += count; }
    } emitter;
    emitter.rate = 2;
    LEVEL_CLOCK->start();
    for (int frame = 0; frame < 3000; ++frame) {
        LEVEL_CLOCK->advance(TIME_STEP);
        emitter.updateAndDraw();
    }
    EXPECT_NEAR(emitter.emitted, 200, 40);
}

TEST(Particles, AFadeInLifeContinuesAsAFadeOut) {
    temitter emitter;
    auto colour = std::make_shared<tcolor>(newColor(1, 0, 0));
    emitter.particles.push_back(newParticle(nullptr, {0, 0}, {1, 0}, {0, 0}, 0, 0, 0, 0.4f, 1, 3, colour, 3, 0));
    emitter.particles[0]->age = 2.99f;
    emitter.removeDead(0.03f);
    ASSERT_EQ(emitter.particles.size(), 1u);
    const tparticle& fading = *emitter.particles[0];
    EXPECT_FLOAT_EQ(fading.alphaStart, 0.4f);
    EXPECT_FLOAT_EQ(fading.alphaEnd, 0.0f);
    EXPECT_FLOAT_EQ(fading.lifetime, 3.0f);
    EXPECT_FLOAT_EQ(fading.scaleStart, 3.0f);
    EXPECT_FLOAT_EQ(fading.scaleEnd, 5.0f);
    EXPECT_EQ(fading.colour, colour);
}

TEST(Particles, TwoDeathsAreRemovedOnConsecutiveFrames) {
    temitter emitter;
    auto colour = std::make_shared<tcolor>();
    for (int i = 0; i < 2; ++i) {
        emitter.particles.push_back(newParticle(nullptr, {0, 0}, {0, 0}, {0, 0}, 0, 0, 0.4f, 0, 1, 1, colour, 1, 0));
        emitter.particles.back()->age = 0.99f;
    }
    emitter.removeDead(0.05f);
    EXPECT_EQ(emitter.particles.size(), 1u);  // fade-out lives end without a sequel
    emitter.removeDead(0.05f);
    EXPECT_TRUE(emitter.particles.empty());
}

// A stick: nothing near its centre, fine steps just past it, the full
// StickFullPixels at full deflection and no more past it, and never less for
// a deflection further out.
TEST(Stick, ItsDeadZoneAndResponseCurve) {
    EXPECT_EQ(length(stickOffset(0.1f, -0.1f, 1)), 0.0f) << "resting near the centre";
    EXPECT_EQ(length(stickOffset(StickDeadZone, 0, 1)), 0.0f);
    EXPECT_LT(length(stickOffset(StickDeadZone + 0.04f, 0, 1)), 0.1f) << "fine near the dead zone";
    EXPECT_FLOAT_EQ(stickOffset(1, 0, 1).x, StickFullPixels);
    EXPECT_FLOAT_EQ(length(stickOffset(0.9f, 0.9f, 1)), StickFullPixels) << "a corner is no faster";
    EXPECT_FLOAT_EQ(stickOffset(0, -1, 2).y, -2 * StickFullPixels) << "times the stick speed";
    tvector diagonal = stickOffset(0.5f, 0.5f, 1);
    EXPECT_FLOAT_EQ(diagonal.x, diagonal.y) << "in the stick's direction";
    float last = 0;
    for (int step = 0; step <= 100; ++step) {
        float offset = length(stickOffset(step / 100.0f, 0, 1));
        EXPECT_GE(offset, last) << step;
        last = offset;
    }
    EXPECT_EQ(length(stickOffset(std::nanf(""), 0, 1)), 0.0f) << "a broken reading steers nowhere";
}
