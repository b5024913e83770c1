// The program's screens. The title (title_screen.cpp) lives over level 1's
// garden and shows the autopilot playing it when left alone; its levels and
// settings menus (menu_screens.cpp) open over it, and the settings over a
// paused level too. A game (play_screens.cpp) is story cards and levels in
// turn; a level pauses under the pause menu, which can show the way ahead.
// The replay viewer (replay_screen.cpp) plays a recorded game in the window.
#pragma once

#include "app/frame_loop.h"

#include <optional>

namespace kelp_app {

// What a menu is drawn over: it lives on behind the menu, a frame at a time.
class Backdrop {
public:
    virtual ~Backdrop() = default;
    virtual void update() {}
    virtual void draw() = 0;
};
using BackdropRef = std::shared_ptr<Backdrop>;

// Level 1's garden behind the title and its menus: the fish drifts, nobody
// steers, and it starts again when its clock runs out.
class Garden : public Backdrop {
public:
    Garden();
    void update() override { play({}); }
    // One step with this input; true when the garden started again.
    bool play(const kelp::StepInput& input);
    void draw() override;
    void drawWithHud();
    void restart();

private:
    std::optional<kelp::Level> level;
};

// A paused level: its last picture, darkened; the time it has left and the
// assists it is played with, for the pause menu; its sounds hold until it is
// let go.
class FrozenLevel : public Backdrop {
public:
    explicit FrozenLevel(const kelp::Assists& assists);
    ~FrozenLevel() override;
    void draw() override;
    // The picture alone, as the level left it.
    void drawPicture() const;
    // The time it has left, and the assists, under the pause menu's header.
    void drawTimeLeft() const;

private:
    ImageRef picture;
    float secondsLeft;
    kelp::Assists assists;
};

// A column of items over a backdrop, worked by the keys and the pointer.
class MenuScreen : public Screen {
public:
    Next update(const FrameInput& input) override;
    void draw() override;
    void uncovered() override;

protected:
    MenuScreen(Session& session, BackdropRef backdrop, Menu menu, int titleLabel);
    // A frame's choice, never Command::None.
    virtual Next choose(const MenuChoice& choice) = 0;
    virtual std::string hint() const { return menuHint(session.hands()); }
    // Frames in a row without a key, a click or the pointer stirring.
    int untouchedFrames = 0;

    Session& session;
    BackdropRef backdrop;
    Menu menu;

private:
    MenuInput menuInput(const FrameInput& input);
    int titleLabel;  // its cell in the labels picture, or -1 for the game's name
    bool pointerPlaced = false;  // where the pointer rests once the menu is up, moved or not
};

class TitleScreen : public MenuScreen {
public:
    explicit TitleScreen(Session& session);

private:
    TitleScreen(Session& session, std::shared_ptr<Garden> garden);
    Next update(const FrameInput& input) override;
    Next choose(const MenuChoice& choice) override;
    std::shared_ptr<Garden> garden;
};

class LevelsScreen : public MenuScreen {
public:
    LevelsScreen(Session& session, BackdropRef backdrop);

private:
    Next choose(const MenuChoice& choice) override;
};

class SettingsScreen : public MenuScreen {
public:
    SettingsScreen(Session& session, BackdropRef backdrop);

protected:
    SettingsScreen(Session& session, BackdropRef backdrop, Menu menu, int titleLabel);

private:
    Next update(const FrameInput& input) override;
    Next choose(const MenuChoice& choice) override;
    Settings shown;
};

// Game speed and more time, for the levels built from then on.
class AssistScreen : public SettingsScreen {
public:
    AssistScreen(Session& session, BackdropRef backdrop);
};

// The autopilot plays the garden until a key or the pointer stirs.
class DemoScreen : public Screen {
public:
    DemoScreen(std::shared_ptr<Garden> garden, const Session& session);
    Next update(const FrameInput& input) override;
    void draw() override;

private:
    std::shared_ptr<Garden> garden;
    const Session& session;
    kelp_pilot::Autopilot pilot;
};

// The screen the program opens on: the replay when one is to be shown, the
// game from --level, or the title.
ScreenRef openingScreen(Session& session, ReplayFileReader& replay);

// A new game from `level`: its story card first.
ScreenRef startGame(Session& session, int level);

// Story card `card` (1 to 6 before their levels, 7 won, 8 lost), faded in,
// held, faded out, then a second of black.
class CardScreen : public Screen {
public:
    CardScreen(Session& session, int card);
    Next update(const FrameInput& input) override;
    void draw() override;

private:
    Next after();
    void drawAssists(float alpha) const;
    Session& session;
    int card;
    int frame = 0;        // of the card's fades while it shows
    int blackFrames = -1;  // of the black after it, once it has gone
};

// A level in play: the player's hands or the autopilot steer, up to
// MaxStepsPerFrame steps a frame; digits skip ahead; Escape, P, a pad's Start,
// the window losing the focus or the pad in use unplugged pause it.
class LevelScreen : public Screen {
public:
    LevelScreen(Session& session, int number);
    Next update(const FrameInput& input) override;
    void draw() override;
    void uncovered() override;

private:
    // A level's first frame, and the frame play resumes in, take a step
    // with the pointer still.
    void start();
    void play(int steps, const kelp::StepInput& input);
    Next afterEnd();

    Session& session;
    std::optional<kelp::Level> level;
    std::shared_ptr<FrozenLevel> frozen;  // while paused
    bool restart = false;                 // the pause menu's choice, once it is gone
};

// Resume and restart go back to the level under the menu, which restarts
// when `restart` says so; leaving goes to the title or ends the program.
class PauseScreen : public MenuScreen {
public:
    // `padGone`: paused because the pad in use was unplugged, which it says.
    PauseScreen(Session& session, std::shared_ptr<FrozenLevel> frozen, bool& restart, bool padGone = false);
    void draw() override;

private:
    Next choose(const MenuChoice& choice) override;
    std::string hint() const override { return pauseHint(session.hands()); }
    std::shared_ptr<FrozenLevel> frozen;
    bool& restart;
};

// "Show me the way": the autopilot's way for the next five seconds, drawn
// over the paused level for three, then play goes on.
class WayScreen : public Screen {
public:
    WayScreen(std::shared_ptr<FrozenLevel> frozen, std::vector<kelp::tvector> way);
    Next update(const FrameInput& input) override;
    void draw() override;

private:
    std::shared_ptr<FrozenLevel> frozen;
    std::vector<kelp::tvector> way;
    int frame = 0;
};

// A recorded game shown a step a frame and checked as it goes; Escape ends it.
class ReplayScreen : public Screen {
public:
    ReplayScreen(Session& session, ReplayFileReader& replay);
    Next update(const FrameInput& input) override;
    void draw() override;

private:
    Session& session;
    ReplayPlayer player;
};

}  // namespace kelp_app
