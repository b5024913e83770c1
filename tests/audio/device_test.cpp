// The real output device through SDL's disk driver, which writes the mixed
// stream to a file as it plays.
#include "audio/audio.h"
#include "wav_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

class DiskDevice : public ::testing::Test {
protected:
    void SetUp() override {
        path = std::filesystem::temp_directory_path() /
               ("kelp_audio_" + std::to_string(::getpid()) + ".raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        InitSystemLayer();
        ASSERT_TRUE(InitAudio()) << "the disk audio driver did not open";
    }
    void TearDown() override {
        AudioClose();
        std::filesystem::remove(path);
    }

    std::vector<int16_t> Captured() {
        AudioClose();
        std::ifstream file(path, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::vector<int16_t> values(bytes.size() / 2);
        std::memcpy(values.data(), bytes.data(), values.size() * 2);
        return values;
    }

    std::filesystem::path path;
};

}  // namespace

TEST_F(DiskDevice, ASoundStartedThroughTheDriverIsInTheStream) {
    std::vector<int16_t> pattern(2000);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = int16_t((i * 37) % 20000 - 10000);
    WavSpec spec;
    spec.hertz = 44100;
    Bytes file = MakeWav(spec, Samples16(pattern));
    RegisterEmbeddedFile("snd\\pattern.wav", file.data(), int32_t(file.size()));
    SoundRef sound = LoadSoundFrom("incbin::snd\\pattern.wav", 0);
    ASSERT_NE(sound, nullptr);
    ChannelRef channel = StartSound(sound, nullptr);
    ASSERT_NE(channel, nullptr);
    EXPECT_TRUE(IsChannelPlaying(channel));
    SleepMillis(400);
    EXPECT_FALSE(IsChannelPlaying(channel));
    std::vector<int16_t> stream = Captured();
    ASSERT_GT(stream.size(), 4000u);
    auto start = std::find(stream.begin(), stream.end(), pattern[0]);
    ASSERT_NE(start, stream.end()) << "the sound never reached the device";
    size_t at = size_t(start - stream.begin());
    ASSERT_LT(at + 2 * pattern.size(), stream.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        ASSERT_EQ(stream[at + 2 * i], pattern[i]) << i;
        ASSERT_EQ(stream[at + 2 * i + 1], pattern[i]) << i;
    }
}

TEST_F(DiskDevice, VoicesStartAndStopFromTheMainThreadWhileTheMixerRuns) {
    std::vector<int16_t> tone(3000);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(i % 200 * 50 - 5000);
    SoundRef once = TSound::LoadFrom(WrapPcmSample(tone.data(), 3000, 22050, SF_MONO16LE), 0);
    SoundRef looped = TSound::LoadFrom(WrapPcmSample(tone.data(), 3000, 11025, SF_MONO16LE), 1);
    std::vector<ChannelRef> reserved;
    for (int i = 0; i < 8; ++i) reserved.push_back(ReserveChannel());
    int32_t start = MillisNow();
    for (int round = 0; MillisNow() - start < 1000; ++round) {
        ChannelRef channel = reserved[round % 8];
        StartSound(round % 3 ? once : looped, channel);
        ChannelSetVolume(channel, (round % 10) / 10.0f);
        ChannelSetRate(channel, 0.5f + (round % 4) * 0.5f);
        ChannelSetPan(channel, (round % 5 - 2) / 2.0f);
        if (round % 7 == 0) ChannelPause(channel);
        if (round % 11 == 0) ChannelResume(channel);
        if (round % 13 == 0) HaltChannel(channel);
        StartSound(once, nullptr);
        SleepMillis(1);
    }
    for (auto& channel : reserved) HaltChannel(channel);
    std::vector<int16_t> stream = Captured();
    EXPECT_GT(std::count_if(stream.begin(), stream.end(), [](int16_t v) { return v != 0; }), 1000);
}
