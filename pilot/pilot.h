// An autopilot that plays a level through the inputs a player has: the
// pointer's movement and the button. It reads the world as the player sees
// it, finds the fish's way through the maze once per level, and herds the
// fish along it by trying a few moves ahead with the world step. To prove a
// level winnable it can also search: go back to where the fish did best and
// try other moves from there.
#pragma once

#include "game/game.h"
#include "game/ways.h"

#include <functional>
#include <random>
#include <vector>

namespace kelp_pilot {

using kelp::RouteMap;
using kelp::tvector;

class Autopilot {
public:
    // For the level just built: plans its ways.
    void start();
    // The input for the next step.
    kelp::StepInput next();
    // Where the player will swim in the next `steps` steps as the autopilot
    // plays them, with the world left exactly as it was.
    std::vector<tvector> foresee(int steps);
    const RouteMap& routes() const { return map; }
    // From the next step on, each move's outcome is blurred by up to `amount`
    // with dice seeded by `seed`, so that a play taken up again goes otherwise.
    // A resort ends.
    void wander(float amount, uint32_t seed);
    // From now on the fish's ways keep out of `stretch`, where it could not
    // get on: round it, however long, or across the least of it.
    void detour(tvector stretch);
    // For a seeking fish held at its way's last door by a red beam that never
    // rests, which takes its will: swim on into the goal's room so that it
    // follows until held, then push it on from its side.
    // `attempt` picks one of a few such pushes; from the next step on the
    // autopilot plays it. False when there is none left to try.
    bool pushHome(int attempt);
    // For a fleeing fish too wide for its ways, stuck where its way turns and
    // the player, behind it, cannot get past to turn it: push it on past the
    // turn into the room beyond, then swim up the way it must take and beckon
    // it back round. `attempt` picks how far it is run on; from the next step
    // on the autopilot plays it, then looks ahead again. False when there is
    // none left to try.
    bool overshoot(int attempt);

private:
    enum class Herd {
        Lead,     // swim `lead` ahead of a seeking fish on its way, `side` across it
        Chase,    // swim `lead` behind a fleeing fish, `side` across its way
        Wait,     // stay, holding the button when `calm`
        Nudge,    // swim at the fish's head: a push frees it from a trap
        ToPlace,  // swim round the beams to where the player herds from
        Shove,    // push the fish's `segment` on, from `slant` radians off its body's line
        Beckon,   // `lead` ahead of a fleeing fish, holding the button; touch it when it would charge
        Overrun,  // swim just behind a fleeing fish's tail: it runs on straight
    };
    struct Move {
        Herd herd = Herd::Wait;
        float lead = 0, side = 0;
        float speed = 0;  // world units a second
        bool calm = false;
        bool stir = false;  // the pointer also circles fast, exciting the fish
        int segment = 0;
        float slant = 0;
    };
    kelp::StepInput inputFor(const Move& move) const;
    kelp::StepInput steadyInputFor(const Move& move) const;
    kelp::StepInput beckoning(const Move& move) const;
    tvector wayTo(tvector target) const;
    float standing() const;
    float outcomeOf(const Move& move);
    void decide();

    RouteMap map;
    std::vector<Move> moves;
    Move chosen;
    bool mayOvershoot = false;  // a fleeing fish too wide for its ways
    // A resort plays `first` for `firstSteps`, then `then` for `thenSteps`,
    // then the look-ahead takes over again.
    int stepsOfResort = -1;  // while one plays: steps since it began
    int firstSteps = 0, thenSteps = 0;
    Move first, then;
    int stepsUntilDecision = 0;
    kelp::WorldSnapshot lookahead, foresight;
    float blur = 0;
    std::mt19937 dice;
};

// A winning play of `level` from where it stands (just built), searched
// for with the autopilot. It plays on; whenever the fish has come no nearer
// the goal for `stallSteps`, or the clock has run out, the world goes back to
// a checkpoint at or a little before the fish's best, and the autopilot plays
// on from there with other moves; at each new best that stalls it also tries
// the autopilot's resorts from there (see pushHome and overshoot), then loose
// herding (see exploreBeyond). Held at one place with time to spare, it
// takes the ways round it (see detour) and starts over. A try gives up after
// `maxRewinds` goes back; the search then tries again from the start, up to
// `tries` times, and stops as soon as `stop` says so.
struct SearchLimits {
    int maxRewinds = 40;      // a try: enough for the levels it wins; one it cannot ends in a minute or so
    size_t stallSteps = 300;  // ten seconds
    int exploreGoes = 1500;   // goes of loose herding at each new best that stalls; none if 0
    // After going back this often from one best, the ways go round it and
    // the play starts over, at most `detours` times.
    int detourAfter = 8;
    int detours = 2;
    // Whole searches from the start, each going otherwise, before it gives up:
    // one search wins or loses a deal by chance as much as by the maze. Only
    // a deal every try loses pays for them all.
    int tries = 5;
    std::function<bool()> stop = nullptr;
};
struct SearchedPlay {
    bool won = false;
    bool stopped = false;                // asked to stop before it was decided
    float finishedAt = 0;                // on the level's clock, when won
    std::vector<kelp::StepInput> steps;  // the play, from where the search began
    int tries = 0;             // searches from the start; the play is the last's
    int rewinds = 0;           // over every try
    int detours = 0;           // times it went round where the fish was held, starting over
    float closest = INFINITY;  // the fish's nearest to the goal along the ways
    tvector nearestPoint;      // where its head was then,
    size_t nearestStep = 0;    // so many steps from where the search began, in the play that got there
};
SearchedPlay searchForWin(kelp::Level& level, const SearchLimits& limits);

// Loose herding from where the world stands, for a stall the look-ahead
// cannot see past: many short goes of the player swimming at random points
// about the fish, each from a place the fish reached before, most often one
// nearest home. Gives the steps from where the world stood to the first place
// `gain` nearer home than `closest` along the ways, or a win; none if `goes`
// goes find none. The world is left where it stood.
struct ExploreLimits {
    int goes = 1500;
    float gain = 600;
    uint32_t seed = 1;
    std::function<bool()> stop = nullptr;
};
std::vector<kelp::StepInput> exploreBeyond(kelp::Level& level, const RouteMap& map, float closest,
                                           const ExploreLimits& limits);

}  // namespace kelp_pilot
