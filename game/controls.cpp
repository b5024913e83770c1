// The level clock and the mouse controller that turns pointer movement into
// the character's steering velocity.
#include "game/world.h"

namespace kelp {

std::shared_ptr<tclock> newClock() {
    auto c = std::make_shared<tclock>();
    c->start();
    return c;
}

std::shared_ptr<tmouse> newMouseController() { return std::make_shared<tmouse>(); }

tvector tmouse::takeOffset() {
    if (IsAppSuspended()) {
        released = 1;
        ShowPointer();
    }
    if (TakeMouseHits(1)) {
        released = 0;
        HidePointer();
    }
    if (released) return {};
    tvector m = makeVector(float(MousePosX()), float(MousePosY()));
    tvector c = makeVector(GetScreenWidth() / 2.0f, GetScreenHeight() / 2.0f);
    recentre();
    return sub(m, c);
}

tvector steeringVelocity(tvector offset, float dt) {
    tvector velocity = scale(divide(offset, dt), 1.5f);
    if (lengthSquared(velocity) > 400000000.0f) velocity = scale(normalize(velocity), 20000);
    return velocity;
}

void tmouse::recentre() {
    SetMousePos(TruncToInt(GetScreenWidth() / 2.0f), TruncToInt(GetScreenHeight() / 2.0f));
}

}  // namespace kelp
