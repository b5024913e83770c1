// Opens the screen in a process of its own, so a test can try it without a display.
#include "render/render.h"

#include <cstdio>

int main() {
    InitSystemLayer();
    GraphicsRef screen = OpenScreen(320, 240, 0, 60, 0);
    std::printf("%s\n", screen ? "opened" : "null");
    FillRectangle(0, 0, 10, 10);  // harmless without a screen
    PresentFrame(-1);
    return 0;
}
