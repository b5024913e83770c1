// The game's own sounds through the real mixer at the loudest moment the game
// can make: both red-beam hums at full loudness, the warning drums of a red
// beam's two balls, a tick, a note at the fastest rate notes are played and
// both blue-beam sounds, each voice started on its loudest positive sample so
// that every peak lands on the same output frame.
#include "assets/assets.h"
#include "mixer_fixture.h"

#include <algorithm>
#include <cmath>

namespace {

struct Voice {
    const char* file;
    double rate;
};

const Voice LoudestMoment[] = {
    {"redbeam.wav", 1},   {"redbeam.wav", 1},   {"warning_drum.wav", 1}, {"warning_drum.wav", 1},
    {"tick.wav", 1},      {"fa.wav", 2},        {"beam_bound.wav", 1},   {"beam_touch.wav", 1},
};

class GameSounds : public MixerTest {
protected:
    // Each sound as the mixer holds it, and the frame of its loudest positive value.
    MixerSample* Load(const char* file, int64_t& loudestFrame) {
        SampleRef pcm = LoadPcmSample(std::string("incbin::snd\\") + file);
        EXPECT_NE(pcm, nullptr) << file;
        bool eightBit = pcm->format == SF_MONO8;
        int loudest = -1;
        for (int32_t i = 0; i < pcm->length; ++i) {
            int v = eightBit ? (pcm->samples[i] - 128) * 256 : reinterpret_cast<int16_t*>(pcm->samples)[i];
            if (v > loudest) loudest = v, loudestFrame = i;
        }
        samples.push_back(
            CreateMixerSample(pcm->length, eightBit ? 8 : 16, 1, pcm->hertz, pcm->samples, false));
        return samples.back();
    }
};

TEST_F(GameSounds, TheLoudestMomentStaysADecibelUnderFullScale) {
    RegisterGameSounds();
    for (const Voice& v : LoudestMoment) {
        int64_t loudestFrame = 0;
        sound* voice = voices->addvoice(Load(v.file, loudestFrame), nullptr, VOICE_ONCE);
        voice->rate = voice->targetRate = int32_t(v.rate * 65536);
        voice->position = loudestFrame << 32;
    }
    auto out = Pass();
    const int underFullScale = int(32767 * std::pow(10.0, -1 / 20.0));
    EXPECT_LE(*std::max_element(out.begin(), out.end()), underFullScale);
    EXPECT_GE(*std::min_element(out.begin(), out.end()), -underFullScale);
    // The peaks did meet: the first frame is most of the budget.
    EXPECT_GT(out[0], underFullScale * 3 / 4);
    EXPECT_EQ(out[0], out[1]);
}

}  // namespace
