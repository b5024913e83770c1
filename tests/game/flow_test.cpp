// The level loop's decisions, run without a screen: cards, frame counts,
// keys and the camera.
#include "game/game.h"
#include "world_fixture.h"

#include <vector>

using namespace kelp;

namespace {

struct Recorder {
    std::vector<int> cards;
    int frames = 0;
    int framesSinceDecided = 0;
    std::function<void(int)> onFrame = [](int) {};

    void Card(int n) {
        cards.push_back(n);
        SetRandomSeed(4660);
    }
    void Frame() {
        ++frames;
        if (LEVEL_ENDING) ++framesSinceDecided;
        onFrame(frames);
    }
};

void Key(int code) { EmitInputEvent(KeyDown, nullptr, code, 0, 0, 0, nullptr); }

class Flow : public Headless {
protected:
    void SetUp() override {
        EnablePolledInput(nullptr);
        CURRENT_LEVEL = 1;
        LEVEL_SKIP = false;
    }
    void TearDown() override { DisablePolledInput(); }

    void Run() {
        runGame([this](int n) { recorder.Card(n); }, [this] { recorder.Frame(); });
    }

    Recorder recorder;
};

}  // namespace

TEST_F(Flow, AWonLevelRunsOnForOneHundredFiftyOneFrames) {
    recorder.onFrame = [this](int frame) {
        if (frame == 10) GOAL->position = FISH->head->position;  // arrives in the next frame
        if (recorder.cards.size() > 1) Key(27);
    };
    Run();
    EXPECT_EQ(recorder.framesSinceDecided, 151);
    EXPECT_EQ((std::vector<int>{1, 2}), recorder.cards);
    EXPECT_EQ(CURRENT_LEVEL, 2);
}

TEST_F(Flow, ALostLevelEndsTheGameWithCardEight) {
    recorder.onFrame = [](int frame) {
        if (frame == 3) LEVEL_CLOCK->elapsed = 181;
    };
    Run();
    EXPECT_EQ((std::vector<int>{1, 8}), recorder.cards);
    EXPECT_FALSE(LEVEL_WON);
    EXPECT_EQ(recorder.frames, 3 + 151);  // decided in frame 4
}

TEST_F(Flow, DigitsSkipToTheLevelAfterThem) {
    recorder.onFrame = [this](int frame) {
        if (frame == 2) Key('3');
        if (recorder.cards.size() == 2) Key(27);
    };
    Run();
    EXPECT_EQ((std::vector<int>{1, 4}), recorder.cards);
    EXPECT_EQ(recorder.frames, 3);

    CURRENT_LEVEL = 1;
    recorder = Recorder();
    recorder.onFrame = [](int frame) {
        if (frame == 1) Key('6');
    };
    Run();
    EXPECT_EQ((std::vector<int>{1, 7}), recorder.cards);
}

TEST_F(Flow, EscapeDuringTheEndQuitsAtOnce) {
    recorder.onFrame = [](int frame) {
        if (frame == 2) GOAL->position = FISH->head->position;
        if (frame == 40) Key(27);
    };
    Run();
    EXPECT_TRUE(LEVEL_ENDING);
    EXPECT_EQ(recorder.frames, 40);
    EXPECT_EQ((std::vector<int>{1}), recorder.cards);
    EmitInputEvent(AppTerminate, nullptr, 0, 0, 0, 0, nullptr);
    recorder = Recorder();
    CURRENT_LEVEL = 1;
    Run();
    EXPECT_EQ(recorder.frames, 1);
}

TEST_F(Flow, TheCameraZoomsInOnCloseCompany) {
    Build(1);
    CAMERA_ZOOM = 1;
    FISH->head->position = PLAYER->second->position;
    updateCamera();
    EXPECT_FLOAT_EQ(CAMERA_ZOOM, 0.98f + 2 * 0.02f);
    CAMERA_ZOOM = 1;
    FISH->head->position = add(PLAYER->second->position, makeVector(5000, 0));
    updateCamera();
    EXPECT_FLOAT_EQ(CAMERA_ZOOM, 0.98f + 0.85f * 0.02f);
    EXPECT_FLOAT_EQ(viewZoom(), CAMERA_ZOOM);
}

TEST(Fades, InOverHalfASecondAndOutOverTheLastSecond) {
    EXPECT_FLOAT_EQ(fadeInAlpha(1.0f / 30), 1 - 2.0f / 30);
    EXPECT_FLOAT_EQ(fadeInAlpha(2.0f / 30), 1 - 4.0f / 30);
    EXPECT_LT(fadeInAlpha(0.5f), 0);
    LEVEL_ENDING = false;
    float countdown = 5;
    EXPECT_LT(countDownEnding(countdown), 0);
    EXPECT_EQ(countdown, 5.0f);
    LEVEL_ENDING = true;
    for (int i = 0; i < 120; ++i) countDownEnding(countdown);
    EXPECT_LT(countDownEnding(countdown), 0.05f);
    EXPECT_GT(countDownEnding(countdown), 0.0f);
}
