#include "app/autoplay.h"

#include "pilot/pilot.h"

namespace kelp_app {

using namespace kelp;

namespace {

// The search went back and forth; the recording is of its play alone, from
// the level's start, with the world's checksums as they come.
void record(int level, uint32_t seed, const std::vector<StepInput>& steps, ReplayRecorder& recorder) {
    recorder.beginLevel(level, seed);
    Level played(level, seed);
    for (const StepInput& input : steps) {
        played.step(input);
        recorder.step(input);
    }
    recorder.endLevel();
}

}  // namespace

AutoplayResult autoplayLevel(int level, uint32_t seed, ReplayRecorder* recorder, const std::function<bool()>& stop) {
    Level searched(level, seed);
    kelp_pilot::SearchLimits limits;
    limits.stop = stop;
    kelp_pilot::SearchedPlay play = kelp_pilot::searchForWin(searched, limits);
    AutoplayResult result{play.won,    play.stopped,      play.steps.size(),
                          0,           play.rewinds,      play.closest,
                          play.nearestPoint, float(play.nearestStep) * TIME_STEP};
    if (play.won) result.timeLeft = GOAL->deadline - play.finishedAt;
    if (recorder && !play.stopped) record(level, seed, play.steps, *recorder);
    return result;
}

}  // namespace kelp_app
