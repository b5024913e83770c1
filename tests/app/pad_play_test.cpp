// The game played with pads through the real pump: SDL's virtual joysticks,
// opened as game controllers, work the menus, pass the cards, steer, calm,
// pause, and pause the game when the pad in use is unplugged.
#include "app/screens.h"

#include "../game/world_fixture.h"
#include "../support/virtual_pad.h"
#include "private_home.h"

#include <gtest/gtest.h>

using namespace kelp;
using namespace kelp_app;

namespace {

// Only the tests' own events and the pads count: other tests' windows moving
// the focus about do not.
const ObjectRef TestInput = std::make_shared<TObject>();

Options AtLevel(int level) {
    Options options;
    options.level = level;
    return options;
}

class PadPlay : public ::testing::Test {
protected:
    void SetUp() override {
        // The window of a test may not have the focus, and SDL reads pads only
        // for a focused window unless told otherwise.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        screen = OpenGameScreen(800);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
        DisablePolledInput();
        EnablePolledInput(TestInput);
        SetRandomSeed(4660);
    }
    void TearDown() override {
        loop.reset();
        session.reset();
        DisablePolledInput();
        CloseScreen();
    }

    void Open(const Options& options = {}) {
        session = std::make_unique<Session>(options);
        ReplayFileReader noReplay;
        loop = std::make_unique<FrameLoop>(*session, openingScreen(*session, noReplay));
    }
    // Frames with the player's real input, as the game's loop takes it.
    void Frames(int count = 1) {
        for (int i = 0; i < count; ++i) loop->frame(TakeFrameInput());
    }
    // A button pressed in one frame and let go in the next.
    void Tap(VirtualPad& pad, SDL_GameControllerButton button) {
        pad.press(button);
        Frames();
        pad.release(button);
        Frames();
    }
    template <class Shown>
    bool On() const {
        return dynamic_cast<const Shown*>(loop->top()) != nullptr;
    }
    // Into level `level`, its card passed with the pad's A.
    void PlayLevel(VirtualPad& pad, int level = 1) {
        Open(AtLevel(level));
        Frames();
        Tap(pad, SDL_CONTROLLER_BUTTON_A);
        Frames(CardBlackFrames);
        ASSERT_TRUE(On<LevelScreen>());
    }

    PrivateHome home{"kelp_pads"};
    GraphicsRef screen;
    std::unique_ptr<Session> session;
    std::unique_ptr<FrameLoop> loop;
};

}  // namespace

TEST_F(PadPlay, APadPluggedInAtTheTitleStartsANewGameAndAnotherPassesItsCard) {
    Open();
    ASSERT_TRUE(On<TitleScreen>());
    VirtualPad first;
    ASSERT_TRUE(first.plugged()) << SDL_GetError();
    Frames();
    Tap(first, SDL_CONTROLLER_BUTTON_DPAD_DOWN);  // New game to Levels
    first.tilt(SDL_CONTROLLER_AXIS_LEFTY, -0.9f);  // and the stick back up
    Frames();
    first.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0);
    Frames();
    EXPECT_EQ(session->hands().device, InputDevice::Pad) << "the hints name the pad";
    Tap(first, SDL_CONTROLLER_BUTTON_A);
    ASSERT_TRUE(On<CardScreen>()) << "New game";
    VirtualPad second;
    ASSERT_TRUE(second.plugged()) << SDL_GetError();
    Frames();
    Tap(second, SDL_CONTROLLER_BUTTON_A);
    Frames(CardBlackFrames);
    EXPECT_TRUE(On<LevelScreen>()) << "the card passed";
    EXPECT_EQ(CURRENT_LEVEL, 1);
}

// Full deflection steers 30 play-area pixels a frame: the pointer moved as
// far each frame takes the swimmer to the very same place.
TEST_F(PadPlay, AHeldStickSteersAsTheMouseMovingAsFarDoes) {
    VirtualPad pad;
    ASSERT_TRUE(pad.plugged()) << SDL_GetError();
    PlayLevel(pad);
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 1);
    Frames();
    EXPECT_GT(STEERING.x, 0) << "the swimmer answers in the frame the stick moved";
    Frames(29);
    tvector byStick = PLAYER->main->position;

    SetRandomSeed(4660);
    Open(AtLevel(1));
    FrameInput pass;
    pass.presses[Keys::Space] = 1;
    loop->frame(pass);
    FrameInput nothing;
    for (int i = 0; i < CardBlackFrames; ++i) loop->frame(nothing);
    ASSERT_TRUE(On<LevelScreen>());
    FrameInput moved;
    moved.motionX = int32_t(StickFullPixels);
    for (int i = 0; i < 30; ++i) loop->frame(moved);
    EXPECT_EQ(PLAYER->main->position.x, byStick.x);
    EXPECT_EQ(PLAYER->main->position.y, byStick.y);
    EXPECT_GT(byStick.x, 50) << "and it went somewhere";
}

TEST_F(PadPlay, TheCalmingButtonAndTheRightTriggerCalmTheFish) {
    VirtualPad pad;
    ASSERT_TRUE(pad.plugged()) << SDL_GetError();
    PlayLevel(pad);
    Frames(5);
    EXPECT_NE(PLAYER->state, PLAYER_HOLDING);
    pad.press(SDL_CONTROLLER_BUTTON_A);
    Frames(3);
    EXPECT_EQ(PLAYER->state, PLAYER_HOLDING);
    pad.release(SDL_CONTROLLER_BUTTON_A);
    Frames(3);
    EXPECT_NE(PLAYER->state, PLAYER_HOLDING);
    pad.tilt(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.9f);
    Frames(3);
    EXPECT_EQ(PLAYER->state, PLAYER_HOLDING);
}

TEST_F(PadPlay, StartPausesAndResumesAndBackShowsTheWay) {
    VirtualPad pad;
    ASSERT_TRUE(pad.plugged()) << SDL_GetError();
    PlayLevel(pad);
    Tap(pad, SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(On<PauseScreen>());
    float paused = LEVEL_CLOCK->elapsed;
    Frames(5);
    EXPECT_EQ(LEVEL_CLOCK->elapsed, paused);
    Tap(pad, SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(On<LevelScreen>());
    EXPECT_GT(LEVEL_CLOCK->elapsed, paused);
    Tap(pad, SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(On<PauseScreen>());
    Tap(pad, SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_TRUE(On<WayScreen>()) << "Show me the way";
}

TEST_F(PadPlay, UnpluggingThePadInUsePausesAndAPadPluggedInResumes) {
    auto pad = std::make_unique<VirtualPad>();
    ASSERT_TRUE(pad->plugged()) << SDL_GetError();
    PlayLevel(*pad);
    pad->tilt(SDL_CONTROLLER_AXIS_LEFTX, 0.8f);
    Frames(5);
    pad.reset();
    Frames();
    ASSERT_TRUE(On<PauseScreen>());
    float paused = LEVEL_CLOCK->elapsed;
    Frames(10);
    EXPECT_EQ(LEVEL_CLOCK->elapsed, paused);
    VirtualPad again;
    ASSERT_TRUE(again.plugged()) << SDL_GetError();
    Frames();
    Tap(again, SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(On<LevelScreen>());
    EXPECT_GT(LEVEL_CLOCK->elapsed, paused);
}
