// The program's flow: title, cards, levels and their pause, and what is kept.
#include "app/session.h"

#include "assets/labels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace kelp;
using kelp_labels::Cell;

namespace kelp_app {

namespace {

void Warn(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

constexpr int KeyEscape = 27, KeyEnter = 13, KeySpace = 32, KeyMinus = 189, KeyEquals = 187,
              KeyPadMinus = 109, KeyPadPlus = 107;

int TakeAnyKey(std::initializer_list<int> keys) {
    int hits = 0;
    for (int key : keys) hits += TakeKeyHits(key);
    return hits;
}

}  // namespace

Session::Session(const Options& options, std::function<int()> nextFrame)
    : options(options), nextFrame(std::move(nextFrame)) {
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
    MOUSE->speed = float(now.pointerSpeed) / 100;
    if (IsFullScreen() != now.fullScreen) ToggleFullScreen();
    wasFullScreen = IsFullScreen();
}

bool Session::stopping() {
    stopRequested |= StopSignalled();
    stopRequested |= TakeTerminateRequest() != 0;
    return stopRequested;
}

void Session::keysAnywhere() {
    Settings wanted = effective();
    if (TakeKeyHits('M')) wanted.muted = !wanted.muted;
    for (int hits = TakeAnyKey({KeyMinus, KeyPadMinus}); hits > 0; --hits)
        applySetting(wanted, {Command::Volume, -1, 0});
    for (int hits = TakeAnyKey({KeyEquals, KeyPadPlus}); hits > 0; --hits)
        applySetting(wanted, {Command::Volume, 1, 0});
    if (IsFullScreen() != wasFullScreen) wanted.fullScreen = wasFullScreen = IsFullScreen();
    if (!(wanted == effective())) change(wanted);
}

bool Session::card(int n) {
    TakeAnyKey({KeyEscape, KeyEnter, KeySpace});
    TakeMouseHits(1);
    // Nobody reads the cards the autopilot is shown.
    bool waits = effective().cardsWait && !options.autopilot;
    for (int frame = 0; frame < CardFrames; frame += waits && frame == CardHeldFrame ? 0 : 1) {
        drawCard(n, cardAlpha(frame));
        nextFrame();
        keysAnywhere();
        if (stopping()) return false;
        // A card seen before can be passed at once.
        if (TakeAnyKey({KeyEscape, KeyEnter, KeySpace}) || TakeMouseHits(1)) break;
    }
    SetClearColor(0, 0, 0);
    for (int frame = 0; frame < 30; ++frame) {
        ClearScreen();
        nextFrame();
        if (stopping()) return false;
    }
    // Keys pressed while a card was up were the card's: a P and a Q must not
    // pause the level and quit the game from the pause menu.
    ResetKeyboardState();
    return true;
}

LevelAction Session::betweenFrames() {
    if (stopping()) return LevelAction::Quit;
    keysAnywhere();
    bool suspended = IsAppSuspended() != 0;
    bool focusLost = suspended && !wasSuspended;
    wasSuspended = suspended;
    if (LEVEL_SKIP) recorder.levelKey(CURRENT_LEVEL);
    if (TakeAnyKey({KeyEscape, 'P'}) || focusLost) return pause();
    return LevelAction::Play;
}

// Progress is the player's own: once a digit key has skipped ahead, or while
// the autopilot plays, nothing more is recorded until the game is left.
void Session::levelOver(int level, const LevelOutcome& outcome) {
    recorder.endLevel();
    offRecord |= LEVEL_SKIP != 0;
    if (offRecord) return;
    if (LEVEL_WON)
        progress.recordWin(level, outcome.finishedAt >= 0 ? int(std::lround(outcome.finishedAt * 1000)) : -1);
    else
        progress.resume = level;
    save();
}

GameEnd Session::play(int level) {
    CURRENT_LEVEL = level;
    if (!options.autopilot) progress.reached = std::max(progress.reached, level);
    LEVEL_SKIP = false;
    offRecord = options.autopilot;
    wasSuspended = IsAppSuspended() != 0;
    GameHooks hooks;
    hooks.card = [this](int n) { return card(n); };
    hooks.nextFrame = nextFrame;
    hooks.betweenFrames = [this](LevelScene&) { return betweenFrames(); };
    hooks.levelOver = [this](int played, const LevelOutcome& outcome) { levelOver(played, outcome); };
    hooks.levelStarting = [this](int started) {
        if (!options.record.empty()) recorder.beginLevel(started, uint32_t(GetRandomSeed()));
        pilotStale = true;
    };
    if (!options.record.empty()) hooks.stepTaken = [this](const StepInput& input) { recorder.step(input); };
    if (options.autopilot) hooks.pilot = [this] { return levelPilot().next(); };
    MOUSE->capture();
    GameEnd end = runGame(hooks);
    recorder.endLevel();
    MOUSE->release();
    silenceWorld();
    bool left = end == GameEnd::ToTitle || end == GameEnd::Quit;
    if (left && !options.autopilot) progress.resume = std::min(CURRENT_LEVEL, progress.reached);
    save();
    return end;
}

// The level is built after it starts: the autopilot plans it when first asked.
kelp_pilot::Autopilot& Session::levelPilot() {
    if (pilotStale) pilot.start();
    pilotStale = false;
    return pilot;
}

int Session::run() {
    MOUSE->release();
    if (options.level && play(options.level) == GameEnd::Quit) return 0;
    for (;;) {
        MenuChoice choice = title();
        GameEnd end = GameEnd::Won;
        switch (choice.command) {
        case Command::Continue: end = play(progress.resume); break;
        case Command::NewGame: end = play(1); break;
        case Command::PlayLevel: end = play(choice.level); break;
        default: return 0;
        }
        if (end == GameEnd::Quit) return 0;
    }
}

int Session::showReplay(ReplayFileReader& replay) {
    ReplayView view;
    view.start = [] { return startLevel(); };
    view.afterStep = [this](LevelScene& scene) {
        playWorldSounds();
        drawLevel(scene);
        nextFrame();
        keysAnywhere();
        return !stopping() && !TakeKeyHits(KeyEscape);
    };
    ReplayResult result = playReplay(replay, view);
    silenceWorld();
    if (!result.ok) {
        Warn("Kelp Garden: " + options.replay + ": " + result.error);
        return 1;
    }
    return 0;
}

}  // namespace kelp_app
