// The maze grid against brute force on random layouts: every ball and beam
// within reach of a body is among those the grid offers, and far fewer are.
#include "game/mazegrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace kelp;

namespace {

float DistanceToSegment(tvector p, tvector a, tvector b) {
    tvector d = sub(b, a);
    float t = lengthSquared(d) > 0 ? std::clamp(dot(sub(p, a), d) / lengthSquared(d), 0.0f, 1.0f) : 0;
    return distance(p, add(a, scale(d, t)));
}

}  // namespace

TEST(MazeGrid, OffersEveryBallAndBeamWithinReachOnRandomLayouts) {
    std::mt19937 dice(2024);
    std::uniform_real_distribution<float> across(-2500, 2500), step(-400, 400), radius(4, 50);
    long offered = 0, within = 0, pairs = 0;
    for (int layout = 0; layout < 40; ++layout) {
        std::vector<tvector> balls(MaxMazeBalls);
        for (tvector& b : balls) b = {across(dice), across(dice)};
        std::vector<std::pair<tvector, tvector>> segments;
        std::vector<Bounds> beams;
        for (int i = 0; i < MaxMazeBeams; ++i) {
            tvector a = balls[dice() % balls.size()], b = add(a, makeVector(step(dice), step(dice)));
            segments.push_back({a, b});
            beams.push_back({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
        }
        MazeGrid grid;
        grid.build(balls, beams);
        for (int body = 0; body < 200; ++body) {
            tvector p{across(dice) * 1.2f, across(dice) * 1.2f};
            float r = radius(dice);
            BallSet nearBalls;
            BeamSet nearBeams;
            float ballReach = std::max(100.0f, r + 10), beamReach = r + 25;
            grid.query({p.x, p.y, p.x, p.y}, ballReach + 1, &nearBalls, nullptr);
            grid.query({p.x, p.y, p.x, p.y}, beamReach + 1, nullptr, &nearBeams);
            for (int i = 0; i < MaxMazeBalls; ++i) {
                bool reaches = distance(p, balls[i]) < ballReach;
                if (reaches) {
                    ASSERT_TRUE(nearBalls.has(i)) << "layout " << layout << ", ball " << i;
                }
                within += reaches;
                offered += nearBalls.has(i);
            }
            for (int i = 0; i < MaxMazeBeams; ++i) {
                bool reaches = DistanceToSegment(p, segments[i].first, segments[i].second) < beamReach;
                if (reaches) {
                    ASSERT_TRUE(nearBeams.has(i)) << "layout " << layout << ", beam " << i;
                }
                within += reaches;
                offered += nearBeams.has(i);
            }
            pairs += MaxMazeBalls + MaxMazeBeams;
        }
    }
    EXPECT_GT(within, 0);
    EXPECT_LT(double(offered) / double(pairs), 0.1) << "the grid should leave out most of the maze";
}

TEST(MazeGrid, ABodyBeyondTheMazeStillFindsWhatIsNearItsEdge) {
    MazeGrid grid;
    grid.build({{0, 0}, {1000, 0}}, {{0, 0, 1000, 0}});
    BallSet balls;
    BeamSet beams;
    grid.query({1050, 30, 1050, 30}, 101, &balls, &beams);
    EXPECT_TRUE(balls.has(1));
    EXPECT_FALSE(balls.has(0));
    EXPECT_TRUE(beams.has(0));
    BallSet none;
    grid.query({5000, 5000, 5000, 5000}, 101, &none, nullptr);
    int count = 0;
    none.forEach([&](int) { ++count; });
    EXPECT_LE(count, 2);  // only the edge cell's, never a wrong index
}
