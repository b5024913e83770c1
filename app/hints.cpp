#include "app/hints.h"

#include "app/language.h"

namespace kelp_app {

namespace {

bool OnPad(const Hands& hands) { return hands.device == InputDevice::Pad; }
bool OnTouch(const Hands& hands) { return hands.device == InputDevice::Touch; }

std::string Name(const Hands& hands, int button) { return padButtonName(hands.layout, button); }

std::string KeysMenuHint() { return tr("Arrows and Enter, or the mouse    M: mute    - +: volume"); }

}  // namespace

std::string padButtonName(PadLayout layout, int button) {
    using namespace PadButtons;
    // SDL names the buttons by their labels, so Nintendo's A is SDL's A.
    switch (button) {
    case A: return layout == PadLayout::PlayStation ? tr("Cross") : "A";
    case B: return layout == PadLayout::PlayStation ? tr("Circle") : "B";
    case X: return layout == PadLayout::PlayStation ? tr("Square") : "X";
    case Y: return layout == PadLayout::PlayStation ? tr("Triangle") : "Y";
    case Back: return layout == PadLayout::PlayStation ? "Share" : layout == PadLayout::Nintendo ? "-" : tr("View");
    case Start: return layout == PadLayout::PlayStation ? "Options" : layout == PadLayout::Nintendo ? "+" : tr("Menu");
    case RightTrigger: return layout == PadLayout::PlayStation ? "R2" : layout == PadLayout::Nintendo ? "ZR" : "RT";
    case Up: case Down: case Left: case Right: return tr("D-pad");
    default: return tr("Stick");
    }
}

std::string menuHint(const Hands& hands) {
    if (OnTouch(hands)) return tr("Tap: choose    Two-finger tap: back");
    if (!OnPad(hands)) return KeysMenuHint();
    return fill(tr("Stick or d-pad: move    {}: choose    {}: back"),
                {Name(hands, PadButtons::A), Name(hands, PadButtons::B)});
}

std::string pauseHint(const Hands& hands) {
    if (OnTouch(hands)) return tr("Tap: choose    Two-finger tap: resume");
    if (!OnPad(hands)) return KeysMenuHint();
    return fill(tr("{}: choose    {}: resume    {}: show me the way"),
                {Name(hands, PadButtons::A), Name(hands, PadButtons::Start), Name(hands, PadButtons::Back)});
}

std::string demoHint(const Hands& hands) {
    if (OnTouch(hands)) return tr("The autopilot plays: tap for the menu");
    return OnPad(hands) ? tr("The autopilot plays: any button for the menu")
                        : tr("The autopilot plays: any key or the mouse for the menu");
}

std::string unpluggedNote(const Hands& hands) {
    return fill(tr("The pad went: plug it back in and press {}"), {Name(hands, PadButtons::Start)});
}

}  // namespace kelp_app
