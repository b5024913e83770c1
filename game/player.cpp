// The player character: three masses on two springs, seven expressions and
// random notes while it swims.
#include "game/world.h"

namespace kelp {

PlayerRef newPlayer(EntityRef fishHead, tvector position) {
    auto player = std::make_shared<tplayer>();
    player->main = newEntity(position, 75);
    player->second = newEntity(position, 10);
    player->third = newEntity(position, 5);
    player->springMainSecond = newSpring(player->main, player->second, 0, 10000, 200);
    player->springSecondThird = newSpring(player->second, player->third, 0, 10000, 200);
    player->fishHead = std::move(fishHead);
    player->channel = ReserveChannel();
    return player;
}

void tplayer::update(float dt) {
    main->addForce(scale(STEERING, state == PLAYER_HOLDING ? 25.0f : 50.0f));
    facing = normalize(sub(main->position, fishHead->position));
    main->addForce(scale(main->velocity, -100));
    second->addForce(scale(second->velocity, -75));
    third->addForce(scale(third->velocity, -30));
    springMainSecond->update(dt);
    springSecondThird->update(dt);
    third->update(dt);
    second->update(dt);
    main->update(dt);
}

void tplayer::decideState(bool calm, float dt) {
    state = PLAYER_EASY;
    if (FISH->hateMode != 0 && !(-1 < FISH->hate && FISH->hate < 2.5f)) state = PLAYER_NEUTRAL;
    if (FISH->mood == MOOD_STUNG) state = PLAYER_FRIGHTENED;
    if (calm && (state == PLAYER_NEUTRAL || state == PLAYER_EASY)) state = PLAYER_HOLDING;
    if (distance(FISH->head->position, main->position) < 2 * FISH->radii[0] + 15 &&
        FISH->mood == MOOD_CHARGING) {
        state = PLAYER_FRIGHTENED;
        spookTimer = 0.5f;
    }
    if (hurt) {
        state = PLAYER_HURT;
        hurtTimer = 0.15f;
    }
    hurt = 0;
    if (hurtTimer > 0) {
        hurtTimer -= dt;
        state = PLAYER_HURT;
    }
    if (spookTimer > 0) {
        spookTimer -= dt;
        hurtTimer = 0;
        state = PLAYER_FRIGHTENED;
    }
    if (LEVEL_WON) state = PLAYER_WON;
}

void tplayer::settle(bool calm, float dt) {
    decideState(calm, dt);
    if (caught) state = PLAYER_CAUGHT;
    reportNotes();
    previousState = state;
}

void tplayer::drawHead() const {
    setUniformScale(0.3f);
    float headRotation = 180 - heading(facing);
    if (caught) {
        drawImageAt(me_head, add(main->position, randomJitter(1)), headRotation, PLAYER_CAUGHT);
    } else {
        drawImageAt(me_head, main->position, headRotation, state);
    }
    drawImageAt(helmet, second->position, 0, 0);
    SetBlendMode(BLEND_ADD);
    SetDrawAlpha(0.3f);
    drawImageAt(helmet, main->position, 0, 0);
    SetDrawScale(0.5f, 0.5f);
    SetDrawAlpha(0.1f);
    drawImageAt(light, add(main->position, randomJitter(10)), 0, 0);
}

void tplayer::drawBody() const {
    SetDrawScale(0.225f, 0.225f);
    float legsRotation = 180 - heading(sub(main->position, add(third->position, scale(facing, -15))));
    float bodyRotation = -heading(sub(fishHead->position, add(second->position, scale(facing, -9.5f))));
    int f = TruncToInt(LEVEL_CLOCK->elapsed * 30);
    tvector legs = add(third->position, scale(facing, -10));
    tvector body = add(second->position, scale(facing, -7.5f));
    if (caught) {
        drawImageAt(me_legs, add(legs, randomJitter(1)), legsRotation, 10);
        drawImageAt(me_body, add(body, randomJitter(1)), bodyRotation, 15);
    } else if (state == PLAYER_HOLDING) {
        drawImageAt(me_legs, legs, legsRotation, 11);
        drawImageAt(me_body, body, bodyRotation, 16);
    } else {
        drawImageAt(me_legs, legs, legsRotation, f % 10);
        drawImageAt(me_body, body, bodyRotation, f % 15);
    }
    SetDrawScale(1, 1);
}

// Which notes are heard is chance, drawn where they are played.
void tplayer::reportNotes() {
    SOUNDS.add({.cue = CUE_SWIM_NOTE, .speed = length(main->velocity)});
    if (state == PLAYER_CAUGHT) SOUNDS.add({.cue = CUE_CAUGHT_NOTE});
    if (state == PLAYER_FRIGHTENED && previousState != PLAYER_FRIGHTENED)
        SOUNDS.add({.cue = CUE_FRIGHT_NOTE});
}

}  // namespace kelp
