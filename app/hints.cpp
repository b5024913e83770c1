#include "app/hints.h"

namespace kelp_app {

namespace {

const char* const KeysMenuHint = "Arrows and Enter, or the mouse    M: mute    - +: volume";

bool OnPad(const Hands& hands) { return hands.device == InputDevice::Pad; }

std::string Name(const Hands& hands, int button) { return padButtonName(hands.layout, button); }

}  // namespace

std::string padButtonName(PadLayout layout, int button) {
    using namespace PadButtons;
    // SDL names the buttons by their labels, so Nintendo's A is SDL's A.
    switch (button) {
    case A: return layout == PadLayout::PlayStation ? "Cross" : "A";
    case B: return layout == PadLayout::PlayStation ? "Circle" : "B";
    case X: return layout == PadLayout::PlayStation ? "Square" : "X";
    case Y: return layout == PadLayout::PlayStation ? "Triangle" : "Y";
    case Back: return layout == PadLayout::PlayStation ? "Share" : layout == PadLayout::Nintendo ? "-" : "View";
    case Start: return layout == PadLayout::PlayStation ? "Options" : layout == PadLayout::Nintendo ? "+" : "Menu";
    case RightTrigger: return layout == PadLayout::PlayStation ? "R2" : layout == PadLayout::Nintendo ? "ZR" : "RT";
    case Up: case Down: case Left: case Right: return "D-pad";
    default: return "Stick";
    }
}

std::string menuHint(const Hands& hands) {
    if (!OnPad(hands)) return KeysMenuHint;
    return "Stick or d-pad: move    " + Name(hands, PadButtons::A) + ": choose    " + Name(hands, PadButtons::B) +
           ": back";
}

std::string pauseHint(const Hands& hands) {
    if (!OnPad(hands)) return KeysMenuHint;
    return Name(hands, PadButtons::A) + ": choose    " + Name(hands, PadButtons::Start) + ": resume    " +
           Name(hands, PadButtons::Back) + ": show me the way";
}

std::string demoHint(const Hands& hands) {
    return OnPad(hands) ? "The autopilot plays: any button for the menu"
                        : "The autopilot plays: any key or the mouse for the menu";
}

std::string unpluggedNote(const Hands& hands) {
    return "The pad went: plug it back in and press " + Name(hands, PadButtons::Start);
}

}  // namespace kelp_app
