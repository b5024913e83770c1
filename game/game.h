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

void showCard(int n);
void waitFrame();
void updateCamera();
void levelKeys();

// The veil's alpha in the first half second of a level; negative after it.
float fadeInAlpha(float elapsed);
// Counts the end down once the level is decided; the fade-out alpha in its
// last second, negative before.
float countDownEnding(float& countdown);

enum class LevelEnd { Over, Quit };

// One level, from its build to its end. `nextFrame` stands for waitFrame.
LevelEnd playLevel(const std::function<void()>& nextFrame);
// The level loop: cards and levels until the final card or a quit.
void runGame(const std::function<void(int)>& card, const std::function<void()>& nextFrame);

}  // namespace kelp
