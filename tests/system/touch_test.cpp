// Fingers through the real pump: SDL's finger events on a 400 x 300 window,
// taken into each frame's input in the window's pixels. Only the fingers and
// the test's own events count: the focus moving between other tests' windows
// does not.
#include "system/system.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

const ObjectRef TestInput = std::make_shared<TObject>();

class Touches : public ::testing::Test {
protected:
    void SetUp() override {
        InitSystemLayer();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = SDL_CreateWindow("touches", 0, 0, 400, 300, SDL_WINDOW_BORDERLESS);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        EnablePolledInput(TestInput);
    }
    void TearDown() override {
        DisablePolledInput();
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    void Push(uint32_t type, SDL_FingerID finger, float x, float y) {
        SDL_Event event{};
        event.type = type;
        event.tfinger.touchId = 1;
        event.tfinger.fingerId = finger;
        event.tfinger.x = x;
        event.tfinger.y = y;
        event.tfinger.windowID = SDL_GetWindowID(window);
        SDL_PushEvent(&event);
    }
    void Down(SDL_FingerID finger, float x, float y) { Push(SDL_FINGERDOWN, finger, x, y); }
    void Move(SDL_FingerID finger, float x, float y) { Push(SDL_FINGERMOTION, finger, x, y); }
    void Up(SDL_FingerID finger, float x, float y) { Push(SDL_FINGERUP, finger, x, y); }

    SDL_Window* window = nullptr;
};

TEST_F(Touches, ADragSteersByItsMotionInTheWindowsPixelsUntilTheMouseTakesOver) {
    Down(7, 0.5f, 0.5f);
    FrameInput down = TakeFrameInput();
    EXPECT_EQ(down.touch.fingers, 1);
    EXPECT_EQ(down.lastUsed, InputDevice::Touch);
    EXPECT_FALSE(down.touched()) << "a finger set down has not stirred yet";
    EXPECT_EQ(down.clicks[1], 0) << "a finger is not a mouse";

    Move(7, 0.6f, 0.5f);
    FrameInput moved = TakeFrameInput();
    EXPECT_EQ(moved.touch.motionX, 40);
    EXPECT_EQ(moved.touch.motionY, 0);
    EXPECT_TRUE(moved.touched());
    Move(7, 0.6f, 0.6f);
    Move(7, 0.7f, 0.7f);
    FrameInput twice = TakeFrameInput();
    EXPECT_EQ(twice.touch.motionX, 40) << "summed over the frame";
    EXPECT_EQ(twice.touch.motionY, 60);
    EXPECT_EQ(TakeFrameInput().touch.motionX, 0) << "motion is one frame's";

    Up(7, 0.7f, 0.7f);
    FrameInput lifted = TakeFrameInput();
    EXPECT_EQ(lifted.touch.fingers, 0);
    EXPECT_EQ(lifted.touch.taps, 0) << "a drag is no tap";

    auto motion = std::make_shared<TEvent>();
    motion->id = MouseMove;
    motion->source = TestInput;
    motion->dx = 3;
    RunHooks(EmitEventHookId(), motion);
    EXPECT_EQ(TakeFrameInput().lastUsed, InputDevice::KeysAndMouse);
}

TEST_F(Touches, TheFirstFingerDownSteersAndTheNextTakesOverWithoutAJump) {
    Down(1, 0.2f, 0.2f);
    Down(2, 0.8f, 0.8f);
    EXPECT_EQ(TakeFrameInput().touch.fingers, 2);
    Move(2, 0.9f, 0.9f);
    FrameInput second = TakeFrameInput();
    EXPECT_EQ(second.touch.motionX, 0) << "the second finger calms; it does not steer";
    EXPECT_EQ(second.touch.fingers, 2);

    Up(1, 0.2f, 0.2f);
    EXPECT_EQ(TakeFrameInput().touch.fingers, 1);
    Move(2, 0.8f, 0.9f);
    FrameInput takenOver = TakeFrameInput();
    EXPECT_EQ(takenOver.touch.motionX, -40) << "from where it was, not from the first finger";
    EXPECT_EQ(takenOver.touch.motionY, 0);
}

TEST_F(Touches, ShortStillTouchesAreTapsByTheirFingersAndLongOrStrayingOnesAreNot) {
    Down(3, 0.25f, 0.5f);
    Move(3, 0.26f, 0.51f);  // a thumb's wobble
    Up(3, 0.26f, 0.51f);
    FrameInput tap = TakeFrameInput();
    EXPECT_EQ(tap.touch.taps, 1);
    EXPECT_EQ(tap.touch.twoFingerTaps, 0);
    EXPECT_EQ(tap.touch.tapX, 100) << "where the finger came down";
    EXPECT_EQ(tap.touch.tapY, 150);
    EXPECT_TRUE(tap.touched());
    EXPECT_EQ(TakeFrameInput().touch.taps, 0) << "a tap is in one frame";

    Down(4, 0.4f, 0.4f);
    Down(5, 0.6f, 0.4f);
    EXPECT_EQ(TakeFrameInput().touch.taps, 0) << "not until the last finger lifts";
    Up(4, 0.4f, 0.4f);
    Up(5, 0.6f, 0.4f);
    FrameInput two = TakeFrameInput();
    EXPECT_EQ(two.touch.twoFingerTaps, 1);
    EXPECT_EQ(two.touch.taps, 0);

    Down(6, 0.5f, 0.5f);
    Move(6, 0.56f, 0.5f);
    Up(6, 0.5f, 0.5f);
    EXPECT_EQ(TakeFrameInput().touch.taps, 0) << "a finger that strayed and came back";

    Down(8, 0.5f, 0.5f);
    TakeFrameInput();
    SleepMillis(400);
    Up(8, 0.5f, 0.5f);
    EXPECT_EQ(TakeFrameInput().touch.taps, 0) << "a finger held down";
}

TEST_F(Touches, LosingTheFocusForgetsTheFingers) {
    Down(9, 0.5f, 0.5f);
    Down(10, 0.6f, 0.5f);
    EXPECT_EQ(TakeFrameInput().touch.fingers, 2);
    EmitInputEvent(AppSuspend, TestInput, 0, 0, 0, 0, nullptr);
    EXPECT_EQ(TakeFrameInput().touch.fingers, 0);
    Up(9, 0.5f, 0.5f);
    Up(10, 0.6f, 0.5f);
    FrameInput after = TakeFrameInput();
    EXPECT_EQ(after.touch.fingers, 0);
    EXPECT_EQ(after.touch.taps + after.touch.twoFingerTaps, 0) << "fingers it never saw down make no tap";
}

}  // namespace
