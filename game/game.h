// The game flow: start-up, story cards, the level loop with its camera, veils
// and fades, and the level keys.
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
void drawCard(int n, float alpha);
float cardAlpha(int frame);
// Waits for the next tick of the frame timer and presents the frame; the
// number of ticks since the previous frame.
int waitFrame();
void updateCamera();
// The digits: the level ends at once as won, and play goes on after level k.
void levelKeys();
void skipToLevel(int k);
// F11 or Alt+Enter: desktop full screen and back, wherever the game is.
void fullScreenKeys();

// The veil's alpha in the first half second of a level; negative after it.
float fadeInAlpha(float elapsed);
// Counts the end down, one step at a time, once the level is decided.
void countDownEnding(float& countdown);
// The fade-out alpha in the countdown's last second; negative before.
float fadeOutAlpha(float countdown);

// When frames come late the world catches up, up to this many steps a frame;
// beyond that the game slows down rather than falling further behind.
constexpr int MaxStepsPerFrame = 3;

// A level in play: its background lights, the layer they are drawn in, and
// its countdown to the end.
struct LevelScene {
    EmitterRef background;
    LayerRef lights;
    float countdown = 5;
    float finishedAt = -1;  // the level clock when the fish came home
};

// Builds CURRENT_LEVEL's world and starts its clock and camera; needs no screen.
void resetLevel();
// resetLevel, with the lights of a level drawn on the screen.
LevelScene startLevel();
// One step of the level: camera, world, its end's countdown. No sound.
void advanceLevel(LevelScene& scene, const StepInput& input);
// Won or lost and counted down, or skipped.
bool levelOver(const LevelScene& scene);
using StepObserver = std::function<void(const StepInput&)>;
// `steps` steps of the world, sharing the frame's pointer movement out among
// them, each heard and shown to `observer`.
void stepLevel(LevelScene& scene, int steps, const StepInput& frameInput, const StepObserver& observer = {});
// The frame's layers: the backdrop (veils and background lights), the world,
// the fades. drawLevel draws them all.
void drawVeil(float alpha);
void drawBackdrop(LevelScene& scene);
void drawFades(const LevelScene& scene);
void drawLevel(LevelScene& scene);

// What the program above the level decides between frames.
enum class LevelAction { Play, Restart, ToTitle, Quit };
using BetweenFrames = std::function<LevelAction(LevelScene&)>;
// Escape, or a request to end the program, quits.
LevelAction quitOnEscape(LevelScene&);

enum class LevelEnd { Over, ToTitle, Quit };
struct LevelOutcome {
    LevelEnd end = LevelEnd::Over;
    float finishedAt = -1;  // the level clock when the fish came home; -1 if it did not
};

struct GameHooks {
    std::function<bool(int)> card;  // false when the player leaves meanwhile
    std::function<int()> nextFrame;  // waitFrame
    BetweenFrames betweenFrames = quitOnEscape;
    // Each level played out, won (LEVEL_WON) or lost, before the next card.
    std::function<void(int level, const LevelOutcome&)> levelOver = [](int, const LevelOutcome&) {};
    // Before each build of a level, restarts too, and after each step.
    std::function<void(int level)> levelStarting = [](int) {};
    StepObserver stepTaken;
    // When set, each step's input comes from here instead of the pointer.
    std::function<StepInput()> pilot;
};

// One level, from its build to its end.
LevelOutcome playLevel(const GameHooks& hooks);

enum class GameEnd { Won, Lost, ToTitle, Quit };

// Cards and levels from CURRENT_LEVEL until the final card, the game-over
// card, or the player leaves.
GameEnd runGame(const GameHooks& hooks);

}  // namespace kelp
