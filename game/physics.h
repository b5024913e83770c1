// Point-mass physics of the game world: 2D vectors, point masses integrated
// with a semi-implicit step, and damped springs. Nothing here allocates
// except the constructors.
#pragma once

#include <cmath>
#include <memory>

namespace kelp {

// y grows downwards, as on the screen.
struct tvector {
    float x = 0, y = 0;
};

inline tvector makeVector(float x, float y) { return {x, y}; }
inline tvector add(tvector a, tvector b) { return {a.x + b.x, a.y + b.y}; }
inline void addTo(tvector& a, tvector b) { a.x += b.x, a.y += b.y; }
inline tvector sub(tvector a, tvector b) { return {a.x - b.x, a.y - b.y}; }
inline void subFrom(tvector& a, tvector b) { a.x -= b.x, a.y -= b.y; }
inline tvector scale(tvector v, float s) { return {v.x * s, v.y * s}; }
inline void scaleBy(tvector& v, float s) { v.x *= s, v.y *= s; }
inline tvector divide(tvector v, float s) { return {v.x / s, v.y / s}; }
inline tvector negate(tvector v) { return {-v.x, -v.y}; }
inline tvector perp(tvector v) { return {-v.y, v.x}; }
inline float dot(tvector a, tvector b) { return a.x * b.x + a.y * b.y; }
inline float cross(tvector a, tvector b) { return a.x * b.y - a.y * b.x; }
inline float lengthSquared(tvector v) { return v.x * v.x + v.y * v.y; }
inline float length(tvector v) { return std::sqrt(lengthSquared(v)); }
inline float distance(tvector a, tvector b) { return length(sub(a, b)); }
inline float distanceSquared(tvector a, tvector b) { return lengthSquared(sub(a, b)); }

// Lengths below 0.00001 (or not a number) are left unscaled.
inline tvector normalize(tvector v) {
    float l = length(v);
    return l >= 0.00001f ? divide(v, l) : v;
}

// The unit vector pointing from b to a.
inline tvector direction(tvector a, tvector b) { return normalize(sub(a, b)); }
inline tvector directionScaled(tvector a, tvector b, float s) { return scale(direction(a, b), s); }

// std::fmod's result, bit for bit, for a fraction of its cost: below 2^29
// the quotient's whole part and the remainder are exact in double.
inline float remainderOf(float x, float p) {
    double q = std::trunc(double(x) / double(p));
    if (!(std::fabs(q) < 0x1p29)) return std::fmod(x, p);
    return std::copysign(float(double(x) - q * double(p)), x);  // a zero keeps x's sign, as fmod's does
}

// atan2 with x passed first: heading((0, 1)) is 0, heading((1, 0)) is 90.
inline float heading(tvector v) { return std::atan2(v.x, v.y) * 180.0f / float(M_PI); }

class tentity {
public:
    virtual ~tentity() = default;
    // Semi-implicit Euler: the new velocity moves the position.
    virtual void update(float dt);
    // A point mass takes no torque; the offset is accepted and ignored. Not
    // virtual: the fish's springs add forces hundreds of times a step.
    void addForce(tvector f, tvector = {}) { addTo(force, f); }

    tvector position;
    float mass = 0;
    tvector velocity;
    tvector acceleration;
    tvector force;
};
using EntityRef = std::shared_ptr<tentity>;

class tspring {
public:
    virtual ~tspring() = default;
    virtual void update(float dt);

    EntityRef bodyA, bodyB;
    float restLength = 0, stiffness = 0, damping = 0;
};
using SpringRef = std::shared_ptr<tspring>;

EntityRef newEntity(tvector position, float mass);
SpringRef newSpring(EntityRef bodyA, EntityRef bodyB, float restLength, float stiffness,
                    float damping);
// Equal and opposite forces; returns the force given to a. Inline: the
// fish's springs are most of a world step.
inline tvector springBetween(tentity& a, tentity& b, float restLength, float stiffness, float damping) {
    tvector d = sub(a.position, b.position);
    tvector n = normalize(d);
    float l = length(d);
    float closing = dot(sub(a.velocity, b.velocity), n);
    tvector f = scale(n, stiffness * (restLength - l) - damping * closing);
    a.addForce(f);
    b.addForce(negate(f));
    return f;
}
tvector springToPoint(tentity& body, tvector point, float restLength, float stiffness,
                      float damping);

}  // namespace kelp
