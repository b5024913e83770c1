#include "mixer_fixture.h"

#include <algorithm>
#include <cmath>

TEST_F(MixerTest, AFullVolumeVoiceReproducesItsSamplesInBothChannels) {
    auto values = Ramp(600, -15000, 50);
    voices->addvoice(Mono16(values), nullptr, VOICE_ONCE);
    auto out = Pass();
    for (int f = 0; f < 512; ++f) {
        ASSERT_EQ(out[2 * f], values[f]) << f;
        ASSERT_EQ(out[2 * f + 1], values[f]) << f;
    }
}

TEST_F(MixerTest, AHalfRateVoiceInterpolatesHalfwayRoundingDown) {
    std::vector<int16_t> values = {0, 101, -50, 7, 1000, -1000};
    voices->addvoice(Mono16(values, 22050), nullptr, VOICE_ONCE);
    auto out = Pass();
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(out[4 * k], values[k]);
        int expected = values[k] + (((values[k + 1] - values[k]) * 32768) >> 16);
        EXPECT_EQ(out[4 * k + 2], expected) << k;
    }
    EXPECT_EQ(out[2], 50);   // 101 / 2
    EXPECT_EQ(out[6], 25);   // halfway from 101 to -50, rounded down
}

TEST_F(MixerTest, AVolumeChangeRampsLinearlyOverOnePass) {
    sound* voice = voices->addvoice(Mono16(std::vector<int16_t>(5000, 16000)), nullptr, VOICE_ONCE);
    Pass();
    voice->setvolume(0);
    auto out = Pass();
    EXPECT_EQ(out[0], 16000);
    for (int f = 1; f < 512; ++f) ASSERT_LT(out[2 * f], out[2 * f - 2]) << f;
    EXPECT_NEAR(out[2 * 256], 8000, 40);
    EXPECT_LT(out[2 * 511], 64);
    auto after = Pass();
    for (int16_t v : after) ASSERT_EQ(v, 0);
}

TEST_F(MixerTest, LoudVoicesSaturateInsteadOfWrapping) {
    std::vector<int16_t> values = {30000, -30000, 30000, -30000};
    voices->addvoice(Mono16(values), nullptr, VOICE_LOOPED);
    voices->addvoice(Mono16(values), nullptr, VOICE_LOOPED);
    auto out = Pass();
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[2], -32768);
    EXPECT_EQ(out[3], -32768);
}

TEST_F(MixerTest, AOneShotEndingMidPassFallsSilentAndItsChannelIsRecycled) {
    auto values = Ramp(100, 100, 3);
    int32_t handle = AudioPlay(Mono16(values), false, 0);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(AudioVoiceStatus(handle), VOICE_ONCE);
    auto out = Pass();
    EXPECT_EQ(out[2 * 99], values[99]);
    for (int f = 100; f < 512; ++f) ASSERT_EQ(out[2 * f], 0) << f;
    EXPECT_EQ(AudioVoiceStatus(handle), VOICE_FINISHED);
    Pass();  // the finished voice goes back to the main thread
    AudioPlay(Mono16(values), false, 0);  // reuses the record, releasing its slot
    EXPECT_EQ(AudioVoiceStatus(handle), 0);
    int32_t again = AudioTakeChannel();
    EXPECT_EQ(again & 0xFFF, handle & 0xFFF);  // the same slot, a new generation
    EXPECT_NE(again, handle);
}

TEST_F(MixerTest, PanOneSilencesTheLeft) {
    sound* voice = voices->addvoice(Mono16(std::vector<int16_t>(600, 1000)), nullptr, VOICE_ONCE);
    voice->setpan(4096);
    auto out = Pass();
    EXPECT_EQ(out[10], 0);
    EXPECT_EQ(out[11], 1000);
    voice->setdepth(-1);
    out = Pass();
    EXPECT_EQ(out[11], -1000);
}

TEST_F(MixerTest, LoopingVoicesWrapAround) {
    auto values = Ramp(100, -500, 10);
    voices->addvoice(Mono16(values, 44100, true), nullptr, VOICE_LOOPED);
    auto out = Pass();
    EXPECT_EQ(out[2 * 99], values[99]);
    EXPECT_EQ(out[2 * 100], values[0]);
    EXPECT_EQ(out[2 * 511], values[511 % 100]);
}

TEST_F(MixerTest, PausedVoicesNeitherAdvanceNorSound) {
    auto values = Ramp(600, 1, 1);
    sound* voice = voices->addvoice(Mono16(values), nullptr, VOICE_ONCE | VOICE_PAUSED);
    auto out = Pass();
    for (int16_t v : out) ASSERT_EQ(v, 0);
    voice->status = VOICE_ONCE;
    out = Pass();
    EXPECT_EQ(out[0], values[0]);
    EXPECT_EQ(out[2 * 300], values[300]);
}

TEST_F(MixerTest, TheStartDelayPlacesAVoiceInsideThePass) {
    auto values = Ramp(600, 500, 1);
    voices->addvoice(Mono16(values), nullptr, VOICE_ONCE);
    auto out = Pass(10);  // 10 ms early: starts 441 frames into the pass
    EXPECT_EQ(out[2 * 440], 0);
    EXPECT_EQ(out[2 * 441], values[0]);
    EXPECT_EQ(out[2 * 511], values[70]);
}

TEST_F(MixerTest, AFullPendingRingDropsTheNewestVoiceAndKeepsItsRecord) {
    MixerSample* sample = Mono16({1, 2, 3});
    int accepted = 0;
    while (voices->addvoice(sample, nullptr, VOICE_ONCE)) ++accepted;
    EXPECT_EQ(accepted, 4095);
    EXPECT_EQ(sample->references.load(), 1 + 4095);
    Pass();
    EXPECT_NE(voices->addvoice(sample, nullptr, VOICE_ONCE), nullptr);
}

// Full-scale square waves played at rates that land between their samples:
// every output is the straight line between its two neighbours, rounded down,
// in 8 and 16 bits, mono and stereo. Neighbours 65535 apart once wrapped.
TEST_F(MixerTest, InterpolatingBetweenFullScaleNeighboursNeverWraps) {
    for (int bits : {8, 16})
        for (int channels : {1, 2})
            for (double rate : {1.5, 2.37, 0.61, 1.999}) {
                const int frames = 400;
                const int high = bits == 8 ? 32512 : 32767, low = -32768;  // on the 16-bit scale
                std::vector<int> values(frames * channels);
                for (int i = 0; i < frames; ++i)
                    for (int c = 0; c < channels; ++c) values[i * channels + c] = (i + c) % 2 ? low : high;
                std::vector<uint8_t> bytes;
                std::vector<int16_t> words;
                for (int v : values) bytes.push_back(uint8_t((v + 32768) >> 8)), words.push_back(int16_t(v));
                const void* data = bits == 8 ? static_cast<const void*>(bytes.data()) : words.data();
                samples.push_back(CreateMixerSample(frames, bits, channels, 22050, data, true));
                sound* voice = voices->addvoice(samples.back(), nullptr, VOICE_LOOPED);
                auto rate16 = int32_t(rate * 65536);
                voice->rate = voice->targetRate = rate16;
                auto out = Pass();
                int64_t step = int64_t{rate16} * 22050 / 44100;  // frames of the sample per output frame, 16.16
                for (int k = 0; k < 512; ++k) {
                    int64_t at = k * step;
                    int64_t p = (at >> 16) % frames, next = (p + 1) % frames;
                    double fraction = double(at & 0xFFFF) / 65536;
                    for (int c = 0; c < channels; ++c) {
                        double a = values[p * channels + c], b = values[next * channels + c];
                        auto expected = int(std::floor(a + (b - a) * fraction));
                        ASSERT_EQ(out[2 * k + c], expected) << bits << "-bit, " << channels << " channel(s), rate "
                                                            << rate << ", frame " << k;
                    }
                }
                voice->status = VOICE_STOPPED;
                Pass();
            }
}

TEST_F(MixerTest, TheMasterVolumeScalesTheMixAfterMixingAndAtFullLeavesItExact) {
    auto values = Ramp(2000, -30000, 31);
    voices->addvoice(Mono16(values), nullptr, VOICE_ONCE);
    voices->addvoice(Mono16(values), nullptr, VOICE_ONCE);
    AudioSetMasterVolume(1);
    auto full = Pass();
    for (int f = 0; f < 512; ++f) ASSERT_EQ(full[2 * f], std::clamp(2 * values[f], -32768, 32767)) << f;
    AudioSetMasterVolume(0.25f);
    auto quarter = Pass();
    for (int f = 0; f < 512; ++f) {
        int mixed = 2 * values[512 + f];  // saturates only after the gain
        ASSERT_NEAR(quarter[2 * f], mixed / 4.0, 1) << f;
    }
    AudioSetMasterVolume(0);
    for (int16_t v : Pass()) ASSERT_EQ(v, 0);
}

TEST_F(MixerTest, AHeldMixerIsSilentAndItsVoicesWaitWhereTheyAre) {
    auto values = Ramp(1500, 1, 1);
    voices->addvoice(Mono16(values), nullptr, VOICE_ONCE);
    Pass();
    AudioHoldVoices(true);
    for (int16_t v : Pass()) ASSERT_EQ(v, 0);
    AudioHoldVoices(false);
    auto out = Pass();
    EXPECT_EQ(out[0], values[512]);
    EXPECT_EQ(out[2 * 100], values[612]);
}
