// The cheap soft light against the full-cost light it stands for: whole
// frames of play drawn both ways from the same start, read back and compared.
#include "world_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace kelp;

namespace {

struct Difference {
    double mean = 0;
    int percentile99 = 0, largest = 0;
};

Difference Compare(const TPixmap& a, const TPixmap& b) {
    std::vector<int> channels;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            uint32_t p = a.ReadPixelArgb(x, y), q = b.ReadPixelArgb(x, y);
            for (int shift : {0, 8, 16}) channels.push_back(std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF)));
        }
    std::sort(channels.begin(), channels.end());
    Difference d;
    for (int c : channels) d.mean += c;
    d.mean /= double(channels.size());
    d.percentile99 = channels[channels.size() * 99 / 100];
    d.largest = channels.back();
    return d;
}

double MeanLevel(const TPixmap& picture) {
    double sum = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            uint32_t p = picture.ReadPixelArgb(x, y);
            sum += (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF);
        }
    return sum / (3.0 * picture.width * picture.height);
}

class Lights : public ::testing::Test {
protected:
    void SetUp() override {
        screen = OpenGameScreen(800);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
    }
    void TearDown() override {
        setFullCostLights(false);
        CloseScreen();
    }

    // Frames of play, the swimmer circling, drawn as the game draws them.
    PixmapRef Play(int level, bool fullCost) {
        setFullCostLights(fullCost);
        resetDrawState();
        ClearScreen();
        // The first lights are placed around the camera as the last level left it.
        CAMERA_POSITION = {0, 0};
        Level played(level, 4660);
        for (int frame = 0; frame < 90; ++frame) {
            float angle = frame * 0.05f;
            played.step({{8 * std::cos(angle), 8 * std::sin(angle)}, false});
            playWorldSounds();  // as the game does: its notes draw random numbers too
            played.draw();
        }
        return ReadScreenPixels(0, 0, 800, 800);
    }

    GraphicsRef screen;
};

// The background lights at a quarter of the resolution in the veils' one
// pass, and the bolts' faint glows a frame later beneath the world: on
// average within a level and a half of the full-cost picture, and 99% of
// pixels within 12 levels (the red beams' glows flicker at random each frame,
// so a frame's delay differs most there). KELP_LIGHTS_PICTURES=DIR keeps both
// pictures.
TEST_F(Lights, CheapFramesMatchFullCostOnesWithinAFewLevels) {
    for (int level : {1, 5, 6}) {
        PixmapRef full = Play(level, true);
        PixmapRef cheap = Play(level, false);
        Difference d = Compare(*full, *cheap);
        if (const char* dir = std::getenv("KELP_LIGHTS_PICTURES")) {
            SavePixelMapPng(*full, std::string(dir) + "/level" + std::to_string(level) + "-full.png", 6);
            SavePixelMapPng(*cheap, std::string(dir) + "/level" + std::to_string(level) + "-cheap.png", 6);
        }
        EXPECT_LT(d.mean, 1.5) << "level " << level;
        EXPECT_LE(d.percentile99, 12) << "level " << level;
        // Both are pictures of play, not an empty screen.
        EXPECT_GT(MeanLevel(*full), 20) << "level " << level;
    }
}

}  // namespace
