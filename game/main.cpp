// Until the game itself lands: start the system layer, run one second of the
// 30 Hz frame pace and end through the exit handlers.
#include "system/system.h"

#include <cstdio>

int main() {
    InitSystemLayer();
    SetApplicationTitle("Kelp Garden.");
    TickTimerRef frameTimer = CreateTickTimer(30, nullptr);
    int32_t frames = 0;
    int32_t start = MillisNow();
    while (MillisNow() - start < 1000) {
        WaitTickTimer(frameTimer);
        ++frames;
    }
    std::printf("%s: %d frames in one second\n", ApplicationTitle().c_str(), frames);
    EndProgram();
}
