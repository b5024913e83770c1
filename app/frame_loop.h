// The program's one frame loop: each frame it takes the player's input once,
// handles what works anywhere, steps the screen on top of a stack of screens
// and draws it. Screens are small objects: an update that says what comes
// next, and a draw that only draws.
#pragma once

#include "app/session.h"

#include <functional>
#include <memory>
#include <vector>

namespace kelp_app {

class Screen;
using ScreenRef = std::unique_ptr<Screen>;

// What a screen's frame asks of the stack.
struct Next {
    enum class Kind { Stay, Push, Pop, Replace, StartOver, Quit };
    Kind kind = Kind::Stay;
    ScreenRef screen;

    static Next stay() { return {}; }
    // `screen` goes over this one, which waits under it.
    static Next push(ScreenRef screen) { return {Kind::Push, std::move(screen)}; }
    // Back to the screen under this one.
    static Next pop() { return {Kind::Pop, nullptr}; }
    static Next replace(ScreenRef screen) { return {Kind::Replace, std::move(screen)}; }
    // `screen` alone, every screen under this one let go.
    static Next startOver(ScreenRef screen) { return {Kind::StartOver, std::move(screen)}; }
    static Next quit() { return {Kind::Quit, nullptr}; }
};

class Screen {
public:
    virtual ~Screen() = default;
    // One frame of the player's input. A screen is drawn once before its
    // first update, in the frame that made it.
    virtual Next update(const FrameInput& input) = 0;
    virtual void draw() = 0;
    // On top again, the screen over it gone.
    virtual void uncovered() {}
};

class FrameLoop {
public:
    FrameLoop(Session& session, ScreenRef first);

    // One frame with this input: the keys that work anywhere, the top
    // screen's update and the new top's drawing. False once no screen is left.
    bool frame(const FrameInput& input);
    // A frame with the player's input since the last, `ticks` of the frame clock later.
    bool frame(int ticks);
    bool running() const { return !screens.empty(); }
    const Screen* top() const { return screens.empty() ? nullptr : screens.back().get(); }

    // Frames until no screen is left: `waitFrame` shows each drawn frame at the
    // frame clock's next tick and says how many ticks have passed since the last.
    void run(const std::function<int()>& waitFrame);

private:
    void follow(Next next);
    void popAll();
    void quit();

    Session& session;
    std::vector<ScreenRef> screens;
};

// The desktop's frame: drawn out before the tick, shown as soon as it comes.
int waitForTick();

}  // namespace kelp_app
