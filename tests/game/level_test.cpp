#include "world_fixture.h"

#include <set>

using namespace kelp;

TEST_F(Headless, EveryLevelHasTheWholeMap) {
    for (int level = 1; level <= 6; ++level) {
        Build(level);
        ASSERT_EQ(BALLS.size(), 142u);
        ASSERT_EQ(BEAMS.size(), 149u);
        EXPECT_EQ(LAST_BALL, 141);
        EXPECT_EQ(LAST_BEAM, 148);
        std::set<const tBall*> ends;
        for (const auto& beam : BEAMS) {
            ASSERT_NE(beam, nullptr);
            ends.insert(beam->ballA.get());
            ends.insert(beam->ballB.get());
        }
        EXPECT_EQ(ends.size(), 142u) << "level " << level;
        EXPECT_EQ(DARKNESS, level == 4 || level == 6);
        EXPECT_EQ(FISH->hateMode, level == 3 || level == 6 ? 0 : 1);
    }
}

TEST_F(Headless, ExactBallsSitOnTheirPointsAndOthersSevenAndAHalfAway) {
    Build(6);
    EXPECT_FLOAT_EQ(BALLS[0]->position.x, 1500.0f);
    EXPECT_FLOAT_EQ(BALLS[0]->position.y, 600.0f);
    EXPECT_FLOAT_EQ(BALLS[84]->position.x, -551.25f);
    EXPECT_EQ(BALLS[61]->hidden, 1);
    EXPECT_EQ(BALLS[132]->hidden, 1);
    EXPECT_EQ(BALLS[0]->hidden, 0);
    // Ball 1 is drawn at (-1000, -650); scaled by -1.5 that is (1500, 975).
    EXPECT_NEAR(distance(BALLS[1]->position, {1500, 975}), 7.5f, 1e-3f);
    EXPECT_NEAR(distance(BALLS[141]->position, {225, 975}), 7.5f, 1e-3f);
}

TEST_F(Headless, GoalsAndSpecialBeams) {
    Build(1);
    EXPECT_FLOAT_EQ(GOAL->position.x, 1050.0f);
    EXPECT_FLOAT_EQ(GOAL->position.y, -400.0f);
    EXPECT_FLOAT_EQ(GOAL->deadline, 180.0f);
    for (int index : {11, 148}) {
        auto* red = dynamic_cast<tredbeam*>(BEAMS[index].get());
        ASSERT_NE(red, nullptr) << index;
        EXPECT_FLOAT_EQ(red->period, 1.0f);
        EXPECT_FLOAT_EQ(red->onTime, 1.0f);
    }
    EXPECT_NE(dynamic_cast<tbluebeam*>(BEAMS[1].get()), nullptr);
    EXPECT_NEAR(BALLS[11]->position.x, 3000, 7.6f);
    EXPECT_NEAR(BALLS[135]->position.x, 3000, 7.6f);
    EXPECT_EQ(BEAMS[18]->ballB, BALLS[11]);
    EXPECT_EQ(BEAMS[142]->ballA, BALLS[135]);
    EXPECT_EQ(BEAMS[143]->ballB, BALLS[135]);
    Build(4);
    EXPECT_FLOAT_EQ(GOAL->position.x, 1417.5f);
    EXPECT_FLOAT_EQ(GOAL->position.y, 540.0f);
    EXPECT_FLOAT_EQ(FISH->radii[0], 20.0f);
    Build(5);
    EXPECT_FLOAT_EQ(GOAL->position.x, 1417.5f);
    EXPECT_FLOAT_EQ(GOAL->deadline, 540.0f);
    Build(6);
    EXPECT_FLOAT_EQ(GOAL->position.x, -1575.0f);
    EXPECT_FLOAT_EQ(GOAL->position.y, 600.0f);
    EXPECT_FLOAT_EQ(PLAYER->main->position.x, 105.0f);
}

namespace {

struct Snapshot {
    std::vector<float> values;
    int32_t seed;
    bool operator==(const Snapshot&) const = default;
};

// 600 frames of level 3 steered by a scripted pointer.
Snapshot Play() {
    for (int frame = 0; frame < 600; ++frame) {
        int x = int(80 * std::sin(frame * 0.05)), y = int(60 * std::cos(frame * 0.031));
        stepWorld(TIME_STEP, {{float(x), float(y)}, frame % 100 < 30});
    }
    Snapshot s;
    for (int i = 0; i < FISH->segmentCount; ++i) {
        s.values.push_back(FISH->segments[i]->position.x);
        s.values.push_back(FISH->segments[i]->position.y);
    }
    s.values.push_back(PLAYER->main->position.x);
    s.values.push_back(PLAYER->main->position.y);
    s.values.push_back(FISH->hate);
    s.values.push_back(FISH->angry);
    s.seed = GetRandomSeed();
    return s;
}

}  // namespace

TEST_F(Headless, TwoRunsWithTheSameInputEndAlike) {
    Build(3);
    tvector start = PLAYER->main->position;
    Snapshot first = Play();
    EXPECT_GT(distance(PLAYER->main->position, start), 10.0f);  // it did move
    Build(3);
    Snapshot second = Play();
    EXPECT_TRUE(first == second);
}

// Steps tried ahead and taken back leave no trace: the world restored is the
// world saved, bit for bit, and goes on exactly as it would have, over twenty
// seconds of steering with the button held at times.
TEST_F(Headless, ASavedWorldRestoredGoesOnAsBefore) {
    for (int level : {3, 6}) {
        Build(level);
        auto input = [](int step) {
            float angle = step * 0.05f;
            return StepInput{{9 * std::cos(angle), 9 * std::sin(angle)}, step % 90 > 60};
        };
        for (int step = 0; step < 300; ++step) stepWorld(TIME_STEP, input(step));
        WorldSnapshot snapshot;
        snapshot.save();
        uint64_t saved = worldChecksum();
        std::vector<uint64_t> ahead;
        for (int step = 300; step < 900; ++step) {
            stepWorld(TIME_STEP, input(step));
            ahead.push_back(worldChecksum());
        }
        EXPECT_NE(ahead.back(), saved) << "level " << level;
        snapshot.restore();
        EXPECT_EQ(worldChecksum(), saved) << "level " << level;
        for (int step = 300; step < 900; ++step) {
            stepWorld(TIME_STEP, input(step));
            ASSERT_EQ(worldChecksum(), ahead[step - 300]) << "level " << level << ", step " << step;
        }
        snapshot.save();  // the room of the first save is reused
        snapshot.restore();
        EXPECT_EQ(worldChecksum(), ahead.back()) << "level " << level;
    }
}
