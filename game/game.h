// The game: start-up, story cards, and a level to play with its camera, veils
// and fades.
#pragma once

#include "game/world.h"

#include <functional>

namespace kelp {

// Starts every module, opens the window and loads every picture and sound.
// False, with a line on standard error, when no window can be opened.
bool startUp();
// Registers and loads the embedded pictures and sounds into their globals.
void loadPictures();
void loadSounds();

// A story card is faded in, held and faded out over CardFrames frames, then
// the screen stays black for a second.
constexpr int CardFrames = 93;
// The last frame a card is shown at full strength; one that waits for a key stays there.
constexpr int CardHeldFrame = 61;
constexpr int CardBlackFrames = 30;
void drawCard(int n, float alpha);
// The cards drawn from now on are those of this language (a code of
// kelp_text::languageCodes()), when the game has them; English otherwise.
// Set again, the card in hand is read again: its picture may have come since.
void setCardLanguage(const std::string& code);
float cardAlpha(int frame);

// The camera follows the swimmer and the fish, nearer when they are close.
void updateCamera();
// The veil's alpha in the first half second of a level; negative after it.
float fadeInAlpha(float elapsed);
// The fade-out alpha in the countdown's last second; negative before.
float fadeOutAlpha(float countdown);
void drawVeil(float alpha);

// When frames come late the world catches up, up to this many steps a frame;
// beyond that the game slows down rather than falling further behind.
constexpr int MaxStepsPerFrame = 3;

using StepObserver = std::function<void(const StepInput&)>;

// What a player may ask to make a level easier. The world is the same; the
// game runs slower (shorter steps of game time, the frames as many) and the
// clock gives more time.
struct Assists {
    static constexpr int SlowestPercent = 50, SpeedStep = 10, MostTimePercent = 100, TimeStep = 50;
    int speedPercent = 100;  // 50 to 100, in tens
    int moreTimePercent = 0;  // 0, 50 or 100

    bool any() const { return speedPercent != 100 || moreTimePercent != 0; }
    bool valid() const;
    // The game time one step takes: TIME_STEP, to the bit, at full speed.
    float stepTime() const { return float(speedPercent) / (100 * 30); }
    bool operator==(const Assists&) const = default;
};

// One level of the world, from its build to its end: stepped with the
// player's input, its sounds reported in SOUNDS, drawn, and its outcome told.
// The world is the program's one world, so one level is in play at a time.
class Level {
public:
    // Builds level `number` from random seed `seed` with `assists` and starts
    // its clock and camera; needs no screen.
    Level(int number, uint32_t seed, Assists assists = {});

    int number() const { return levelNumber; }
    uint32_t seed() const { return levelSeed; }
    const Assists& assists() const { return helped; }

    // One step: the camera, the world, the countdown once it is decided.
    void step(const StepInput& input);
    // A frame's `steps` steps, sharing the frame's pointer movement out among
    // them, each heard and shown to `observer`; none once the level is over.
    void stepFrame(int steps, const StepInput& frameInput, const StepObserver& observer = {});
    // A digit key: the level ends at once as won, and play goes on after level `after`.
    void skipTo(int after);

    // Decided (won or lost) and counted down, or skipped.
    bool over() const { return countdown < 0 || LEVEL_SKIP; }
    bool won() const { return LEVEL_WON; }
    bool skipped() const { return LEVEL_SKIP; }
    // The level clock when the fish came home; negative if it did not.
    float finishedAt() const { return finishedClock; }

    // The frame's layers: the backdrop (veils and background lights), the
    // world, the fades of the level's start and end.
    void drawBackdrop();
    void drawFades() const;
    // The backdrop, then the world: the living garden.
    void drawScene();
    // The scene, the clock and the way home, and the fades: a level in play.
    void draw();

private:
    int levelNumber = 1;
    uint32_t levelSeed = 0;
    Assists helped;
    float countdown = 5;  // seconds left once the level is decided
    float finishedClock = -1;
    EmitterRef background;  // lights drifting behind the world, around where the level starts
    LayerRef lights;        // the layer they are drawn in, made when first drawn
};

}  // namespace kelp
