// Glue shared by the system layer's own sources; not part of its interface.
#pragma once

#include <cstdint>

namespace kelp_system {

// SDL event type that carries timer ticks to the main thread.
uint32_t TickEventType();
// Counts one tick of the timer with this serial, if it still exists.
void FireTickTimer(uint32_t serial);

}  // namespace kelp_system
