// Menus over a backdrop: the keys, the pointer and taps on a column of items, and
// the levels and settings menus.
#include "app/drawing.h"
#include "app/screens.h"

#include "assets/labels.h"

#include <utility>

using namespace kelp;
using kelp_labels::Cell;

namespace kelp_app {

MenuScreen::MenuScreen(Session& session, BackdropRef backdrop, Menu menu, int titleLabel)
    : session(session), backdrop(std::move(backdrop)), menu(std::move(menu)), titleLabel(titleLabel) {
    ShowPointer();
}

void MenuScreen::uncovered() {
    ShowPointer();
    untouchedFrames = 0;
    pointerPlaced = false;
}

// Only a pointer that moves over the menu selects; where it rests does not,
// nor where it lands as the menu comes up (a pointer let go from the level
// reappears in the middle of the window).
MenuInput MenuScreen::menuInput(const FrameInput& input) {
    MenuInput chosen;
    const PadInput& pad = input.pad;
    using namespace PadButtons;
    chosen.move = input.presses[Keys::Down] - input.presses[Keys::Up] + pad.presses[Down] + pad.presses[StickDown] -
                  pad.presses[Up] - pad.presses[StickUp];
    chosen.adjust = input.presses[Keys::Right] - input.presses[Keys::Left] + pad.presses[Right] +
                    pad.presses[StickRight] - pad.presses[Left] - pad.presses[StickLeft];
    chosen.confirm = input.pressed(Keys::Enter) || input.pressed(Keys::Space) || pad.pressed(A);
    chosen.back = input.pressed(Keys::Escape) || pad.pressed(B) || input.touch.twoFingerTaps;
    for (const Shortcut& shortcut : menu.shortcuts) {
        if (shortcut.key && input.pressed(shortcut.key)) chosen.shortcut = shortcut.key;
        if (shortcut.padButton >= 0 && pad.pressed(shortcut.padButton)) chosen.padShortcut = shortcut.padButton;
    }
    // Start chooses, unless the menu gives it a meaning of its own.
    chosen.confirm |= pad.pressed(Start) && chosen.padShortcut < 0;
    float x = 0, y = 0;
    bool moved = std::exchange(pointerPlaced, true) && input.pointerMoved;
    if ((moved || input.clicked(1)) && WindowPointToScreen(input.pointerX, input.pointerY, x, y)) {
        chosen.pointedItem = MenuItemAt(menu, x, y);
        chosen.clicked = input.clicked(1) && chosen.pointedItem >= 0;
    }
    if (input.touch.taps && WindowPointToScreen(input.touch.tapX, input.touch.tapY, x, y)) {
        chosen.pointedItem = MenuItemAt(menu, x, y);
        chosen.clicked = chosen.pointedItem >= 0;
    }
    untouchedFrames = input.touched() ? 0 : untouchedFrames + 1;
    return chosen;
}

Next MenuScreen::update(const FrameInput& input) {
    backdrop->update();
    MenuChoice choice = menu.handle(menuInput(input));
    return choice.command == Command::None ? Next::stay() : choose(choice);
}

void MenuScreen::draw() {
    backdrop->draw();
    DrawMenu(menu, titleLabel, hint());
}

LevelsScreen::LevelsScreen(Session& session, BackdropRef backdrop)
    : MenuScreen(session, std::move(backdrop), levelsMenu(session.progress), Cell("Levels")) {}

Next LevelsScreen::choose(const MenuChoice& choice) {
    if (choice.command == Command::PlayLevel) return Next::startOver(startGame(session, choice.level));
    if (choice.command == Command::Back) return Next::pop();
    return Next::stay();
}

SettingsScreen::SettingsScreen(Session& session, BackdropRef backdrop)
    : SettingsScreen(session, std::move(backdrop), settingsMenu(session.effective()), Cell("Settings")) {}

SettingsScreen::SettingsScreen(Session& session, BackdropRef backdrop, Menu menu, int titleLabel)
    : MenuScreen(session, std::move(backdrop), std::move(menu), titleLabel), shown(session.effective()) {}

AssistScreen::AssistScreen(Session& session, BackdropRef backdrop)
    : SettingsScreen(session, std::move(backdrop), assistMenu(session.effective()), Cell("Assist")) {}

// The keys that work anywhere change settings too: the values follow them.
Next SettingsScreen::update(const FrameInput& input) {
    Next next = MenuScreen::update(input);
    if (!(shown == session.effective())) {
        shown = session.effective();
        showSettings(menu, shown);
    }
    return next;
}

Next SettingsScreen::choose(const MenuChoice& choice) {
    if (choice.command == Command::Back) return Next::pop();
    if (choice.command == Command::Assist) return Next::push(std::make_unique<AssistScreen>(session, backdrop));
    Settings wanted = session.effective();
    if (applySetting(wanted, choice)) session.change(wanted);
    return Next::stay();
}

}  // namespace kelp_app
