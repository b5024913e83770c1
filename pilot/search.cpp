// Searching for a win: the autopilot's play, taken up again from checkpoints.
// The world step draws no random numbers, so a checkpoint's snapshot and the
// steps before it are all it takes to go back exactly.
#include "game/game.h"
#include "pilot/pilot.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace kelp_pilot {

using namespace kelp;

namespace {

constexpr int CheckpointEvery = 90;  // steps: three seconds
// Nearer than this does not count as the fish coming nearer the goal.
constexpr float Progress = 20;
// How much a taken-up play blurs its choices: about a third of a corridor's length.
constexpr float Blur = 300;
// Going back again and again from the same best, the play goes back further, up to this many checkpoints.
constexpr int FurthestBack = 6;

// How long a push home may take, lead-in included.
constexpr size_t PushingHomeSteps = 3600;
// A fleeing fish run on past a turn has turned if, this soon, it comes this
// much nearer home than it had been.
constexpr size_t OvershootSteps = 450;
constexpr float OvershootGain = 300;

struct Checkpoint {
    WorldSnapshot world;
    std::optional<Level> level;  // its countdown and finishing time, beside the world
};

// Checkpoints every few seconds of the play so far. Their room is kept when
// the play goes back, so taking it up again allocates nothing.
class Checkpoints {
public:
    void keep(const Level& level, size_t step) {
        if (step % CheckpointEvery != 0 || step / CheckpointEvery < used) return;
        if (used == kept.size()) kept.emplace_back();
        kept[used].world.save();
        kept[used].level = level;
        ++used;
    }
    // Back to the checkpoint `back` before the latest at or before `step`;
    // gives the step it was kept at.
    size_t goBack(size_t step, size_t back, Level& level) {
        size_t latest = std::min(step / CheckpointEvery, used - 1);
        size_t index = latest > back ? latest - back : 0;
        kept[index].world.restore();
        level = *kept[index].level;
        used = index + 1;
        return index * CheckpointEvery;
    }

private:
    std::vector<Checkpoint> kept;
    size_t used = 0;
};

// One step of the play, with a checkpoint when one is due; notes where the
// fish comes nearest the goal.
void playOn(Autopilot& pilot, Checkpoints& checkpoints, Level& level, SearchedPlay& play) {
    checkpoints.keep(level, play.steps.size());
    StepInput input = pilot.next();
    level.step(input);
    play.steps.push_back(input);
    float away = pilot.routes().distanceToGoal(FISH->head->position);
    if (away < play.closest - Progress) {
        play.closest = away, play.nearestPoint = FISH->head->position;
        play.nearestStep = play.steps.size();
    }
}

bool stopAsked(const SearchLimits& limits, SearchedPlay& play) {
    play.stopped |= limits.stop && limits.stop();
    return play.stopped;
}

// Each attempt goes back to the fish's best and plays one resort out: a
// seeking fish's push home until it wins, a fleeing fish's overshoot until it
// has turned. True when one does; the play then goes on from there.
bool triedResorts(Autopilot& pilot, Checkpoints& checkpoints, Level& level, SearchedPlay& play,
                  const SearchLimits& limits) {
    bool seeking = FISH->hateMode != 0;
    const float closest = play.closest;
    const tvector nearestPoint = play.nearestPoint;
    const size_t nearestStep = play.nearestStep;
    auto forgetAttempt = [&] { play.closest = closest, play.nearestPoint = nearestPoint, play.nearestStep = nearestStep; };
    for (int attempt = 0; seeking ? pilot.pushHome(attempt) : pilot.overshoot(attempt); ++attempt) {
        size_t from = checkpoints.goBack(nearestStep, 0, level);
        play.steps.resize(from);
        forgetAttempt();
        size_t until = from + (seeking ? PushingHomeSteps : OvershootSteps);
        while (!LEVEL_ENDING && play.steps.size() < until) {
            if (stopAsked(limits, play)) return false;
            playOn(pilot, checkpoints, level, play);
            if (!seeking && play.closest < closest - OvershootGain) return true;
        }
        if (LEVEL_WON) return true;
    }
    forgetAttempt();
    return false;
}

}  // namespace

SearchedPlay searchForWin(Level& level, const SearchLimits& limits) {
    Autopilot pilot;
    pilot.start();
    Checkpoints checkpoints;
    SearchedPlay play;
    std::mt19937 dice(1);
    size_t takenUpAt = 0, resortedFrom = SIZE_MAX;
    while (!stopAsked(limits, play)) {
        playOn(pilot, checkpoints, level, play);
        if (LEVEL_WON) break;
        bool stalled = play.steps.size() > std::max(play.nearestStep, takenUpAt) + limits.stallSteps;
        if (!LEVEL_ENDING && !stalled) continue;
        if (play.nearestStep != resortedFrom) {  // a new best: perhaps at the last door, or a turn
            resortedFrom = play.nearestStep;
            if (triedResorts(pilot, checkpoints, level, play, limits)) {
                if (LEVEL_WON) break;
                continue;
            }
        }
        if (play.rewinds == limits.maxRewinds) break;
        int back = std::uniform_int_distribution<int>(0, 1 + play.rewinds % FurthestBack)(dice);
        takenUpAt = checkpoints.goBack(play.nearestStep, size_t(back), level);
        play.steps.resize(takenUpAt);
        pilot.wander(Blur, uint32_t(++play.rewinds));
    }
    play.won = LEVEL_WON;
    play.finishedAt = level.finishedAt();
    return play;
}

}  // namespace kelp_pilot
