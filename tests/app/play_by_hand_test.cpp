// The game played with pads and fingers through the real pump. SDL's virtual
// joysticks, opened as game controllers, work the menus, pass the cards,
// steer, calm, pause, and pause the game when the pad in use is unplugged.
// SDL's finger events do the same by taps, drags and a second finger.
#include "app/drawing.h"
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

    // Level 1 built as the test's first was, its card passed with Space, for
    // the mouse to play it as the test's hands did.
    void PlayLevelAgainByKeys() {
        SetRandomSeed(4660);
        Open(AtLevel(1));
        FrameInput pass;
        pass.presses[Keys::Space] = 1;
        loop->frame(pass);
        for (int i = 0; i < CardBlackFrames; ++i) loop->frame(FrameInput{});
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

    PlayLevelAgainByKeys();
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

namespace {

class TouchPlay : public PadPlay {
protected:
    void Push(uint32_t type, SDL_FingerID finger, float x, float y) {
        SDL_Event event{};
        event.type = type;
        event.tfinger.touchId = 1;
        event.tfinger.fingerId = finger;
        event.tfinger.x = x / 800;
        event.tfinger.y = y / 800;
        event.tfinger.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
        SDL_PushEvent(&event);
    }
    // A finger down and up again at once, at a point of the 800-pixel window.
    void TapAt(float x, float y) {
        Push(SDL_FINGERDOWN, 1, x, y);
        Push(SDL_FINGERUP, 1, x, y);
        Frames();
    }
    // Where `menu` draws its item for `command`, found as the menu finds a pointer.
    static float ItemY(const Menu& menu, Command command) {
        for (float y = 0; y < 800; y += 2) {
            int at = MenuItemAt(menu, 400, y);
            if (at >= 0 && menu.items[size_t(at)].command == command) return y + 8;
        }
        ADD_FAILURE() << "no such item";
        return 0;
    }
    void PlayLevelByTaps(int level = 1) {
        Open(AtLevel(level));
        Frames();
        TapAt(400, 400);
        Frames(CardBlackFrames);
        ASSERT_TRUE(On<LevelScreen>());
    }
};

}  // namespace

TEST_F(TouchPlay, TapsChooseAtTheTitleAndPassTheCardAndTheHintsNameThem) {
    Open();
    ASSERT_TRUE(On<TitleScreen>());
    Frames();
    TapAt(400, ItemY(titleMenu(session->progress), Command::NewGame));
    EXPECT_EQ(session->hands().device, InputDevice::Touch);
    EXPECT_EQ(menuHint(session->hands()), "Tap: choose    Two-finger tap: back");
    ASSERT_TRUE(On<CardScreen>()) << "New game, tapped";
    TapAt(100, 100);
    Frames(CardBlackFrames);
    EXPECT_TRUE(On<LevelScreen>()) << "the card passed";
}

// A drag steers as the mouse moving TouchGain times as far does.
TEST_F(TouchPlay, ADragSteersAsTheMouseMovingFurtherDoes) {
    PlayLevelByTaps();
    Push(SDL_FINGERDOWN, 1, 200, 400);
    Frames();
    for (int i = 1; i <= 20; ++i) {
        Push(SDL_FINGERMOTION, 1, 200 + 10.0f * float(i), 400 - 4.0f * float(i));
        Frames();
    }
    tvector byFinger = PLAYER->main->position;
    Push(SDL_FINGERUP, 1, 400, 320);
    Frames();

    PlayLevelAgainByKeys();
    loop->frame(FrameInput{});  // as the finger came down
    FrameInput moved;
    moved.motionX = int32_t(10 * TouchGain);
    moved.motionY = int32_t(-4 * TouchGain);
    for (int i = 0; i < 20; ++i) loop->frame(moved);
    EXPECT_EQ(PLAYER->main->position.x, byFinger.x);
    EXPECT_EQ(PLAYER->main->position.y, byFinger.y);
    EXPECT_GT(std::abs(byFinger.x - 400), 50) << "and it went somewhere";
}

TEST_F(TouchPlay, ASecondFingerCalmsAndATwoFingerTapPausesAndResumes) {
    PlayLevelByTaps();
    Push(SDL_FINGERDOWN, 1, 300, 300);
    Frames(5);
    EXPECT_NE(PLAYER->state, PLAYER_HOLDING) << "one finger steers";
    Push(SDL_FINGERDOWN, 2, 500, 500);
    Frames(12);
    EXPECT_EQ(PLAYER->state, PLAYER_HOLDING);
    SleepMillis(350);  // held as a player holds it, not tapped
    Push(SDL_FINGERUP, 2, 500, 500);
    Frames(3);
    EXPECT_NE(PLAYER->state, PLAYER_HOLDING);
    Push(SDL_FINGERUP, 1, 300, 300);
    Frames();
    EXPECT_TRUE(On<LevelScreen>()) << "a long touch is no tap";

    Push(SDL_FINGERDOWN, 3, 300, 300);
    Push(SDL_FINGERDOWN, 4, 500, 300);
    Frames();
    Push(SDL_FINGERUP, 3, 300, 300);
    Push(SDL_FINGERUP, 4, 500, 300);
    Frames();
    ASSERT_TRUE(On<PauseScreen>());
    EXPECT_EQ(pauseHint(session->hands()), "Tap: choose    Two-finger tap: resume");
    float paused = LEVEL_CLOCK->elapsed;
    Push(SDL_FINGERDOWN, 5, 300, 300);
    Push(SDL_FINGERDOWN, 6, 500, 300);
    Push(SDL_FINGERUP, 5, 300, 300);
    Push(SDL_FINGERUP, 6, 500, 300);
    Frames(2);
    EXPECT_TRUE(On<LevelScreen>());
    EXPECT_GT(LEVEL_CLOCK->elapsed, paused);
}
