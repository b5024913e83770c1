// The autopilot's ways through the maze and its look-ahead, on real levels
// built without a screen.
#include "pilot/pilot.h"

#include "../game/world_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace kelp;
using kelp_pilot::Autopilot;
using kelp_pilot::RouteMap;
using kelp_pilot::SearchedPlay;

namespace {

// A level as the autopilot's headless runs build it.
void BuildAsAutoplayed(int level) {
    SetRandomSeed(4660 + level);
    LEVEL_CLOCK->start();
    STEERING = {};
    buildLevel(level);
}

// A level as the search starts it, the camera and clock included.
Level StartAsSearched(int level) { return Level(level, uint32_t(4660 + level)); }

// Searches `level` from where it stands, then checks that the play found,
// stepped again from there without the autopilot, leaves the world as the
// search left it, bit for bit.
SearchedPlay SearchedAndRepeated(Level& level, const kelp_pilot::SearchLimits& limits) {
    WorldSnapshot start;
    start.save();
    Level atStart = level;
    SearchedPlay play = kelp_pilot::searchForWin(level, limits);
    uint64_t searched = worldChecksum();
    start.restore();
    for (const StepInput& input : play.steps) atStart.step(input);
    EXPECT_EQ(worldChecksum(), searched) << "the play does not repeat";
    return play;
}

}  // namespace

// On every level the fish and the player start on a way to the goal, the way
// shortens as it is followed, and a beam blocks the sight across it.
TEST(Routes, EveryLevelHasAWayFromTheStartToTheGoal) {
    for (int level = 1; level <= 6; ++level) {
        BuildAsAutoplayed(level);
        RouteMap map;
        map.plan();
        tvector head = FISH->head->position;
        float start = map.distanceToGoal(head);
        ASSERT_TRUE(std::isfinite(start)) << "level " << level;
        EXPECT_TRUE(std::isfinite(map.distanceToGoal(PLAYER->main->position))) << "level " << level;
        EXPECT_GT(start, distance(head, GOAL->position)) << "level " << level << ": the way winds";
        EXPECT_LT(map.distanceToGoal(GOAL->position), 100 + FISH->radii[0]) << "level " << level;
        tvector p = head;
        for (int hop = 0; hop < 10; ++hop) {
            tvector next = map.along(p, 200);
            EXPECT_LT(map.distanceToGoal(next), map.distanceToGoal(p)) << "level " << level << ", hop " << hop;
            p = next;
        }
        const tbeam& beam = *BEAMS[1];  // a blue beam
        tvector middle = scale(add(beam.ballA->position, beam.ballB->position), 0.5f);
        tvector across = scale(perp(direction(beam.ballB->position, beam.ballA->position)), 10);
        EXPECT_FALSE(map.inSight(add(middle, across), sub(middle, across))) << "level " << level;
        EXPECT_TRUE(map.inSight(add(middle, across), add(middle, scale(across, 2)))) << "level " << level;
    }
}

// A gate narrower than the fish's widest part is no way for it, however
// short. Level 3's fish is led through the gate between balls 126 and 127;
// level 4's, nearly twice as wide while the maze grows by a third, is led round.
TEST(Routes, TheFishIsLedOnlyWhereItsWidestPartGets) {
    for (int level : {3, 4}) {
        BuildAsAutoplayed(level);
        RouteMap map;
        map.plan();
        tvector gate = scale(add(BALLS[126]->position, BALLS[127]->position), 0.5f);
        float home = 100 + FISH->radii[0], nearestGate = INFINITY;
        tvector p = FISH->head->position;
        for (int hop = 0; hop < 2000 && map.distanceToGoal(p) > home; ++hop) {
            p = map.along(p, RouteMap::CellSize);
            nearestGate = std::min(nearestGate, distance(p, gate));
        }
        EXPECT_LE(map.distanceToGoal(p), home) << "level " << level << ": the way leads home";
        if (level == 3) EXPECT_LT(nearestGate, RouteMap::CellSize);
        else EXPECT_GT(nearestGate, 3 * RouteMap::CellSize);
    }
}

// A red beam that never rests holds what touches it: level 5's way along its
// lower corridor keeps nearer the corridor's blue side than the red beam
// (120) along its other side.
TEST(Routes, TheFishIsLedWideOfRedBeamsThatNeverRest) {
    BuildAsAutoplayed(5);
    RouteMap map;
    map.plan();
    const tbeam &red = *BEAMS[120], &blue = *BEAMS[117];  // blue: the corridor's other side, at its west end
    tvector corner = red.ballA->position;
    float length = distance(corner, red.ballB->position);
    float width = std::fabs(cross(sub(blue.ballA->position, corner), red.axis));
    tvector across = scale(perp(red.axis), dot(sub(blue.ballA->position, corner), perp(red.axis)) > 0 ? 1.0f : -1.0f);
    tvector p = add(add(corner, scale(red.axis, length * 0.8f)), scale(across, width / 2));
    int inCorridor = 0;
    for (int hop = 0; hop < 60; ++hop) {
        p = map.along(p, 40);
        float along = dot(sub(p, corner), red.axis), off = dot(sub(p, corner), across);
        if (off < 0 || off > width || along < 200 || along > length) continue;
        ++inCorridor;
        EXPECT_GT(off, width / 2) << "at (" << p.x << ", " << p.y << ")";
    }
    EXPECT_GT(inCorridor, 10) << "the way runs along the corridor";
}

// Where the fish could not get on, its ways keep out: round the stretch where
// they can (level 3's fish may leave the start by two ways), across it where
// they cannot (a corridor further on). Either way the way home is longer and
// still leads there.
TEST(Routes, KeepOutOfAStretchTheFishCouldNotPass) {
    constexpr float Radius = 200;
    for (float ahead : {1000.0f, 3000.0f}) {
        BuildAsAutoplayed(3);
        RouteMap map;
        map.plan();
        tvector head = FISH->head->position, stretch = head;
        for (float gone = 0; gone < ahead; gone += 50) stretch = map.along(stretch, 50);
        float before = map.distanceToGoal(head);
        map.avoid(stretch, Radius);
        EXPECT_GT(map.distanceToGoal(head), before) << ahead;
        float home = 100 + FISH->radii[0], nearest = INFINITY;
        tvector p = head;
        for (int hop = 0; hop < 4000 && map.distanceToGoal(p) > home; ++hop) {
            p = map.along(p, RouteMap::CellSize);
            nearest = std::min(nearest, distance(p, stretch));
        }
        EXPECT_LE(map.distanceToGoal(p), home) << ahead << ": the way leads home";
        if (ahead == 1000) EXPECT_GT(nearest, Radius - RouteMap::CellSize) << "the way goes round";
        else EXPECT_LT(nearest, Radius) << "the way goes across";
    }
}

// Looking ahead leaves no trace: the world after foreseeing is the world
// before, bit for bit, and the autopilot goes on deciding as it would have.
TEST(Autopilot, ForeseeingTheWayChangesNothing) {
    BuildAsAutoplayed(2);
    Autopilot pilot, twin;
    pilot.start();
    twin.start();
    std::vector<StepInput> inputs;
    for (int step = 0; step < 40; ++step) {
        StepInput input = pilot.next();
        twin.next();
        stepWorld(TIME_STEP, input);
    }
    uint64_t before = worldChecksum();
    std::vector<tvector> way = pilot.foresee(150);
    EXPECT_EQ(worldChecksum(), before);
    ASSERT_EQ(way.size(), 150u);
    EXPECT_GT(distance(way.front(), way.back()), 50.0f) << "the swimmer is on its way";
    for (int step = 0; step < 40; ++step) {
        StepInput a = pilot.next(), b = twin.next();
        EXPECT_EQ(a.pointer.x, b.pointer.x) << "step " << step;
        EXPECT_EQ(a.pointer.y, b.pointer.y) << "step " << step;
        EXPECT_EQ(a.calm, b.calm) << "step " << step;
        stepWorld(TIME_STEP, a);
    }
}

// The autopilot plays through a player's inputs alone, the pointer's steps
// gentle where the fish fits its ways, and herds the fish towards the goal.
TEST(Autopilot, BringsTheFishNearerTheGoalWithAPlayersHands) {
    BuildAsAutoplayed(1);
    Autopilot pilot;
    pilot.start();
    float start = pilot.routes().distanceToGoal(FISH->head->position);
    for (int step = 0; step < 20 * 30 && !LEVEL_ENDING; ++step) {
        StepInput input = pilot.next();
        ASSERT_LT(length(input.pointer), 20.0f) << "step " << step;
        stepWorld(TIME_STEP, input);
    }
    EXPECT_LT(pilot.routes().distanceToGoal(FISH->head->position), start - 500);
}

// Circling the pointer past the steering speed limit makes the fish swim two
// and a half times as hard, while the swimmer only loops about its place: how
// the autopilot squeezes a big fish through gaps it would stick in.
TEST(Autopilot, ACirclingPointerSpursTheFishOn) {
    BuildAsAutoplayed(5);
    WorldSnapshot start;
    start.save();
    tvector swimmerAt = PLAYER->main->position;
    auto fishMomentumAfterASecond = [&](bool circling) {
        start.restore();
        for (int step = 0; step < 30; ++step) {
            float turn = 2 * std::numbers::pi_v<float> * float(step % 6) / 6;
            tvector pointer = circling ? makeVector(std::cos(turn) * 450, std::sin(turn) * 450) : tvector{};
            stepWorld(TIME_STEP, {pointer, false});
            EXPECT_LT(distance(PLAYER->main->position, swimmerAt), 120.0f) << "step " << step;
        }
        tvector momentum{};
        for (int i = 0; i < FISH->segmentCount; ++i)
            momentum = add(momentum, scale(FISH->segments[i]->velocity, FISH->segments[i]->mass));
        return length(momentum);
    };
    float calm = fishMomentumAfterASecond(false), spurred = fishMomentumAfterASecond(true);
    EXPECT_GT(calm, 0.0f) << "the fish seeks the swimmer from the start";
    EXPECT_GT(spurred, 3 * calm);
}

// The autopilot stirs for a fish whose ways are tighter than it gets through
// calmly (level 5's, not level 3's), and for a big fish that seeks the
// player, slow to follow (level 4's, not level 2's).
TEST(Autopilot, StirsThePointerForATightWayOrABigSeekingFish) {
    for (int level : {2, 3, 4, 5}) {
        BuildAsAutoplayed(level);
        Autopilot pilot;
        pilot.start();
        int stirred = 0;
        for (int step = 0; step < 150; ++step) {
            StepInput input = pilot.next();
            if (length(input.pointer) > 400) ++stirred;
            stepWorld(TIME_STEP, input);
        }
        if (level == 2 || level == 3) {
            EXPECT_EQ(stirred, 0) << "level " << level;
        } else {
            EXPECT_GT(stirred, 0) << "level " << level;
        }
    }
}

// Pushing home is for any fish that seeks the player (levels 2 and 5): a red
// beam that never rests may hold it at a door however well it fits. Running
// on is for a fleeing fish too wide for its ways (level 6's), not level 3's.
TEST(Autopilot, TriesLastResortsOnlyForTheFishTheyHelp) {
    for (int level : {2, 3, 5, 6}) {
        BuildAsAutoplayed(level);
        Autopilot pilot;
        pilot.start();
        EXPECT_EQ(pilot.pushHome(0), level == 2 || level == 5) << "level " << level;
        EXPECT_EQ(pilot.overshoot(0), level == 6) << "level " << level;
    }
}

// Going back is exact: the searched play, stepped again from where the
// search began without the autopilot, leaves the world as the search left
// it. Ten seconds into level 1, a stall of three seconds makes the search go
// back early and often.
TEST(Search, GoesBackExactlyToAPlayStepsFromTheStartRepeat) {
    Level level = StartAsSearched(1);
    Autopilot pilot;
    pilot.start();
    for (int step = 0; step < 300; ++step) stepWorld(TIME_STEP, pilot.next());
    SearchedPlay play = SearchedAndRepeated(level, {.maxRewinds = 3, .stallSteps = 90, .exploreGoes = 0, .tries = 1});
    EXPECT_EQ(play.rewinds, 3);
    EXPECT_FALSE(play.won);
    EXPECT_GT(play.steps.size(), 180u) << "the play went on from a later checkpoint";
}

// Going on from where loose herding brought the fish is exact too: the play
// found is taken into the search's own, checkpoints and all. With a stall of
// three seconds, level 1's search herds loosely past one stall after another.
TEST(Search, GoesOnExactlyFromWhereLooseHerdingBroughtTheFish) {
    Level level = StartAsSearched(1);
    SearchedPlay play = SearchedAndRepeated(level, {.maxRewinds = 1, .stallSteps = 90, .exploreGoes = 60, .tries = 1});
    EXPECT_TRUE(play.won || play.rewinds == 1);
}

// Held at one place, the search takes the ways round it and starts over from
// where it began, exactly: its play, stepped again from there, leaves the
// world as the search left it. With a stall of a second and a half, level
// 1's fish is held again and again.
TEST(Search, GoesRoundWhereTheFishWasHeldStartingOverExactly) {
    Level level = StartAsSearched(1);
    SearchedPlay play = SearchedAndRepeated(
        level, {.maxRewinds = 2, .stallSteps = 45, .exploreGoes = 0, .detourAfter = 1, .detours = 1, .tries = 1});
    EXPECT_EQ(play.detours, 1);
}

// A try that gives up hands on to another from where the search began, which
// goes otherwise from its first step; its play, stepped again from there,
// leaves the world as the search left it. Level 1's fish, held for a second
// and a half with no going back, ends each try early.
TEST(Search, TriesAgainFromTheStartGoingOtherwise) {
    const kelp_pilot::SearchLimits oneTry{.maxRewinds = 0, .stallSteps = 45, .exploreGoes = 0, .tries = 1};
    kelp_pilot::SearchLimits twoTries = oneTry;
    twoTries.tries = 2;
    Level first = StartAsSearched(1);
    SearchedPlay alone = kelp_pilot::searchForWin(first, oneTry);
    uint64_t endedAlone = worldChecksum();
    Level again = StartAsSearched(1);
    SearchedPlay play = SearchedAndRepeated(again, twoTries);
    ASSERT_FALSE(alone.won);
    EXPECT_EQ(alone.tries, 1);
    EXPECT_EQ(play.tries, 2);
    EXPECT_NE(worldChecksum(), endedAlone) << "the second try went as the first";
}

// A search that may not go back gives up at the first stall, lost, with how
// near the fish came, and where and when: its play, stepped again, has the
// fish's head there then.
TEST(Search, GivesUpWhenItMayGoBackNoMoreSayingWhereTheFishCameNearest) {
    Level level = StartAsSearched(2);
    WorldSnapshot start;
    start.save();
    Level atStart = level;
    SearchedPlay play = kelp_pilot::searchForWin(level, {.maxRewinds = 0, .exploreGoes = 0, .tries = 1});
    EXPECT_FALSE(play.won);
    EXPECT_EQ(play.rewinds, 0);
    EXPECT_TRUE(std::isfinite(play.closest));
    EXPECT_LT(play.steps.size(), size_t(GOAL->deadline * 30));
    ASSERT_GT(play.nearestStep, 0u);
    ASSERT_LT(play.nearestStep, play.steps.size()) << "the play stalled after its best";
    start.restore();
    tvector startedAt = FISH->head->position;
    for (size_t step = 0; step < play.nearestStep; ++step) atStart.step(play.steps[step]);
    EXPECT_EQ(FISH->head->position.x, play.nearestPoint.x);
    EXPECT_EQ(FISH->head->position.y, play.nearestPoint.y);
    EXPECT_GT(distance(startedAt, play.nearestPoint), 20.0f) << "the fish had left its start";
}

// Loose herding finds a play that brings the fish on, pieced together from
// the places it started its goes from: stepped from where the world stood,
// the play brings the fish there. Asked for more than its goes can find, it
// gives none. Either way it leaves the world where it stood, bit for bit.
TEST(Search, LooseHerdingFindsAPlayThatBringsTheFishOn) {
    Level level = StartAsSearched(1);
    RouteMap map;
    map.plan();
    Level atStart = level;
    uint64_t before = worldChecksum();
    float away = map.distanceToGoal(FISH->head->position);

    EXPECT_TRUE(kelp_pilot::exploreBeyond(level, map, away, {.goes = 20, .gain = 5000}).empty());
    EXPECT_EQ(worldChecksum(), before);

    std::vector<StepInput> play = kelp_pilot::exploreBeyond(level, map, away, {.goes = 400, .gain = 400});
    EXPECT_EQ(worldChecksum(), before);
    ASSERT_FALSE(play.empty());
    EXPECT_GT(play.size(), 150u) << "more than one go: the fish is not brought so far in five seconds";
    for (const StepInput& input : play) atStart.step(input);
    EXPECT_LT(map.distanceToGoal(FISH->head->position), away - 400);
}
