// A recorded game in the window: a step a frame, with its sounds, checked as
// it goes.
#include "app/screens.h"

using namespace kelp;

namespace kelp_app {

ScreenRef openingScreen(Session& session, ReplayFileReader& replay) {
    if (!session.options.replay.empty()) return std::make_unique<ReplayScreen>(session, replay);
    if (session.options.level) return startGame(session, session.options.level);
    return std::make_unique<TitleScreen>(session);
}

ReplayScreen::ReplayScreen(Session& session, ReplayFileReader& replay) : session(session), player(replay) {}

Next ReplayScreen::update(const FrameInput& input) {
    if (input.pressed(Keys::Escape)) return Next::quit();
    if (player.step()) {
        playWorldSounds();
        return Next::stay();
    }
    if (!player.result().ok) {
        Warn("Kelp Garden: " + session.options.replay + ": " + player.result().error);
        session.exitStatus = 1;
    }
    return Next::quit();
}

void ReplayScreen::draw() {
    if (Level* level = player.level()) level->draw();
}

}  // namespace kelp_app
