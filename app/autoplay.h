// The autopilot playing a level without a window: to prove it can be won,
// and to record how.
#pragma once

#include "app/replay.h"

#include <cstdint>
#include <functional>

namespace kelp_app {

struct AutoplayResult {
    bool won = false;
    bool stopped = false;  // asked to stop before the search was decided
    uint64_t frames = 0;   // steps until the fish came home, or the clock ran out
    float timeLeft = 0;    // on the level's clock when the fish came home
    int rewinds = 0;       // times the search went back
    int tries = 0;         // searches from the level's start it took
    float closest = 0;     // the fish's nearest to the goal along the ways
    kelp::tvector nearestPoint;  // where its head was then,
    float nearestAt = 0;         // so many seconds into the level
};

// Level `level` built from random seed `seed` with `assists`, searched by the
// autopilot for a win; the play it found is recorded when a recorder is
// given. The search ends early, undecided, once `stop` says so.
AutoplayResult autoplayLevel(int level, uint32_t seed, ReplayRecorder* recorder = nullptr,
                             const std::function<bool()>& stop = {}, const kelp::Assists& assists = {});
// The autopilot playing straight on, as in the window: never going back.
AutoplayResult autoplayStraight(int level, uint32_t seed, const kelp::Assists& assists = {});

}  // namespace kelp_app
