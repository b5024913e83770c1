// Fair deals and assists: a maze the fish cannot get through is dealt again
// and every other is built as before; a slower game and a longer clock change
// when things happen in real time, never in game time.
#include "game/game.h"
#include "game/ways.h"
#include "world_fixture.h"

#include <cmath>

using namespace kelp;

namespace {

float LeastPress() {
    RouteMap ways;
    ways.plan();
    return ways.leastPress();
}

// A level's first world, as the builder before fair deals made it.
struct Deal {
    int level;
    uint32_t seed;
    uint64_t checksum;
};

// Steps with the pointer still until `happened`; the game time it took.
template <typename Happened>
float GameTimeUntil(Level& level, Happened happened, int limit = 100000) {
    for (int step = 0; step < limit && !happened(); ++step) level.step({});
    return LEVEL_CLOCK->elapsed;
}

constexpr Assists Slower[] = {{70, 0}, {50, 0}};

}  // namespace

TEST_F(Headless, ADealTheFishCannotGetThroughIsDealtAgainUntilItCan) {
    // Level 2's deal leaves its fish no way home at all; level 5's presses
    // 22.7 units on its easiest way.
    for (Deal tight : {Deal{2, 532389379, 0x347bea38fad1580dull}, Deal{5, 4663, 0x609a90c93708cb69ull}}) {
        SCOPED_TRACE(tight.level);
        Level level(tight.level, tight.seed);
        EXPECT_GT(MAZE_REDEALS, 0);
        EXPECT_NE(worldChecksum(), tight.checksum);
        EXPECT_LE(LeastPress(), squeezeAllowed(tight.level));
        uint64_t dealt = worldChecksum();
        Level again(tight.level, tight.seed);
        EXPECT_EQ(worldChecksum(), dealt) << "dealt again the same way every time";
    }
}

TEST_F(Headless, EveryDealTheFishCanGetThroughIsBuiltAsBefore) {
    // The goldens' deal and the autopilot's, and one that presses hardest of all kept.
    const Deal kept[] = {
        {2, 4661, 0x3dcd212df8cdb859ull}, {4, 4660, 0x76a216ca0137b5ffull}, {4, 19, 0x88fce34c4442032dull},
        {5, 19, 0xd62210ae2cdaacfbull},   {5, 4660, 0xbea4abb238027a55ull}, {6, 20, 0x35865ae0603d2570ull},
        {6, 4660, 0xc72443ba1efc421bull},
    };
    for (const Deal& deal : kept) {
        SCOPED_TRACE(deal.level);
        Level level(deal.level, deal.seed);
        EXPECT_EQ(MAZE_REDEALS, 0);
        EXPECT_EQ(worldChecksum(), deal.checksum);
    }
}

TEST_F(Headless, AssistsAskOnlyForWhatTheSettingsOffer) {
    EXPECT_TRUE((Assists{}).valid());
    EXPECT_FALSE((Assists{}).any());
    for (Assists good : {Assists{50, 100}, Assists{90, 50}, Assists{100, 0}}) EXPECT_TRUE(good.valid());
    for (Assists bad : {Assists{40, 0}, Assists{75, 0}, Assists{110, 0}, Assists{100, 25}, Assists{100, 150},
                        Assists{100, -50}})
        EXPECT_FALSE(bad.valid()) << bad.speedPercent << " " << bad.moreTimePercent;
    EXPECT_EQ((Assists{}).stepTime(), TIME_STEP) << "full speed steps to the bit";
    EXPECT_FLOAT_EQ((Assists{50, 0}).stepTime(), TIME_STEP / 2);
}

TEST_F(Headless, MoreTimeMovesTheClocksEndExactly) {
    for (int more : {0, 50, 100}) {
        Level level(1, 4660, {100, more});
        EXPECT_EQ(GOAL->deadline, 180.0f * float(100 + more) / 100);
        float ended = GameTimeUntil(level, [] { return LEVEL_ENDING; });
        EXPECT_GE(ended, GOAL->deadline);
        EXPECT_LT(ended, GOAL->deadline + TIME_STEP) << more << "% more";
    }
}

TEST_F(Headless, ASlowerGameTakesAsMuchGameTimeForTheClockAndTheRedBeams) {
    for (Assists slower : Slower) {
        SCOPED_TRACE(slower.speedPercent);
        Level level(2, 4660, slower);
        float step = slower.stepTime();
        LEVEL_CLOCK->elapsed = 175;  // the last seconds are enough
        float ended = GameTimeUntil(level, [] { return LEVEL_ENDING; });
        EXPECT_NEAR(ended, 180, step);
        // Level 6's first red beam fires first at 50 s, for 10 of every 30.
        Level dark(6, 20, slower);
        LEVEL_CLOCK->elapsed = 45;
        auto& red = dynamic_cast<tredbeam&>(*BEAMS[0]);
        float fired = GameTimeUntil(dark, [&] { return red.state == RED_FIRING; });
        EXPECT_NEAR(fired, 50, step);
        float rested = GameTimeUntil(dark, [&] { return red.state != RED_FIRING; });
        EXPECT_NEAR(rested - fired, 10, step);
    }
}

TEST_F(Headless, ASlowerGameKeepsTheFishsMoodsAndTheSwimmersFrightsAsLongInGameTime) {
    // Touched, a seeking fish shies, then calms, then seeks again: by game time.
    auto moodsFor = [](Assists assists) {
        Level level(2, 4660, assists);
        PLAYER->main->position = {5000, 5000};  // far off: it touches nothing more
        FISH->touchedInHate();
        float start = LEVEL_CLOCK->elapsed;
        float shy = GameTimeUntil(level, [] { return FISH->mood == MOOD_SHY; }) - start;
        float calm = GameTimeUntil(level, [] { return FISH->mood == MOOD_CALM; }) - start;
        float seeking = GameTimeUntil(level, [] { return FISH->mood == MOOD_SEEKING; }) - start;
        PLAYER->spookTimer = 0.5f;
        float frightened = LEVEL_CLOCK->elapsed;
        level.step({});
        float spooked = GameTimeUntil(level, [] { return PLAYER->state != PLAYER_FRIGHTENED; }) - frightened;
        return std::array<float, 4>{shy, calm, seeking, spooked};
    };
    std::array<float, 4> full = moodsFor({});
    EXPECT_NEAR(full[1] - full[0], 2.5f, 2 * TIME_STEP) << "the fish shied";
    EXPECT_GT(full[2], full[1]);
    EXPECT_NEAR(full[3], 0.5f, 2 * TIME_STEP) << "the swimmer was frightened";
    for (Assists slower : Slower) {
        std::array<float, 4> slow = moodsFor(slower);
        // Each is seen to within its own step.
        for (size_t i = 0; i < full.size(); ++i)
            EXPECT_NEAR(slow[i], full[i], TIME_STEP + slower.stepTime()) << slower.speedPercent << "%, mood " << i;
    }
}

TEST_F(Headless, ARedBeamSlowsWhatItHoldsAsMuchPerSecondAtEverySpeed) {
    auto speedAfterASecond = [](float dt) {
        Level level(6, 20);
        auto& red = dynamic_cast<tredbeam&>(*BEAMS[0]);
        red.state = RED_FIRING;
        tvector middle = scale(add(red.ballA->position, red.ballB->position), 0.5f);
        tentity body;
        body.mass = 1;
        float left = 1;
        for (int sub = 0; sub < int(std::lround(1 / dt)); ++sub) {
            body.position = middle;
            body.velocity = {left, 0};
            red.collide(body, 15, dt);
            left = length(body.velocity);
        }
        return left;
    };
    float full = speedAfterASecond(TIME_STEP / 5);
    EXPECT_NEAR(full, std::pow(0.95f, 150.0f), 1e-6f);
    EXPECT_NEAR(speedAfterASecond(TIME_STEP / 10), full, 1e-5f);
}
