// The level clock and the mouse controller that turns pointer movement into
// the character's steering velocity.
#include "game/world.h"

#include <algorithm>
#include <cmath>

namespace kelp {

std::shared_ptr<tclock> newClock() {
    auto c = std::make_shared<tclock>();
    c->start();
    return c;
}

std::shared_ptr<tmouse> newMouseController() { return std::make_shared<tmouse>(); }

// The pointer's motion, never its position: warping it back to the centre is
// refused on Wayland and goes astray after focus changes.
tvector tmouse::offset(const FrameInput& input) {
    if (input.suspended && !released) release();
    if (input.clicked(1)) capture();
    if (input.lastUsed == InputDevice::Pad) return stickOffset(input.pad.stickX, input.pad.stickY, stickSpeed);
    if (input.lastUsed == InputDevice::Touch)
        return makeVector(float(input.touch.motionX) * speed * TouchGain, float(input.touch.motionY) * speed * TouchGain);
    if (released) return {};
    return makeVector(float(input.motionX) * speed, float(input.motionY) * speed);
}

bool tmouse::calming(const FrameInput& input) {
    return input.buttonsHeld[1] || input.pad.held[PadButtons::A] || input.pad.held[PadButtons::RightTrigger] ||
           input.touch.fingers > 1;
}

tvector stickOffset(float x, float y, float speed) {
    float deflection = std::hypot(x, y);
    if (!(deflection > StickDeadZone)) return {};
    float past = (std::min(deflection, 1.0f) - StickDeadZone) / (1 - StickDeadZone);
    return scale(makeVector(x, y), past * past * StickFullPixels * speed / deflection);
}

void tmouse::capture() {
    released = 0;
    CapturePointer(true);
    HidePointer();
}

void tmouse::release() {
    released = 1;
    CapturePointer(false);
    ShowPointer();
}

// Any input steers safely: a pointer offset that is not a number steers
// nowhere, and one so large that its square overflows keeps its direction.
tvector steeringVelocity(tvector offset, float dt) {
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y)) return {};
    tvector velocity = scale(divide(offset, dt), 1.5f);
    float speedSquared = lengthSquared(velocity);
    if (!std::isfinite(speedSquared)) return scale(normalize(scale(offset, 0x1p-70f)), 20000);
    if (speedSquared > 400000000.0f) velocity = scale(normalize(velocity), 20000);
    return velocity;
}

}  // namespace kelp
