// The program's flow: title, cards, levels and their pause, and what is kept.
#include "app/session.h"

#include "assets/labels.h"

#include <algorithm>
#include <csignal>
#include <cmath>
#include <cstdio>

using namespace kelp;
using kelp_labels::Cell;

namespace kelp_app {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int) { stopSignal = 1; }

void Warn(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

constexpr int KeyEscape = 27, KeyEnter = 13, KeySpace = 32, KeyMinus = 189, KeyEquals = 187,
              KeyPadMinus = 109, KeyPadPlus = 107;

int TakeAnyKey(std::initializer_list<int> keys) {
    int hits = 0;
    for (int key : keys) hits += TakeKeyHits(key);
    return hits;
}

}  // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

Session::Session(const Options& options, std::function<int()> nextFrame)
    : options(options), nextFrame(std::move(nextFrame)) {
    load();
    muteThisRun = options.mute;
    fullScreenThisRun = options.fullScreen;
    applySettings();
}

void Session::load() {
    loadSettings(settingsPath(), settings, Warn);
    loadProgress(progressPath(), progress, Warn);
}

void Session::saveRecording() {
    std::string error;
    if (!options.record.empty() && !writeFileAtomically(options.record, encodeReplay(recorder.replay), error))
        Warn("Kelp Garden: the replay was not saved: " + error);
}

void Session::save() {
    saveRecording();
    std::string error;
    std::filesystem::path settingsFile = settingsPath(), progressFile = progressPath();
    if (!settingsFile.empty() && !writeFileAtomically(settingsFile, formatSettings(settings), error))
        Warn("Kelp Garden: the settings were not saved: " + error);
    if (!progressFile.empty() && !writeFileAtomically(progressFile, formatProgress(progress), error))
        Warn("Kelp Garden: the progress was not saved: " + error);
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
    stopRequested |= stopSignal != 0;
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
    for (int frame = 0; frame < CardFrames; ++frame) {
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

void Session::levelOver(int level, const LevelOutcome& outcome) {
    recorder.endLevel();
    if (LEVEL_WON)
        progress.recordWin(level, outcome.finishedAt >= 0 ? int(std::lround(outcome.finishedAt * 1000)) : -1);
    else
        progress.resume = level;
    save();
}

GameEnd Session::play(int level) {
    CURRENT_LEVEL = level;
    progress.reached = std::max(progress.reached, level);
    LEVEL_SKIP = false;
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
    if (end == GameEnd::ToTitle || end == GameEnd::Quit) progress.resume = std::min(CURRENT_LEVEL, progress.reached);
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

int Session::showReplay(const Replay& replay) {
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
