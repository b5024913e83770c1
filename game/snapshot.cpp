// The world copied aside for looking ahead. Objects are copied by value into
// room kept from the last save, so the references between them (the fish's
// segments, the beams' balls) stay as they are.
#include "game/world.h"

namespace kelp {

namespace {

template <typename Beam>
void copyBeams(std::vector<Beam>& into) {
    into.clear();
    for (int i = 0; i <= LAST_BEAM; ++i)
        if (auto* beam = dynamic_cast<const Beam*>(BEAMS[i].get())) into.push_back(*beam);
}

template <typename Beam>
void putBeamsBack(const std::vector<Beam>& from) {
    size_t next = 0;
    for (int i = 0; i <= LAST_BEAM && next < from.size(); ++i)
        if (auto* beam = dynamic_cast<Beam*>(BEAMS[i].get())) *beam = from[next++];
}

}  // namespace

void WorldSnapshot::save() {
    clock = LEVEL_CLOCK->elapsed;
    ending = LEVEL_ENDING, won = LEVEL_WON, skip = LEVEL_SKIP;
    steering = STEERING;
    goal = *GOAL;
    fish = *FISH;
    for (int i = 0; i < FISH->segmentCount; ++i) segments[i] = *FISH->segments[i];
    player = *PLAYER;
    playerMasses[0] = *PLAYER->main, playerMasses[1] = *PLAYER->second, playerMasses[2] = *PLAYER->third;
    balls.clear();
    for (int i = 0; i <= LAST_BALL; ++i) balls.push_back(*BALLS[i]);
    copyBeams(blueBeams);
    copyBeams(redBeams);
}

void WorldSnapshot::restore() const {
    LEVEL_CLOCK->elapsed = clock;
    LEVEL_ENDING = ending, LEVEL_WON = won, LEVEL_SKIP = skip;
    STEERING = steering;
    *GOAL = goal;
    *FISH = fish;
    for (int i = 0; i < fish.segmentCount; ++i) *FISH->segments[i] = segments[i];
    *PLAYER = player;
    *PLAYER->main = playerMasses[0], *PLAYER->second = playerMasses[1], *PLAYER->third = playerMasses[2];
    for (size_t i = 0; i < balls.size() && int(i) <= LAST_BALL; ++i) *BALLS[i] = balls[i];
    putBeamsBack(blueBeams);
    putBeamsBack(redBeams);
}

}  // namespace kelp
