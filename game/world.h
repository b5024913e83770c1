// The game world: the view and drawing helpers, the maze of balls and beams,
// the fish, the player, the goal, background particles, the level clock and
// mouse controller, the levels, and the world step and draw. Stepping needs no
// screen; drawing goes through the render layer.
#pragma once

#include "audio/audio.h"
#include "game/mazegrid.h"
#include "game/physics.h"
#include "render/render.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kelp {

// ---- View, colours and effects ----------------------------------------------------

struct tcolor {
    float r = 1, g = 1, b = 1;
};

void setViewZoom(float zoom);
void setViewCentre(tvector point);
void setScreenCentre(tvector point);
float viewZoom();
tvector viewCentre();
tvector worldToScreen(tvector p);
void drawImageAt(const ImageRef& image, tvector position, float rotation, int frame);
void drawQuadAt(tvector p1, tvector p2, tvector p3, tvector p4);
void drawDiscAt(tvector centre, float radius);
void setUniformScale(float s);
void resetDrawState();
tcolor newColor(float r, float g, float b);
void applyColor(const tcolor& c);
// Each component in [-r, r); the y part is drawn first.
tvector randomJitter(float r);
void drawBlueLightning(tvector a, tvector b, float jag, bool startExact, bool endExact);
void drawRedLightning(tvector a, tvector b, float jag, bool startExact, bool endExact);
// Soft light (the background lights, the bolts' glows) is drawn cheaply, at
// a fraction of the screen's resolution, unless asked for at full cost: the
// reference the cheap way is measured and tested against.
constexpr int LightLayerDivisor = 4;
void setFullCostLights(bool on);
bool fullCostLights();
// Calm lights, for players whom flashing can hurt: bolts take fresh jags
// three times a second at half contrast, glows hold still, strikes do not
// flash. Only the drawing changes; it draws the same dice either way.
void setCalmLights(bool on);
bool calmLights();
// `flickering`, a value drawn from the dice, or `steady` under calm lights.
float steadyOr(float flickering, float steady);
// Soft glows at a point, in the draw colour, additive: cheaply, bolts and
// balls gather them as the world is drawn, and the next frame's backdrop draws
// them. drawWorld forgets what the last one gathered.
void addGlow(tvector at, float scale, float alpha);
void forgetGlows();
void drawGlows();
// Loudness 0..1 of a world point by its distance on screen; 0 out of hearing.
float loudnessAt(float onScreenDistance);
// The loudness of a warning at a world point, and of a firing red beam from a
// to b: by their distance from the view's centre.
float warningLoudness(tvector at);
float redHumLoudness(tvector a, tvector b);

// ---- Level clock and mouse controller ------------------------------------------------

class tclock {
public:
    virtual ~tclock() = default;
    virtual void advance(float dt) { elapsed += dt; }
    virtual void start() { elapsed = 0; }
    float elapsed = 0;
};

// Turns the pointer, or a pad's stick when it was used last, into the
// player's steering offsets. A click in the window captures the pointer;
// losing the focus releases it.
class tmouse {
public:
    virtual ~tmouse() = default;
    // How far the pointer moved in the frame, in pixels, which steer as
    // play-area pixels at every window size; zero while released. Or the
    // stick's offset, when the pad was used last; or the steering finger's
    // motion, TouchGain times the pointer's, when a finger was.
    virtual tvector offset(const FrameInput& input);
    // The mouse button, a pad's A or its right trigger, or a second finger held.
    static bool calming(const FrameInput& input);
    virtual void capture();
    virtual void release();
    int released = 0;
    float speed = 1;       // the player's pointer speed
    float stickSpeed = 1;  // and stick speed
};

// A stick's steering: nothing within StickDeadZone of its centre, then
// growing with the square of the deflection past it, for fine control near
// the centre, up to StickFullPixels a frame at full deflection, times `speed`.
constexpr float StickDeadZone = 0.2f, StickFullPixels = 30;
tvector stickOffset(float x, float y, float speed);
// A thumb's drag over two thirds of a phone's screen crosses the play area.
constexpr float TouchGain = 1.5f;

std::shared_ptr<tclock> newClock();
std::shared_ptr<tmouse> newMouseController();
// The swimmer's steering for a pointer offset of `offset` play-area pixels over
// `dt` seconds: one and a half times the pointer's speed, capped.
tvector steeringVelocity(tvector offset, float dt);

// ---- One step's input, and the sounds it asks for ------------------------------------

struct StepInput {
    tvector pointer;     // play-area pixels moved since the previous step
    bool calm = false;   // the calming button is held
};

enum SoundCue {
    CUE_SWIM_NOTE,     // a note, more likely the faster the swimmer goes
    CUE_CAUGHT_NOTE,
    CUE_FRIGHT_NOTE,
    CUE_TICK,
    CUE_WARNING_DRUM,  // from `ball`, at `at`
    CUE_BEAM_BOUND,
    CUE_BEAM_TOUCH,
    CUE_RED_HUM,       // a firing red beam from `at` to `to`
};

struct SoundReport {
    SoundCue cue = CUE_TICK;
    tvector at{}, to{};
    float speed = 0;
    int ball = 0;
};

// The sounds one step asks for, in the order it decided them. Fixed room, so
// a step never allocates; more than a step can ask for.
class SoundReports {
public:
    static constexpr int Capacity = 1024;
    void clear() { count = 0; }
    void add(const SoundReport& report) {
        if (count < Capacity) reports[count++] = report;
    }
    const SoundReport* begin() const { return reports.data(); }
    const SoundReport* end() const { return reports.data() + count; }

private:
    std::array<SoundReport, Capacity> reports;
    int count = 0;
};

// ---- Balls and beams -----------------------------------------------------------------

class tfish;

enum BallState { BALL_AWAKE = 0, BALL_WARNING = 2, BALL_STRUCK = 3, BALL_IDLE = 4 };

// How a ball shows itself after its step.
enum BallFace { FACE_LIT = 0, FACE_FLASH, FACE_DIM };

// Final, like the beams, the fish, the player and the goal: a call made
// through one of their own types needs no dispatch.
class tBall final {
public:
    virtual ~tBall() = default;
    virtual void touch();
    virtual void warn() { state = BALL_WARNING; }
    virtual void strike();
    virtual void wake();
    // End of step: the face to show, its sounds, and the flags made ready for
    // the next step.
    virtual void settle(int index, float dt);
    virtual void draw() const;
    virtual void update(float) {}
    virtual bool collide(tentity& body, float radius);
    // Whether collide could do anything to or for the body: push it, or wake.
    bool reaches(const tentity& body, float radius) const {
        float reach = std::max(radius + 10, 100.0f);
        return !hidden && distanceSquared(body.position, position) < reach * reach;
    }

    tvector position;
    int hidden = 1;
    int state = BALL_IDLE;
    float glowTimer = 0;
    int previousState = 0;
    ChannelRef channel;
    int touchedBefore = 0;
    int touchedNow = 0;
    int shownState = BALL_IDLE;
    int face = FACE_LIT;

private:
    void settleFace(float dt);
};
using BallRef = std::shared_ptr<tBall>;

// Results of a beam's collide.
enum BeamContact { BEAM_NONE = 0, BEAM_CONTACT = 1, BEAM_DEEP = 2, BEAM_CAUGHT = 3 };

class tbeam {
public:
    virtual ~tbeam() = default;
    virtual void settle() {}
    virtual void draw() const {}
    virtual void update(float) {}
    // `dt`: the sub-step's length.
    virtual int collide(tentity&, float, float) { return BEAM_NONE; }
    // Collide with the fish's segment `segment`: a red beam that holds it stings the fish.
    virtual void collideSegment(tfish& fish, int segment, float dt);
    // Whether a body of `radius` anywhere in `where` may be near enough the
    // beam for collide to touch or notice it: 25 past its edge, with a unit
    // to spare for rounding.
    bool reaches(Bounds where, float radius) const {
        float reach = radius + 26;
        return !(where.right < box.left - reach || where.left > box.right + reach ||
                 where.bottom < box.top - reach || where.top > box.bottom + reach);
    }
    bool reaches(const tentity& body, float radius) const {
        tvector p = body.position;
        return reaches(Bounds{p.x, p.y, p.x, p.y}, radius);
    }

    BallRef ballA, ballB;
    tvector axis;  // the unit vector from ball A to ball B, which never move
    Bounds box;    // around the two balls
};
using BeamRef = std::shared_ptr<tbeam>;

class tbluebeam final : public tbeam {
public:
    void settle() override;
    void draw() const override;
    int collide(tentity& body, float radius, float dt) override;

    int far = 1;
    int zapLatch = 0;
    int zapped = 0;
    int contact = 0;
    // What the last step showed: the beam at all, a zap, a contact.
    bool lit = false, litZapped = false, litContact = false;
};

enum RedBeamState { RED_OFF = 0, RED_WARNING = 1, RED_FIRING = 2 };

class tredbeam final : public tbeam {
public:
    void settle() override;
    void draw() const override;
    void update(float dt) override;
    int collide(tentity& body, float radius, float dt) override;
    void collideSegment(tfish& fish, int segment, float dt) override;

    float period = 0, onTime = 0, phase = 0;
    int state = RED_OFF;
};

BallRef newBall(tvector position, int hidden);
BeamRef newBlueBeam(BallRef a, BallRef b);
BeamRef newRedBeam(BallRef a, BallRef b, float phase, float period, float onTime);

// ---- The fish ------------------------------------------------------------------------

// Neighbouring segments of the fish: the box around their centres and the
// widest of them. What is out of reach of a run's box is out of reach of each
// of its segments, so most of what is near the fish is passed over a run at a time.
struct SegmentRun {
    Bounds box;
    float widest = 0;
    int first = 0, last = 0;
};
struct SegmentRuns {
    static constexpr int Length = 4;
    std::array<SegmentRun, 25> run;
    int count = 0;
    Bounds box{INFINITY, INFINITY, -INFINITY, -INFINITY};  // around them all
    float widest = 0;
};

enum FishMood { MOOD_CALM = 0, MOOD_SEEKING, MOOD_SHY, MOOD_SULKING, MOOD_CHARGING, MOOD_STUNG };

class tfish final {
public:
    static constexpr int MaxSegments = 100;
    virtual ~tfish() = default;
    virtual void approach(float a);
    virtual void shy(float a);
    virtual void avoid(float a);
    virtual void charge();
    virtual void rememberMood() { previousMood = mood; }
    virtual void touchedInHate();
    virtual void touchedInAnger();
    virtual void think(float dt);
    virtual void update(float dt) { update(dt, runs()); }
    // The same, with the runs as the sub-step found them: segments far apart
    // are not asked whether they touch.
    void update(float dt, const SegmentRuns& runs);
    // End of step: the shocks shown, then cleared; the mood remembered.
    virtual void settle();
    virtual void drawGlow() const;
    virtual void draw() const;
    virtual bool touch(tentity& body, float radius);
    SegmentRuns runs() const;
    // The radius of its widest segment.
    float widest() const { return *std::max_element(radii.begin(), radii.begin() + segmentCount); }

    EntityRef head, tail;
    std::array<EntityRef, MaxSegments> segments;
    int segmentCount = 0;
    float strength = 0;
    std::array<float, MaxSegments> radii{};
    EntityRef target;
    float hate = -5;
    float angry = -1.25f;
    float sting = 0;
    int hateMode = 1;
    std::array<int, MaxSegments> shocked{};
    std::array<int, MaxSegments> shownShocked{};
    int mood = MOOD_CALM;
    int previousMood = MOOD_CALM;

private:
    void steer(float forceScale);
};
using FishRef = std::shared_ptr<tfish>;

FishRef newFish(tvector position, int segmentCount, float headRadius, float bodyRadius,
                float tailRadius, tvector layDirection);

// ---- The player character ----------------------------------------------------------------

enum PlayerState {
    PLAYER_NEUTRAL = 0,
    PLAYER_EASY,
    PLAYER_WON,
    PLAYER_FRIGHTENED,
    PLAYER_CAUGHT,
    PLAYER_HURT,
    PLAYER_HOLDING,
};

class tplayer final {
public:
    virtual ~tplayer() = default;
    virtual void update(float dt);
    // End of step: the expression, and the notes it asks for.
    virtual void settle(bool calm, float dt);
    virtual void drawBody() const;
    virtual void drawHead() const;

    EntityRef main, second, third;
    SpringRef springMainSecond, springSecondThird;
    EntityRef fishHead;
    tvector facing;
    int caught = 0;
    int state = PLAYER_NEUTRAL;
    int previousState = PLAYER_NEUTRAL;
    float spookTimer = 0;
    float hurtTimer = 0;
    int hurt = 0;
    ChannelRef channel;

private:
    void decideState(bool calm, float dt);
    void reportNotes();
};
using PlayerRef = std::shared_ptr<tplayer>;

PlayerRef newPlayer(EntityRef fishHead, tvector position);

// ---- The goal --------------------------------------------------------------------------

class tgoal final : public tentity {
public:
    void update(float dt) override;
    virtual void drawGoal() const;
    virtual void drawClock() const;
    // While the goal is off screen: an arrow at the screen's edge towards it.
    virtual void drawArrow() const;
    virtual float remaining() const;

    float deadline = 0;
};
using GoalRef = std::shared_ptr<tgoal>;

GoalRef newGoal(tvector position, float timeLimit);

// ---- Background particles -------------------------------------------------------------

class tparticle {
public:
    virtual ~tparticle() = default;
    virtual bool update(float dt);
    virtual void draw();

    tvector position, velocity, acceleration;
    float rotation = 0, spin = 0;
    float alphaStart = 0, alphaEnd = 0;
    float scaleStart = 0, scaleEnd = 0;
    float lifetime = 0, age = 0;
    ImageRef image;
    int frame = 0;
    std::shared_ptr<tcolor> colour;
};
using ParticleRef = std::shared_ptr<tparticle>;

ParticleRef newParticle(ImageRef image, tvector position, tvector velocity, tvector acceleration,
                        float rotation, float spin, float alphaStart, float alphaEnd,
                        float scaleStart, float scaleEnd, std::shared_ptr<tcolor> colour,
                        int lifetime, int frame);

class temitter {
public:
    virtual ~temitter() = default;
    virtual void updateAndDraw();
    virtual void removeDead(float dt);
    virtual void emit(int count);
    virtual void continueFading(const tparticle& particle);

    std::vector<ParticleRef> particles;
    float width = 0, height = 0;
    float lastTime = 0;
    float rate = 0;
    ImageRef image;
};
using EmitterRef = std::shared_ptr<temitter>;

EmitterRef newEmitter(float width, float height, float rate, int initialCount);

// ---- Game-wide state -------------------------------------------------------------------

constexpr int BallCount = 142;
constexpr int BeamCount = 149;

extern int CURRENT_LEVEL;
extern bool LEVEL_ENDING;
extern bool LEVEL_WON;
extern bool LEVEL_SKIP;
extern const float TIME_STEP;
// The game time a step takes: TIME_STEP, less while the game runs slower.
extern float STEP_TIME;
extern tvector CAMERA_POSITION;
extern float CAMERA_ZOOM;

extern tvector MAP_SCALE;
extern FishRef FISH;
extern PlayerRef PLAYER;
extern GoalRef GOAL;
extern std::vector<BallRef> BALLS;
extern int LAST_BALL;
extern std::vector<BeamRef> BEAMS;
extern int LAST_BEAM;
// The balls and beams sorted by where they are, for the step's contacts.
extern MazeGrid MAZE;
extern bool DARKNESS;
// How many times the latest level's maze was dealt again for the fish to get home.
extern int MAZE_REDEALS;
// The way to the goal is shown while it is off screen.
extern bool SHOW_GOAL_ARROW;

extern TickTimerRef FRAME_TIMER;
extern ChannelRef BEAM_CHANNEL, REDBEAM_CHANNEL_A, REDBEAM_CHANNEL_B;
extern std::shared_ptr<tmouse> MOUSE;
// The swimmer's steering velocity, from the step's pointer offset.
extern tvector STEERING;
// What the latest step asked to sound.
extern SoundReports SOUNDS;
extern std::shared_ptr<tclock> LEVEL_CLOCK;
extern tcolor WHITE;
extern std::array<ImageRef, 9> LEVEL_CARDS;
extern std::array<SoundRef, 4> NOTE_SOUNDS;

// One handle per picture and sound, named after its file.
extern ImageRef fish_head, fish_tail, me_head, helmet, me_body, me_legs, light, big_light, ball,
    lightning, neon, eye, eye_bg, clock, clock_cursor, goal, little_cursor;
extern SoundRef beam_bound, beam_touch, tick, warning_drum, redbeam;

// ---- Levels and the world step -----------------------------------------------------------

// Builds level n: a maze the fish cannot get through is dealt again.
void buildLevel(int n);
// The most the fish's widest part may have to press into beams and balls on
// its easiest way home in level n's maze, as the route planner measures it.
float squeezeAllowed(int n);
// Advances the world by dt with the player's input; needs no screen and draws
// no random numbers. Ends with every decision the next drawing shows.
void stepWorld(float dt, const StepInput& input);
// Draws the world as the latest step left it, changing nothing of it.
void drawWorld();
// The clock and the way to the goal, over the world.
void drawHud();
// Plays what the latest step asked to sound, as loud as the view puts it.
void playWorldSounds();
// Stops the hums of a world left behind.
void silenceWorld();
// A checksum of the whole world state, bit for bit.
uint64_t worldChecksum();

// Everything the world step reads and writes, copied aside and put back, so
// that steps can be tried and taken back. The first save of a level sizes it;
// after that saving and restoring allocate nothing.
class WorldSnapshot {
public:
    void save();
    void restore() const;

private:
    float clock = 0;
    bool ending = false, won = false, skip = false;
    tvector steering;
    tgoal goal;
    tfish fish;
    std::array<tentity, tfish::MaxSegments> segments;
    tplayer player;
    tentity playerMasses[3];
    std::vector<tBall> balls;
    std::vector<tbluebeam> blueBeams;
    std::vector<tredbeam> redBeams;
};

}  // namespace kelp
