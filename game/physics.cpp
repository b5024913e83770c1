#include "game/physics.h"

namespace kelp {

void tentity::update(float dt) {
    acceleration = divide(force, mass);
    addTo(velocity, scale(acceleration, dt));
    addTo(position, scale(velocity, dt));
    force = {};
}

void tspring::update(float) { springBetween(*bodyA, *bodyB, restLength, stiffness, damping); }

EntityRef newEntity(tvector position, float mass) {
    auto entity = std::make_shared<tentity>();
    entity->position = position;
    entity->mass = mass;
    return entity;
}

SpringRef newSpring(EntityRef bodyA, EntityRef bodyB, float restLength, float stiffness,
                    float damping) {
    auto spring = std::make_shared<tspring>();
    spring->bodyA = std::move(bodyA);
    spring->bodyB = std::move(bodyB);
    spring->restLength = restLength;
    spring->stiffness = stiffness;
    spring->damping = damping;
    return spring;
}

tvector springToPoint(tentity& body, tvector point, float restLength, float stiffness,
                      float damping) {
    tvector d = sub(body.position, point);
    tvector n = normalize(d);
    float l = length(d);
    float closing = dot(body.velocity, n);
    tvector f = scale(n, stiffness * (restLength - l) - damping * closing);
    body.addForce(f);
    return f;
}

}  // namespace kelp
