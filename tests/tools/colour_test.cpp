// Colours through simulated dichromacy, and the maze's things seen that way.
#include "game/game.h"
#include "tools/colours/maze_colours.h"

#include "../game/world_fixture.h"

#include <gtest/gtest.h>

using namespace kelp_vision;

namespace {

TEST(Vision, GreysStayGreyAndRedLosesItsRednessWithoutLongOrMiddleCones) {
    for (Vision vision : Visions) {
        Linear white = seenAs(vision, {1, 1, 1});
        EXPECT_NEAR(white.r, 1, 1e-5) << nameOf(vision);
        EXPECT_NEAR(white.g, 1, 1e-5) << nameOf(vision);
        EXPECT_NEAR(white.b, 1, 1e-5) << nameOf(vision);
        Linear grey = seenAs(vision, {0.2, 0.2, 0.2});
        EXPECT_NEAR(colourDistance(grey, {0.2, 0.2, 0.2}), 0, 0.01) << nameOf(vision);
    }
    Linear red{1, 0, 0}, green{0, 1, 0};
    EXPECT_GT(colourDistance(red, green), 100) << "typical eyes: far apart";
    EXPECT_LT(colourDistance(seenAs(Vision::Protanopia, red), seenAs(Vision::Protanopia, green)),
              colourDistance(red, green) / 2);
    EXPECT_LT(colourDistance(seenAs(Vision::Deuteranopia, red), seenAs(Vision::Deuteranopia, green)),
              colourDistance(red, green) / 2);
    EXPECT_LT(luminance(seenAs(Vision::Protanopia, red)), luminance(red)) << "red looks darker without long cones";
    Linear blue{0, 0, 1}, teal{0, 0.3, 0.3};
    EXPECT_LT(colourDistance(seenAs(Vision::Tritanopia, blue), seenAs(Vision::Tritanopia, teal)),
              colourDistance(blue, teal)) << "blue and teal draw together without short cones";
}

TEST(Vision, DistancesAndContrastsHaveTheirKnownEnds) {
    Linear black{0, 0, 0}, white{1, 1, 1};
    EXPECT_NEAR(colourDistance(black, white), 100, 0.01);
    EXPECT_NEAR(contrastRatio(black, white), 21, 1e-9);
    EXPECT_DOUBLE_EQ(contrastRatio(white, white), 1);
    Linear mid = fromSrgb(188, 188, 188);
    EXPECT_NEAR(luminance(mid), 0.5, 0.01);
}

class MazeColours : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        screen = OpenGameScreen(800);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
        kelp::setCalmLights(GetParam());
    }
    void TearDown() override {
        kelp::setCalmLights(false);
        CloseScreen();
    }
    GraphicsRef screen;
};

// The pairs of one shape, told apart by colour alone, stay far apart through
// every vision in the game's own frames, with calm lights too.
TEST_P(MazeColours, ThingsOfOneShapeStayApartThroughEveryVision) {
    std::vector<SeenThing> things = lookAtMazeThings();
    ASSERT_EQ(things.size(), 5u) << "a firing red beam, a lit blue beam, a lit and an unlit ball, the goal";
    int sameShapePairs = 0;
    for (size_t i = 0; i < things.size(); ++i) {
        EXPECT_GT(things[i].pixels.size(), 20u) << things[i].name << " is seen";
        for (size_t j = i + 1; j < things.size(); ++j) {
            if (things[i].shape != things[j].shape) continue;
            ++sameShapePairs;
            for (Vision vision : Visions)
                EXPECT_GE(colourDistance(colourOf(things[i], vision), colourOf(things[j], vision)), 20)
                    << things[i].name << " and " << things[j].name << " through " << nameOf(vision);
        }
    }
    EXPECT_EQ(sameShapePairs, 2) << "the beams, the balls";
}

INSTANTIATE_TEST_SUITE_P(Lights, MazeColours, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Calm" : "Usual"; });

}  // namespace
