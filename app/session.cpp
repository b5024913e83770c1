// What the program keeps between screens: settings, progress, the recording.
#include "app/session.h"

#include "app/language.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace kelp;

namespace kelp_app {

void Warn(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

Session::Session(const Options& options) : options(options) {
    load();
    muteThisRun = options.mute;
    fullScreenThisRun = options.fullScreen;
    applySettings();
}

void Session::load() {
    settingsText = loadSettings(settingsPath(), settings, Warn);
    loadProgress(progressPath(), progress, Warn);
}

// A disk that refuses one save refuses the next alike: each file's failure
// is told once, and again only when its reason changes.
bool Session::saveFile(const std::filesystem::path& path, const std::string& text, const std::string& what) {
    std::string error;
    bool saved = writeFileAtomically(path, text, error);
    std::string& told = saveFailures[path.string()];
    if (!saved && error != told)
        Warn("Kelp Garden: the " + what + " not saved: " + error +
             " (later saves are tried, and this is said again only if the reason changes)");
    told = saved ? "" : error;
    return saved;
}

void Session::saveRecording() {
    if (!options.record.empty()) saveFile(options.record, encodeReplay(recorder.replay), "replay was");
}

void Session::save() {
    saveRecording();
    std::filesystem::path settingsFile = settingsPath(), progressFile = progressPath();
    std::string text = formatSettings(settings, settingsText);
    if (!settingsFile.empty() && saveFile(settingsFile, text, "settings were")) settingsText = text;
    if (!progressFile.empty()) saveFile(progressFile, formatProgress(progress), "progress was");
}

Settings Session::effective() const {
    Settings now = settings;
    now.muted |= muteThisRun;
    if (fullScreenThisRun) now.fullScreen = *fullScreenThisRun;
    return now;
}

// What the command line set holds until the player changes that setting.
void Session::change(Settings wanted) {
    Settings now = effective();
    if (wanted.muted == now.muted) wanted.muted = settings.muted;
    else muteThisRun = false;
    if (wanted.fullScreen == now.fullScreen) wanted.fullScreen = settings.fullScreen;
    else fullScreenThisRun.reset();
    bool kept = wanted == settings;
    settings = wanted;
    applySettings();
    if (!kept) save();
}

void Session::applySettings() {
    Settings now = effective();
    AudioSetMasterVolume(masterVolume(now));
    SHOW_GOAL_ARROW = now.goalArrow;
    kelp::setCalmLights(now.calmLights);
    speak(!options.language.empty() ? options.language : !now.language.empty() ? now.language : desktopLanguage());
    MOUSE->speed = float(now.pointerSpeed) / 100;
    MOUSE->stickSpeed = float(now.stickSpeed) / 100;
    if (IsFullScreen() != now.fullScreen) ToggleFullScreen();
    wasFullScreen = IsFullScreen();
}

void Session::noteHands(const FrameInput& input) { lastHands = {input.lastUsed, input.pad.layout}; }

void Session::keysAnywhere(const FrameInput& input) {
    // Alt+Enter is read with the press: a quick chord is not lost.
    if (input.pressed(Keys::F11) || input.pressedWithAlt(Keys::Enter)) ToggleFullScreen();
    Settings wanted = effective();
    if (input.pressed(Keys::Letter('M'))) wanted.muted = !wanted.muted;
    int down = input.presses[Keys::Minus] + input.presses[Keys::PadMinus];
    int up = input.presses[Keys::Equals] + input.presses[Keys::PadPlus];
    for (; down > 0; --down) applySetting(wanted, {Command::Volume, -1, 0});
    for (; up > 0; --up) applySetting(wanted, {Command::Volume, 1, 0});
    if (IsFullScreen() != wasFullScreen) wanted.fullScreen = wasFullScreen = IsFullScreen();
    if (!(wanted == effective())) change(wanted);
}

bool Session::cardsWait() const { return effective().cardsWait && !options.autopilot; }

void Session::beginGame(int level) {
    inGame = true;
    CURRENT_LEVEL = level;
    if (!options.autopilot) progress.reached = std::max(progress.reached, level);
    offRecord = options.autopilot;
    MOUSE->capture();
}

void Session::levelStarting(int level, uint32_t seed, const Assists& assists) {
    if (!options.record.empty()) recorder.beginLevel(level, seed, assists);
    pilotStale = true;
}

void Session::stepTaken(const StepInput& input) {
    if (!options.record.empty()) recorder.step(input);
}

void Session::levelKey(int level) { recorder.levelKey(level); }

// Progress is the player's own: once a digit key has skipped ahead, or while
// the autopilot plays, nothing more is recorded until the game is left.
void Session::levelOver(const Level& level) {
    recorder.endLevel();
    offRecord |= level.skipped();
    if (offRecord) return;
    if (level.won())
        progress.recordWin(level.number(),
                           level.finishedAt() >= 0 ? int(std::lround(level.finishedAt() * 1000)) : -1,
                           level.assists().any());
    else
        progress.resume = level.number();
    save();
}

void Session::endGame(bool left) {
    if (!inGame) return;
    inGame = false;
    recorder.endLevel();
    MOUSE->release();
    silenceWorld();
    if (left && !options.autopilot) progress.resume = std::min(CURRENT_LEVEL, progress.reached);
    save();
}

// The level is built after it starts: the autopilot plans it when first asked.
kelp_pilot::Autopilot& Session::levelPilot() {
    if (pilotStale) pilot.start();
    pilotStale = false;
    return pilot;
}

}  // namespace kelp_app
