#include "system/system.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct PolledState {
    std::array<int32_t, 256> keyDown{};
    std::array<int32_t, 256> keyHits{};
    std::array<int32_t, 256> charQueue{};
    int32_t charPut = 0;
    int32_t charGet = 0;
    std::array<int32_t, 4> mouseDown{};
    std::array<int32_t, 4> mouseHits{};
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t motionX = 0;
    int32_t motionY = 0;
    int32_t mouseWheel = 0;
    int32_t suspended = 0;
    int32_t terminateRequested = 0;
    ObjectRef inputSource;
    bool enabled = false;
};

PolledState state;

void Press(int32_t& down, int32_t& hits) {
    if (down == 0) {
        down = 1;
        ++hits;
    }
}

void CountEvent(const TEvent& event) {
    switch (event.id) {
    case KeyDown: Press(state.keyDown[event.data], state.keyHits[event.data]); break;
    case KeyUp: state.keyDown[event.data] = 0; break;
    case KeyChar:
        if (state.charPut - state.charGet < 256) state.charQueue[state.charPut++ % 256] = event.data;
        break;
    case MouseDown: Press(state.mouseDown[event.data], state.mouseHits[event.data]); break;
    case MouseUp: state.mouseDown[event.data] = 0; break;
    case MouseMove:
        state.mouseX = event.x;
        state.mouseY = event.y;
        state.motionX += event.dx;
        state.motionY += event.dy;
        break;
    case MouseWheel: state.mouseWheel += event.data; break;
    case AppSuspend:
    case AppResume:
        ResetKeyboardState();
        ResetMouseState();
        state.suspended = event.id == AppSuspend;
        break;
    case AppTerminate: state.terminateRequested = 1; break;
    default: break;
    }
}

ObjectRef PolledInputHook(int32_t, const ObjectRef& data, void*) {
    auto* event = dynamic_cast<const TEvent*>(data.get());
    if (event && (!state.inputSource || event->source == state.inputSource)) CountEvent(*event);
    return data;
}

int32_t Take(int32_t& counter) {
    PumpMessages();
    return std::exchange(counter, 0);
}

int32_t Read(const int32_t& value) {
    PumpMessages();
    return value;
}

}  // namespace

int32_t IsKeyDown(int32_t key) { return Read(state.keyDown[key]); }
int32_t TakeKeyHits(int32_t key) { return Take(state.keyHits[key]); }
int32_t IsMouseButtonDown(int32_t button) { return Read(state.mouseDown[button]); }
int32_t TakeMouseHits(int32_t button) { return Take(state.mouseHits[button]); }
int32_t MousePosX() { return Read(state.mouseX); }
int32_t MousePosY() { return Read(state.mouseY); }
int32_t MouseWheelPos() { return Read(state.mouseWheel); }

void TakeMouseMotion(int32_t& dx, int32_t& dy) {
    PumpMessages();
    dx = std::exchange(state.motionX, 0);
    dy = std::exchange(state.motionY, 0);
}
int32_t IsAppSuspended() { return Read(state.suspended); }
int32_t TakeTerminateRequest() { return Take(state.terminateRequested); }

int32_t NextTypedChar() {
    PumpMessages();
    if (state.charGet == state.charPut) return 0;
    return state.charQueue[state.charGet++ % 256];
}

void ResetKeyboardState() {
    PumpMessages();
    state.charPut = state.charGet = 0;
    state.keyDown.fill(0);
    state.keyHits.fill(0);
}

void ResetMouseState() {
    PumpMessages();
    state.mouseDown.fill(0);
    state.mouseHits.fill(0);
    state.mouseWheel = 0;
    state.motionX = state.motionY = 0;
}

int32_t WaitForAnyKey() {
    ResetKeyboardState();
    for (;;) {
        WaitAndPumpMessages();
        for (int32_t key = 1; key <= 255; ++key)
            if (TakeKeyHits(key) != 0) return key;
    }
}

int32_t WaitForTypedChar() {
    ResetKeyboardState();
    for (;;) {
        WaitAndPumpMessages();
        if (int32_t character = NextTypedChar()) return character;
    }
}

int32_t WaitForMouseButton() {
    ResetMouseState();
    for (;;) {
        WaitAndPumpMessages();
        for (int32_t button = 1; button <= 3; ++button)
            if (TakeMouseHits(button) != 0) return button;
    }
}

void EnablePolledInput(ObjectRef source) {
    if (state.enabled) return;
    state.inputSource = std::move(source);
    // Hooked before the resets pump, so a close request or focus change that
    // is already queued is counted rather than lost.
    AddHook(EmitEventHookId(), PolledInputHook, nullptr, 0);
    state.enabled = true;
    ResetKeyboardState();
    ResetMouseState();
}

void DisablePolledInput() {
    if (!state.enabled) return;
    RemoveHook(EmitEventHookId(), PolledInputHook, nullptr);
    ResetKeyboardState();
    ResetMouseState();
    state.inputSource = nullptr;
    state.enabled = false;
}
