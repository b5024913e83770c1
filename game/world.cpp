// Game-wide state, and the world's step and drawing.
#include "game/world.h"

namespace kelp {

int CURRENT_LEVEL = 1;
bool LEVEL_ENDING = false;
bool LEVEL_WON = false;
bool LEVEL_SKIP = false;
const float TIME_STEP = 1.0f / 30;
float STEP_TIME = TIME_STEP;
tvector CAMERA_POSITION;
float CAMERA_ZOOM = 0.5f;

tvector MAP_SCALE{1, 1};
FishRef FISH;
PlayerRef PLAYER;
GoalRef GOAL;
bool SHOW_GOAL_ARROW = true;
std::vector<BallRef> BALLS;
int LAST_BALL = 0;
std::vector<BeamRef> BEAMS;
int LAST_BEAM = 0;
MazeGrid MAZE;
bool DARKNESS = false;
int MAZE_REDEALS = 0;

TickTimerRef FRAME_TIMER;
ChannelRef BEAM_CHANNEL, REDBEAM_CHANNEL_A, REDBEAM_CHANNEL_B;
std::shared_ptr<tmouse> MOUSE = newMouseController();
tvector STEERING;
SoundReports SOUNDS;
std::shared_ptr<tclock> LEVEL_CLOCK = newClock();
tcolor WHITE{1, 1, 1};
std::array<ImageRef, 9> LEVEL_CARDS;
std::array<SoundRef, 4> NOTE_SOUNDS;

ImageRef fish_head, fish_tail, me_head, helmet, me_body, me_legs, light, big_light, ball, lightning,
    neon, eye, eye_bg, clock, clock_cursor, goal, little_cursor;
SoundRef beam_bound, beam_touch, tick, warning_drum, redbeam;

namespace {

// How far the maze reaches: a ball wakes within 100 of a body and pushes
// within its radius + 10; a beam notices a body within its radius + 25 of its
// line or ends. One more for rounding.
constexpr float BallReach = 101, BeamReach = 26;

// A ball within its reach of the box, with one more for rounding.
bool BallNear(const tBall& ball, const SegmentRun& run) {
    return run.box.near(ball.position, std::max(run.widest + 10, 100.0f) + 1);
}

// The balls and beams within reach of the fish and of the player. The others
// would do nothing this sub-step, so leaving them out changes no result, and
// those left in keep their order.
struct Contacts {
    BallSet fishBalls, playerBalls;
    BeamSet fishBeams, playerBeams;
};

Contacts FindContacts(const SegmentRuns& fish, const tentity& body, float bodyRadius) {
    Contacts c;
    MAZE.query(fish.box, std::max(BallReach, fish.widest + 11), &c.fishBalls, nullptr);
    MAZE.query(fish.box, fish.widest + BeamReach, nullptr, &c.fishBeams);
    Bounds bodyBounds{body.position.x, body.position.y, body.position.x, body.position.y};
    MAZE.query(bodyBounds, std::max(BallReach, bodyRadius + 11), &c.playerBalls, nullptr);
    MAZE.query(bodyBounds, bodyRadius + BeamReach, nullptr, &c.playerBeams);
    return c;
}

void SubStep(float sub) {
    tfish& fish = *FISH;
    tplayer& player = *PLAYER;
    tentity& body = *player.main;
    const SegmentRuns runs = fish.runs();
    const Contacts c = FindContacts(runs, body, 15);
    auto runsNear = [&](auto near, auto visit) {
        for (int r = 0; r < runs.count; ++r)
            if (near(runs.run[r]))
                for (int j = runs.run[r].first; j <= runs.run[r].last; ++j) visit(*fish.segments[j], j);
    };
    c.fishBalls.forEach([&](int i) {
        tBall& ball = *BALLS[i];
        runsNear([&](const SegmentRun& run) { return BallNear(ball, run); },
                 [&](tentity& segment, int j) {
                     if (ball.reaches(segment, fish.radii[j])) ball.collide(segment, fish.radii[j]);
                 });
    });
    fish.target = player.main;
    fish.think(sub);
    if (fish.touch(body, 15)) {
        fish.touchedInHate();
        fish.touchedInAnger();
    }
    player.caught = 0;
    c.playerBeams.forEach([&](int i) {
        int result = BEAMS[i]->collide(body, 15, sub);
        if (result == BEAM_CAUGHT) player.caught = 1;
        if (result == BEAM_DEEP) player.hurt = 1;
    });
    c.fishBeams.forEach([&](int i) {
        tbeam& beam = *BEAMS[i];
        runsNear([&](const SegmentRun& run) { return beam.reaches(run.box, run.widest); },
                 [&](tentity& segment, int j) {
                     if (beam.reaches(segment, fish.radii[j])) beam.collideSegment(fish, j, sub);
                 });
    });
    c.playerBalls.forEach([&](int i) {
        if (BALLS[i]->collide(body, 15)) player.hurt = 1;
    });
    player.update(sub);
    fish.update(sub, runs);
    GOAL->update(sub);
}

// The decisions that drawing shows and sounds announce, in the order the
// world is drawn: red beams warn and strike their balls before the balls settle.
void Settle(bool calm, float dt) {
    FISH->settle();
    PLAYER->settle(calm, dt);
    for (int i = 0; i <= LAST_BEAM; ++i) BEAMS[i]->settle();
    for (int i = 0; i <= LAST_BALL; ++i) BALLS[i]->settle(i, dt);
}

void PlayNote(const tplayer& player) { StartSound(NOTE_SOUNDS[RandomIntBetween(0, 3)], player.channel); }

void PlayWarning(const SoundReport& report) {
    float loudness = warningLoudness(report.at);
    if (!(loudness > 0)) return;
    const ChannelRef& channel = BALLS[report.ball]->channel;
    ChannelSetVolume(channel, loudness);
    StartSound(warning_drum, channel);
}

// Both hum loops run all level; the loudest firing beam in view sets them.
void PlayHums(float loudness) {
    if (!IsChannelPlaying(REDBEAM_CHANNEL_A)) StartSound(redbeam, REDBEAM_CHANNEL_A);
    if (!IsChannelPlaying(REDBEAM_CHANNEL_B) && LEVEL_CLOCK->elapsed > 0.5f)
        StartSound(redbeam, REDBEAM_CHANNEL_B);
    ChannelSetVolume(REDBEAM_CHANNEL_A, loudness);
    ChannelSetVolume(REDBEAM_CHANNEL_B, loudness);
}

}  // namespace

void stepWorld(float dt, const StepInput& input) {
    SOUNDS.clear();
    LEVEL_CLOCK->advance(dt);
    STEERING = steeringVelocity(input.pointer, dt);
    float sub = dt / 5;
    for (int step = 0; step < 5; ++step) SubStep(sub);
    for (int i = 0; i <= LAST_BEAM; ++i) BEAMS[i]->update(dt);
    Settle(input.calm, dt);
}

void drawWorld() {
    forgetGlows();
    resetDrawState();
    GOAL->drawGoal();
    PLAYER->drawBody();
    FISH->draw();
    PLAYER->drawHead();
    // The beams' bolts are most of a frame's work: drawn as parts of their
    // own, the frame takes 15 MB less of the software renderer, no slower.
    FinishDrawingPart();
    for (int i = 0; i <= LAST_BEAM; ++i) BEAMS[i]->draw();
    FinishDrawingPart();
    for (int i = 0; i <= LAST_BALL; ++i) BALLS[i]->draw();
}

void drawHud() {
    resetDrawState();
    GOAL->drawClock();
    if (SHOW_GOAL_ARROW) GOAL->drawArrow();
}

void playWorldSounds() {
    const tplayer& player = *PLAYER;
    float hum = 0;
    for (const SoundReport& report : SOUNDS) {
        switch (report.cue) {
        case CUE_SWIM_NOTE:
            if (report.speed > RandomIntBetween(1, 1000)) {
                ChannelSetRate(player.channel, 1);
                PlayNote(player);
            }
            break;
        case CUE_CAUGHT_NOTE:
            ChannelSetRate(player.channel, 2);
            if (RandomIntBetween(1, 1000) > 100) PlayNote(player);
            break;
        case CUE_FRIGHT_NOTE:
            ChannelSetRate(player.channel, 1.5f);
            if (RandomIntBetween(1, 1000) > 200) PlayNote(player);
            break;
        case CUE_TICK: StartSound(tick, nullptr); break;
        case CUE_WARNING_DRUM: PlayWarning(report); break;
        case CUE_BEAM_BOUND: StartSound(beam_bound, nullptr); break;
        case CUE_BEAM_TOUCH: StartSound(beam_touch, BEAM_CHANNEL); break;
        case CUE_RED_HUM: hum = std::max(hum, redHumLoudness(report.at, report.to)); break;
        }
    }
    PlayHums(hum);
}

void silenceWorld() {
    HaltChannel(BEAM_CHANNEL);
    HaltChannel(REDBEAM_CHANNEL_A);
    HaltChannel(REDBEAM_CHANNEL_B);
}

}  // namespace kelp
