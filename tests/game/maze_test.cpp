#include "world_fixture.h"

using namespace kelp;

namespace {

// A beam from (0, 0) to (200, 0) and a body of radius 15 below its middle.
struct BeamCase {
    BallRef a = newBall({0, 0}, 0), b = newBall({200, 0}, 0);
    BeamRef beam = newBlueBeam(a, b);
    EntityRef body = newEntity({100, 0}, 10);

    int CollideAt(float y) {
        body->position = {100, y};
        body->force = {};
        beam->collide(*body, 15, TIME_STEP / 5);  // the first call of a frame only notices the body
        return beam->collide(*body, 15, TIME_STEP / 5);
    }
    tbluebeam& blue() { return static_cast<tbluebeam&>(*beam); }
};

std::shared_ptr<tredbeam> RedBeam(float phase, float period, float onTime) {
    return std::static_pointer_cast<tredbeam>(
        newRedBeam(newBall({0, 0}, 0), newBall({100, 0}, 0), phase, period, onTime));
}

int RedStateAt(tredbeam& beam, float seconds) {
    LEVEL_CLOCK->elapsed = seconds;
    beam.update(TIME_STEP);
    return beam.state;
}

}  // namespace

TEST(BlueBeams, PushContactAndZapByDistance) {
    BeamCase at19;
    EXPECT_EQ(at19.CollideAt(19), BEAM_CONTACT);
    EXPECT_GT(at19.body->force.y, 0.0f);  // pushed away from the line
    EXPECT_EQ(at19.blue().contact, 1);
    EXPECT_EQ(at19.blue().zapped, 0);
    BeamCase at18;
    EXPECT_EQ(at18.CollideAt(18), BEAM_DEEP);
    EXPECT_EQ(at18.blue().zapped, 1);
    BeamCase far;
    EXPECT_EQ(far.CollideAt(30), BEAM_NONE);
    EXPECT_EQ(far.blue().far, 0);  // near enough to wake the beam
    EXPECT_EQ(far.a->state, BALL_AWAKE);
    BeamCase distant;
    EXPECT_EQ(distant.CollideAt(60), BEAM_NONE);
    EXPECT_EQ(distant.blue().far, 1);
}

TEST(BlueBeams, OnlyHiddenEndsGetACap) {
    BallRef a = newBall({0, 0}, 0), hidden = newBall({200, 0}, 1), visible = newBall({200, 0}, 0);
    EntityRef body = newEntity({219, 0}, 10);
    BeamRef capped = newBlueBeam(a, hidden), open = newBlueBeam(a, visible);
    capped->collide(*body, 15, TIME_STEP / 5);
    EXPECT_EQ(capped->collide(*body, 15, TIME_STEP / 5), BEAM_CONTACT);
    EXPECT_GT(body->force.x, 0.0f);
    body->force = {};
    open->collide(*body, 15, TIME_STEP / 5);
    EXPECT_EQ(open->collide(*body, 15, TIME_STEP / 5), BEAM_NONE);
    EXPECT_EQ(body->force.x, 0.0f);
    EXPECT_FALSE(hidden->collide(*body, 15));
    EXPECT_TRUE(visible->collide(*body, 15));  // 19 < 25 - 0.5: the ball itself touches
}

TEST(RedBeams, FollowTheirTimetableInHundredths) {
    auto beam = RedBeam(50, 30, 10);
    EXPECT_EQ(RedStateAt(*beam, 49.4f), RED_OFF);
    EXPECT_EQ(RedStateAt(*beam, 49.6f), RED_WARNING);
    EXPECT_EQ(RedStateAt(*beam, 50.2f), RED_FIRING);
    EXPECT_EQ(RedStateAt(*beam, 59.8f), RED_FIRING);
    EXPECT_EQ(RedStateAt(*beam, 60.5f), RED_OFF);
    EXPECT_EQ(RedStateAt(*beam, 78.8f), RED_OFF);
    EXPECT_EQ(RedStateAt(*beam, 79.2f), RED_WARNING);
    EXPECT_EQ(RedStateAt(*beam, 80.3f), RED_FIRING);
    EXPECT_EQ(RedStateAt(*beam, 90.4f), RED_OFF);
    auto zero = RedBeam(3, 0, 2), hundredth = RedBeam(3, 0.01f, 2);
    for (float t = 0; t < 6; t += 0.37f) EXPECT_EQ(RedStateAt(*zero, t), RedStateAt(*hundredth, t)) << t;
}

TEST(RedBeams, AFiringBeamDragsBodiesOntoItsLineAndStingsTheFish) {
    auto beam = RedBeam(0, 10, 5);
    RedStateAt(*beam, 1);
    EntityRef body = newEntity({50, 5}, 10);
    body->velocity = {0, 100};
    EXPECT_EQ(beam->collide(*body, 15, TIME_STEP / 5), BEAM_CAUGHT);
    EXPECT_LT(body->force.y, 0.0f);  // towards the line
    EXPECT_FLOAT_EQ(body->velocity.y, 95.0f);
    body->position = {50, 20};
    EXPECT_EQ(beam->collide(*body, 15, TIME_STEP / 5), BEAM_NONE);
    FishRef fish = newFish({50, 0}, 20, 9, 7.5f, 4, {0, 1});
    beam->collideSegment(*fish, 19, TIME_STEP / 5);  // the tail, off the line
    EXPECT_EQ(fish->shocked[19], 0);
    EXPECT_FLOAT_EQ(fish->sting, 0.0f);
    beam->collideSegment(*fish, 0, TIME_STEP / 5);
    EXPECT_EQ(fish->shocked[0], 1);
    EXPECT_FLOAT_EQ(fish->sting, 0.5f);
    RedStateAt(*beam, 7);
    body->position = {50, 5};
    EXPECT_EQ(beam->collide(*body, 15, TIME_STEP / 5), BEAM_NONE);
}

TEST(Balls, PushTouchWakeAndMarks) {
    BallRef b = newBall({0, 0}, 0);
    EntityRef body = newEntity({24, 0}, 10);
    EXPECT_TRUE(b->collide(*body, 15));
    EXPECT_GT(body->force.x, 0.0f);
    EXPECT_EQ(b->touchedNow, 1);
    EXPECT_FLOAT_EQ(b->glowTimer, 0.5f);
    body->position = {90, 0};
    BallRef other = newBall({0, 0}, 0);
    EXPECT_FALSE(other->collide(*body, 15));
    EXPECT_EQ(other->state, BALL_AWAKE);
    other->warn();
    other->strike();
    EXPECT_EQ(other->state, BALL_WARNING);
    other->state = BALL_IDLE;
    other->strike();
    other->warn();
    EXPECT_EQ(other->state, BALL_WARNING);
}

TEST_F(Headless, DarkLevelsDrawNoIdleBlueBeam) {
    Build(4);
    auto* beam = BEAMS[1].get();
    int32_t before = GetRandomSeed();
    beam->settle();
    beam->draw();  // far, in the dark: no lightning, so no random numbers drawn
    EXPECT_EQ(GetRandomSeed(), before);
    DARKNESS = false;
    beam->settle();
    beam->draw();
    EXPECT_NE(GetRandomSeed(), before);
}
