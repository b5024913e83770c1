// A whole level's replay checked without a screen: each level played for up to
// three minutes with a scripted hand, recorded, then replayed and verified.
#include "app/replay.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace kelp;
using namespace kelp_app;

namespace {

constexpr int ThreeMinutes = 3 * 60 * 30;

Replay RecordLevel(int level) {
    ReplayRecorder recorder;
    recorder.beginLevel(level, 4660);
    Level played(level, 4660);
    for (int i = 0; i < ThreeMinutes && !played.over(); ++i) {
        StepInput input{{20 * std::cos(i * 0.01f), 20 * std::sin(i * 0.013f)}, i % 90 > 70};
        played.step(input);
        recorder.step(input);
    }
    recorder.endLevel();
    return recorder.replay;
}

void CheckLevelReplay(benchmark::State& state) {
    Replay replay = RecordLevel(int(state.range(0)));
    ReplayResult result;
    for (auto _ : state) {
        result = playReplay(replay);
        if (!result.ok) state.SkipWithError(result.error.c_str());
    }
    state.counters["frames"] = double(result.frames);
}

}  // namespace

BENCHMARK(CheckLevelReplay)->DenseRange(1, 6)->Unit(benchmark::kMillisecond);
