// A level built and stepped without a screen, from the game's fixed random start.
#pragma once

#include "game/game.h"

#include "../render/open_screen.h"

#include <gtest/gtest.h>

// A square screen of this size with the game's pictures loaded and the view
// centred on it, as start-up leaves it; null without an X server.
inline GraphicsRef OpenGameScreen(int size) {
    InitSystemLayer();
    GraphicsRef screen = OpenTestScreen(size, size, 0);
    if (!screen) return nullptr;
    SetAutoCentreHandle(true);
    SetDefaultImageFlags(IMAGE_EDITABLE);
    kelp::loadPictures();
    kelp::setScreenCentre({size / 2.0f, size / 2.0f});
    return screen;
}

class Headless : public ::testing::Test {
protected:
    void Build(int level) {
        SetRandomSeed(4660);
        kelp::LEVEL_CLOCK->start();
        kelp::STEERING = {};
        kelp::buildLevel(level);
    }
};
