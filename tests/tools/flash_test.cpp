// The flash analyser on frames made up to known answers.
#include "app/replay.h"
#include "tools/flash/flashes.h"

#include "../game/world_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using namespace kelp_flash;

namespace {

// A fifth of the play area, with the field scaled alike.
constexpr int Size = 160;
const Field SmallField{95, 53, 0.25};

struct Colour {
    uint8_t r, g, b;
};

// `seconds` of frames at 30 a second, each pixel coloured by `paint(frame, x, y)`.
FlashAnalyser Analyse(double seconds, const std::function<Colour(int, int, int)>& paint) {
    FlashAnalyser analyser(Size, Size, SmallField);
    std::vector<uint8_t> frame(Size * Size * 4);
    for (int f = 0; f < int(seconds * FlashAnalyser::FramesPerSecond); ++f) {
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x) {
                Colour c = paint(f, x, y);
                uint8_t* p = &frame[size_t(y * Size + x) * 4];
                p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
            }
        analyser.add(frame.data(), Size * 4);
    }
    return analyser;
}

// On for half of each period of `hertz` (at 30 frames a second), off for the other.
bool On(int frame, double hertz) { return std::fmod(frame * hertz / FlashAnalyser::FramesPerSecond, 1.0) < 0.5; }

constexpr Colour Black{0, 0, 0}, White{255, 255, 255}, Red{255, 0, 0};

}  // namespace

TEST(Flashes, AFastFlickerOfTheWholeScreenFailsASlowOnePasses) {
    FlashAnalyser fast = Analyse(2, [](int f, int, int) { return On(f, 5) ? White : Black; });
    EXPECT_EQ(fast.worstGeneral().flashes, 5);
    EXPECT_DOUBLE_EQ(fast.worstGeneral().areaShare, 1);
    EXPECT_EQ(fast.worstRed().flashes, 0) << "no red in it";
    EXPECT_EQ(fast.flashesAt(80, 80), 5);

    FlashAnalyser slow = Analyse(2, [](int f, int, int) { return On(f, 2) ? White : Black; });
    EXPECT_EQ(slow.worstGeneral().flashes, 2);
    EXPECT_LE(slow.worstGeneral().flashes, 3) << "within the limit";
    EXPECT_DOUBLE_EQ(fast.overLimitShare(), 1);
    EXPECT_DOUBLE_EQ(slow.overLimitShare(), 0);
}

TEST(Flashes, ASmallFlashingSquareUnderTheAreaLimitCountsNothing) {
    auto square = [](int side) {
        return Analyse(2, [side](int f, int x, int y) { return x < side && y < side && On(f, 6) ? White : Black; });
    };
    FlashAnalyser small = square(30);
    EXPECT_EQ(small.worstGeneral().flashes, 0) << "900 px of a 5035 px field";
    EXPECT_NEAR(small.overLimitShare(), 900.0 / (95 * 53), 1e-9) << "how near it came";
    FlashAnalyser large = square(60);
    EXPECT_EQ(large.worstGeneral().flashes, 6) << "3600 px: more than a quarter of a field";
    EXPECT_NEAR(large.worstGeneral().areaShare, 3600.0 / (Size * Size), 1e-9);
}

TEST(Flashes, ASaturatedRedFlickerCountsAsRedFlashes) {
    FlashAnalyser red = Analyse(2, [](int f, int, int) { return On(f, 5) ? Red : Black; });
    EXPECT_EQ(red.worstRed().flashes, 5);
    EXPECT_EQ(red.worstGeneral().flashes, 5);
    FlashAnalyser pink = Analyse(2, [](int f, int, int) { return On(f, 5) ? Colour{255, 120, 120} : Black; });
    EXPECT_EQ(pink.worstRed().flashes, 0) << "not saturated";
}

TEST(Flashes, SlowFadesAndSmallOrBrightChangesCountNothing) {
    FlashAnalyser fades = Analyse(6, [](int f, int, int) {
        double t = std::fmod(f / 60.0, 2.0);  // two seconds up, two down
        auto level = uint8_t(std::lround(255 * (t < 1 ? t : 2 - t)));
        return Colour{level, level, level};
    });
    EXPECT_EQ(fades.worstGeneral().flashes, 0);
    FlashAnalyser faint = Analyse(2, [](int f, int, int) { return On(f, 6) ? Colour{40, 40, 40} : Black; });
    EXPECT_EQ(faint.worstGeneral().flashes, 0) << "a change under 0.1";
    FlashAnalyser bright = Analyse(2, [](int f, int, int) { return On(f, 6) ? White : Colour{240, 240, 240}; });
    EXPECT_EQ(bright.worstGeneral().flashes, 0) << "the darker side above 0.8";
}

TEST(Flashes, TheWorstSecondIsFoundWhereverItFalls) {
    // Calm, then a second and a half of fast flicker, then calm again.
    FlashAnalyser burst = Analyse(5, [](int f, int, int) { return f >= 60 && f < 105 && On(f, 4) ? White : Black; });
    EXPECT_EQ(burst.worstGeneral().flashes, 4);
    EXPECT_GE(burst.worstGeneral().frame, 60 + 7 * 30 / 8) << "after its eighth change";
    EXPECT_LT(burst.worstGeneral().frame, 105 + 30);
}

// The game's own frames, drawn as the game draws them from a winning replay.
class GameFrames : public ::testing::Test {
protected:
    void SetUp() override {
        screen = OpenGameScreen(800);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
    }
    void TearDown() override { CloseScreen(); }

    // The flashes in frames [first, last] of level `level`'s winning replay;
    // the world is stepped unseen up to a second and a half before, for the
    // veils' trails to settle.
    FlashAnalyser Analyse(int level, int first, int last) {
        kelp_app::Replay replay;
        std::string error;
        std::string path = std::string(WINNING_REPLAYS) + "/won-level-" + std::to_string(level) + ".kgreplay";
        EXPECT_TRUE(kelp_app::readReplayFile(path, replay, error)) << error;
        const kelp_app::ReplayLevel& recorded = replay.levels.at(0);
        kelp::Level played(recorded.level, recorded.seed, recorded.assists);
        FlashAnalyser analyser(800, 800);
        for (int frame = 0; frame <= last; ++frame) {
            const kelp_app::ReplayStep& step = recorded.steps.at(size_t(frame));
            played.step({{step.x, step.y}, step.calm});
            if (frame < first - 45) continue;
            played.draw();
            FinishDrawing();
            PixmapRef shot = ReadScreenPixels(0, 0, 800, 800);
            if (frame >= first) analyser.add(shot->pixels, shot->pitch);
        }
        return analyser;
    }

    GraphicsRef screen;
};

// Level 1's worst second when bolts took fresh jags every frame: five
// flashes over a sixth of the play area.
TEST_F(GameFrames, LevelOnesBoltsFlashWithinTheLimit) {
    FlashAnalyser seen = Analyse(1, 470, 515);
    EXPECT_LE(seen.worstGeneral().flashes, 3);
    EXPECT_EQ(seen.worstRed().flashes, 0);
}

class EveryLevel : public GameFrames, public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    void TearDown() override {
        kelp::setCalmLights(false);
        GameFrames::TearDown();
    }
};

// Each level's worst second in the first twenty of its replay, found by
// flash_check: within the limit, and no worse with calm lights, which leave
// a smaller part of the screen near it.
TEST_P(EveryLevel, TheWorstSecondIsWithinTheLimitAndCalmLightsCalmIt) {
    auto [level, last] = GetParam();
    FlashAnalyser usual = Analyse(level, last - FlashAnalyser::FramesPerSecond + 1, last);
    EXPECT_LE(usual.worstGeneral().flashes, FlashAnalyser::MostFlashesPerSecond);
    EXPECT_EQ(usual.worstRed().flashes, 0);
    kelp::setCalmLights(true);
    FlashAnalyser calm = Analyse(level, last - FlashAnalyser::FramesPerSecond + 1, last);
    EXPECT_LE(calm.worstGeneral().flashes, usual.worstGeneral().flashes);
    EXPECT_EQ(calm.worstRed().flashes, 0);
    EXPECT_LT(calm.overLimitShare(), usual.overLimitShare());
}

INSTANTIATE_TEST_SUITE_P(Replays, EveryLevel,
                         ::testing::Values(std::pair{1, 43}, std::pair{2, 36}, std::pair{3, 566}, std::pair{4, 441},
                                           std::pair{5, 102}, std::pair{6, 225}),
                         [](const auto& info) { return "Level" + std::to_string(info.param.first); });
