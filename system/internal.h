// Glue shared by the system layer's own sources; not part of its interface.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace kelp_system {

// SDL event type that carries timer ticks to the main thread.
uint32_t TickEventType();
// Counts one tick of the timer with this serial, if it still exists.
void FireTickTimer(uint32_t serial);

// Opens the pads present; pads plugged in later are opened as they come.
void StartPads();
// A pad's event turned into input events; false for any other event.
bool TranslatePadEvent(const SDL_Event& event);

// Fingers are not made into mouse events.
void StartTouches();
// A finger's event turned into an input event; false for any other event.
bool TranslateTouchEvent(const SDL_Event& event);

}  // namespace kelp_system
