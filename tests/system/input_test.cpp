// Input through the real pump: SDL events pushed with SDL_PushEvent.
#include "system/system.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void PushKey(SDL_Scancode scancode, bool down, bool repeat = false) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    SDL_PushEvent(&event);
}

void PushWindowEvent(uint8_t kind, uint32_t windowId = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    event.window.windowID = windowId;
    SDL_PushEvent(&event);
}

void PushWheel(int y, float preciseY) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = y;
    event.wheel.preciseY = preciseY;
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&event);
}

void PushButton(uint8_t button, bool down, int x, int y) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void PushMotion(uint32_t windowId, int x, int y) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowId;
    event.motion.x = x;
    event.motion.y = y;
    SDL_PushEvent(&event);
}

void PushText(const char* text) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
    SDL_PushEvent(&event);
}

std::vector<TEvent> recorded;

ObjectRef RecordEvent(int32_t, const ObjectRef& data, void*) {
    if (auto* event = dynamic_cast<const TEvent*>(data.get())) recorded.push_back(*event);
    return data;
}

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        InitSystemLayer();
        recorded.clear();
        AddHook(EmitEventHookId(), RecordEvent, nullptr, -100);
        EnablePolledInput(nullptr);
    }
    void TearDown() override {
        DisablePolledInput();
        RemoveHook(EmitEventHookId(), RecordEvent, nullptr);
    }
    std::vector<int32_t> RecordedIds() {
        PumpMessages();
        std::vector<int32_t> ids;
        for (const auto& event : recorded) ids.push_back(event.id);
        return ids;
    }
};

}  // namespace

TEST_F(Input, AHeldKeyGivesOneKeyDownAndOneKeyUp) {
    PushKey(SDL_SCANCODE_A, true);
    for (int i = 0; i < 20; ++i) PushKey(SDL_SCANCODE_A, true, true);
    EXPECT_TRUE(TakeFrameInput().held[Keys::Letter('A')]);
    PushKey(SDL_SCANCODE_A, false);
    EXPECT_EQ(RecordedIds(), (std::vector<int32_t>{KeyDown, KeyUp}));
    EXPECT_EQ(recorded[0].data, 'A');
    FrameInput input = TakeFrameInput();
    EXPECT_FALSE(input.held[Keys::Letter('A')]);
    EXPECT_FALSE(input.pressed(Keys::Letter('A'))) << "the press was the first frame's";
}

// Each frame's input holds the presses since the previous: each press is
// seen in one frame, and a key held stays held from frame to frame.
TEST_F(Input, PressesAreInTheFrameTheyCameInAndHeldKeysLast) {
    PushKey(SDL_SCANCODE_1, true);
    PushKey(SDL_SCANCODE_1, false);
    PushKey(SDL_SCANCODE_1, true);
    FrameInput first = TakeFrameInput();
    EXPECT_EQ(first.presses[Keys::Digit(1)], 2);
    EXPECT_TRUE(first.touched());
    FrameInput second = TakeFrameInput();
    EXPECT_EQ(second.presses[Keys::Digit(1)], 0);
    EXPECT_TRUE(second.held[Keys::Digit(1)]);
    EXPECT_TRUE(second.touched()) << "a key held is a hand on the keyboard";
    PushKey(SDL_SCANCODE_1, false);
    EXPECT_FALSE(TakeFrameInput().touched());
}

// Alt is read with each press, not once a frame: a quick Alt+Enter released
// before the frame ends is still the chord, and its Enter is no plain Enter.
TEST_F(Input, AChordIsReadAtItsPressEvenWhenReleasedWithinTheFrame) {
    PushKey(SDL_SCANCODE_LALT, true);
    PushKey(SDL_SCANCODE_RETURN, true);
    PushKey(SDL_SCANCODE_RETURN, false);
    PushKey(SDL_SCANCODE_LALT, false);
    PushKey(SDL_SCANCODE_SPACE, true);
    FrameInput input = TakeFrameInput();
    EXPECT_TRUE(input.pressedWithAlt(Keys::Enter));
    EXPECT_FALSE(input.pressed(Keys::Enter));
    EXPECT_TRUE(input.pressed(Keys::Space));
    EXPECT_FALSE(input.pressedWithAlt(Keys::Space));
}

TEST_F(Input, ModifierKeysAreReportedBySideAndKeepTheModifierBits) {
    PushKey(SDL_SCANCODE_RCTRL, true);
    PushKey(SDL_SCANCODE_LALT, true);
    PushKey(SDL_SCANCODE_ESCAPE, true);
    PushKey(SDL_SCANCODE_RCTRL, false);
    PushKey(SDL_SCANCODE_LSHIFT, true);
    PumpMessages();
    ASSERT_GE(recorded.size(), 5u);
    EXPECT_EQ(recorded[0].data, Keys::RightControl);
    EXPECT_EQ(recorded[0].mods, ModControl);
    EXPECT_EQ(recorded[1].data, Keys::LeftAlt);
    EXPECT_EQ(recorded[1].mods, ModControl | ModAlt);
    EXPECT_EQ(recorded[2].data, Keys::Escape);
    EXPECT_EQ(recorded.back().data, Keys::LeftShift);
    EXPECT_EQ(recorded.back().mods, ModAlt | ModShift);
    EXPECT_EQ(CurrentModifierBits(), ModAlt | ModShift);
}

TEST_F(Input, ScancodesMapToVirtualKeys) {
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_0), '0');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_6), '6');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_F12), 123);
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_LEFT), 37);
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_DOWN), 40);
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_RGUI), 92);
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_KP_5), 101);
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(VirtualKeyOfScancode(-3), 0);
}

TEST_F(Input, KeysWithoutAVirtualCodeAreDropped) {
    PushKey(SDL_SCANCODE_UNKNOWN, true);
    EXPECT_TRUE(RecordedIds().empty());
}

TEST_F(Input, WheelNotchesAreTruncated) {
    PushWheel(1, 1.0f);
    PushWheel(-1, -1.0f);
    PushWheel(0, 0.5f);
    PushWheel(2, 2.0f);
    PumpMessages();
    ASSERT_EQ(recorded.size(), 4u);
    EXPECT_EQ(recorded[0].data, 1);
    EXPECT_EQ(recorded[1].data, -1);
    EXPECT_EQ(recorded[2].data, 0);
    EXPECT_EQ(TakeFrameInput().wheel, 2);
}

TEST_F(Input, EachCloseRequestIsOneTerminate) {
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    EXPECT_TRUE(TakeFrameInput().closeRequested);
    EXPECT_FALSE(TakeFrameInput().closeRequested);
    SDL_Event quit{};
    quit.type = SDL_QUIT;  // follows the last window's close; not a second request
    SDL_PushEvent(&quit);
    EXPECT_FALSE(TakeFrameInput().closeRequested);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    EXPECT_EQ(RecordedIds(), (std::vector<int32_t>{AppTerminate, AppTerminate, AppTerminate}));
}

TEST_F(Input, ACloseRequestQueuedBeforeEnablingIsCounted) {
    DisablePolledInput();
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    PushKey(SDL_SCANCODE_K, true);
    EnablePolledInput(nullptr);
    FrameInput input = TakeFrameInput();
    EXPECT_TRUE(input.closeRequested);
    EXPECT_FALSE(input.pressed(Keys::Letter('K'))) << "key state starts afresh";
}

TEST_F(Input, FocusLossAndGainClearKeyAndMouseState) {
    PushKey(SDL_SCANCODE_SPACE, true);
    PushButton(SDL_BUTTON_LEFT, true, 5, 5);
    PushKey(SDL_SCANCODE_LSHIFT, true);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    FrameInput away = TakeFrameInput();
    EXPECT_TRUE(away.suspended);
    EXPECT_TRUE(away.focusLost);
    EXPECT_FALSE(away.held[Keys::Space]);
    EXPECT_FALSE(away.pressed(Keys::Space));
    EXPECT_FALSE(away.buttonsHeld[1]);
    EXPECT_FALSE(away.clicked(1));
    EXPECT_EQ(CurrentModifierBits(), 0);
    EXPECT_FALSE(TakeFrameInput().focusLost) << "lost once, in one frame";
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_FALSE(TakeFrameInput().focusLost) << "lost and back within a frame is not lost";
    PushKey(SDL_SCANCODE_B, true);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    FrameInput back = TakeFrameInput();
    EXPECT_FALSE(back.suspended);
    EXPECT_FALSE(back.held[Keys::Letter('B')]);
    EXPECT_FALSE(back.pressed(Keys::Letter('B')));
    PushKey(SDL_SCANCODE_B, true);
    EXPECT_TRUE(TakeFrameInput().held[Keys::Letter('B')]);
}

TEST_F(Input, TextIsSplitIntoCodePointsAndControlKeysTypeCharacters) {
    PushText("a\xC3\xA9\xE2\x82\xAC");  // a, e-acute, euro sign
    PushKey(SDL_SCANCODE_RETURN, true);
    PumpMessages();
    std::vector<int32_t> typed;
    for (const auto& event : recorded)
        if (event.id == KeyChar) typed.push_back(event.data);
    EXPECT_EQ(typed, (std::vector<int32_t>{'a', 0xE9, 0x20AC, Keys::Enter}));
}

TEST_F(Input, MouseButtonsAndPosition) {
    PushMotion(0, 120, 340);
    PushButton(SDL_BUTTON_RIGHT, true, 120, 340);
    PushButton(SDL_BUTTON_RIGHT, false, 120, 340);
    PushButton(SDL_BUTTON_MIDDLE, true, 121, 341);
    PushButton(SDL_BUTTON_LEFT, true, 1, 2);
    PushButton(SDL_BUTTON_LEFT, true, 1, 2);
    FrameInput input = TakeFrameInput();
    EXPECT_EQ(input.clicks[2], 1);
    EXPECT_FALSE(input.buttonsHeld[2]);
    EXPECT_TRUE(input.buttonsHeld[3]);
    EXPECT_EQ(input.clicks[1], 1) << "a button already down is not pressed again";
    EXPECT_EQ(input.pointerX, 120);
    EXPECT_EQ(input.pointerY, 340);
    EXPECT_TRUE(input.pointerMoved);
    FrameInput next = TakeFrameInput();
    EXPECT_EQ(next.pointerX, 120) << "the pointer stays where it was";
    EXPECT_FALSE(next.pointerMoved);
    EXPECT_TRUE(next.buttonsHeld[3]);
}

TEST_F(Input, EventsFromOtherSourcesAreNotCounted) {
    DisablePolledInput();
    auto source = std::make_shared<TEvent>();
    EnablePolledInput(source);
    EmitInputEvent(KeyDown, nullptr, 'Q', 0, 0, 0, nullptr);
    EXPECT_FALSE(TakeFrameInput().pressed(Keys::Letter('Q')));
    EmitInputEvent(KeyDown, source, 'Q', 0, 0, 0, nullptr);
    EXPECT_TRUE(TakeFrameInput().pressed(Keys::Letter('Q')));
}

TEST_F(Input, APumpInsideAPumpReturnsAtOnce) {
    static int nestedPumps = 0;
    auto nested = [](int32_t, const ObjectRef& data, void*) -> ObjectRef {
        ++nestedPumps;
        PumpMessages();  // must not recurse into the events still queued
        return data;
    };
    AddHook(EmitEventHookId(), nested, nullptr, 50);
    PushKey(SDL_SCANCODE_C, true);
    PushKey(SDL_SCANCODE_C, false);
    PumpMessages();
    EXPECT_EQ(nestedPumps, 2);
    RemoveHook(EmitEventHookId(), nested, nullptr);
}

// A real window under the X server: enter and leave around the client area.
TEST_F(Input, PointerTrackingAroundTheClientArea) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("track", 32, 32, 100, 80, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    PumpMessages();
    recorded.clear();
    uint32_t id = SDL_GetWindowID(window);
    PushMotion(id, 10, 10);
    PushMotion(id, 99, 79);
    PushMotion(id, 100, 20);
    PushMotion(id, -4, 20);
    PushMotion(id, 50, 50);
    std::vector<int32_t> expected = {MouseEnter, MouseMove, MouseMove, MouseLeave, MouseMove,
                                     MouseMove,  MouseEnter, MouseMove};
    std::vector<int32_t> ids;
    PumpMessages();
    for (const auto& event : recorded)
        if (event.id >= MouseMove && event.id <= MouseLeave) ids.push_back(event.id);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(TakeFrameInput().pointerX, 50);
    SDL_DestroyWindow(window);
}

TEST_F(Input, PointerVisibilityFollowsTheCounterRule) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    HidePointer();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    HidePointer();
    ShowPointer();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    ShowPointer();
    ShowPointer();
    HidePointer();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST(ApplicationTitle, StartsWithTheEngineNameUntilChanged) {
    EXPECT_EQ(ApplicationTitle(), "Pondlark Application");
    SetApplicationTitle("Kelp Garden.");
    EXPECT_EQ(ApplicationTitle(), "Kelp Garden.");
}
