// The player's program above the game: the title over the living garden and
// its menus, cards, levels with a pause menu, the keys that work anywhere,
// and the settings and progress kept between runs.
#pragma once

#include "app/menu.h"
#include "app/options.h"
#include "app/replay.h"
#include "game/game.h"
#include "pilot/pilot.h"

#include <functional>
#include <map>
#include <optional>

namespace kelp_app {

class Session {
public:
    // `nextFrame` presents a frame and returns the ticks since the last
    // (waitFrame in the game).
    Session(const Options& options, std::function<int()> nextFrame);

    // The whole program from the title or --level; the exit status.
    int run();
    // Shows a recorded game in the window, checking it as it goes.
    int showReplay(ReplayFileReader& replay);

    // Writes the settings and progress (and the recording) as they stand.
    void save();

    Settings settings;
    Progress progress;

private:
    // A level's pause: the frozen picture under the pause menu until the
    // player resumes, restarts or leaves.
    kelp::LevelAction pause();
    // Between a level's frames: pauses, the keys that work anywhere, an end.
    kelp::LevelAction betweenFrames();
    // The title: the chosen command, with the level for PlayLevel.
    MenuChoice title();
    // M, minus and plus; F11 and Alt+Enter as the window changes.
    void keysAnywhere();

    // The menu frames' input: the keys and the pointer over `menu`.
    MenuInput readMenuInput(const Menu& menu);
    // The item whose row holds the screen point, or -1.
    static int itemAt(const Menu& menu, float x, float y);

    // The settings in force: the saved ones, unless the command line said otherwise.
    Settings effective() const;
    // The player changed the settings to `wanted`: applied and saved.
    void change(Settings wanted);
    void applySettings();
    bool stopping();

    kelp_pilot::Autopilot& levelPilot();
    // The autopilot's way ahead drawn over the paused level for a while.
    void showTheWay();
    void load();
    bool saveFile(const std::filesystem::path& path, const std::string& text, const std::string& what);
    void saveRecording();
    bool card(int n);
    kelp::GameEnd play(int level);
    void levelOver(int level, const kelp::LevelOutcome& outcome);
    kelp::LevelAction pauseAction(Menu& menu, const std::function<void()>& drawFrozen);
    bool runSettingsMenu(const std::function<void()>& drawBehind);
    // Idle after `idleFrames` frames untouched, when that is not 0.
    MenuChoice runMenu(Menu& menu, const std::function<void()>& drawBehind, int titleLabel, int idleFrames = 0);
    // The autopilot plays the title's garden until a key or the pointer
    // stirs; false when the program is to end.
    bool demo(kelp::LevelScene& garden);
    void drawMenu(const Menu& menu, int titleLabel) const;

    Options options;
    std::string settingsText;  // the settings file as read, its comments kept on saving
    std::map<std::string, std::string> saveFailures;  // each file's last failure told, by path
    ReplayRecorder recorder;
    kelp_pilot::Autopilot pilot;
    bool pilotStale = true;
    std::function<int()> nextFrame;
    bool muteThisRun = false;
    std::optional<bool> fullScreenThisRun;
    bool wasFullScreen = false;
    bool wasSuspended = false;
    bool stopRequested = false;
    bool offRecord = false;  // skipped ahead, or the autopilot plays: no progress is recorded
    int lastPointerX = -1, lastPointerY = -1;
    int untouchedFrames = 0;
};

}  // namespace kelp_app
