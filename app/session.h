// What the player's program keeps while it runs, whichever screen is up:
// the settings and progress and their saving, the keys that work anywhere,
// the game being played with its recording, and the autopilot.
#pragma once

#include "app/hints.h"
#include "app/menu.h"
#include "app/options.h"
#include "app/replay.h"
#include "game/game.h"
#include "pilot/pilot.h"

#include <map>
#include <optional>

namespace kelp_app {

class Session {
public:
    explicit Session(const Options& options);

    // Writes the settings and progress (and the recording) as they stand.
    void save();

    // The settings in force: the saved ones, unless the command line said otherwise.
    Settings effective() const;
    // The player changed the settings to `wanted`: applied and saved.
    void change(Settings wanted);
    // M, minus and plus; F11 and Alt+Enter.
    void keysAnywhere(const FrameInput& input);
    // Which hands were used last, for the hints to name.
    void noteHands(const FrameInput& input);
    const Hands& hands() const { return lastHands; }

    // A game from `level` on, played until the end card or until the player
    // leaves it (`left`), when Continue is to come back to it.
    void beginGame(int level);
    void endGame(bool left);
    bool playing() const { return inGame; }
    // Each level's build, restarts too, its steps and its end.
    void levelStarting(int level, uint32_t seed, const kelp::Assists& assists);
    void stepTaken(const kelp::StepInput& input);
    void levelKey(int level);
    void levelOver(const kelp::Level& level);

    // The assists the next level is built with.
    kelp::Assists assists() const { return assistsOf(effective()); }
    // Story cards stay up until a key, unless the setting is off or nobody reads them.
    bool cardsWait() const;
    // The autopilot for the level in play, planned when first asked.
    kelp_pilot::Autopilot& levelPilot();

    const Options options;
    Settings settings;
    Progress progress;
    int exitStatus = 0;

private:
    void load();
    bool saveFile(const std::filesystem::path& path, const std::string& text, const std::string& what);
    void saveRecording();
    void applySettings();

    Hands lastHands;
    std::string settingsText;  // the settings file as read, its comments kept on saving
    std::map<std::string, std::string> saveFailures;  // each file's last failure told, by path
    ReplayRecorder recorder;
    kelp_pilot::Autopilot pilot;
    bool pilotStale = true;
    bool muteThisRun = false;
    std::optional<bool> fullScreenThisRun;
    bool wasFullScreen = false;
    bool inGame = false;
    bool offRecord = false;  // skipped ahead, or the autopilot plays: no progress is recorded
};

// Warnings for the player, on standard error.
void Warn(const std::string& line);

}  // namespace kelp_app
