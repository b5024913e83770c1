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
// Each try's dice are seeded apart from every other's by this many goes back.
constexpr uint32_t SeedsPerTry = 1000;
// Going back again and again from the same best, the play goes back further, up to this many checkpoints.
constexpr int FurthestBack = 6;

// Bests this near are one place; a fish held there with this share of the
// level's time left is held by the way, not the clock: level 6's fish, held
// at a door with a third of its time left, still gets home round it.
constexpr float SamePlace = 200;
constexpr float SpareTime = 0.3f;

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
void takeStep(const StepInput& input, const RouteMap& map, Checkpoints& checkpoints, Level& level,
              SearchedPlay& play) {
    checkpoints.keep(level, play.steps.size());
    level.step(input);
    play.steps.push_back(input);
    float away = map.distanceToGoal(FISH->head->position);
    if (away < play.closest - Progress) {
        play.closest = away, play.nearestPoint = FISH->head->position;
        play.nearestStep = play.steps.size();
    }
}

void playOn(Autopilot& pilot, Checkpoints& checkpoints, Level& level, SearchedPlay& play) {
    takeStep(pilot.next(), pilot.routes(), checkpoints, level, play);
}

bool stopAsked(const SearchLimits& limits, SearchedPlay& play) {
    play.stopped |= limits.stop && limits.stop();
    return play.stopped;
}

// The play from the checkpoint at step `from` on is `inputs`: the world goes
// back there and steps through them.
void playFrom(size_t from, const StepInput* inputs, size_t count, const RouteMap& map, Checkpoints& checkpoints,
              Level& level, SearchedPlay& play) {
    checkpoints.goBack(from, 0, level);
    play.steps.resize(from);
    for (size_t step = 0; step < count; ++step) takeStep(inputs[step], map, checkpoints, level, play);
}

// After attempts from the checkpoint at `from` came to nothing, the play and
// the world are as they were before them.
void forgetAttempts(const std::vector<StepInput>& before, size_t from, const RouteMap& map, Checkpoints& checkpoints,
                    Level& level, SearchedPlay& play) {
    playFrom(from, before.data() + from, before.size() - from, map, checkpoints, level, play);
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
    auto forgetBest = [&] { play.closest = closest, play.nearestPoint = nearestPoint, play.nearestStep = nearestStep; };
    const std::vector<StepInput> before = play.steps;
    size_t from = SIZE_MAX;
    for (int attempt = 0; seeking ? pilot.pushHome(attempt) : pilot.overshoot(attempt); ++attempt) {
        from = checkpoints.goBack(nearestStep, 0, level);
        play.steps.resize(from);
        forgetBest();
        size_t until = from + (seeking ? PushingHomeSteps : OvershootSteps);
        while (!LEVEL_ENDING && play.steps.size() < until) {
            if (stopAsked(limits, play)) return false;
            playOn(pilot, checkpoints, level, play);
            if (!seeking && play.closest < closest - OvershootGain) return true;
        }
        if (LEVEL_WON) return true;
    }
    if (from != SIZE_MAX) forgetAttempts(before, from, pilot.routes(), checkpoints, level, play);
    forgetBest();
    return false;
}

// Loose herding from a little before the fish's best. True when it brought
// the fish on; the look-ahead then plays on from there.
bool exploredOn(Autopilot& pilot, Checkpoints& checkpoints, Level& level, SearchedPlay& play,
                const SearchLimits& limits) {
    if (limits.exploreGoes == 0) return false;
    const std::vector<StepInput> before = play.steps;
    size_t from = checkpoints.goBack(play.nearestStep, 1, level);
    std::vector<StepInput> found = exploreBeyond(
        level, pilot.routes(), play.closest, {.goes = limits.exploreGoes, .seed = uint32_t(from), .stop = limits.stop});
    if (found.empty()) forgetAttempts(before, from, pilot.routes(), checkpoints, level, play);
    else playFrom(from, found.data(), found.size(), pilot.routes(), checkpoints, level, play);
    pilot.wander(0, uint32_t(from));
    return !found.empty();
}

// How often the search went back from about one place, where the fish came
// with time to spare: held there, not beaten by the clock, it needs another way.
class HeldPlace {
public:
    explicit HeldPlace(float clockAtStart) : clockAtStart(clockAtStart) {}
    int goneBack(const SearchedPlay& play) {
        float leftAtBest = GOAL->deadline - (clockAtStart + float(play.nearestStep) * STEP_TIME);
        bool spare = leftAtBest > GOAL->deadline * SpareTime;
        bool same = times > 0 && distance(play.nearestPoint, place) < SamePlace;
        times = !spare ? 0 : same ? times + 1 : 1;
        place = play.nearestPoint;
        return times;
    }
    void forget() { times = 0; }

private:
    float clockAtStart;
    tvector place;
    int times = 0;
};

// Back to where the search began, the fish's best forgotten: its ways have changed.
void startOver(Checkpoints& checkpoints, Level& level, SearchedPlay& play) {
    checkpoints.goBack(0, 0, level);
    play.steps.clear();
    play.closest = INFINITY, play.nearestPoint = {}, play.nearestStep = 0;
}

// One search from where the level began. Each try's dice are its own, and
// a try after the first blurs the play from its first step: the fish's way
// is chaotic, so it soon goes otherwise than every try before.
SearchedPlay searchFromTheStart(Level& level, const SearchLimits& limits, Checkpoints& checkpoints, int attempt) {
    Autopilot pilot;
    pilot.start();
    SearchedPlay play;
    const uint32_t seeds = uint32_t(attempt) * SeedsPerTry;
    if (attempt > 0) pilot.wander(Blur, seeds);
    std::mt19937 dice(1 + seeds);
    size_t takenUpAt = 0, resortedFrom = SIZE_MAX;
    HeldPlace held(LEVEL_CLOCK->elapsed);
    while (!stopAsked(limits, play)) {
        playOn(pilot, checkpoints, level, play);
        if (LEVEL_WON) break;
        bool stalled = play.steps.size() > std::max(play.nearestStep, takenUpAt) + limits.stallSteps;
        if (!LEVEL_ENDING && !stalled) continue;
        if (play.nearestStep != resortedFrom) {  // a new best: perhaps at the last door, or a turn
            resortedFrom = play.nearestStep;
            if (triedResorts(pilot, checkpoints, level, play, limits) ||
                exploredOn(pilot, checkpoints, level, play, limits)) {
                if (LEVEL_WON) break;
                continue;
            }
        }
        if (play.rewinds == limits.maxRewinds) break;
        if (held.goneBack(play) > limits.detourAfter && play.detours < limits.detours) {
            pilot.detour(play.nearestPoint);
            ++play.detours, ++play.rewinds;
            startOver(checkpoints, level, play);
            takenUpAt = 0;
            resortedFrom = SIZE_MAX;
            held.forget();
            pilot.wander(0, seeds + uint32_t(play.rewinds));
            continue;
        }
        int back = std::uniform_int_distribution<int>(0, 1 + play.rewinds % FurthestBack)(dice);
        takenUpAt = checkpoints.goBack(play.nearestStep, size_t(back), level);
        play.steps.resize(takenUpAt);
        pilot.wander(Blur, seeds + uint32_t(++play.rewinds));
    }
    play.won = LEVEL_WON;
    play.finishedAt = level.finishedAt();
    return play;
}

}  // namespace

SearchedPlay searchForWin(Level& level, const SearchLimits& limits) {
    Checkpoints checkpoints;
    SearchedPlay play;
    for (int attempt = 0; attempt < limits.tries && !play.won && !play.stopped; ++attempt) {
        if (attempt > 0) startOver(checkpoints, level, play);
        int rewinds = play.rewinds, detours = play.detours;
        play = searchFromTheStart(level, limits, checkpoints, attempt);
        play.rewinds += rewinds, play.detours += detours, play.tries = attempt + 1;
    }
    return play;
}

}  // namespace kelp_pilot
