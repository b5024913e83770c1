// The title over the living garden, and the autopilot playing the garden
// when the title is left alone.
#include "app/drawing.h"
#include "app/screens.h"

using namespace kelp;

namespace kelp_app {

namespace {

// The title left untouched this long shows the autopilot playing.
constexpr int DemoAfterFrames = 20 * 30;

}  // namespace

Garden::Garden() { restart(); }

void Garden::restart() { level.emplace(1, uint32_t(GetRandomSeed())); }

bool Garden::play(const StepInput& input) {
    level->step(input);
    if (!LEVEL_ENDING) return false;
    restart();
    return true;
}

void Garden::draw() { level->drawScene(); }

void Garden::drawWithHud() {
    level->drawScene();
    drawHud();
}

TitleScreen::TitleScreen(Session& session) : TitleScreen(session, std::make_shared<Garden>()) {}

TitleScreen::TitleScreen(Session& session, std::shared_ptr<Garden> garden)
    : MenuScreen(session, garden, titleMenu(session.progress), -1), garden(std::move(garden)) {
    MOUSE->release();
}

Next TitleScreen::update(const FrameInput& input) {
    Next next = MenuScreen::update(input);
    if (next.kind != Next::Kind::Stay || untouchedFrames < DemoAfterFrames) return next;
    untouchedFrames = 0;
    return Next::push(std::make_unique<DemoScreen>(garden, session));
}

Next TitleScreen::choose(const MenuChoice& choice) {
    switch (choice.command) {
    case Command::Continue: return Next::startOver(startGame(session, session.progress.resume));
    case Command::NewGame: return Next::startOver(startGame(session, 1));
    case Command::Levels: return Next::push(std::make_unique<LevelsScreen>(session, garden));
    case Command::Settings: return Next::push(std::make_unique<SettingsScreen>(session, garden));
    case Command::Quit: return Next::quit();
    case Command::Back: menu.selected = int(menu.items.size()) - 1; return Next::stay();
    default: return Next::stay();
    }
}

DemoScreen::DemoScreen(std::shared_ptr<Garden> garden, const Session& session)
    : garden(std::move(garden)), session(session) {
    this->garden->restart();
    pilot.start();
    HidePointer();
}

// Whatever stirred ends the demo, and is not taken as a choice on the title.
Next DemoScreen::update(const FrameInput& input) {
    if (input.touched()) return Next::pop();
    if (garden->play(pilot.next())) pilot.start();
    return Next::stay();
}

void DemoScreen::draw() {
    garden->drawWithHud();
    DrawHint(demoHint(session.hands()));
}

}  // namespace kelp_app
