// Herding by looking ahead: every half second each of a handful of moves is
// played out for five seconds with the world step, and the one that leaves
// the fish's head nearest the goal along the ways, with the player where it
// herds from, is taken. A fish that seeks the player is led from just ahead
// of it; one that flees is pushed from behind, or beckoned on from ahead.
// There are last resorts: a seeking fish held at a door may be pushed home by
// the player; a fleeing one too wide for its ways run on past a turn and
// beckoned back round.
#include "pilot/herding.h"
#include "pilot/pilot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace kelp_pilot {

using namespace kelp;

namespace {

constexpr int DecideEvery = 15;
constexpr int LookAhead = 150;
// A steady pointer offset of o pixels a step swims at about 22.5·o units a second.
constexpr float UnitsPerSecondPerPixel = 22.5f;
constexpr float HarmCost = 100;    // per step caught by a red beam or stung
constexpr float HerdingGap = 100;  // the player's lead on (or lag behind) the fish
constexpr float OutOfSightCost = 200, AslantCost = 100;
// Where the player herds from: ahead of a fish that seeks it, behind one that flees.
constexpr float HerdingPlace = 180;
// How far across its way the player may lead a seeking fish: from the outside
// of a bend its body swings wide of the inner corner, often a red beam's end.
constexpr float BendSide = 150;
constexpr float MaxAway = 20000;  // beyond this, far is far
// A pointer moving at the steering speed limit makes the fish swim two and a
// half times as hard. Circling it fast keeps its speed there while the
// swimmer only loops about its place. Worth it for a fish whose way home is
// tighter than it squeezes through calmly, and for a big fish that seeks the
// player, which is slow to follow: spurred on, it gets home in time.
constexpr float StirAbove = 10;  // the way's least press, world units
constexpr float BigFish = 30;    // its widest part's radius, world units
constexpr float StirPixels = 450;  // a step's pointer move: past the limit
constexpr int StirRound = 6;       // steps a circle: five a second

// A fish held by a red beam has no will, but the player's push moves it on
// along the beam. Its head gains a few units a second, so a push home takes a
// minute or so. Which segment is pushed, from which side, and how long the
// fish is led in before all matter, and a look-ahead of seconds cannot tell
// them apart: each attempt plays one such choice out.
constexpr float ShoveSpeed = 3000;
constexpr int ShovedSegments[] = {13, 15, 17};
constexpr float ShoveSlants[] = {-0.87f, 1.31f};  // radians off the body's line: 50° one side, 75° the other
constexpr int LeadInSteps[] = {690, 450};
constexpr float LeadInAhead = 400;
constexpr int ForGood = std::numeric_limits<int>::max() / 2;

// A fleeing fish flees straight: where its way turns and the player behind it
// cannot get past, it is run on into the room beyond the turn, and the player
// swims to the way ahead, holding the button so that it stays, to beckon it.
constexpr int OverrunSteps[] = {200, 150, 250};
constexpr float OverrunSpeed = 300, OverrunGap = 40;
constexpr int ToBeckonSteps = 90;
constexpr float BeckonFrom = 250;  // along the way from where the fish stuck
// A stretch of way the fish could not get along: wide enough to close a door
// the fish's head was through.
constexpr float DetourRadius = 200;
// A touch charges a fish that has sulked this long.
constexpr float SulkedEnough = -2;

bool fishSeeksPlayer() { return FISH->hateMode != 0; }

tvector stirring() {
    long step = std::lround(LEVEL_CLOCK->elapsed / STEP_TIME);
    float turn = 2 * std::numbers::pi_v<float> * float(step % StirRound) / StirRound;
    return makeVector(std::cos(turn) * StirPixels, std::sin(turn) * StirPixels);
}

tvector turned(tvector v, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return makeVector(v.x * c - v.y * s, v.x * s + v.y * c);
}

// Gets behind the segment as seen along the push, then pushes through it.
tvector shoving(int segment, float slant, float speed) {
    segment = std::clamp(segment, 1, FISH->segmentCount - 2);  // it needs a neighbour either side
    tvector centre = FISH->segments[segment]->position;
    float radius = FISH->radii[segment];
    tvector line = direction(FISH->segments[segment - 1]->position, FISH->segments[segment + 1]->position);
    tvector push = turned(line, slant);
    tvector from = sub(PLAYER->main->position, centre);
    bool behind = dot(from, push) < -(radius + 5) && std::fabs(cross(from, push)) < 12;
    return swimTowards(behind ? add(centre, scale(push, 200)) : sub(centre, scale(push, radius + 30)), speed);
}

}  // namespace

tvector swimTowards(tvector aim, float speed) {
    tvector from = PLAYER->main->position;
    float gap = distance(aim, from);
    if (gap < 1) return {};
    float wanted = std::min(speed, gap * 3);
    return scale(direction(aim, from), wanted / UnitsPerSecondPerPixel);
}

void Autopilot::start() {
    map.plan();
    moves.clear();
    bool tight = map.leastPress() > StirAbove;
    bool stir = tight || (fishSeeksPlayer() && FISH->widest() > BigFish);
    mayOvershoot = tight && !fishSeeksPlayer();
    stepsOfResort = -1;
    if (fishSeeksPlayer()) {
        for (float lead : {80.0f, 160.0f, 260.0f, 400.0f})
            for (float speed : {120.0f, 260.0f}) moves.push_back({Herd::Lead, lead, 0, speed, false});
        for (float lead : {160.0f, 260.0f})
            for (float side : {-BendSide, BendSide}) moves.push_back({Herd::Lead, lead, side, 260, false});
        if (stir)
            for (float lead : {80.0f, 160.0f, 260.0f}) moves.push_back({Herd::Lead, lead, 0, 260, false, true});
    } else {
        for (float lead : {70.0f, 120.0f, 180.0f, 260.0f})
            for (float side : {-60.0f, 0.0f, 60.0f}) moves.push_back({Herd::Chase, lead, side, 250, false});
        if (stir)
            for (float lead : {120.0f, 180.0f}) moves.push_back({Herd::Chase, lead, 0, 250, false, true});
        for (float lead : {150.0f, 300.0f}) moves.push_back({Herd::Beckon, lead, 0, 400});
    }
    moves.push_back({Herd::Wait, 0, 0, 0, false});
    moves.push_back({Herd::Wait, 0, 0, 0, true});
    moves.push_back({Herd::Nudge, 0, 0, 260, false});
    for (float speed : {150.0f, 300.0f}) moves.push_back({Herd::ToPlace, 0, 0, speed, false});
    chosen = moves.back();
    stepsUntilDecision = 0;
}

StepInput Autopilot::inputFor(const Move& move) const {
    StepInput input = steadyInputFor(move);
    if (move.stir) input.pointer = add(input.pointer, stirring());
    return input;
}

StepInput Autopilot::steadyInputFor(const Move& move) const {
    tvector head = FISH->head->position, player = PLAYER->main->position;
    switch (move.herd) {
    case Herd::Wait: return {{}, move.calm};
    case Herd::Nudge: return {swimTowards(head, move.speed), move.calm};
    case Herd::ToPlace: return {swimTowards(map.towardsAim(player, 60), move.speed), move.calm};
    case Herd::Shove: return {shoving(move.segment, move.slant, move.speed), move.calm};
    case Herd::Lead: {
        tvector target = map.along(head, move.lead);
        if (move.side != 0) {
            tvector way = direction(target, map.along(head, move.lead / 2));
            target = add(target, scale(perp(way), move.side));
        }
        return {swimTowards(wayTo(target), move.speed), move.calm};
    }
    case Herd::Beckon: return beckoning(move);
    case Herd::Overrun: {
        tvector tail = FISH->tail->position;
        tvector back = direction(tail, FISH->segments[std::max(0, FISH->segmentCount - 4)]->position);
        return {swimTowards(add(tail, scale(back, OverrunGap)), move.speed), false};
    }
    case Herd::Chase: break;
    }
    tvector way = direction(map.along(head, 80), head);
    tvector behind = add(sub(head, scale(way, move.lead)), scale(perp(way), move.side));
    return {swimTowards(behind, move.speed), move.calm};
}

// Ahead of the fish on its way, the player touches it once it has sulked
// long enough to charge (the player sees how long), and keeps ahead of the
// charge. Otherwise it holds the button, so that the fish does not flee.
StepInput Autopilot::beckoning(const Move& move) const {
    tvector head = FISH->head->position, player = PLAYER->main->position;
    bool ahead = map.distanceToGoal(player) < map.distanceToGoal(head);
    if (ahead && FISH->mood == MOOD_SULKING && FISH->angry < SulkedEnough) return {swimTowards(head, move.speed), true};
    return {swimTowards(wayTo(map.along(head, move.lead)), move.speed), FISH->mood != MOOD_CHARGING};
}

// Where the player swims for `target`, ahead on the fish's way: straight
// there, or, from behind it, on along the way.
tvector Autopilot::wayTo(tvector target) const {
    tvector player = PLAYER->main->position;
    bool behindTarget = map.distanceToGoal(player) > map.distanceToGoal(target) + 10;
    return behindTarget ? map.along(player, 60) : target;
}

// How far the fish still has to go, and how far the player is from where it
// herds from: ahead of a fish that seeks it, behind one that flees. Lower is better.
float Autopilot::standing() const {
    tvector head = FISH->head->position, swimmer = PLAYER->main->position;
    float fish = map.distanceToGoal(head), player = map.distanceToGoal(swimmer);
    if (fishSeeksPlayer()) {
        // It swims straight at the player: a beam between them holds it back.
        float hidden = map.inSight(head, swimmer) ? 0 : OutOfSightCost;
        return fish + std::max(0.0f, player - (fish - HerdingGap)) + hidden;
    }
    // It flees straight away from the player: best along its way, from
    // behind; or it is beckoned on, from ahead.
    tvector way = direction(map.along(head, 80), head);
    float aslant = (1 - dot(way, direction(head, swimmer))) * AslantCost;
    float away = std::min(map.distanceToAim(swimmer), MaxAway);
    float behind = std::max(0.0f, (fish + HerdingGap) - player) + aslant + away;
    float ahead = std::max(0.0f, player - (fish - HerdingGap));
    return fish + std::min(behind, ahead);
}

// Lower is better: the standing reached, and what it cost to get there.
float Autopilot::outcomeOf(const Move& move) {
    float harm = 0;
    for (int step = 0; step < LookAhead; ++step) {
        stepWorld(STEP_TIME, inputFor(move));
        if (LEVEL_WON) return -1e6f + float(step);
        if (LEVEL_ENDING) return 1e9f;
        if (PLAYER->caught) harm += HarmCost;
        if (FISH->sting > 0) harm += HarmCost;
    }
    return standing() + harm;
}

void Autopilot::decide() {
    tvector head = FISH->head->position;
    map.aimAt(fishSeeksPlayer() ? map.along(head, HerdingPlace) : map.behind(head, HerdingPlace));
    lookahead.save();
    float best = INFINITY;
    for (const Move& move : moves) {
        float outcome = outcomeOf(move);
        if (blur > 0) outcome += std::uniform_real_distribution<float>(0, blur)(dice);
        lookahead.restore();
        if (outcome < best) best = outcome, chosen = move;
    }
}

StepInput Autopilot::next() {
    if (stepsOfResort >= 0) {
        int step = ++stepsOfResort;
        if (step <= firstSteps) return inputFor(first);
        if (step <= firstSteps + thenSteps) return inputFor(then);
        stepsOfResort = -1;
        stepsUntilDecision = 0;
    }
    if (stepsUntilDecision == 0) {
        if (!LEVEL_ENDING) decide();
        stepsUntilDecision = DecideEvery;
    }
    --stepsUntilDecision;
    return inputFor(chosen);
}

bool Autopilot::pushHome(int attempt) {
    int shoves = int(std::size(ShovedSegments) * std::size(ShoveSlants));
    if (!fishSeeksPlayer() || attempt >= shoves * int(std::size(LeadInSteps))) return false;
    firstSteps = LeadInSteps[attempt / shoves];
    first = {Herd::Lead, LeadInAhead, 0, ShoveSpeed, false};
    int pick = attempt % shoves;
    thenSteps = ForGood;
    then = {Herd::Shove, 0, 0, ShoveSpeed, false, false, ShovedSegments[pick / int(std::size(ShoveSlants))],
            ShoveSlants[pick % int(std::size(ShoveSlants))]};
    stepsOfResort = 0;
    return true;
}

bool Autopilot::overshoot(int attempt) {
    if (!mayOvershoot || attempt >= int(std::size(OverrunSteps))) return false;
    firstSteps = OverrunSteps[attempt];
    first = {Herd::Overrun, 0, 0, OverrunSpeed, false};
    map.aimAt(map.along(FISH->head->position, BeckonFrom));
    thenSteps = ToBeckonSteps;
    then = {Herd::ToPlace, 0, 0, OverrunSpeed, true};
    stepsOfResort = 0;
    return true;
}

void Autopilot::wander(float amount, uint32_t seed) {
    blur = amount;
    dice.seed(seed);
    stepsOfResort = -1;
    stepsUntilDecision = 0;
}

void Autopilot::detour(tvector stretch) { map.avoid(stretch, DetourRadius); }

std::vector<tvector> Autopilot::foresee(int steps) {
    std::vector<tvector> way;
    foresight.save();
    Move wasChosen = chosen;
    int wasUntil = stepsUntilDecision, wasResort = stepsOfResort;
    for (int step = 0; step < steps && !LEVEL_ENDING; ++step) {
        stepWorld(STEP_TIME, next());
        way.push_back(PLAYER->main->position);
    }
    foresight.restore();
    chosen = wasChosen, stepsUntilDecision = wasUntil, stepsOfResort = wasResort;
    return way;
}

}  // namespace kelp_pilot
