// The world's golden run: scripted pointer offsets and button presses on
// every level, stepped and drawn as the game does, with a checksum of the
// whole world after every frame. The checksums were recorded once; any change
// to the physics, the levels or the world's state shows here, naming the first
// frame that differs. Drawn with calm lights or not drawn at all, the world
// is the same. KELP_RECORD_GOLDEN=1 writes the files anew.
#include "world_fixture.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace kelp;

namespace {

constexpr int FramesPerLevel = 600;

struct ScriptedInput {
    tvector offset;
    bool button = false;
};

// A wander made of 20-frame strokes in seeded directions, with the button held
// through about a quarter of them; the same for every run.
ScriptedInput ScriptFor(int level, int frame) {
    uint32_t x = uint32_t(level) * 7919u + uint32_t(frame / 20) * 104729u + 12345u;
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    float angle = float(x % 360) * float(M_PI) / 180;
    float pixels = float((x >> 9) % 41);
    return {{pixels * std::cos(angle), pixels * std::sin(angle)}, (x >> 20) % 4 == 0};
}

struct Coverage {
    int hurt = 0, caught = 0, stung = 0, holding = 0, zapped = 0;
};

std::string GoldenPath(int level) {
    return std::string(GOLDEN_DIR) + "/world-level" + std::to_string(level) + ".txt";
}

std::vector<uint64_t> ReadGolden(int level) {
    std::vector<uint64_t> sums;
    std::ifstream in(GoldenPath(level));
    std::string line;
    while (std::getline(in, line)) sums.push_back(std::stoull(line, nullptr, 16));
    return sums;
}

void WriteGolden(int level, const std::vector<uint64_t>& sums) {
    std::FILE* out = std::fopen(GoldenPath(level).c_str(), "w");
    ASSERT_NE(out, nullptr);
    for (uint64_t sum : sums) std::fprintf(out, "%016" PRIx64 "\n", sum);
    std::fclose(out);
}

enum class Drawing { None, Usual, Calm };

class Golden : public ::testing::TestWithParam<std::tuple<int, Drawing>> {
protected:
    void SetUp() override {
        // The world does not depend on the screen's size: a small one draws fast.
        screen = OpenGameScreen(96);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
    }
    void TearDown() override {
        setCalmLights(false);
        CloseScreen();
    }

    std::vector<uint64_t> Play(int level, Drawing drawing) {
        setCalmLights(drawing == Drawing::Calm);
        Level played(level, 4660);
        std::vector<uint64_t> sums;
        for (int frame = 0; frame < FramesPerLevel; ++frame) {
            ScriptedInput input = ScriptFor(level, frame);
            played.step({input.offset, input.button});
            if (drawing != Drawing::None) {
                playWorldSounds();
                played.draw();
                PresentFrame(0);
            }
            Observe();
            sums.push_back(worldChecksum());
        }
        return sums;
    }

    void Observe() {
        coverage.hurt += PLAYER->state == PLAYER_HURT;
        coverage.caught += PLAYER->state == PLAYER_CAUGHT;
        coverage.holding += PLAYER->state == PLAYER_HOLDING;
        coverage.stung += FISH->mood == MOOD_STUNG;
        for (int i = 0; i <= LAST_BEAM; ++i)
            if (auto* blue = dynamic_cast<tbluebeam*>(BEAMS[i].get())) coverage.zapped += blue->zapLatch;
    }

    GraphicsRef screen;
    Coverage coverage;
};

TEST_P(Golden, EveryFrameMatchesTheRecordedWorld) {
    auto [level, drawing] = GetParam();
    std::vector<uint64_t> sums = Play(level, drawing);
    if (std::getenv("KELP_RECORD_GOLDEN") && drawing == Drawing::Usual) {
        WriteGolden(level, sums);
        return;
    }
    std::vector<uint64_t> golden = ReadGolden(level);
    ASSERT_EQ(golden.size(), sums.size()) << "golden file " << GoldenPath(level);
    for (size_t frame = 0; frame < sums.size(); ++frame)
        ASSERT_EQ(golden[frame], sums[frame]) << "level " << level << " first differs in frame " << frame;
    // The script reaches the parts of the world that change state.
    EXPECT_GT(coverage.holding, 0);
    EXPECT_GT(coverage.hurt + coverage.caught, 0);
}

INSTANTIATE_TEST_SUITE_P(Levels, Golden,
                         ::testing::Combine(::testing::Range(1, 7),
                                            ::testing::Values(Drawing::None, Drawing::Usual, Drawing::Calm)),
                         [](const auto& info) {
                             Drawing drawing = std::get<1>(info.param);
                             return "Level" + std::to_string(std::get<0>(info.param)) +
                                    (drawing == Drawing::None ? "Headless" : drawing == Drawing::Usual ? "Drawn" : "DrawnCalm");
                         });

}  // namespace
