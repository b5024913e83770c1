// A game on the screen: story cards and levels in turn, a level's pause with
// its frozen picture, and the way ahead shown over it.
#include "app/drawing.h"
#include "app/language.h"
#include "app/screens.h"

#include "assets/labels.h"

#include <utility>

using namespace kelp;
using kelp_labels::Cell;

namespace kelp_app {

namespace {

constexpr float TimeLeftY = 222, AssistedBelow = 24;
// The assists in force, under a level's card.
constexpr float CardAssistsY = 690;
// How much the frozen level's picture is darkened under the pause menu.
constexpr float PauseDim = 0.55f;
// "Show me the way": five seconds of the autopilot's way, shown for three.
constexpr int WaySteps = 5 * 30, WayFrames = 3 * 30;
constexpr int LastLevel = 6, WonCard = 7, LostCard = 8;

bool PassesACard(const FrameInput& input) {
    return input.pressed(Keys::Escape) || input.pressed(Keys::Enter) || input.pressed(Keys::Space) ||
           input.clicked(1) || input.pad.pressed(PadButtons::A) || input.pad.pressed(PadButtons::Start) ||
           input.touch.taps || input.touch.twoFingerTaps;
}

bool AsksForPause(const FrameInput& input) {
    return input.pressed(Keys::Escape) || input.pressed(Keys::Letter('P')) || input.focusLost ||
           input.pad.pressed(PadButtons::Start) || input.pad.unplugged || input.touch.twoFingerTaps;
}

}  // namespace

ScreenRef startGame(Session& session, int level) {
    session.beginGame(level);
    return std::make_unique<CardScreen>(session, level);
}

CardScreen::CardScreen(Session& session, int card) : session(session), card(card) {}

// A card seen before can be passed at once; one that waits stays at full
// strength until it is.
Next CardScreen::update(const FrameInput& input) {
    if (blackFrames < 0) {
        bool waits = session.cardsWait() && frame == CardHeldFrame;
        if (PassesACard(input) || ++frame == CardFrames) blackFrames = 0;
        else if (waits) frame = CardHeldFrame;
        return Next::stay();
    }
    return ++blackFrames < CardBlackFrames ? Next::stay() : after();
}

Next CardScreen::after() {
    if (card <= LastLevel) return Next::replace(std::make_unique<LevelScreen>(session, card));
    session.endGame(false);
    return Next::startOver(std::make_unique<TitleScreen>(session));
}

void CardScreen::drawAssists(float alpha) const {
    std::string assisted = card <= LastLevel ? describeAssists(session.assists()) : "";
    if (assisted.empty()) return;
    resetDrawState();
    SetDrawColor(230, 240, 200);
    SetDrawAlpha(alpha);
    DrawSmallPrint(fill(tr("Assist: {}"), {assisted}), 400, CardAssistsY, true);
    resetDrawState();
}

void CardScreen::draw() {
    if (blackFrames < 0) {
        drawCard(card, cardAlpha(frame));
        drawAssists(cardAlpha(frame));
        return;
    }
    SetClearColor(0, 0, 0);
    ClearScreen();
}

FrozenLevel::FrozenLevel(const Assists& assists)
    : picture(CreateBlankImage(GetScreenWidth(), GetScreenHeight(), 1, 0)),
      secondsLeft(GOAL->remaining()), assists(assists) {
    CaptureScreenToImage(picture, 0, 0);
    AudioHoldVoices(true);
}

FrozenLevel::~FrozenLevel() { AudioHoldVoices(false); }

void FrozenLevel::drawPicture() const { DrawScreenPicture(picture); }

void FrozenLevel::draw() {
    drawPicture();
    SetDrawColor(0, 0, 0);
    SetDrawAlpha(PauseDim);
    FillRectangle(0, 0, float(GetScreenWidth()), float(GetScreenHeight()));
    resetDrawState();
}

void FrozenLevel::drawTimeLeft() const {
    resetDrawState();
    SetDrawColor(230, 240, 200);
    // Worded as it is drawn: the language may change in the settings meanwhile.
    DrawSmallPrint(fill(tr("Time left {}"), {ClockText(secondsLeft)}), 400, TimeLeftY, true);
    std::string assisted = describeAssists(assists);
    if (!assisted.empty()) DrawSmallPrint(assisted, 400, TimeLeftY + AssistedBelow, true, 1.5f);
    resetDrawState();
}

LevelScreen::LevelScreen(Session& session, int number) : session(session) {
    CURRENT_LEVEL = number;
    start();
}

void LevelScreen::start() {
    auto seed = uint32_t(GetRandomSeed());
    Assists assists = session.assists();
    session.levelStarting(CURRENT_LEVEL, seed, assists);
    level.emplace(CURRENT_LEVEL, seed, assists);
    play(1, {});
}

Next LevelScreen::update(const FrameInput& input) {
    for (int k = 1; k <= LastLevel; ++k)
        if (input.pressed(Keys::Digit(k))) level->skipTo(k);
    if (level->skipped()) session.levelKey(CURRENT_LEVEL);
    if (AsksForPause(input)) {
        frozen = std::make_shared<FrozenLevel>(level->assists());
        MOUSE->release();
        return Next::push(std::make_unique<PauseScreen>(session, frozen, restart, input.pad.unplugged));
    }
    if (level->over()) return afterEnd();
    play(std::clamp(input.ticks, 1, MaxStepsPerFrame), {MOUSE->offset(input), tmouse::calming(input)});
    return Next::stay();
}

// As many steps as ticks went by since the last frame, within limits, each
// heard and recorded. The player's movement is not heard while the autopilot plays.
void LevelScreen::play(int steps, const StepInput& input) {
    auto heard = [this](const StepInput& step) {
        playWorldSounds();
        session.stepTaken(step);
    };
    if (!session.options.autopilot) {
        level->stepFrame(steps, input, heard);
        return;
    }
    for (int i = 0; i < steps && !level->over(); ++i) level->stepFrame(1, session.levelPilot().next(), heard);
}

Next LevelScreen::afterEnd() {
    session.levelOver(*level);
    bool won = level->won();
    if (won) CURRENT_LEVEL += 1;
    if (won && CURRENT_LEVEL <= LastLevel) return Next::replace(std::make_unique<CardScreen>(session, CURRENT_LEVEL));
    return Next::replace(std::make_unique<CardScreen>(session, won ? WonCard : LostCard));
}

// The level's own picture goes back, for the veils' trails to build on; then
// the picture, the size of the screen twice over, is let go, and play goes on.
void LevelScreen::uncovered() {
    frozen->drawPicture();
    FinishDrawing();
    frozen = nullptr;
    MOUSE->capture();
    if (std::exchange(restart, false)) start();
    else play(1, {});
}

void LevelScreen::draw() { level->draw(); }

PauseScreen::PauseScreen(Session& session, std::shared_ptr<FrozenLevel> frozen, bool& restart, bool padGone)
    : MenuScreen(session, frozen, pauseMenu(), Cell("Paused")), frozen(std::move(frozen)), restart(restart) {
    if (padGone) menu.footnote = unpluggedNote(session.hands());
}

// The time left is the pause menu's: the longer settings menu over the same
// level would cover it.
void PauseScreen::draw() {
    MenuScreen::draw();
    frozen->drawTimeLeft();
}

Next PauseScreen::choose(const MenuChoice& chosen) {
    switch (chosen.command) {
    case Command::Resume: return Next::pop();
    case Command::Restart: restart = true; return Next::pop();
    case Command::QuitToTitle:
        session.endGame(true);
        return Next::startOver(std::make_unique<TitleScreen>(session));
    case Command::QuitGame: return Next::quit();
    case Command::Settings: return Next::push(std::make_unique<SettingsScreen>(session, frozen));
    case Command::ShowWay:
        return Next::replace(std::make_unique<WayScreen>(frozen, session.levelPilot().foresee(WaySteps)));
    default: return Next::stay();
    }
}

WayScreen::WayScreen(std::shared_ptr<FrozenLevel> frozen, std::vector<tvector> way)
    : frozen(std::move(frozen)), way(std::move(way)) {
    HidePointer();
}

Next WayScreen::update(const FrameInput&) { return ++frame < WayFrames ? Next::stay() : Next::pop(); }

void WayScreen::draw() {
    frozen->drawPicture();
    DrawWay(way, float(frame) / WayFrames);
    DrawHint(tr("The way for the next five seconds, then play goes on"));
}

}  // namespace kelp_app
