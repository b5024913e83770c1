// The engine over a bare mixer that the tests drive pass by pass, with a
// clock they set, so every output sample can be checked exactly.
#pragma once

#include "audio/audio.h"
#include "audio/mixer.h"

#include <gtest/gtest.h>

#include <vector>

inline int32_t fakeNow = 0;

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        AudioOpenWithoutDevice(1024);
        voices = AudioMixer();
        voices->setclock([] { return fakeNow; });
        fakeNow = 1000;
    }
    void TearDown() override {
        for (MixerSample* sample : samples) FreeMixerSample(sample);
        AudioClose();
    }

    MixerSample* Mono16(const std::vector<int16_t>& values, int32_t hertz = 44100, bool loop = false) {
        samples.push_back(CreateMixerSample(int32_t(values.size()), 16, 1, hertz, values.data(), loop));
        return samples.back();
    }

    // One pass of 512 stereo frames, mixed 20 ms after the voices were added
    // (so they start at its first frame unless the clock says otherwise).
    std::vector<int16_t> Pass(int32_t millisecondsAfterStart = 20) {
        int32_t added = fakeNow;
        fakeNow = added + millisecondsAfterStart;
        std::vector<int16_t> out(1024);
        voices->mix16(out.data(), 0);
        fakeNow = added;
        return out;
    }

    static std::vector<int16_t> Ramp(int n, int16_t start, int16_t step) {
        std::vector<int16_t> values(n);
        for (int i = 0; i < n; ++i) values[i] = int16_t(start + step * i);
        return values;
    }

    mixer* voices = nullptr;
    std::vector<MixerSample*> samples;
};
