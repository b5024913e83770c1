// Loose herding from the places the fish has reached. The look-ahead sees a
// few seconds; a long fish that must be led away from home for longer (round
// a pocket to come about, along the other side of a beam) stalls it. Short
// goes of the player swimming at random points about the fish find such
// plays: each go starts from a kept place, most often one nearest home, and
// every new place it reaches is kept to start from in turn.
#include "game/game.h"
#include "pilot/herding.h"
#include "pilot/pilot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>

namespace kelp_pilot {

using namespace kelp;

namespace {

// Places are told apart by the cells the fish's head and tail are in: a fish
// bent round a corner is not one lying straight.
constexpr float PlaceCell = 120;
constexpr int ActionSteps = 15;  // half a second
constexpr int GoActions = 10;    // five seconds
// How far from the fish the player may swim, and how fast.
constexpr float NearestAim = 100, FurthestAim = 700, FurthestAlong = 600, AimAside = 200;
constexpr float SlowestSwim = 120, FastestSwim = 400;
// The share of actions that hold the button, and that follow the way rather than roam.
constexpr float CalmShare = 0.25f, AlongShare = 0.5f;
// A kept place is chosen for being near home, less so the more goes began there.
constexpr float TriedCost = 150;
constexpr size_t MostPlaces = 600;

using PlaceKey = std::array<int, 4>;

PlaceKey placeOfTheFish() {
    auto cell = [](float v) { return int(std::floor(v / PlaceCell)); };
    tvector head = FISH->head->position, tail = FISH->tail->position;
    return {cell(head.x), cell(head.y), cell(tail.x), cell(tail.y)};
}

struct Place {
    WorldSnapshot world;
    std::optional<Level> level;
    int parent = -1;
    std::vector<StepInput> steps;  // from the parent's place
    float away = INFINITY;
    int goes = 0;
};

struct Action {
    tvector aim;
    float speed = 0;
    bool calm = false;
};

class Explorer {
public:
    Explorer(Level& level, const RouteMap& map, const ExploreLimits& limits)
        : level(level), map(map), limits(limits), dice(limits.seed) {}

    std::vector<StepInput> beyond(float closest);

private:
    int choosePlace();
    Action chooseAction();
    // The place kept for where the world stands, or -1 when a better one is kept already.
    int keep(int parent, const std::vector<StepInput>& steps, float away);
    std::vector<StepInput> stepsTo(int place, const std::vector<StepInput>& last) const;
    float uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(dice); }

    Level& level;
    const RouteMap& map;
    const ExploreLimits& limits;
    std::mt19937 dice;
    std::vector<Place> places;
    std::map<PlaceKey, int> byKey;  // the best place kept for each
};

int Explorer::choosePlace() {
    if (uniform(0, 1) < 0.5f) {
        int best = 0;
        float bestCost = INFINITY;
        for (const auto& [key, index] : byKey) {
            float cost = places[index].away + TriedCost * float(places[index].goes);
            if (cost < bestCost) best = index, bestCost = cost;
        }
        return best;
    }
    auto any = byKey.begin();
    std::advance(any, std::uniform_int_distribution<size_t>(0, byKey.size() - 1)(dice));
    return any->second;
}

Action Explorer::chooseAction() {
    tvector head = FISH->head->position;
    Action action;
    if (uniform(0, 1) < AlongShare) {
        tvector ahead = FISH->hateMode != 0 ? map.along(head, uniform(0, FurthestAlong))
                                            : map.behind(head, uniform(0, FurthestAlong));
        action.aim = add(ahead, makeVector(uniform(-AimAside, AimAside), uniform(-AimAside, AimAside)));
    } else {
        float turn = uniform(0, 2 * std::numbers::pi_v<float>), reach = uniform(NearestAim, FurthestAim);
        action.aim = add(head, makeVector(std::cos(turn) * reach, std::sin(turn) * reach));
    }
    action.speed = uniform(SlowestSwim, FastestSwim);
    action.calm = uniform(0, 1) < CalmShare;
    return action;
}

int Explorer::keep(int parent, const std::vector<StepInput>& steps, float away) {
    PlaceKey key = placeOfTheFish();
    auto found = byKey.find(key);
    if ((found != byKey.end() && places[found->second].away <= away) || places.size() == MostPlaces) return -1;
    Place& place = places.emplace_back();
    place.world.save();
    place.level = level;
    place.parent = parent;
    place.steps = steps;
    place.away = away;
    byKey[key] = int(places.size() - 1);
    return byKey[key];
}

std::vector<StepInput> Explorer::stepsTo(int place, const std::vector<StepInput>& last) const {
    std::vector<const std::vector<StepInput>*> legs = {&last};
    for (int at = place; at >= 0; at = places[at].parent) legs.push_back(&places[at].steps);
    std::vector<StepInput> steps;
    for (auto leg = legs.rbegin(); leg != legs.rend(); ++leg) steps.insert(steps.end(), (*leg)->begin(), (*leg)->end());
    return steps;
}

std::vector<StepInput> Explorer::beyond(float closest) {
    places.reserve(MostPlaces);
    keep(-1, {}, map.distanceToGoal(FISH->head->position));
    const Place& start = places.front();
    std::vector<StepInput> found, go;
    for (int goes = 0; goes < limits.goes && found.empty(); ++goes) {
        if (limits.stop && limits.stop()) break;
        int from = choosePlace();
        ++places[from].goes;
        places[from].world.restore();
        level = *places[from].level;
        go.clear();
        for (int action = 0; action < GoActions && found.empty() && !LEVEL_ENDING; ++action) {
            Action chosen = chooseAction();
            for (int step = 0; step < ActionSteps && !LEVEL_ENDING; ++step) {
                StepInput input{swimTowards(chosen.aim, chosen.speed), chosen.calm};
                level.step(input);
                go.push_back(input);
            }
            float away = map.distanceToGoal(FISH->head->position);
            if (LEVEL_WON || away < closest - limits.gain) found = stepsTo(from, go);
            else if (int kept = LEVEL_ENDING ? -1 : keep(from, go, away); kept >= 0) from = kept, go.clear();
        }
    }
    start.world.restore();
    level = *start.level;
    return found;
}

}  // namespace

std::vector<StepInput> exploreBeyond(Level& level, const RouteMap& map, float closest, const ExploreLimits& limits) {
    return Explorer(level, map, limits).beyond(closest);
}

}  // namespace kelp_pilot
