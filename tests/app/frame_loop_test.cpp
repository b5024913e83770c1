// The frame loop over the real screens, frame by frame with scripted input and
// the frame clock's ticks given: which screen each frame leaves on top, and
// that each press is seen once, by the screen on top in its frame.
#include "app/screens.h"

#include "../game/world_fixture.h"
#include "private_home.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>

using namespace kelp;
using namespace kelp_app;

namespace {

FrameInput Nothing(int ticks = 1) {
    FrameInput input;
    input.ticks = ticks;
    return input;
}

FrameInput Press(std::initializer_list<int32_t> keys) {
    FrameInput input;
    for (int32_t key : keys) ++input.presses[size_t(key)];
    return input;
}

FrameInput Press(int32_t key) { return Press({key}); }

Options AtLevel(int level) {
    Options options;
    options.level = level;
    return options;
}

class Loop : public ::testing::Test {
protected:
    void SetUp() override {
        screen = OpenGameScreen(800);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
        SetRandomSeed(4660);
    }
    void TearDown() override {
        loop.reset();
        session.reset();
        CloseScreen();
    }

    void Open(const Options& options = {}) {
        session = std::make_unique<Session>(options);
        ReplayFileReader noReplay;
        loop = std::make_unique<FrameLoop>(*session, openingScreen(*session, noReplay));
    }
    void Frames(int count, const FrameInput& input = Nothing()) {
        for (int i = 0; i < count; ++i) loop->frame(input);
    }
    template <class Shown>
    bool On() const {
        return dynamic_cast<const Shown*>(loop->top()) != nullptr;
    }
    // From a card just shown to the level after it: passed, then a second of black.
    void PassCard() {
        ASSERT_TRUE(On<CardScreen>());
        loop->frame(Press(Keys::Space));
        Frames(CardBlackFrames - 1);
        ASSERT_TRUE(On<CardScreen>()) << "still black";
        loop->frame(Nothing());
        ASSERT_TRUE(On<LevelScreen>());
    }

    PrivateHome home{"kelp_loop"};
    GraphicsRef screen;
    std::unique_ptr<Session> session;
    std::unique_ptr<FrameLoop> loop;
};

}  // namespace

// Title, card, level, pause, settings and back, the level's end and the next card.
TEST_F(Loop, AGameGoesFromTheTitleThroughItsCardsLevelsAndMenus) {
    Open();
    ASSERT_TRUE(On<TitleScreen>());
    loop->frame(Press(Keys::Enter));  // New game, selected while nothing is reached
    EXPECT_TRUE(On<CardScreen>());
    EXPECT_TRUE(session->playing());
    PassCard();
    EXPECT_EQ(CURRENT_LEVEL, 1);
    EXPECT_NEAR(LEVEL_CLOCK->elapsed, TIME_STEP, 1e-6f) << "a level's first frame takes its first step";
    Frames(3);
    EXPECT_NEAR(LEVEL_CLOCK->elapsed, 4 * TIME_STEP, 1e-5f);

    loop->frame(Press(Keys::Escape));
    ASSERT_TRUE(On<PauseScreen>());
    float paused = LEVEL_CLOCK->elapsed;
    FrameInput toSettings;
    toSettings.presses[Keys::Down] = 3;  // Resume, Restart, the way, Settings
    loop->frame(toSettings);
    loop->frame(Press(Keys::Enter));
    ASSERT_TRUE(On<SettingsScreen>());
    loop->frame(Press(Keys::Escape));
    ASSERT_TRUE(On<PauseScreen>());
    Frames(10);
    loop->frame(Press(Keys::Escape));
    ASSERT_TRUE(On<LevelScreen>());
    EXPECT_NEAR(LEVEL_CLOCK->elapsed, paused + TIME_STEP, 1e-5f) << "play goes on in the frame it resumes";

    GOAL->position = FISH->head->position;
    int frames = 0;
    for (; On<LevelScreen>() && frames < 300; ++frames) loop->frame(Nothing());
    EXPECT_EQ(frames, 151 + 1) << "the countdown, then the frame that leaves the level";
    EXPECT_TRUE(On<CardScreen>());
    EXPECT_EQ(CURRENT_LEVEL, 2);
    EXPECT_GT(session->progress.bestMillis[0], 0) << "the time is the player's";
    PassCard();
    EXPECT_EQ(CURRENT_LEVEL, 2);
}

// Bright small print in the band of the screen from `top`, `height` rows.
int BrightPixelsIn(int top, int height) {
    PixmapRef shot = ReadScreenPixels(100, top, 600, height);
    int bright = 0;
    for (int y = 0; y < shot->height; ++y)
        for (int x = 0; x < shot->width; ++x) bright += (shot->ReadPixelArgb(x, y) & 0xFF) > 150;
    return bright;
}

// Assists chosen in the settings build the next level slower and with more
// time, are shown on its card and in the pause, and its win is kept apart.
TEST_F(Loop, AssistsAreShownOnTheCardAndThePauseAndTheLevelPlaysWithThem) {
    Open(AtLevel(1));
    Frames(40);
    int plainCard = BrightPixelsIn(676, 28);
    Settings assisted = session->settings;
    assisted.gameSpeed = 60;
    assisted.moreTime = 50;
    session->change(assisted);
    Frames(1);
    EXPECT_GT(BrightPixelsIn(676, 28), plainCard + 100) << "the card names the assists";
    PassCard();
    EXPECT_NEAR(LEVEL_CLOCK->elapsed, 0.6f * TIME_STEP, 1e-6f) << "a step of game time at 60 %";
    EXPECT_EQ(GOAL->deadline, 270);

    loop->frame(Press(Keys::Escape));
    ASSERT_TRUE(On<PauseScreen>());
    EXPECT_GT(BrightPixelsIn(234, 24), 60) << "the pause names the assists under the time left";
    loop->frame(Press(Keys::Escape));

    GOAL->position = FISH->head->position;
    for (int frames = 0; On<LevelScreen>() && frames < 300; ++frames) loop->frame(Nothing());
    EXPECT_EQ(session->progress.bestMillis[0], 0);
    EXPECT_GT(session->progress.assistedBestMillis[0], 0) << "a win with assists is kept apart";
}

// A late frame catches up with as many steps as ticks went by, three at most.
TEST_F(Loop, ALevelTakesAStepPerTickUpToThreeAFrame) {
    Open(AtLevel(1));
    PassCard();
    const int ticks[] = {1, 2, 3, 7, 1};
    const int steps[] = {1, 2, 3, 3, 1};
    for (int i = 0; i < 5; ++i) {
        float before = LEVEL_CLOCK->elapsed;
        loop->frame(Nothing(ticks[i]));
        EXPECT_NEAR(LEVEL_CLOCK->elapsed - before, steps[i] * TIME_STEP, 1e-5f) << ticks[i] << " ticks";
    }
}

// A lost level shows the game-over card, then the title with Continue on it.
TEST_F(Loop, ALostLevelEndsWithCardEightThenTheTitle) {
    Open(AtLevel(3));
    PassCard();
    Frames(2);
    LEVEL_CLOCK->elapsed = 1000;
    for (int frame = 0; On<LevelScreen>() && frame < 300; ++frame) loop->frame(Nothing());
    EXPECT_FALSE(LEVEL_WON);
    ASSERT_TRUE(On<CardScreen>());
    loop->frame(Press(Keys::Enter));
    Frames(CardBlackFrames);
    EXPECT_TRUE(On<TitleScreen>());
    EXPECT_FALSE(session->playing());
    EXPECT_EQ(session->progress.resume, 3);
}

// The last digit skips to the end card, after which the title comes back.
TEST_F(Loop, TheEndCardLeadsBackToTheTitle) {
    Open(AtLevel(2));
    PassCard();
    loop->frame(Press(Keys::Digit(6)));
    ASSERT_TRUE(On<CardScreen>()) << "a skipped level leaves at once";
    EXPECT_EQ(CURRENT_LEVEL, 7);
    Frames(CardFrames + CardBlackFrames);
    EXPECT_TRUE(On<CardScreen>()) << "the card waits for a key";
    loop->frame(Press(Keys::Enter));
    Frames(CardBlackFrames);
    EXPECT_TRUE(On<TitleScreen>());
    EXPECT_EQ(session->progress.reached, 2) << "a skip is not the player's progress";
}

// Left alone the title shows the autopilot playing; a key or the pointer
// stirring brings the title back, and is not taken as a choice there.
TEST_F(Loop, TheDemoStartsWhenTheTitleIsLeftAloneAndStopsOnAnyStir) {
    Open();
    Frames(20 * 30 - 1);
    EXPECT_TRUE(On<TitleScreen>());
    loop->frame(Nothing());
    ASSERT_TRUE(On<DemoScreen>());
    Frames(40);
    EXPECT_TRUE(On<DemoScreen>());
    FrameInput moved;
    moved.pointerMoved = true;
    moved.motionX = 3;
    loop->frame(moved);
    EXPECT_TRUE(On<TitleScreen>());
    Frames(20 * 30);
    ASSERT_TRUE(On<DemoScreen>());
    loop->frame(Press(Keys::Enter));
    EXPECT_TRUE(On<TitleScreen>());
    loop->frame(Nothing());
    EXPECT_TRUE(On<TitleScreen>()) << "the Enter that ended the demo started no game";
}

// Keys that mean something only in a menu, pressed in play, are spent there:
// the pause menu opened later neither quits, restarts nor resumes for them.
TEST_F(Loop, KeysPressedInPlayDoNothingToThePauseMenuOpenedLater) {
    Open(AtLevel(1));
    PassCard();
    Frames(5);
    loop->frame(Press({Keys::Letter('Q'), Keys::Letter('R'), Keys::Space, Keys::Enter}));
    ASSERT_TRUE(On<LevelScreen>());
    Frames(5);
    loop->frame(Press(Keys::Escape));
    ASSERT_TRUE(On<PauseScreen>());
    float paused = LEVEL_CLOCK->elapsed;
    Frames(5);
    EXPECT_TRUE(loop->running());
    EXPECT_TRUE(On<PauseScreen>());
    EXPECT_EQ(LEVEL_CLOCK->elapsed, paused) << "neither restarted nor resumed";
}

// A stop or the window's close ends the game in any screen, its progress kept.
TEST_F(Loop, AStopEndsTheProgramFromAnyScreenAndKeepsWhereThePlayerWas) {
    Open(AtLevel(4));
    PassCard();
    loop->frame(Press(Keys::Escape));
    FrameInput stop;
    stop.stopRequested = true;
    EXPECT_FALSE(loop->frame(stop));
    EXPECT_FALSE(loop->running());
    EXPECT_FALSE(session->playing());
    EXPECT_EQ(session->progress.resume, 4);
}

// Real key events through the real pump: Alt pressed and released with Enter
// inside one frame still switches full screen, every time, and its Enter is
// not the menu's.
TEST_F(Loop, AQuickAltEnterSwitchesFullScreenEveryTime) {
    Open();
    DisablePolledInput();
    EnablePolledInput(nullptr);
    auto push = [](SDL_Scancode key, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = key;
        SDL_PushEvent(&event);
    };
    int switched = 0;
    bool suspended = TakeFrameInput().suspended;  // other tests' windows may have the focus
    for (int attempt = 0; attempt < 4; ++attempt) {
        bool wasFull = IsFullScreen();
        push(SDL_SCANCODE_LALT, true);
        push(SDL_SCANCODE_RETURN, true);
        push(SDL_SCANCODE_RETURN, false);
        push(SDL_SCANCODE_LALT, false);
        FrameInput input = TakeFrameInput();
        // The focus moving meanwhile sent the keys elsewhere.
        if (std::exchange(suspended, input.suspended) != input.suspended) continue;
        loop->frame(input);
        EXPECT_NE(IsFullScreen(), wasFull) << "attempt " << attempt;
        EXPECT_TRUE(On<TitleScreen>()) << "the chord's Enter chose nothing";
        ++switched;
    }
    EXPECT_GE(switched, 2);
    if (IsFullScreen()) ToggleFullScreen();
    DisablePolledInput();
}
