// Opening the test screen on the suite's X server.
#pragma once

#include "render/render.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <thread>

// Under the suite's parallel load the X server now and then refuses one
// connection (SDL then finds no usable video driver); a second try a moment
// later is made, and a screen that still cannot open is a failure.
inline GraphicsRef OpenTestScreen(int32_t width, int32_t height, int32_t hertz) {
    GraphicsRef screen = OpenScreen(width, height, 0, hertz, 0);
    if (screen) return screen;
    std::fprintf(stderr, "screen did not open (%s); trying once more\n", SDL_GetError());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return OpenScreen(width, height, 0, hertz, 0);
}
