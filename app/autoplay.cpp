#include "app/autoplay.h"

#include "pilot/pilot.h"

namespace kelp_app {

using namespace kelp;

AutoplayResult autoplayLevel(int level, uint32_t seed, ReplayRecorder* recorder) {
    SetRandomSeed(int32_t(seed));
    CURRENT_LEVEL = level;
    LEVEL_SKIP = false;
    if (recorder) recorder->beginLevel(level, seed);
    resetLevel();
    kelp_pilot::Autopilot pilot;
    pilot.start();
    LevelScene scene;
    AutoplayResult result;
    while (!LEVEL_ENDING) {
        StepInput input = pilot.next();
        advanceLevel(scene, input);
        if (recorder) recorder->step(input);
        ++result.frames;
    }
    result.won = LEVEL_WON;
    if (result.won) result.timeLeft = GOAL->deadline - scene.finishedAt;
    if (recorder) recorder->endLevel();
    return result;
}

}  // namespace kelp_app
