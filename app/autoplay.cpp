#include "app/autoplay.h"

#include "pilot/pilot.h"

#include <cmath>

namespace kelp_app {

using namespace kelp;

namespace {

// The search went back and forth; the recording is of its play alone, from
// the level's start, with the world's checksums as they come.
void record(const Level& searched, const std::vector<StepInput>& steps, ReplayRecorder& recorder) {
    recorder.beginLevel(searched.number(), searched.seed(), searched.assists());
    Level played(searched.number(), searched.seed(), searched.assists());
    for (const StepInput& input : steps) {
        played.step(input);
        recorder.step(input);
    }
    recorder.endLevel();
}

}  // namespace

AutoplayResult autoplayLevel(int level, uint32_t seed, ReplayRecorder* recorder, const std::function<bool()>& stop,
                             const Assists& assists) {
    Level searched(level, seed, assists);
    kelp_pilot::SearchLimits limits;
    limits.stop = stop;
    kelp_pilot::SearchedPlay play = kelp_pilot::searchForWin(searched, limits);
    AutoplayResult result{.won = play.won,
                          .stopped = play.stopped,
                          .frames = play.steps.size(),
                          .rewinds = play.rewinds,
                          .tries = play.tries,
                          .closest = play.closest,
                          .nearestPoint = play.nearestPoint,
                          .nearestAt = float(play.nearestStep) * STEP_TIME};
    if (play.won) result.timeLeft = GOAL->deadline - play.finishedAt;
    if (recorder && !play.stopped) record(searched, play.steps, *recorder);
    return result;
}

AutoplayResult autoplayStraight(int level, uint32_t seed, const Assists& assists) {
    Level played(level, seed, assists);
    kelp_pilot::Autopilot pilot;
    pilot.start();
    AutoplayResult result;
    result.closest = INFINITY;
    while (!LEVEL_ENDING) {
        played.step(pilot.next());
        ++result.frames;
        float away = pilot.routes().distanceToGoal(FISH->head->position);
        if (away < result.closest) {
            result.closest = away, result.nearestPoint = FISH->head->position;
            result.nearestAt = LEVEL_CLOCK->elapsed;
        }
    }
    result.won = LEVEL_WON;
    if (result.won) result.timeLeft = GOAL->deadline - played.finishedAt();
    return result;
}

}  // namespace kelp_app
