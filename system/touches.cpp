// Fingers on a touch screen, sent on as input events in the window's pixels.
// SDL is told not to make mouse events of them, so a finger is never also a
// pointer.
#include "system/internal.h"
#include "system/system.h"

#include <SDL.h>

#include <cmath>

namespace {

SDL_Window* WindowOf(const SDL_TouchFingerEvent& finger) {
    if (SDL_Window* window = SDL_GetWindowFromID(finger.windowID)) return window;
    return SDL_GetKeyboardFocus();
}

int32_t EventOf(uint32_t type) {
    switch (type) {
    case SDL_FINGERDOWN: return TouchDown;
    case SDL_FINGERUP: return TouchUp;
    default: return TouchMove;
    }
}

}  // namespace

namespace kelp_system {

void StartTouches() {
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
}

bool TranslateTouchEvent(const SDL_Event& event) {
    if (event.type != SDL_FINGERDOWN && event.type != SDL_FINGERUP && event.type != SDL_FINGERMOTION) return false;
    const SDL_TouchFingerEvent& finger = event.tfinger;
    int width = 0, height = 0;
    if (SDL_Window* window = WindowOf(finger)) SDL_GetWindowSize(window, &width, &height);
    // To the nearest pixel: a finger's place is a fraction of the window, and
    // truncating would count a drag short.
    EmitInputEvent(EventOf(event.type), nullptr, int32_t(finger.fingerId), CurrentModifierBits(),
                   int32_t(std::lround(double(finger.x) * width)), int32_t(std::lround(double(finger.y) * height)),
                   nullptr);
    return true;
}

}  // namespace kelp_system
