#include "system/system.h"

#include <gtest/gtest.h>

TEST(Random, UnitFloatFollowsTheFixedSequenceFromTheInitialState) {
    EXPECT_EQ(GetRandomSeed(), 4660);
    const int32_t states[] = {224942860, 539475828, 650989866};
    const float values[] = {0.83797741f, 0.0097040534f, 0.42512619f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(RandomUnitFloat(), values[i]);
        EXPECT_EQ(GetRandomSeed(), states[i]);
    }
}

TEST(Random, UnitDoubleTakesTwoSteps) {
    EXPECT_NEAR(RandomUnitDouble(), 0.41898872706929, 1e-13);
    SetRandomSeed(4660);
    RandomUnitFloat();
    RandomUnitFloat();
    int32_t afterTwoSteps = GetRandomSeed();
    SetRandomSeed(4660);
    RandomUnitDouble();
    EXPECT_EQ(GetRandomSeed(), afterTwoSteps);
}

TEST(Random, DegenerateSeedsFallBackToTheInitialState) {
    for (int32_t seed : {0, -1, 2147483647}) {
        SetRandomSeed(12345);
        SetRandomSeed(seed);
        EXPECT_EQ(GetRandomSeed(), 4660) << "seed " << seed;
    }
    SetRandomSeed(-2);
    EXPECT_EQ(GetRandomSeed(), 2147483646);
}

TEST(Random, RangesAcceptEitherBoundOrder) {
    bool seen[10] = {};
    for (int i = 0; i < 2000; ++i) {
        int32_t up = RandomIntBetween(1, 9);
        int32_t down = RandomIntBetween(9, 1);
        ASSERT_GE(up, 1);
        ASSERT_LE(up, 9);
        ASSERT_GE(down, 1);
        ASSERT_LE(down, 9);
        seen[up] = seen[down] = true;
        double real = RandomBetween(3.0, 1.0);
        ASSERT_GE(real, 1.0);
        ASSERT_LT(real, 3.0);
        real = RandomBetween(1.0, 3.0);
        ASSERT_GE(real, 1.0);
        ASSERT_LT(real, 3.0);
    }
    for (int v = 1; v <= 9; ++v) EXPECT_TRUE(seen[v]) << v << " never drawn";
    EXPECT_EQ(RandomIntBetween(5, 5), 5);
}

TEST(Random, NegativeRangesTruncateTowardZero) {
    for (int i = 0; i < 500; ++i) {
        int32_t v = RandomIntBetween(-5, -1);
        ASSERT_GE(v, -5);
        ASSERT_LE(v, 0);
    }
}
