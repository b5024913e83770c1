// The fish: a chain of point masses with moods driven by two countdowns.
#include "game/world.h"

namespace kelp {

namespace {

bool PlayerHolds() { return PLAYER && PLAYER->state == PLAYER_HOLDING; }

tcolor TintA() { return newColor(1, 0.5f, 0.75f); }
tcolor TintB() { return newColor(0.5f, 0.5f, 1); }

}  // namespace

FishRef newFish(tvector position, int segmentCount, float headRadius, float bodyRadius,
                float tailRadius, tvector layDirection) {
    auto fish = std::make_shared<tfish>();
    int count = std::clamp(segmentCount, 2, tfish::MaxSegments);
    fish->segmentCount = count;
    tvector u = normalize(layDirection);
    fish->radii[0] = headRadius;
    fish->segments[0] = newEntity(position, 2 * headRadius);
    float s = 0;
    auto place = [&](int i) {
        s += (fish->radii[i] + fish->radii[i - 1]) / 3;
        fish->segments[i] = newEntity(add(position, scale(u, s)), fish->radii[i]);
    };
    int growing = TruncToInt(count * 0.3f);
    for (int i = 1; i <= growing; ++i) {
        float f = float(i) / growing;
        fish->radii[i] = headRadius + (1 - (1 - f) * (1 - f)) * (bodyRadius - headRadius);
        place(i);
    }
    float k = count * 0.3f + 1;
    for (int i = TruncToInt(k); i <= count - 2; ++i) {
        float w = 1 - (i - k) / ((count - 1) - k);
        fish->radii[i] = tailRadius + w * (bodyRadius - tailRadius);
        place(i);
    }
    fish->radii[count - 1] = tailRadius;
    place(count - 1);
    fish->head = fish->segments[0];
    fish->tail = fish->segments[count - 1];
    for (int i = 0; i < count; ++i) fish->strength += fish->segments[i]->mass;
    return fish;
}

void tfish::steer(float forceScale) {
    tvector dir = direction(target->position, head->position);
    head->addForce(scale(dir, forceScale));
}

namespace {

float Boost() { return length(STEERING) / 20000 * 1.5f + 1; }

}  // namespace

void tfish::approach(float a) { steer(Boost() * 100 * strength * std::min(a, 1.0f)); }
void tfish::shy(float a) { steer(-50 * strength * std::min(a, 1.0f)); }
void tfish::avoid(float a) { steer(Boost() * -100 * strength * std::min(a, 1.0f)); }
void tfish::charge() { steer(150 * strength); }

void tfish::touchedInHate() {
    if (hate < 0.001f) hate = 4;
    if (hate <= 3.5f) hate = 3.5f;
}

void tfish::touchedInAnger() {
    if (angry < -2) angry = 2;
}

void tfish::think(float dt) {
    hate -= dt;
    angry -= dt;
    sting -= dt;
    bool stung = 0.001f < sting && sting < 0.5f;
    if (stung) {
        mood = MOOD_STUNG;
        hate = 0.5f;
        angry = -1.5f;
    }
    if (hateMode != 0) {
        if (hate <= 0.001f) {
            mood = MOOD_SEEKING;
            if (!PlayerHolds()) approach(-hate / 2);
        } else if (hate <= 1) {
            mood = MOOD_CALM;
        } else if (hate <= 3.5f) {
            shy(1);
            mood = MOOD_SHY;
        } else if (hate < 4) {
            mood = MOOD_CALM;
        }
    } else {
        if (angry <= 0.001f) {
            mood = MOOD_SULKING;
            if (!PlayerHolds()) avoid(-angry / 3);
        } else if (angry <= 0.5f) {
            mood = MOOD_SULKING;
        } else if (angry <= 2) {
            charge();
            mood = MOOD_CHARGING;
        }
    }
    if (stung) mood = MOOD_STUNG;
}

bool tfish::touch(tentity& body, float radius) {
    bool touched = false;
    for (int i = 0; i < segmentCount; ++i) {
        float reach = radius + radii[i];
        if (distanceSquared(segments[i]->position, body.position) < reach * reach) {
            springBetween(*segments[i], body, reach, 50000, 10);
            touched = true;
        }
    }
    return touched;
}

void tfish::update(float dt, const SegmentRuns& runs) {
    head->addForce(scale(head->velocity, -70));
    float c = PlayerHolds() ? 25.0f : 50.0f;
    for (int i = 0; i <= segmentCount - 2; ++i)
        segments[i]->addForce(scale(segments[i]->velocity, -(strength / c + 2.5f)));
    tail->addForce(scale(tail->velocity, -70));
    // Segments at least three apart push each other off, so the chain cannot
    // fold through itself. A run whose box is out of a segment's reach holds
    // none it touches; the pairs left keep their order.
    for (int i = 0; i <= segmentCount - 5; ++i) {
        tvector at = segments[i]->position;
        for (int r = (i + 3) / SegmentRuns::Length; r < runs.count; ++r) {
            const SegmentRun& run = runs.run[r];
            if (!run.box.near(at, radii[i] + run.widest + 1)) continue;
            for (int j = std::max(run.first, i + 3); j <= run.last; ++j) {
                float reach = radii[i] + radii[j];
                if (distanceSquared(at, segments[j]->position) < reach * reach)
                    springBetween(*segments[i], *segments[j], reach, 5000, 300);
            }
        }
    }
    for (int i = 1; i <= segmentCount - 2; ++i) {
        float l = (radii[i - 1] + radii[i]) / 3 + (radii[i] + radii[i + 1]) / 3;
        float masses = segments[i - 1]->mass + segments[i]->mass;
        if (distanceSquared(segments[i - 1]->position, segments[i + 1]->position) < l * l)
            springBetween(*segments[i - 1], *segments[i + 1], l, 10000 * masses / 3, 300 * masses / 20);
    }
    for (int i = 1; i <= segmentCount - 1; ++i) {
        float masses = segments[i - 1]->mass + segments[i]->mass;
        springBetween(*segments[i - 1], *segments[i], (radii[i - 1] + radii[i]) / 3,
                      10000 * masses / 3, 100 * masses / 20);
    }
    for (int i = 0; i < segmentCount; ++i) segments[i]->update(dt);
}

SegmentRuns tfish::runs() const {
    static_assert(SegmentRuns{}.run.size() * SegmentRuns::Length >= MaxSegments);
    auto around = [](Bounds box, tvector p) {
        return Bounds{std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x),
                      std::max(box.bottom, p.y)};
    };
    SegmentRuns runs;
    for (int first = 0; first < segmentCount; first += SegmentRuns::Length) {
        SegmentRun& run = runs.run[runs.count++];
        run = {{INFINITY, INFINITY, -INFINITY, -INFINITY}, 0, first, std::min(first + SegmentRuns::Length, segmentCount) - 1};
        for (int j = run.first; j <= run.last; ++j) {
            run.box = around(run.box, segments[j]->position);
            run.widest = std::max(run.widest, radii[j]);
        }
        runs.box = around(around(runs.box, makeVector(run.box.left, run.box.top)), makeVector(run.box.right, run.box.bottom));
        runs.widest = std::max(runs.widest, run.widest);
    }
    return runs;
}

void tfish::settle() {
    shownShocked = shocked;
    shocked.fill(0);
    rememberMood();
}

void tfish::draw() const {
    static const tcolor tintA = TintA(), tintB = TintB();
    int last = segmentCount - 1;
    tvector hv = directionScaled(segments[1]->position, head->position, radii[0]);
    float headRotation = -heading(sub(segments[1]->position, head->position));
    tvector tv = directionScaled(tail->position, segments[last - 1]->position, radii[last]);
    float tailRotation = -heading(sub(tail->position, segments[last - 1]->position));
    tvector left = add(tail->position, perp(tv));
    tvector right = sub(tail->position, perp(tv));
    applyColor(tintA);
    setUniformScale(radii[last] / 50);
    drawImageAt(fish_tail, tail->position, tailRotation, 0);
    applyColor(WHITE);
    setUniformScale(1);
    drawDiscAt(head->position, radii[0] * 0.9f);
    for (int i = segmentCount - 2; i >= 1; --i) {
        applyColor(i % 4 == 1 || i % 4 == 2 ? tintB : tintA);
        tvector sv = directionScaled(segments[i + 1]->position, segments[i - 1]->position, radii[i]);
        tvector a = add(segments[i]->position, perp(sv));
        tvector b = sub(segments[i]->position, perp(sv));
        if (shownShocked[i]) {
            addTo(a, randomJitter(2.5f));
            addTo(b, randomJitter(2.5f));
        }
        drawQuadAt(left, right, b, a);
        left = a;
        right = b;
    }
    applyColor(tintA);
    drawQuadAt(left, right, sub(head->position, perp(hv)), add(head->position, perp(hv)));
    setUniformScale(radii[0] / 100);
    applyColor(WHITE);
    drawImageAt(eye_bg, head->position, headRotation, 0);
    drawImageAt(eye, add(head->position, directionScaled(target->position, head->position, radii[0] * 0.15f)),
                headRotation, 0);
    applyColor(tintA);
    drawImageAt(fish_head, head->position, headRotation, mood);
    drawGlow();
    SetDrawColor(255, 255, 255);
}

void tfish::drawGlow() const {
    static const tcolor tintA = TintA(), tintB = TintB();
    SetBlendMode(BLEND_ADD);
    SetDrawAlpha(0.1f);
    int last = segmentCount - 1;
    for (int i = last; i >= 0; --i) {
        setUniformScale(0.45f * radii[i] / 30);
        applyColor(i % 4 == 2 || i % 4 == 3 || i == 0 || i == last ? tintA : tintB);
        drawImageAt(light, segments[i]->position, 0, 0);
        if (shownShocked[i]) {
            setUniformScale(0.6f * radii[i] / 30);
            SetDrawAlpha(calmLights() ? 0.15f : 0.35f);  // a sting: under calm lights, no flash
            drawImageAt(light, segments[i]->position, 0, 0);
            SetDrawAlpha(0.05f);
        }
    }
    resetDrawState();
}

}  // namespace kelp
