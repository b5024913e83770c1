// The maze: balls, blue beams that repel and zap, red beams that fire on a
// timetable and drag bodies onto their line.
#include "game/world.h"

#include <cmath>

namespace kelp {

namespace {

// The geometry of a body against a beam's line.
struct BeamFrame {
    tvector n;      // unit vector from ball A to ball B
    float w;        // signed distance of the body from the line
    bool between;   // the body lies between the two ends
};

BeamFrame FrameOf(const tbeam& beam, const tentity& body) {
    tvector n = beam.axis;
    tvector rel = sub(body.position, beam.ballA->position);
    tvector relB = sub(body.position, beam.ballB->position);
    return {n, cross(rel, n), dot(rel, n) > 0 && dot(relB, negate(n)) > 0};
}

float OnScreenDistance(tvector p) { return distance(viewCentre(), p) * viewZoom(); }

// A hidden ball caps the beam's end with a circle of radius + 5.
bool PushFromEnd(tbluebeam& beam, tentity& body, float radius, const tBall& end) {
    float d2 = distanceSquared(body.position, end.position);
    if (!(d2 < (radius + 5) * (radius + 5)) || !end.hidden) return false;
    springToPoint(body, end.position, radius + 5, 10000 * body.mass, 10 * body.mass);
    beam.contact = 1;
    if (d2 < (radius + 4) * (radius + 4)) beam.zapped = 1;
    return true;
}

bool Near(const tbeam& beam, const tentity& body, float radius, const BeamFrame& frame) {
    float reach = radius + 25;
    return (std::fabs(frame.w) < reach && frame.between) ||
           distanceSquared(body.position, beam.ballB->position) < reach * reach ||
           distanceSquared(body.position, beam.ballA->position) < reach * reach;
}

// A red beam keeps 95 % of the speed of what it holds each sub-step of a
// step at full speed; a shorter sub-step keeps as much per unit of time.
float HeldVelocity(float dt) {
    constexpr float FullSpeedSub = 1.0f / 30 / 5;
    return dt == FullSpeedSub ? 0.95f : std::pow(0.95f, dt / FullSpeedSub);
}

Bounds BoxAround(tvector a, tvector b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

bool PullToEnd(tentity& body, float radius, const tBall& end, float push) {
    if (!(distanceSquared(end.position, body.position) < radius * radius) || !end.hidden)
        return false;
    body.addForce(scale(normalize(sub(end.position, body.position)), push * 0.25f));
    return true;
}

}  // namespace

// ---- tBall -----------------------------------------------------------------------

void tBall::touch() {
    touchedNow = 1;
    if (state != BALL_WARNING && state != BALL_STRUCK) glowTimer = 0.5f;
}

void tBall::strike() {
    if (state != BALL_WARNING) state = BALL_STRUCK;
}

void tBall::wake() {
    if (state == BALL_IDLE) state = BALL_AWAKE;
}

bool tBall::collide(tentity& body, float radius) {
    if (hidden) return false;
    float d2 = distanceSquared(body.position, position);
    bool touched = false;
    float reach = radius + 10;
    if (d2 < reach * reach) {
        springToPoint(body, position, reach, 10000 * body.mass, 100 * body.mass);
        if (d2 < (reach - 0.5f) * (reach - 0.5f)) {
            touch();
            touched = true;
        }
    }
    if (d2 < 10000) wake();
    return touched;
}

namespace {

// A flickering glow around a point: its alpha is drawn before its shake.
// A struck ball's: calm lights hold it faint, not a flash.
void Flicker(tvector position) {
    SetDrawAlpha(steadyOr(RandomUnitFloat() * 0.3f, 0.08f));
    drawImageAt(light, add(position, randomJitter(2)), 0, 0);
}

// The glow beneath a lit ball is soft light like a bolt's, so it is gathered
// with theirs; only the ball's face is drawn here.
void LitBall(tvector glowAt, tvector ballAt, int frame) {
    SetBlendMode(BLEND_ADD);
    float alpha = steadyOr(RandomUnitFloat(), 0.5f) * 0.3f;
    float scale = 1;
    GetDrawScale(scale, scale);
    addGlow(add(glowAt, randomJitter(2)), scale, alpha);
    SetBlendMode(BLEND_ALPHA);
    SetDrawAlpha(0.9f);
    setUniformScale(0.42857143f);
    applyColor(WHITE);
    drawImageAt(ball, ballAt, 0, frame);
}

}  // namespace

void tBall::settle(int index, float dt) {
    if (!hidden) {
        settleFace(dt);
        if (state == BALL_WARNING && previousState != BALL_WARNING)
            SOUNDS.add({.cue = CUE_WARNING_DRUM, .at = position, .ball = index});
        previousState = state;
        if (touchedNow && !touchedBefore) SOUNDS.add({.cue = CUE_TICK});
    }
    touchedBefore = touchedNow;
    touchedNow = 0;
    state = BALL_IDLE;
}

// A touch flashes the ball for half a second unless a red beam holds it.
void tBall::settleFace(float dt) {
    shownState = state;
    if (glowTimer > 0 && state != BALL_WARNING && state != BALL_STRUCK) {
        face = FACE_FLASH;
        glowTimer -= dt;
    } else if (state == BALL_IDLE && DARKNESS) {
        face = FACE_DIM;
    } else {
        face = FACE_LIT;
        glowTimer = 0;
    }
}

void tBall::draw() const {
    if (hidden) return;
    resetDrawState();
    tvector shake;
    if (shownState == BALL_STRUCK) {
        SetDrawColor(255, 0, 0);
        shake = randomJitter(1.5f);
    } else if (shownState == BALL_WARNING) {
        SetDrawColor(255, 100, 100);
        shake = randomJitter(3);
    }
    setUniformScale(0.25f);
    if (face == FACE_FLASH) {
        LitBall(position, position, 1);
    } else if (face == FACE_DIM) {
        SetDrawAlpha(0.2f);
        setUniformScale(0.32142857f);
        drawImageAt(ball, position, 0, BALL_IDLE);
    } else {
        LitBall(position, add(position, shake), shownState);
    }
    if (shownState == BALL_STRUCK) {
        SetDrawColor(255, 0, 0);
        SetBlendMode(BLEND_ADD);
        setUniformScale(0.5f);
        Flicker(position);
    }
    setUniformScale(1);
}

BallRef newBall(tvector position, int hidden) {
    auto b = std::make_shared<tBall>();
    b->position = position;
    b->hidden = hidden ? 1 : 0;
    b->channel = ReserveChannel();
    return b;
}

// ---- tbeam -------------------------------------------------------------------------

void tbeam::collideSegment(tfish& fish, int segment, float dt) {
    collide(*fish.segments[segment], fish.radii[segment], dt);
}

// ---- tbluebeam ---------------------------------------------------------------------

int tbluebeam::collide(tentity& body, float radius, float) {
    if (!reaches(body, radius)) return BEAM_NONE;
    BeamFrame frame = FrameOf(*this, body);
    int result = BEAM_NONE;
    if (!far) {
        float w = std::fabs(frame.w);
        if (w < radius + 5 && frame.between) {
            tvector foot = add(ballA->position, scale(frame.n, dot(sub(body.position, ballA->position), frame.n)));
            springToPoint(body, foot, radius + 5, 10000 * body.mass, 10 * body.mass);
            contact = 1;
            if (w < radius + 4) zapped = 1;
            result = w < radius + 3.5f ? BEAM_DEEP : BEAM_CONTACT;
        } else if (PushFromEnd(*this, body, radius, *ballB) || PushFromEnd(*this, body, radius, *ballA)) {
            result = BEAM_CONTACT;
        }
    }
    if (Near(*this, body, radius, frame)) {
        ballA->wake();
        ballB->wake();
        far = 0;
    }
    return result;
}

// In the dark, a beam nobody is near stays unlit and keeps its flags.
void tbluebeam::settle() {
    lit = !(far && DARKNESS);
    litZapped = lit && zapped;
    litContact = lit && contact;
    if (lit) {
        if (zapped) {
            if (!zapLatch) SOUNDS.add({.cue = CUE_BEAM_BOUND});
            zapLatch = 1;
            zapped = 0;
        } else {
            zapLatch = 0;
        }
        if (contact) {
            contact = 0;
            SOUNDS.add({.cue = CUE_BEAM_TOUCH});
        }
    }
    far = 1;
}

void tbluebeam::draw() const {
    if (lit) {
        SetDrawColor(100, 100, 255);
        SetBlendMode(BLEND_ADD);
        SetDrawAlpha(1);
        drawBlueLightning(ballA->position, ballB->position, 10, true, true);
        if (litZapped)
            drawBlueLightning(ballA->position, ballB->position, 10, !ballA->hidden, !ballB->hidden);
        if (litContact)
            drawBlueLightning(ballA->position, ballB->position, float(1 - ballA->hidden), !ballB->hidden, true);
    }
    SetDrawColor(255, 255, 255);
    SetBlendMode(BLEND_ALPHA);
}

BeamRef newBlueBeam(BallRef a, BallRef b) {
    auto beam = std::make_shared<tbluebeam>();
    beam->axis = normalize(sub(b->position, a->position));
    beam->box = BoxAround(a->position, b->position);
    beam->ballA = std::move(a);
    beam->ballB = std::move(b);
    return beam;
}

// ---- tredbeam ----------------------------------------------------------------------

void tredbeam::update(float) {
    float p = float(TruncToInt(period * 100));
    float on = float(TruncToInt(onTime * 100));
    if (p == 0) p = 1;
    float t = LEVEL_CLOCK->elapsed * 100;
    float f = phase * 100;
    state = RED_OFF;
    if (remainderOf(p + (t - f), p) > p - 100 && t > f - 50) state = RED_WARNING;
    if (remainderOf(t - f, p) < on && t > f) state = RED_FIRING;
}

int tredbeam::collide(tentity& body, float radius, float dt) {
    if (state != RED_FIRING || !reaches(body, radius)) return BEAM_NONE;
    BeamFrame frame = FrameOf(*this, body);
    float push = 7000 + 100 * body.mass;
    if (std::fabs(frame.w) < radius && frame.between) {
        float side = frame.w > 0 ? 1.0f : frame.w < 0 ? -1.0f : 0.0f;
        body.addForce(scale(perp(frame.n), side * push));
        scaleBy(body.velocity, HeldVelocity(dt));
        return BEAM_CAUGHT;
    }
    if (PullToEnd(body, radius, *ballB, push) || PullToEnd(body, radius, *ballA, push)) return BEAM_CAUGHT;
    return BEAM_NONE;
}

void tredbeam::collideSegment(tfish& fish, int segment, float dt) {
    if (collide(*fish.segments[segment], fish.radii[segment], dt) == BEAM_NONE) return;
    fish.shocked[segment] = 1;
    fish.sting = 0.5f;
}

void tredbeam::settle() {
    if (state == RED_WARNING) {
        ballA->warn();
        ballB->warn();
    }
    if (state == RED_FIRING) {
        ballA->strike();
        ballB->strike();
        SOUNDS.add({.cue = CUE_RED_HUM, .at = ballA->position, .to = ballB->position});
    }
}

void tredbeam::draw() const {
    if (state == RED_FIRING) {
        SetBlendMode(BLEND_ADD);
        SetDrawColor(255, 100, 100);
        drawRedLightning(ballA->position, ballB->position, 10, !ballA->hidden, !ballB->hidden);
    }
    SetDrawColor(255, 255, 255);
    SetBlendMode(BLEND_ALPHA);
}

float redHumLoudness(tvector a, tvector b) {
    tvector c = viewCentre();
    tvector n = normalize(sub(b, a));
    tvector rel = sub(c, a);
    bool between = dot(rel, n) > 0 && dot(sub(c, b), negate(n)) > 0;
    float d = std::fabs(cross(rel, n)) * viewZoom();
    float range = GetScreenWidth() / 2.0f + 200;
    float dB = OnScreenDistance(b), dA = OnScreenDistance(a);
    if (d < range && between) return 1 - d / range;
    if (dB < range) return 1 - dB / range;
    if (dA < range) return 1 - dA / range;
    return 0;
}

float warningLoudness(tvector at) { return loudnessAt(OnScreenDistance(at)); }

BeamRef newRedBeam(BallRef a, BallRef b, float phase, float period, float onTime) {
    auto beam = std::make_shared<tredbeam>();
    beam->axis = normalize(sub(b->position, a->position));
    beam->box = BoxAround(a->position, b->position);
    beam->ballA = std::move(a);
    beam->ballB = std::move(b);
    beam->phase = phase;
    beam->period = period;
    beam->onTime = onTime;
    return beam;
}

}  // namespace kelp
