// The input of one frame: events counted as they are pumped, handed out all
// at once by TakeFrameInput.
#include "system/system.h"

#include <algorithm>
#include <utility>

namespace {

struct PolledState {
    FrameInput pending;  // what is taken next: presses, clicks and motion since the last take
    bool suspendedBefore = false;  // at the last take
    ObjectRef inputSource;
    bool enabled = false;
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
}

void CountKey(const TEvent& event) {
    if (event.data <= 0 || event.data >= FrameInput::KeyCount) return;
    // Alt is read at the press, so a chord released within one frame still counts as one.
    auto& presses = event.mods & ModAlt ? state.pending.altPresses : state.pending.presses;
    if (event.id == KeyDown) Press(state.pending.held[size_t(event.data)], presses[size_t(event.data)]);
    else state.pending.held[size_t(event.data)] = false;
}

void CountButton(const TEvent& event) {
    if (event.data <= 0 || event.data >= FrameInput::ButtonCount) return;
    size_t button = size_t(event.data);
    if (event.id == MouseDown) Press(state.pending.buttonsHeld[button], state.pending.clicks[button]);
    else state.pending.buttonsHeld[button] = false;
}

// Losing or gaining the focus forgets what was held and pressed: the keys
// went to another window meanwhile.
void ChangeFocus(bool suspended) {
    FrameInput& input = state.pending;
    input.presses.fill(0);
    input.altPresses.fill(0);
    input.clicks.fill(0);
    ClearHeld();
    input.wheel = input.motionX = input.motionY = 0;
    input.suspended = suspended;
}

void CountEvent(const TEvent& event) {
    FrameInput& input = state.pending;
    switch (event.id) {
    case KeyDown:
    case KeyUp: CountKey(event); break;
    case MouseDown:
    case MouseUp: CountButton(event); break;
    case MouseMove:
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
    default: break;
    }
}

ObjectRef PolledInputHook(int32_t, const ObjectRef& data, void*) {
    auto* event = dynamic_cast<const TEvent*>(data.get());
    if (event && (!state.inputSource || event->source == state.inputSource)) CountEvent(*event);
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
}

}  // namespace

bool FrameInput::anyKeyHeld() const {
    return std::any_of(held.begin(), held.end(), [](bool down) { return down; });
}

bool FrameInput::touched() const {
    auto some = [](const auto& counts) { return std::any_of(counts.begin(), counts.end(), [](auto n) { return n != 0; }); };
    return anyKeyHeld() || some(presses) || some(altPresses) || some(clicks) || pointerMoved || motionX || motionY;
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
    state.pending.closeRequested = closing;
    state.pending.suspended = state.suspendedBefore = suspended;
}

void DisablePolledInput() {
    if (!state.enabled) return;
    RemoveHook(EmitEventHookId(), PolledInputHook, nullptr);
    state.pending = FrameInput{};
    state.suspendedBefore = false;
    state.inputSource = nullptr;
    state.enabled = false;
}
