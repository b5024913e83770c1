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
    std::function<int(int)> ticksOfFrame = [](int) { return 1; };

    bool Card(int n) {
        cards.push_back(n);
        SetRandomSeed(4660);
        return true;
    }
    int Frame() {
        ++frames;
        if (LEVEL_ENDING) ++framesSinceDecided;
        onFrame(frames);
        return ticksOfFrame(frames);
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

    struct Outcome {
        int level;
        bool won;
        float finishedAt;
    };

    GameEnd Run() {
        GameHooks hooks;
        hooks.card = [this](int n) { return recorder.Card(n); };
        hooks.nextFrame = [this] { return recorder.Frame(); };
        hooks.levelOver = [this](int level, const LevelOutcome& outcome) {
            outcomes.push_back({level, LEVEL_WON, outcome.finishedAt});
        };
        return runGame(hooks);
    }

    Recorder recorder;
    std::vector<Outcome> outcomes;
};

}  // namespace

TEST_F(Flow, AWonLevelRunsOnForOneHundredFiftyOneFrames) {
    recorder.onFrame = [this](int frame) {
        if (frame == 10) GOAL->position = FISH->head->position;  // arrives in the next frame
        if (recorder.cards.size() > 1) Key(27);
    };
    EXPECT_EQ(Run(), GameEnd::Quit);
    EXPECT_EQ(recorder.framesSinceDecided, 151);
    EXPECT_EQ((std::vector<int>{1, 2}), recorder.cards);
    EXPECT_EQ(CURRENT_LEVEL, 2);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].level, 1);
    EXPECT_TRUE(outcomes[0].won);
    EXPECT_NEAR(outcomes[0].finishedAt, 11 * TIME_STEP, TIME_STEP / 2) << "the clock when the fish came home";
}

TEST_F(Flow, ALostLevelEndsTheGameWithCardEight) {
    recorder.onFrame = [](int frame) {
        if (frame == 3) LEVEL_CLOCK->elapsed = 181;
    };
    EXPECT_EQ(Run(), GameEnd::Lost);
    EXPECT_EQ((std::vector<int>{1, 8}), recorder.cards);
    EXPECT_FALSE(LEVEL_WON);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].won);
    EXPECT_LT(outcomes[0].finishedAt, 0);
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
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].won);
    EXPECT_LT(outcomes[0].finishedAt, 0) << "a skipped level has no time";

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
    countDownEnding(countdown);
    EXPECT_LT(fadeOutAlpha(countdown), 0);
    EXPECT_EQ(countdown, 5.0f);
    LEVEL_ENDING = true;
    for (int i = 0; i < 121; ++i) countDownEnding(countdown);
    EXPECT_LT(fadeOutAlpha(countdown), 0.05f);
    EXPECT_GT(fadeOutAlpha(countdown), 0.0f);
}

TEST_F(Flow, LateFramesCatchUpWithUpToThreeStepsAndTheClockKeepsRealTime) {
    // Ticks since the previous frame: on time, one late, two late, then a
    // stall of seven ticks that is only partly caught up.
    const int ticks[] = {1, 2, 3, 7, 1, 1};
    const int steps[] = {1, 2, 3, 3, 1};  // in the frame after each wait
    std::vector<float> clockAtFrame;
    recorder.ticksOfFrame = [&](int frame) { return frame <= 6 ? ticks[frame - 1] : 1; };
    recorder.onFrame = [&](int frame) {
        clockAtFrame.push_back(LEVEL_CLOCK->elapsed);
        if (frame == 7) Key(27);
    };
    Run();
    ASSERT_EQ(clockAtFrame.size(), 7u);
    EXPECT_NEAR(clockAtFrame[0], TIME_STEP, 1e-6f);
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(clockAtFrame[i + 1] - clockAtFrame[i], steps[i] * TIME_STEP, 1e-5f) << i;
}

TEST_F(Flow, StepsShareTheFramesPointerMovementOut) {
    Build(1);
    LevelScene scene;
    scene.background = nullptr;
    stepLevel(scene, 3, {{90, -30}, false});
    EXPECT_FLOAT_EQ(STEERING.x, 30 * 30 * 1.5f);
    EXPECT_FLOAT_EQ(STEERING.y, -10 * 30 * 1.5f);
    EXPECT_NEAR(LEVEL_CLOCK->elapsed, 3 * TIME_STEP, 1e-6f);
}

TEST_F(Flow, CatchingUpStopsAtTheLevelsEnd) {
    Build(1);
    LEVEL_ENDING = true;
    LevelScene scene;
    scene.countdown = TIME_STEP * 1.5f;
    stepLevel(scene, 3, {});
    EXPECT_LT(scene.countdown, 0);
    EXPECT_NEAR(LEVEL_CLOCK->elapsed, 2 * TIME_STEP, 1e-6f);
}

TEST_F(Flow, BetweenFramesTheProgramAboveMayRestartTheLevelOrLeaveIt) {
    std::vector<float> clockBefore;
    int calls = 0;
    GameHooks hooks;
    hooks.card = [this](int n) { return recorder.Card(n); };
    hooks.nextFrame = [this] { return recorder.Frame(); };
    hooks.betweenFrames = [&](LevelScene&) {
        clockBefore.push_back(LEVEL_CLOCK->elapsed);
        ++calls;
        if (calls == 20) return LevelAction::Restart;
        if (calls == 25) return LevelAction::ToTitle;
        return LevelAction::Play;
    };
    EXPECT_EQ(runGame(hooks), GameEnd::ToTitle);
    EXPECT_EQ((std::vector<int>{1}), recorder.cards) << "a restart shows no card";
    EXPECT_NEAR(clockBefore[19], 20 * TIME_STEP, 1e-4f);
    EXPECT_NEAR(clockBefore[20], TIME_STEP, 1e-6f) << "the restarted level's clock starts again";
    EXPECT_EQ(calls, 25);

    hooks.card = [](int) { return false; };
    calls = 0;
    EXPECT_EQ(runGame(hooks), GameEnd::Quit) << "quitting during a card";
    EXPECT_EQ(calls, 0);
}
