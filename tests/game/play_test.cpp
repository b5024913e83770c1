// A level in play without a screen: built from its number and seed, its end
// counted down, skipped by a digit, and a frame's steps sharing the pointer.
#include "game/game.h"
#include "world_fixture.h"

using namespace kelp;

namespace {

// Steps until the level is over; the steps taken once it was decided.
int StepsAfterDecided(Level& level, int limit = 1000) {
    int after = 0;
    for (int i = 0; i < limit && !level.over(); ++i) {
        bool decided = LEVEL_ENDING;
        level.step({});
        after += decided;
    }
    return after;
}

}  // namespace

TEST_F(Headless, ALevelIsBuiltFromItsNumberAndSeedAlone) {
    Level first(4, 19);
    uint64_t built = worldChecksum();
    EXPECT_EQ(CURRENT_LEVEL, 4);
    SetRandomSeed(777);  // whatever the generator did meanwhile
    Level again(4, 19);
    EXPECT_EQ(worldChecksum(), built);
    Level other(4, 20);
    EXPECT_NE(worldChecksum(), built) << "another deal of the same level";
    EXPECT_EQ(LEVEL_CLOCK->elapsed, 0);
    EXPECT_FALSE(other.over());
}

TEST_F(Headless, AWonLevelRunsOnForOneHundredFiftyOneStepsAndKeepsItsTime) {
    Level level(1, 4660);
    for (int i = 0; i < 10; ++i) level.step({});
    GOAL->position = FISH->head->position;  // arrives in the next step
    level.step({});
    EXPECT_TRUE(LEVEL_ENDING);
    EXPECT_EQ(StepsAfterDecided(level), 150) << "151 with the step that decided it";
    EXPECT_TRUE(level.won());
    EXPECT_FALSE(level.skipped());
    EXPECT_NEAR(level.finishedAt(), 11 * TIME_STEP, TIME_STEP / 2) << "the clock when the fish came home";
}

TEST_F(Headless, ALostLevelHasNoTime) {
    Level level(1, 4660);
    level.step({});
    LEVEL_CLOCK->elapsed = 181;
    level.step({});
    EXPECT_TRUE(LEVEL_ENDING);
    StepsAfterDecided(level);
    EXPECT_TRUE(level.over());
    EXPECT_FALSE(level.won());
    EXPECT_LT(level.finishedAt(), 0);
}

TEST_F(Headless, ADigitEndsTheLevelAtOnceAsWonWithNoTime) {
    Level level(1, 4660);
    level.step({});
    level.skipTo(3);
    EXPECT_TRUE(level.over());
    EXPECT_TRUE(level.won());
    EXPECT_TRUE(level.skipped());
    EXPECT_LT(level.finishedAt(), 0);
    EXPECT_EQ(CURRENT_LEVEL, 3) << "play goes on after level 3";
    Level next(4, 4660);
    EXPECT_FALSE(next.skipped()) << "the next level starts afresh";
}

TEST_F(Headless, AFramesStepsShareItsPointerMovementOut) {
    Level level(1, 4660);
    int seen = 0;
    level.stepFrame(3, {{90, -30}, false}, [&](const StepInput& input) {
        ++seen;
        EXPECT_FLOAT_EQ(input.pointer.x, 30);
    });
    EXPECT_EQ(seen, 3);
    EXPECT_FLOAT_EQ(STEERING.x, 30 * 30 * 1.5f);
    EXPECT_FLOAT_EQ(STEERING.y, -10 * 30 * 1.5f);
    EXPECT_NEAR(LEVEL_CLOCK->elapsed, 3 * TIME_STEP, 1e-6f);
}

TEST_F(Headless, CatchingUpStopsAtTheLevelsEnd) {
    Level level(1, 4660);
    LEVEL_ENDING = true;
    for (int i = 0; i < 150; ++i) level.step({});
    float clock = LEVEL_CLOCK->elapsed;
    EXPECT_FALSE(level.over());
    level.stepFrame(3, {});
    EXPECT_TRUE(level.over());
    EXPECT_NEAR(LEVEL_CLOCK->elapsed, clock + TIME_STEP, 1e-5f) << "one step of the three was left";
}

TEST_F(Headless, TheCameraZoomsInOnCloseCompany) {
    Build(1);
    CAMERA_ZOOM = 1;
    FISH->head->position = PLAYER->second->position;
    updateCamera();
    EXPECT_FLOAT_EQ(CAMERA_ZOOM, 0.98f + 2 * 0.02f);
    CAMERA_ZOOM = 1;
    FISH->head->position = add(PLAYER->second->position, makeVector(5000, 0));
    updateCamera();
    EXPECT_FLOAT_EQ(CAMERA_ZOOM, 0.98f + 0.85f * 0.02f);
    EXPECT_FLOAT_EQ(viewZoom(), CAMERA_ZOOM);
}

TEST(Fades, InOverHalfASecondAndOutOverTheLastSecond) {
    EXPECT_FLOAT_EQ(fadeInAlpha(1.0f / 30), 1 - 2.0f / 30);
    EXPECT_FLOAT_EQ(fadeInAlpha(2.0f / 30), 1 - 4.0f / 30);
    EXPECT_LT(fadeInAlpha(0.5f), 0);
    EXPECT_LT(fadeOutAlpha(5), 0);
    EXPECT_LT(fadeOutAlpha(1), 0);
    EXPECT_FLOAT_EQ(fadeOutAlpha(0.25f), 0.75f);
}
