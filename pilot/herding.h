// What the autopilot's ways of herding share.
#pragma once

#include "game/world.h"

namespace kelp_pilot {

// A nudge of the pointer that swims the player towards `aim` at up to
// `speed` world units a second.
kelp::tvector swimTowards(kelp::tvector aim, float speed);

}  // namespace kelp_pilot
