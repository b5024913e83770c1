// Background lights: each particle fades in, then lives again fading out.
#include "game/world.h"

namespace kelp {

ParticleRef newParticle(ImageRef image, tvector position, tvector velocity, tvector acceleration,
                        float rotation, float spin, float alphaStart, float alphaEnd,
                        float scaleStart, float scaleEnd, std::shared_ptr<tcolor> colour,
                        int lifetime, int frame) {
    auto p = std::make_shared<tparticle>();
    p->image = std::move(image);
    p->position = position;
    p->velocity = velocity;
    p->acceleration = acceleration;
    p->rotation = rotation;
    p->spin = spin;
    p->alphaStart = alphaStart;
    p->alphaEnd = alphaEnd;
    p->scaleStart = scaleStart;
    p->scaleEnd = scaleEnd;
    p->colour = std::move(colour);
    p->lifetime = float(lifetime);
    p->frame = frame;
    return p;
}

bool tparticle::update(float dt) {
    addTo(velocity, scale(acceleration, dt));
    addTo(position, scale(velocity, dt));
    age += dt;
    rotation += spin * dt;
    return age < lifetime;
}

void tparticle::draw() {
    float t = age / lifetime;
    SetDrawAlpha(alphaStart * (1 - t) + t * alphaEnd);
    float s = scaleStart * (1 - t) + t * scaleEnd;
    SetDrawScale(s, s);
    applyColor(*colour);
    drawImageAt(image, position, rotation, frame);
}

EmitterRef newEmitter(float width, float height, float rate, int initialCount) {
    auto e = std::make_shared<temitter>();
    e->width = width;
    e->height = height;
    e->rate = rate;
    e->image = big_light;
    for (int i = 0; i < initialCount; ++i) e->emit(1);
    return e;
}

void temitter::emit(int count) {
    for (int n = 0; n < count; ++n) {
        int y = RandomIntBetween(TruncToInt(-height / 2), TruncToInt(height / 2));
        int x = RandomIntBetween(TruncToInt(-width / 2), TruncToInt(width / 2));
        tvector position = add(CAMERA_POSITION, makeVector(float(x), float(y)));
        tvector velocity = randomJitter(15);
        tvector acceleration = randomJitter(50);
        float rotation = float(RandomBetween(0, 360));
        float spin = float(RandomBetween(0, 10));
        float scaleStart = float(RandomIntBetween(1, 2));
        float scaleEnd = float(RandomIntBetween(3, 7));
        float r = RandomUnitFloat();
        float g = RandomUnitFloat();
        float b = RandomUnitFloat();
        int lifetime = RandomIntBetween(2, 5);
        particles.push_back(newParticle(image, position, velocity, acceleration, rotation, spin, 0,
                                        0.4f, scaleStart, scaleEnd,
                                        std::make_shared<tcolor>(newColor(r, g, b)), lifetime, 0));
    }
}

void temitter::continueFading(const tparticle& p) {
    particles.push_back(newParticle(image, p.position, p.velocity, p.acceleration, p.rotation,
                                    p.spin, p.alphaEnd, 0, p.scaleEnd,
                                    p.scaleEnd + (p.scaleEnd - p.scaleStart), p.colour,
                                    TruncToInt(p.age), 0));
}

void temitter::removeDead(float dt) {
    ParticleRef dead;
    for (const auto& p : particles)
        if (!p->update(dt)) dead = p;
    if (!dead) return;
    if (dead->alphaStart == 0) continueFading(*dead);
    std::erase(particles, dead);
}

void temitter::updateAndDraw() {
    float now = LEVEL_CLOCK->elapsed;
    float dt = now - lastTime;
    lastTime = now;
    if (RandomUnitFloat() < dt * rate) emit(1);
    removeDead(dt);
    SetBlendMode(BLEND_ADD);
    for (const auto& p : particles) {
        p->draw();
        SetDrawColor(255, 255, 255);
        SetDrawScale(1, 1);
        SetDrawAlpha(1);
    }
    resetDrawState();
}

}  // namespace kelp
