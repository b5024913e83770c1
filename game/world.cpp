// Game-wide state, and the world's step and drawing.
#include "game/world.h"

namespace kelp {

int CURRENT_LEVEL = 1;
bool LEVEL_ENDING = false;
bool LEVEL_WON = false;
bool LEVEL_SKIP = false;
const float TIME_STEP = 1.0f / 30;
tvector CAMERA_POSITION;
float CAMERA_ZOOM = 0.5f;

tvector MAP_SCALE{1, 1};
FishRef FISH;
PlayerRef PLAYER;
GoalRef GOAL;
std::vector<BallRef> BALLS;
int LAST_BALL = 0;
std::vector<BeamRef> BEAMS;
int LAST_BEAM = 0;
bool DARKNESS = false;

TickTimerRef FRAME_TIMER;
ChannelRef BEAM_CHANNEL, REDBEAM_CHANNEL_A, REDBEAM_CHANNEL_B;
float REDBEAM_LOUDNESS = 0;
std::shared_ptr<tmouse> MOUSE = newMouseController();
std::shared_ptr<tclock> LEVEL_CLOCK = newClock();
tcolor WHITE{1, 1, 1};
std::array<ImageRef, 9> LEVEL_CARDS;
std::array<SoundRef, 4> NOTE_SOUNDS;

ImageRef fish_head, fish_tail, me_head, helmet, me_body, me_legs, light, big_light, ball, lightning,
    neon, eye, eye_bg, clock, clock_cursor, goal, little_cursor;
SoundRef beam_bound, beam_touch, tick, warning_drum, redbeam;

namespace {

void SubStep(float sub) {
    tfish& fish = *FISH;
    tplayer& player = *PLAYER;
    tentity& body = *player.main;
    for (int i = 0; i <= LAST_BALL; ++i)
        for (int j = 0; j < fish.segmentCount; ++j) BALLS[i]->collide(*fish.segments[j], fish.radii[j]);
    fish.target = player.main;
    fish.think(sub);
    if (fish.touch(body, 15)) {
        fish.touchedInHate();
        fish.touchedInAnger();
    }
    player.caught = 0;
    for (int i = 0; i <= LAST_BEAM; ++i) {
        int result = BEAMS[i]->collide(body, 15);
        if (result == BEAM_CAUGHT) player.caught = 1;
        if (result == BEAM_DEEP) player.hurt = 1;
    }
    for (int i = 0; i <= LAST_BEAM; ++i) BEAMS[i]->collideFish(fish);
    for (int i = 0; i <= LAST_BALL; ++i)
        if (BALLS[i]->collide(body, 15)) player.hurt = 1;
    player.update(sub);
    fish.update(sub);
    GOAL->update(sub);
}

}  // namespace

void stepWorld(float dt) {
    LEVEL_CLOCK->advance(dt);
    MOUSE->update(dt);
    float sub = dt / 5;
    for (int step = 0; step < 5; ++step) SubStep(sub);
    for (int i = 0; i <= LAST_BEAM; ++i) BEAMS[i]->update(dt);
}

void drawWorld() {
    resetDrawState();
    GOAL->drawGoal();
    PLAYER->drawBody();
    FISH->draw();
    PLAYER->drawHead();
    for (int i = 0; i <= LAST_BEAM; ++i) BEAMS[i]->draw();
    for (int i = 0; i <= LAST_BALL; ++i) BALLS[i]->draw();
    resetDrawState();
    GOAL->drawClock();
    ChannelSetVolume(REDBEAM_CHANNEL_A, REDBEAM_LOUDNESS);
    ChannelSetVolume(REDBEAM_CHANNEL_B, REDBEAM_LOUDNESS);
    REDBEAM_LOUDNESS = 0;
}

}  // namespace kelp
