// Mixing speed: voice-frames mixed per second for 1, 16 and 64 voices, mono
// and stereo samples, at the native rate and at 1.37.
#include "audio/audio.h"
#include "audio/mixer.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void MixVoices(benchmark::State& state) {
    const int voiceCount = static_cast<int>(state.range(0));
    const int channels = static_cast<int>(state.range(1));
    const float rate = state.range(2) / 100.0f;
    AudioOpenWithoutDevice(1024);
    mixer& voices = *AudioMixer();
    std::vector<int16_t> data(22050 * channels);
    for (size_t i = 0; i < data.size(); ++i) data[i] = int16_t((i * 97) % 4000 - 2000);
    MixerSample* sample = CreateMixerSample(22050, 16, channels, 22050, data.data(), true);
    for (int v = 0; v < voiceCount; ++v) {
        int32_t handle = AudioPlay(sample, false, 0);
        AudioSetRate(handle, rate);
        AudioSetVolume(handle, 0.8f);
        AudioSetPan(handle, (v % 3 - 1) * 0.5f);
    }
    std::vector<int16_t> out(1024);
    voices.mix16(out.data(), 0);  // takes the voices in and starts them
    for (auto _ : state) {
        voices.mix16(out.data(), 0);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["voice-frames/s"] = benchmark::Counter(
        double(state.iterations()) * 512 * voiceCount, benchmark::Counter::kIsRate);
    FreeMixerSample(sample);
    AudioClose();
}

}  // namespace

BENCHMARK(MixVoices)
    ->ArgNames({"voices", "channels", "rate%"})
    ->ArgsProduct({{1, 16, 64}, {1, 2}, {100, 137}});
