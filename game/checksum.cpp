// A checksum of everything the world step reads and writes, so that two runs
// can be compared bit for bit. The random generator is left out: during play
// only drawing and sound draw from it.
#include "game/world.h"

#include <cstring>

namespace kelp {

namespace {

// FNV-1a over the exact bytes of each value.
class Digest {
public:
    template <typename T>
    void add(const T& value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char byte : bytes) hash = (hash ^ byte) * 0x100000001b3ull;
    }
    void add(tvector v) { add(v.x), add(v.y); }
    void add(const tentity& e) {
        add(e.position), add(e.mass), add(e.velocity), add(e.acceleration), add(e.force);
    }
    uint64_t hash = 0xcbf29ce484222325ull;
};

void AddFish(Digest& d, const tfish& fish) {
    for (int i = 0; i < fish.segmentCount; ++i) {
        d.add(*fish.segments[i]);
        d.add(fish.radii[i]);
        d.add(fish.shocked[i]);
    }
    d.add(fish.strength), d.add(fish.hate), d.add(fish.angry), d.add(fish.sting);
    d.add(fish.hateMode), d.add(fish.mood), d.add(fish.previousMood);
}

void AddPlayer(Digest& d, const tplayer& player) {
    d.add(*player.main), d.add(*player.second), d.add(*player.third);
    d.add(player.facing), d.add(player.caught), d.add(player.state), d.add(player.previousState);
    d.add(player.spookTimer), d.add(player.hurtTimer), d.add(player.hurt);
}

void AddBall(Digest& d, const tBall& ball) {
    d.add(ball.position), d.add(ball.hidden), d.add(ball.state), d.add(ball.glowTimer);
    d.add(ball.previousState), d.add(ball.touchedBefore), d.add(ball.touchedNow);
}

void AddBeam(Digest& d, const tbeam& beam) {
    if (auto* blue = dynamic_cast<const tbluebeam*>(&beam)) {
        d.add(blue->far), d.add(blue->zapLatch), d.add(blue->zapped), d.add(blue->contact);
    } else if (auto* red = dynamic_cast<const tredbeam*>(&beam)) {
        d.add(red->period), d.add(red->onTime), d.add(red->phase), d.add(red->state);
    }
}

}  // namespace

uint64_t worldChecksum() {
    Digest d;
    d.add(LEVEL_CLOCK->elapsed), d.add(LEVEL_ENDING), d.add(LEVEL_WON);
    d.add(STEERING);
    d.add(static_cast<const tentity&>(*GOAL)), d.add(GOAL->deadline);
    AddFish(d, *FISH);
    AddPlayer(d, *PLAYER);
    for (int i = 0; i <= LAST_BALL; ++i) AddBall(d, *BALLS[i]);
    for (int i = 0; i <= LAST_BEAM; ++i) AddBeam(d, *BEAMS[i]);
    return d.hash;
}

}  // namespace kelp
