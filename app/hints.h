// The help line along the bottom of the screen names the hands used last: the
// keys and the mouse, the buttons as printed on the pad's face, or fingers.
#pragma once

#include "system/system.h"

#include <string>

namespace kelp_app {

struct Hands {
    InputDevice device = InputDevice::KeysAndMouse;
    PadLayout layout = PadLayout::Xbox;
};

// "A", "Cross", "Menu", "+": a PadButtons index's name on a pad of `layout`.
std::string padButtonName(PadLayout layout, int button);

std::string menuHint(const Hands& hands);
std::string pauseHint(const Hands& hands);
// While the autopilot plays the title's garden.
std::string demoHint(const Hands& hands);
// Under the pause menu when the pad in use went away.
std::string unpluggedNote(const Hands& hands);

}  // namespace kelp_app
