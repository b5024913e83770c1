#include "app/frame_loop.h"

namespace kelp_app {

FrameLoop::FrameLoop(Session& session, ScreenRef first) : session(session) {
    screens.push_back(std::move(first));
    screens.back()->draw();
}

// Top first, so a level lets go of what it holds before the screens under it.
void FrameLoop::popAll() {
    while (!screens.empty()) screens.pop_back();
}

void FrameLoop::quit() {
    popAll();
    session.endGame(true);
}

void FrameLoop::follow(Next next) {
    switch (next.kind) {
    case Next::Kind::Stay: return;
    case Next::Kind::Push: screens.push_back(std::move(next.screen)); return;
    case Next::Kind::Pop:
        screens.pop_back();
        if (!screens.empty()) screens.back()->uncovered();
        return;
    case Next::Kind::Replace: screens.back() = std::move(next.screen); return;
    case Next::Kind::StartOver:
        popAll();
        screens.push_back(std::move(next.screen));
        return;
    case Next::Kind::Quit: quit(); return;
    }
}

bool FrameLoop::frame(const FrameInput& input) {
    if (screens.empty()) return false;
    if (input.stopRequested || input.closeRequested) {
        quit();
        return false;
    }
    session.noteHands(input);
    session.keysAnywhere(input);
    follow(screens.back()->update(input));
    if (screens.empty()) return false;
    screens.back()->draw();
    return true;
}

// The one place the program reads the player's input.
bool FrameLoop::frame(int ticks) {
    FrameInput input = TakeFrameInput();
    input.ticks = ticks;
    return frame(input);
}

void FrameLoop::run(const std::function<int()>& waitFrame) {
    while (running()) frame(waitFrame());
}

int waitForTick() {
    FinishDrawing();
    int ticks = WaitTickTimer(kelp::FRAME_TIMER);
    PresentFrame(0);
    return ticks;
}

}  // namespace kelp_app
