// The input of one frame: events counted as they are pumped, handed out all
// at once by TakeFrameInput.
#include "system/system.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>

namespace {

// A stick counts as moved, and takes the steering, once it leaves this much
// of its reach around its centre; pushed past PushedPast it presses towards
// that side until it comes back within LetGoWithin.
constexpr float MovedFrom = 0.25f, PushedPast = 0.6f, LetGoWithin = 0.4f;
constexpr float TriggerPulledPast = 0.5f, TriggerLetGoWithin = 0.3f;
// A touch is a tap when it lasts no longer and no finger strays further, in
// the window's pixels; a thumb set down firmly still wobbles a little.
constexpr int32_t TapMillis = 300, TapStray = 16;
constexpr size_t MostFingers = 10;

struct Stick {
    float x = 0, y = 0;
};
struct PadSticks {
    Stick left, right;
};

struct Finger {
    int32_t id = 0;
    int32_t x = 0, y = 0;
    int32_t downX = 0, downY = 0;
};

// The fingers down, in the order they came down, and the touch they make
// from the first down to the last up.
struct Fingers {
    std::array<Finger, MostFingers> down;
    size_t count = 0;
    int32_t startMillis = 0;
    size_t most = 0;
    bool strayed = false;
};

struct PolledState {
    FrameInput pending;  // what is taken next: presses, clicks and motion since the last take
    bool suspendedBefore = false;  // at the last take
    ObjectRef inputSource;
    bool enabled = false;
    std::map<int32_t, PadSticks> sticks;  // by pad
    int32_t padInUse = -1;
    const Stick* steering = nullptr;  // the stick that moved last
    Fingers fingers;
};

PolledState state;

void Press(bool& held, uint8_t& presses) {
    if (held) return;
    held = true;
    if (presses < 255) ++presses;
}

void ClearHeld() {
    state.pending.held.fill(false);
    state.pending.buttonsHeld.fill(false);
    state.pending.pad.held.fill(false);
}

void CountKey(const TEvent& event) {
    if (event.data <= 0 || event.data >= FrameInput::KeyCount) return;
    state.pending.lastUsed = InputDevice::KeysAndMouse;
    // Alt is read at the press, so a chord released within one frame still counts as one.
    auto& presses = event.mods & ModAlt ? state.pending.altPresses : state.pending.presses;
    if (event.id == KeyDown) Press(state.pending.held[size_t(event.data)], presses[size_t(event.data)]);
    else state.pending.held[size_t(event.data)] = false;
}

void CountButton(const TEvent& event) {
    if (event.data <= 0 || event.data >= FrameInput::ButtonCount) return;
    size_t button = size_t(event.data);
    state.pending.lastUsed = InputDevice::KeysAndMouse;
    if (event.id == MouseDown) Press(state.pending.buttonsHeld[button], state.pending.clicks[button]);
    else state.pending.buttonsHeld[button] = false;
}

Finger* FindFinger(int32_t id) {
    Fingers& fingers = state.fingers;
    for (size_t i = 0; i < fingers.count; ++i)
        if (fingers.down[i].id == id) return &fingers.down[i];
    return nullptr;
}

void PutFingerDown(const TEvent& event) {
    Fingers& fingers = state.fingers;
    if (FindFinger(event.data) || fingers.count == MostFingers) return;
    if (fingers.count == 0) fingers.startMillis = MillisNow(), fingers.most = 0, fingers.strayed = false;
    fingers.down[fingers.count++] = {event.data, event.x, event.y, event.x, event.y};
    fingers.most = std::max(fingers.most, fingers.count);
}

// The first finger down steers; when it lifts, the next one takes over from
// where it is.
void MoveFinger(const TEvent& event) {
    Finger* finger = FindFinger(event.data);
    if (!finger) return;
    if (finger == &state.fingers.down[0]) {
        state.pending.touch.motionX += event.x - finger->x;
        state.pending.touch.motionY += event.y - finger->y;
    }
    finger->x = event.x, finger->y = event.y;
    state.fingers.strayed |= std::abs(event.x - finger->downX) > TapStray || std::abs(event.y - finger->downY) > TapStray;
}

void CountTap(const Finger& first) {
    const Fingers& fingers = state.fingers;
    TouchInput& touch = state.pending.touch;
    if (fingers.strayed || MillisNow() - fingers.startMillis > TapMillis) return;
    if (fingers.most > 1) {
        if (touch.twoFingerTaps < 255) ++touch.twoFingerTaps;
        return;
    }
    if (touch.taps < 255) ++touch.taps;
    touch.tapX = first.downX, touch.tapY = first.downY;
}

void LiftFinger(const TEvent& event) {
    Finger* finger = FindFinger(event.data);
    if (!finger) return;
    Fingers& fingers = state.fingers;
    Finger lifted = *finger;
    std::copy(finger + 1, fingers.down.begin() + fingers.count, finger);
    if (--fingers.count == 0) CountTap(lifted);
}

void CountTouch(const TEvent& event) {
    MoveFinger(event);
    if (event.id == TouchDown) PutFingerDown(event);
    if (event.id == TouchUp) LiftFinger(event);
    state.pending.touch.fingers = int32_t(state.fingers.count);
    state.pending.lastUsed = InputDevice::Touch;
}

// Losing or gaining the focus forgets what was held and pressed: the keys
// went to another window meanwhile.
void ChangeFocus(bool suspended) {
    FrameInput& input = state.pending;
    input.presses.fill(0);
    input.altPresses.fill(0);
    input.clicks.fill(0);
    input.pad.presses.fill(0);
    ClearHeld();
    input.wheel = input.motionX = input.motionY = 0;
    input.touch = TouchInput{};
    state.fingers.count = 0;
    input.suspended = suspended;
}

void UsePad(int32_t pad) {
    state.padInUse = pad;
    state.pending.pad.layout = PadLayoutOf(pad);
    state.pending.lastUsed = InputDevice::Pad;
}

void SetPadButton(int button, bool down) {
    PadInput& pad = state.pending.pad;
    if (down) Press(pad.held[size_t(button)], pad.presses[size_t(button)]);
    else pad.held[size_t(button)] = false;
}

// A button that is down past `pressAt` and up again within `releaseWithin`.
void SetPadSwitch(int button, float value, float pressAt, float releaseWithin) {
    if (value > pressAt) SetPadButton(button, true);
    else if (value < releaseWithin) SetPadButton(button, false);
}

void CountStick(int32_t pad, const Stick& stick) {
    PadInput& input = state.pending.pad;
    if (std::hypot(stick.x, stick.y) > MovedFrom) {
        state.steering = &stick;
        input.stickMoved = true;
        UsePad(pad);
    }
    if (state.steering == &stick) input.stickX = stick.x, input.stickY = stick.y;
    SetPadSwitch(PadButtons::StickRight, stick.x, PushedPast, LetGoWithin);
    SetPadSwitch(PadButtons::StickLeft, -stick.x, PushedPast, LetGoWithin);
    SetPadSwitch(PadButtons::StickDown, stick.y, PushedPast, LetGoWithin);
    SetPadSwitch(PadButtons::StickUp, -stick.y, PushedPast, LetGoWithin);
}

void CountPadAxis(const TEvent& event) {
    // A pad opened before input was polled is met here first.
    auto sticks = state.sticks.try_emplace(event.x).first;
    float value = std::clamp(float(event.y) / 32767, -1.0f, 1.0f);
    switch (event.data) {
    case PadAxes::LeftX: sticks->second.left.x = value; break;
    case PadAxes::LeftY: sticks->second.left.y = value; break;
    case PadAxes::RightX: sticks->second.right.x = value; break;
    case PadAxes::RightY: sticks->second.right.y = value; break;
    case PadAxes::RightTrigger:
        SetPadSwitch(PadButtons::RightTrigger, value, TriggerPulledPast, TriggerLetGoWithin);
        if (value > TriggerPulledPast) UsePad(event.x);
        return;
    default: return;
    }
    bool left = event.data == PadAxes::LeftX || event.data == PadAxes::LeftY;
    CountStick(event.x, left ? sticks->second.left : sticks->second.right);
}

void CountPadPlug(const TEvent& event) {
    PadInput& input = state.pending.pad;
    if (event.id == PadAdded) {
        state.sticks.try_emplace(event.x);
        if (state.padInUse < 0) state.padInUse = event.x, input.layout = PadLayoutOf(event.x);
    } else {
        auto gone = state.sticks.find(event.x);
        if (gone != state.sticks.end() && (state.steering == &gone->second.left || state.steering == &gone->second.right)) {
            state.steering = nullptr;
            input.stickX = input.stickY = 0;
        }
        if (gone != state.sticks.end()) state.sticks.erase(gone);
        if (event.x == state.padInUse) {
            input.unplugged = true;
            input.held.fill(false);
            state.padInUse = -1;
        }
    }
    input.open = PadsOpen();
}

void CountEvent(const TEvent& event) {
    FrameInput& input = state.pending;
    switch (event.id) {
    case KeyDown:
    case KeyUp: CountKey(event); break;
    case MouseDown:
    case MouseUp: CountButton(event); break;
    case MouseMove:
        if (event.dx || event.dy) input.lastUsed = InputDevice::KeysAndMouse;
        input.pointerMoved |= event.x != input.pointerX || event.y != input.pointerY;
        input.pointerX = event.x;
        input.pointerY = event.y;
        input.motionX += event.dx;
        input.motionY += event.dy;
        break;
    case MouseWheel: input.wheel += event.data; break;
    case AppSuspend:
    case AppResume: ChangeFocus(event.id == AppSuspend); break;
    case AppTerminate: input.closeRequested = true; break;
    case PadAdded:
    case PadRemoved: CountPadPlug(event); break;
    case PadButtonDown:
    case PadButtonUp:
        if (event.data < 0 || event.data > PadButtons::Right) break;
        SetPadButton(event.data, event.id == PadButtonDown);
        if (event.id == PadButtonDown) UsePad(event.x);
        break;
    case PadAxis: CountPadAxis(event); break;
    case TouchDown:
    case TouchUp:
    case TouchMove: CountTouch(event); break;
    default: break;
    }
}

// Pads belong to no window, and fingers name theirs only to SDL: theirs count
// whichever window's are counted.
bool FromAPadOrAFinger(const TEvent& event) {
    return (event.id >= PadAdded && event.id <= PadAxis) || (event.id >= TouchDown && event.id <= TouchMove);
}

ObjectRef PolledInputHook(int32_t, const ObjectRef& data, void*) {
    auto* event = dynamic_cast<const TEvent*>(data.get());
    if (event && (!state.inputSource || event->source == state.inputSource || FromAPadOrAFinger(*event))) CountEvent(*event);
    return data;
}

// Everything but where the pointer is and what is held, which last across frames.
void StartNextFrame() {
    FrameInput& input = state.pending;
    input.presses.fill(0);
    input.altPresses.fill(0);
    input.clicks.fill(0);
    input.pointerMoved = input.closeRequested = false;
    input.motionX = input.motionY = input.wheel = 0;
    input.pad.presses.fill(0);
    input.pad.stickMoved = input.pad.unplugged = false;
    input.touch.motionX = input.touch.motionY = 0;
    input.touch.taps = input.touch.twoFingerTaps = 0;
}

}  // namespace

bool FrameInput::anyKeyHeld() const {
    return std::any_of(held.begin(), held.end(), [](bool down) { return down; });
}

bool FrameInput::touched() const {
    auto some = [](const auto& counts) { return std::any_of(counts.begin(), counts.end(), [](auto n) { return n != 0; }); };
    return anyKeyHeld() || some(presses) || some(altPresses) || some(clicks) || pointerMoved || motionX || motionY ||
           some(pad.presses) || pad.stickMoved || touch.motionX || touch.motionY || touch.taps || touch.twoFingerTaps;
}

FrameInput TakeFrameInput() {
    PumpMessages();
    FrameInput taken = state.pending;
    // The focus lost and back within a frame (a window manager's shuffle) is not lost.
    taken.focusLost = taken.suspended && !state.suspendedBefore;
    state.suspendedBefore = taken.suspended;
    taken.stopRequested = StopSignalled();
    StartNextFrame();
    return taken;
}

void EnablePolledInput(ObjectRef source) {
    if (state.enabled) return;
    state.inputSource = std::move(source);
    // Hooked before the pump, so a close request or focus change that is
    // already queued is counted rather than lost.
    AddHook(EmitEventHookId(), PolledInputHook, nullptr, 0);
    state.enabled = true;
    PumpMessages();
    bool closing = state.pending.closeRequested, suspended = state.pending.suspended;
    state.pending = FrameInput{};
    state.pending.pad.open = PadsOpen();
    state.pending.closeRequested = closing;
    state.pending.suspended = state.suspendedBefore = suspended;
}

void DisablePolledInput() {
    if (!state.enabled) return;
    RemoveHook(EmitEventHookId(), PolledInputHook, nullptr);
    state.pending = FrameInput{};
    state.sticks.clear();
    state.padInUse = -1;
    state.steering = nullptr;
    state.fingers.count = 0;
    state.suspendedBefore = false;
    state.inputSource = nullptr;
    state.enabled = false;
}
