// The way to the goal: an arrow at the screen's edge while the goal is off
// screen, pointing at it, and none while it shows or the setting is off.
#include "world_fixture.h"

#include <gtest/gtest.h>

using namespace kelp;

namespace {

class WayToTheGoal : public ::testing::Test {
protected:
    void SetUp() override {
        screen = OpenGameScreen(400);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
        SetRandomSeed(4660);
        LEVEL_CLOCK->start();
        buildLevel(1);
        SHOW_GOAL_ARROW = true;
    }
    void TearDown() override { CloseScreen(); }

    // The bright pixels of the HUD alone, drawn over black, in each quarter
    // band along the edges: left, right, top, bottom.
    std::array<int, 4> ArrowPixels(tvector viewCentre) {
        setViewZoom(0.5f);
        setViewCentre(viewCentre);
        SetClearColor(0, 0, 0);
        ClearScreen();
        GOAL->drawArrow();
        FinishDrawing();
        PixmapRef shot = ReadScreenPixels(0, 0, 400, 400);
        std::array<int, 4> bands{};
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x) {
                if ((shot->ReadPixelArgb(x, y) & 0xFF) < 150) continue;
                if (x < 60) ++bands[0];
                if (x >= 340) ++bands[1];
                if (y < 60) ++bands[2];
                if (y >= 340) ++bands[3];
            }
        return bands;
    }

    GraphicsRef screen;
};

}  // namespace

TEST_F(WayToTheGoal, AnArrowAtTheEdgeFacingAnOffScreenGoal) {
    tvector goal = GOAL->position;
    std::array<int, 4> left = ArrowPixels(add(goal, makeVector(3000, 0)));
    EXPECT_GT(left[0], 40) << "the goal far to the left";
    EXPECT_EQ(left[1] + left[2] + left[3], 0);
    std::array<int, 4> below = ArrowPixels(add(goal, makeVector(0, -3000)));
    EXPECT_GT(below[3], 40) << "the goal far below";
    EXPECT_EQ(below[0] + below[1] + below[2], 0);
}

TEST_F(WayToTheGoal, NoArrowWhileTheGoalShowsOrWhenTurnedOff) {
    tvector goal = GOAL->position;
    std::array<int, 4> near = ArrowPixels(add(goal, makeVector(300, 0)));
    EXPECT_EQ(near[0] + near[1] + near[2] + near[3], 0) << "its sign still shows at the edge";
    SHOW_GOAL_ARROW = false;
    SetClearColor(0, 0, 0);
    ClearScreen();
    setViewCentre(add(goal, makeVector(3000, 0)));
    drawHud();
    FinishDrawing();
    PixmapRef shot = ReadScreenPixels(0, 0, 400, 400);
    int bright = 0;
    for (int y = 100; y < 400; ++y)
        for (int x = 0; x < 60; ++x) bright += (shot->ReadPixelArgb(x, y) & 0xFF) >= 150;
    EXPECT_EQ(bright, 0);
}

// A level is drawn before its first step whenever it starts again: the title's
// garden and the demo restart theirs when the clock runs out.
TEST(LevelStart, EveryLevelDrawsBeforeItsFirstStepFreshOrRestarted) {
    GraphicsRef screen = OpenGameScreen(400);
    ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
    SetRandomSeed(4660);
    for (int level = 1; level <= 6; ++level) {
        Level scene(level, uint32_t(GetRandomSeed()));
        for (int restart = 0; restart < 2; ++restart) {
            SetClearColor(0, 0, 0);
            ClearScreen();
            scene.drawScene();
            FinishDrawing();
            PixmapRef shot = ReadScreenPixels(0, 0, 400, 400);
            int lit = 0;
            for (int y = 0; y < 400; y += 4)
                for (int x = 0; x < 400; x += 4) lit += (shot->ReadPixelArgb(x, y) & 0xFFFFFF) != 0;
            EXPECT_GT(lit, 100) << "level " << level << (restart ? ", restarted" : ", fresh");
            for (int step = 0; step < 40; ++step) scene.step({{3, 1}, false});
            scene = Level(level, uint32_t(GetRandomSeed()));
        }
    }
    CloseScreen();
}

// The dial glows warm in the level's last half minute, and not before.
TEST(TheClock, GlowsWarmInTheLastHalfMinute) {
    GraphicsRef screen = OpenGameScreen(400);
    ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
    SetRandomSeed(4660);
    LEVEL_CLOCK->start();
    buildLevel(1);
    auto warmth = [](float remaining) {
        LEVEL_CLOCK->elapsed = GOAL->deadline - remaining;
        SetClearColor(0, 0, 0);
        ClearScreen();
        drawHud();
        FinishDrawing();
        PixmapRef shot = ReadScreenPixels(0, 0, 100, 100);
        long warm = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                uint32_t p = shot->ReadPixelArgb(x, y);
                warm += long(p >> 16 & 0xFF) - long(p & 0xFF);
            }
        return warm / 100;
    };
    long calm = warmth(95.5f), early = warmth(30.5f), hurrying = warmth(20.5f), between = warmth(20.0f);
    EXPECT_NEAR(early, calm, 30) << "no glow before the last half minute, only the hands moved";
    EXPECT_GT(hurrying, calm + 300) << "the glow at its height";
    EXPECT_LT(between, hurrying) << "it pulses";
    CloseScreen();
}
