// The world step on each level (allocations counted: a step should make
// none), the world drawing under the X server, and the paced frame rate.
#include "game/game.h"
#include "pilot/pilot.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<int64_t> allocations{0};
}  // namespace

// Counting allocations: every new of the program passes through here.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

using namespace kelp;

namespace {

void StepWorld(benchmark::State& state) {
    SetRandomSeed(4660);
    LEVEL_CLOCK->start();
    buildLevel(int(state.range(0)));
    for (int frame = 0; frame < 30; ++frame) stepWorld(TIME_STEP, {});
    int64_t before = allocations.load();
    for (auto _ : state) stepWorld(TIME_STEP, {});
    state.counters["allocations/step"] =
        double(allocations.load() - before) / double(state.iterations());
}

// The autopilot's decisions, each trying its moves five seconds ahead with
// the world step: their time, and their allocations (none is the aim).
void AutopilotDecision(benchmark::State& state) {
    SetRandomSeed(4660 + int(state.range(0)));
    LEVEL_CLOCK->start();
    buildLevel(int(state.range(0)));
    kelp_pilot::Autopilot pilot;
    pilot.start();
    for (int step = 0; step < 60; ++step) stepWorld(TIME_STEP, pilot.next());
    WorldSnapshot start;
    start.save();
    int64_t before = allocations.load(), decisions = 0;
    for (auto _ : state) {
        state.PauseTiming();
        start.restore();
        state.ResumeTiming();
        for (int step = 0; step < 15; ++step) pilot.next();  // one decision in every 15 steps
        ++decisions;
    }
    state.counters["allocations/decision"] = double(allocations.load() - before) / double(decisions);
}

bool OpenGameScreen() {
    static bool open = [] {
        InitSystemLayer();
        if (!OpenScreen(800, 800, 0, 0, 0)) return false;
        SetAutoCentreHandle(true);
        SetDefaultImageFlags(IMAGE_EDITABLE);
        loadPictures();
        setScreenCentre({400, 400});
        return true;
    }();
    return open;
}

void DrawWorld(benchmark::State& state) {
    if (!OpenGameScreen()) {
        state.SkipWithError("no display");
        return;
    }
    SetRandomSeed(4660);
    LEVEL_CLOCK->start();
    buildLevel(int(state.range(0)));
    for (int frame = 0; frame < 30; ++frame) {
        updateCamera();
        stepWorld(TIME_STEP, {});
    }
    for (auto _ : state) {
        drawWorld();
        PresentFrame(0);
    }
}

// Frames paced in software at 60 Hz: the mean time between presents.
void PacedPresent(benchmark::State& state) {
    InitSystemLayer();
    static GraphicsRef screen = OpenScreen(320, 240, 0, 60, 0);
    if (!screen) {
        state.SkipWithError("no display");
        return;
    }
    PresentFrame(-1);
    for (auto _ : state) PresentFrame(-1);
}

}  // namespace

BENCHMARK(StepWorld)->DenseRange(1, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK(AutopilotDecision)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawWorld)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(PacedPresent)->Iterations(120)->Unit(benchmark::kMillisecond);
