// A level built and stepped without a screen, from the game's fixed random start.
#pragma once

#include "game/world.h"

#include <gtest/gtest.h>

class Headless : public ::testing::Test {
protected:
    void Build(int level) {
        SetRandomSeed(4660);
        kelp::LEVEL_CLOCK->start();
        kelp::STEERING = {};
        kelp::buildLevel(level);
    }
};
