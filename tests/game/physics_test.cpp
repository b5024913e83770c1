#include "game/physics.h"
#include "game/world.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

using namespace kelp;

TEST(Vectors, NormalizeLeavesTinyVectorsAlone) {
    tvector zero = normalize({0, 0});
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    tvector tiny = normalize({0.000001f, 0});
    EXPECT_EQ(tiny.x, 0.000001f);
    tvector unit = normalize({3, 4});
    EXPECT_FLOAT_EQ(unit.x, 0.6f);
    EXPECT_FLOAT_EQ(unit.y, 0.8f);
    tvector d = direction({10, 0}, {0, 0});
    EXPECT_FLOAT_EQ(d.x, 1.0f);
}

TEST(Vectors, HeadingPassesXFirst) {
    EXPECT_FLOAT_EQ(heading({0, 1}), 0.0f);
    EXPECT_FLOAT_EQ(heading({1, 0}), 90.0f);
    EXPECT_FLOAT_EQ(heading({-1, 0}), -90.0f);
    EXPECT_FLOAT_EQ(heading({0, -1}), 180.0f);
    EXPECT_FLOAT_EQ(cross({1, 0}, {0, 1}), 1.0f);
    EXPECT_FLOAT_EQ(perp({1, 2}).x, -2.0f);
}

// Red beams time their firing by it: any bit of difference from std::fmod
// would change when a beam fires and so the whole world after.
TEST(Vectors, RemainderOfIsFmodBitForBit) {
    auto bits = [](float v) { return std::bit_cast<uint32_t>(v); };
    auto same = [&](float x, float p) {
        EXPECT_EQ(bits(remainderOf(x, p)), bits(std::fmod(x, p))) << x << " mod " << p;
    };
    std::mt19937 dice(7);
    std::uniform_real_distribution<float> clock(-2000, 120000), period(1, 5000);
    for (int i = 0; i < 200000; ++i) same(clock(dice), period(dice));
    for (float period : {1.0f, 3.0f, 700.0f, 1234.5f})
        for (float x : {0.0f, -0.0f, 7.0f * period, -5.0f * period, period - 0x1p-10f, 1e30f, -3e38f})
            same(x, period);
    same(5, 0.1f);
    std::uniform_real_distribution<float> huge(0x1p30f, 0x1p50f), small(1, 10);
    for (int i = 0; i < 1000; ++i) same(huge(dice), small(dice));
    EXPECT_TRUE(std::isnan(remainderOf(std::nanf(""), 3)));
    EXPECT_TRUE(std::isnan(remainderOf(INFINITY, 3)));
    EXPECT_TRUE(std::isnan(remainderOf(4, 0)));
}

TEST(PointMass, UpdateIsSemiImplicitAndClearsTheForce) {
    EntityRef body = newEntity({1, 1}, 2);
    body->addForce({10, 0}, {5, 5});
    body->update(0.5f);
    EXPECT_FLOAT_EQ(body->acceleration.x, 5.0f);
    EXPECT_FLOAT_EQ(body->velocity.x, 2.5f);
    EXPECT_FLOAT_EQ(body->position.x, 2.25f);
    EXPECT_FLOAT_EQ(body->position.y, 1.0f);
    EXPECT_EQ(body->force.x, 0.0f);
}

TEST(Springs, ForcesAreEqualAndOppositeAndVanishAtOnePoint) {
    EntityRef a = newEntity({0, 0}, 1), b = newEntity({0, 0}, 1);
    tvector f = springBetween(*a, *b, 10, 500, 5);
    EXPECT_EQ(f.x, 0.0f);
    EXPECT_EQ(f.y, 0.0f);
    b->position = {3, 4};
    a->velocity = {1, 0};
    f = springBetween(*a, *b, 10, 500, 5);
    EXPECT_FLOAT_EQ(a->force.x, -b->force.x);
    EXPECT_FLOAT_EQ(a->force.y, -b->force.y);
    // Compressed to 5 of 10: pushed apart, a away from b (upwards and left).
    EXPECT_LT(f.y, 0.0f);
    EXPECT_LT(f.x, 0.0f);
    EntityRef c = newEntity({0, 20}, 1);
    tvector pull = springToPoint(*c, {0, 0}, 0, 10, 0);
    EXPECT_FLOAT_EQ(pull.y, -200.0f);
    SpringRef spring = newSpring(a, c, 0, 10, 0);
    a->force = c->force = {};
    spring->update(1);
    EXPECT_FLOAT_EQ(c->force.y, -a->force.y);
}

// Steering from any pointer offset at all, as a damaged or crafted replay may
// give: never faster than the cap, never not a number.
TEST(Steering, AnyOffsetSteersWithinTheCap) {
    const float huge = std::numeric_limits<float>::max();
    const tvector offsets[] = {{std::nanf(""), 1}, {1, INFINITY}, {-INFINITY, -INFINITY}, {3e38f, -3e38f},
                               {huge, 0}, {0, -huge}, {1e30f, 1e-30f}, {40, 30}};
    for (tvector offset : offsets) {
        tvector v = kelp::steeringVelocity(offset, kelp::TIME_STEP);
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y)) << offset.x << ", " << offset.y;
        EXPECT_LE(length(v), 20000.5f) << offset.x << ", " << offset.y;
    }
    EXPECT_NEAR(kelp::steeringVelocity({huge, 0}, kelp::TIME_STEP).x, 20000, 1);
    EXPECT_EQ(length(kelp::steeringVelocity({std::nanf(""), 5}, kelp::TIME_STEP)), 0);
    tvector modest = kelp::steeringVelocity({4, 3}, kelp::TIME_STEP);
    EXPECT_FLOAT_EQ(modest.x, 4 / kelp::TIME_STEP * 1.5f) << "ordinary steering is as it was";
}
