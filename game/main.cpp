// Kelp Garden: lead the fish home through the garden of lights.
#include "game/game.h"

#include <cstdlib>

int main() {
    if (!kelp::startUp()) return EXIT_FAILURE;
    kelp::runGame({kelp::showCard, kelp::waitFrame});
    EndProgram();
}
