#include "system/system.h"
#include "system/internal.h"

#include <SDL.h>

namespace {

// ---- Modifier bits ----------------------------------------------------------

int32_t modifierBits = 0;
uint32_t heldModifierKeys = 0;  // one bit per modifier key, shifts to the Windows keys

int ModifierKeyIndex(int32_t virtualKey) {
    if (virtualKey >= Keys::LeftShift && virtualKey <= Keys::RightAlt) return virtualKey - Keys::LeftShift;
    if (virtualKey == Keys::LeftWindows || virtualKey == Keys::RightWindows) return virtualKey - Keys::LeftWindows + 6;
    return -1;
}

// Recomputed from the keys held, like the platform's own key state; SDL's
// modifier state is not used because it ignores events pushed by programs.
void UpdateModifierBits(int32_t virtualKey, bool down) {
    int index = ModifierKeyIndex(virtualKey);
    if (index < 0) return;
    if (down)
        heldModifierKeys |= 1u << index;
    else
        heldModifierKeys &= ~(1u << index);
    modifierBits = 0;
    if (heldModifierKeys & 0x03) modifierBits |= ModShift;
    if (heldModifierKeys & 0x0C) modifierBits |= ModControl;
    if (heldModifierKeys & 0x30) modifierBits |= ModAlt;
    if (heldModifierKeys & 0xC0) modifierBits |= ModWindows;
}

void Emit(int32_t id, int32_t data, int32_t x = 0, int32_t y = 0) {
    EmitInputEvent(id, nullptr, data, modifierBits, x, y, nullptr);
}

// ---- Pointer tracking -------------------------------------------------------

uint32_t trackedWindowId = 0;
ObjectRef trackedSource;

void TrackPointer(uint32_t windowId, int32_t x, int32_t y, ObjectRef source) {
    if (windowId == trackedWindowId) return;
    if (trackedWindowId != 0) {
        int globalX = 0, globalY = 0, windowX = 0, windowY = 0;
        SDL_GetGlobalMouseState(&globalX, &globalY);
        if (SDL_Window* window = SDL_GetWindowFromID(trackedWindowId))
            SDL_GetWindowPosition(window, &windowX, &windowY);
        EmitInputEvent(MouseLeave, trackedSource, 0, modifierBits, globalX - windowX,
                       globalY - windowY, nullptr);
    }
    trackedWindowId = windowId;
    trackedSource = nullptr;
    if (windowId != 0) {
        trackedSource = source;
        EmitInputEvent(MouseEnter, source, 0, modifierBits, x, y, nullptr);
    }
}

bool InsideClientArea(uint32_t windowId, int32_t x, int32_t y) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    if (!window) return false;
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    return x >= 0 && x < width && y >= 0 && y < height;
}

// ---- Translation ------------------------------------------------------------

// The platform turns these keys into characters as well as key presses.
int32_t ControlCharacterOf(int32_t virtualKey) {
    switch (virtualKey) {
    case Keys::Backspace: case Keys::Tab: case Keys::Enter: case Keys::Escape: return virtualKey;
    default: return 0;
    }
}

void TranslateKey(const SDL_KeyboardEvent& key) {
    int32_t virtualKey = VirtualKeyOfScancode(key.keysym.scancode);
    bool down = key.type == SDL_KEYDOWN;
    UpdateModifierBits(virtualKey, down);
    if (virtualKey == 0) return;
    if (!down) {
        Emit(KeyUp, virtualKey);
        return;
    }
    if (key.repeat == 0) Emit(KeyDown, virtualKey);
    if (int32_t character = ControlCharacterOf(virtualKey)) Emit(KeyChar, character);
}

// One KeyChar per code point of the UTF-8 text.
void TranslateText(const char* text) {
    for (std::string_view rest = text; !rest.empty();) Emit(KeyChar, int32_t(TakeCodePoint(rest)));
}

int32_t ButtonNumber(uint8_t sdlButton) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
    }
}

void TranslateButton(const SDL_MouseButtonEvent& button) {
    int32_t number = ButtonNumber(button.button);
    if (number == 0) return;
    bool down = button.type == SDL_MOUSEBUTTONDOWN;
    SDL_CaptureMouse(down ? SDL_TRUE : SDL_FALSE);
    Emit(down ? MouseDown : MouseUp, number, button.x, button.y);
}

void TranslateMotion(const SDL_MouseMotionEvent& motion) {
    uint32_t inside = InsideClientArea(motion.windowID, motion.x, motion.y) ? motion.windowID : 0;
    TrackPointer(inside, motion.x, motion.y, nullptr);
    auto event = std::make_shared<TEvent>();
    event->id = MouseMove;
    event->mods = modifierBits;
    event->x = motion.x, event->y = motion.y;
    event->dx = motion.xrel, event->dy = motion.yrel;
    RunHooks(EmitEventHookId(), std::move(event));
}

// Whole notches of the platform's 120-per-notch delta, truncated toward zero.
void TranslateWheel(const SDL_MouseWheelEvent& wheel) {
    float notches = wheel.preciseY != 0.0f ? wheel.preciseY : static_cast<float>(wheel.y);
    int32_t delta = TruncToInt(notches * 120.0);
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
    Emit(MouseWheel, delta / 120);
}

void TranslateWindowEvent(const SDL_WindowEvent& window) {
    switch (window.event) {
    case SDL_WINDOWEVENT_CLOSE: Emit(AppTerminate, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: Emit(AppResume, 0); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        heldModifierKeys = 0;
        modifierBits = 0;
        Emit(AppSuspend, 0);
        break;
    case SDL_WINDOWEVENT_LEAVE:
        if (window.windowID == trackedWindowId) TrackPointer(0, 0, 0, nullptr);
        break;
    default: break;
    }
}

void Translate(const SDL_Event& event) {
    switch (event.type) {
    case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: TranslateKey(event.key); break;
    case SDL_TEXTINPUT: TranslateText(event.text.text); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: TranslateButton(event.button); break;
    case SDL_MOUSEMOTION: TranslateMotion(event.motion); break;
    case SDL_MOUSEWHEEL: TranslateWheel(event.wheel); break;
    default:
        if (event.type == kelp_system::TickEventType())
            kelp_system::FireTickTimer(static_cast<uint32_t>(event.user.code));
        else if (!kelp_system::TranslateTouchEvent(event))
            kelp_system::TranslatePadEvent(event);
        break;
    }
}

int pointerDisplayCount = 0;

// Keeps the platform's show/hide counter at 0 (shown) or -1 (hidden) however
// often either is called.
void SetPointerVisible(bool show) {
    pointerDisplayCount += show ? 1 : -1;
    if (pointerDisplayCount != 0 && pointerDisplayCount != -1) pointerDisplayCount += show ? -1 : 1;
    SDL_ShowCursor(pointerDisplayCount == 0 ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

int32_t CurrentModifierBits() { return modifierBits; }

void PumpMessages() {
    static bool running = false;
    if (running) return;
    running = true;
    SDL_Event event;
    try {
        while (SDL_PollEvent(&event)) Translate(event);
    } catch (...) {
        running = false;
        throw;
    }
    running = false;
}

void WaitAndPumpMessages(int32_t timeoutMillis) {
    SDL_WaitEventTimeout(nullptr, timeoutMillis);
    PumpMessages();
}

void SetMousePos(int32_t x, int32_t y) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (SDL_Window* window = SDL_GetKeyboardFocus())
        SDL_WarpMouseInWindow(window, x, y);
    else
        SDL_WarpMouseGlobal(x, y);
}

void ShowPointer() { SetPointerVisible(true); }
void HidePointer() { SetPointerVisible(false); }

void CapturePointer(bool captured) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_SetRelativeMouseMode(captured ? SDL_TRUE : SDL_FALSE);
}


namespace {
std::string& TitleStorage() {
    static auto& title = *new std::string("Pondlark Application");
    return title;
}
}  // namespace

const std::string& ApplicationTitle() { return TitleStorage(); }
void SetApplicationTitle(std::string title) { TitleStorage() = std::move(title); }
