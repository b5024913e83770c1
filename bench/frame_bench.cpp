// The real frame of each level under the X server, layer by layer: the world's
// steps, the backdrop (veils and background lights), the world with its clock
// and arrow, the fades and the present. Times are CPU time of the whole process, so the software
// renderer's threads count; each layer ends with a read-back that waits for
// the renderer, so its pixels are paid for in its own layer.
//
//   xvfb-run -a -s "-screen 0 1024x1024x24" build/release/bench/frame_bench [frames] [full|calm]
#include "game/game.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <ctime>
#include <vector>

using namespace kelp;

namespace {

enum Layer { STEP, BACKDROP, WORLD, FADES, PRESENT, LAYERS };
const char* const LayerNames[LAYERS] = {"step", "backdrop", "world", "fades", "present"};

double CpuMillis() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void WaitForRenderer() { ReadScreenPixels(0, 0, 1, 1); }

// A slow circle, so the swimmer tours the maze and the camera moves.
StepInput Wander(int frame) {
    float angle = frame * 0.02f;
    return {{6 * std::cos(angle), 6 * std::sin(angle)}, false};
}

struct Spread {
    double min, median, max;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}

// Frames as the game draws them, with no read-back between layers: the CPU
// time of each frame, in groups of ten frames so the renderer's work lands in
// the group that asked for it.
std::vector<double> WholeFrames(Level& level, int frames) {
    std::vector<double> perFrame;
    WaitForRenderer();
    for (int group = 0; group < frames / 10; ++group) {
        double start = CpuMillis();
        for (int frame = 0; frame < 10; ++frame) {
            level.step(Wander(frame));
            level.draw();
            PresentFrame(0);
        }
        WaitForRenderer();
        perFrame.push_back((CpuMillis() - start) / 10);
    }
    return perFrame;
}

void MeasureLevel(int level, int frames) {
    Level played(level, 4660);
    for (int frame = 0; frame < 45; ++frame) {  // past the fade-in
        played.step(Wander(frame));
        played.draw();
        PresentFrame(0);
    }
    std::vector<double> layers[LAYERS], totals;
    for (int frame = 0; frame < frames; ++frame) {
        double marks[LAYERS + 1];
        marks[0] = CpuMillis();
        played.step(Wander(frame + 45));
        marks[STEP + 1] = CpuMillis();
        played.drawBackdrop();
        WaitForRenderer();
        marks[BACKDROP + 1] = CpuMillis();
        SetDrawColor(255, 255, 255);
        drawWorld();
        drawHud();
        WaitForRenderer();
        marks[WORLD + 1] = CpuMillis();
        played.drawFades();
        WaitForRenderer();
        marks[FADES + 1] = CpuMillis();
        PresentFrame(0);
        WaitForRenderer();
        marks[PRESENT + 1] = CpuMillis();
        for (int l = 0; l < LAYERS; ++l) layers[l].push_back(marks[l + 1] - marks[l]);
        totals.push_back(marks[LAYERS] - marks[0]);
    }
    Spread split = SpreadOf(totals);
    Spread whole = SpreadOf(WholeFrames(played, frames));
    std::printf("level %d | %6.2f %6.2f %6.2f | %6.2f |", level, whole.min, whole.median, whole.max,
                split.median);
    for (int l = 0; l < LAYERS; ++l) std::printf(" %6.2f", SpreadOf(layers[l]).median);
    std::printf("\n");
}

}  // namespace

// [frames] [full|calm]: "full" draws soft light at full cost, as first
// designed; "calm" draws with calm lights.
int main(int argc, char** argv) {
    int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 150;
    std::string lights = argc > 2 ? argv[2] : "cheap";
    if (!startUp()) return EXIT_FAILURE;
    setFullCostLights(lights == "full");
    setCalmLights(lights == "calm");
    std::printf("CPU ms per frame over %d frames, %s lights\n        | whole frame: min median max "
                "| layer by layer: total, then", frames, lights.c_str());
    for (const char* name : LayerNames) std::printf(" %s", name);
    std::printf("\n");
    for (int level = 1; level <= 6; ++level) MeasureLevel(level, frames);
    return EXIT_SUCCESS;
}
