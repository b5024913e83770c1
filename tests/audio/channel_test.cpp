// Channels through the object layer, over the bare mixer.
#include "mixer_fixture.h"

namespace {

SoundRef SoundOf(const std::vector<int16_t>& values, int32_t flags = 0, int32_t hertz = 44100) {
    std::vector<int16_t> copy = values;
    return TSound::LoadFrom(WrapPcmSample(copy.data(), int32_t(copy.size()), hertz, SF_MONO16LE), flags);
}

}  // namespace

TEST_F(MixerTest, SettingsOnAFreshChannelApplyFromTheFirstFrame) {
    ChannelRef channel = ReserveChannel();
    ASSERT_NE(channel, nullptr);
    ChannelSetVolume(channel, 0.5f);
    StartSound(SoundOf(std::vector<int16_t>(600, 10000)), channel);
    auto out = Pass();
    EXPECT_EQ(out[0], 5000);
    EXPECT_EQ(out[1023], 5000);
}

TEST_F(MixerTest, ASecondStartOnAChannelStopsTheFirst) {
    ChannelRef channel = ReserveChannel();
    SoundRef low = SoundOf(std::vector<int16_t>(2000, 100));
    SoundRef high = SoundOf(std::vector<int16_t>(700, 3000));
    EXPECT_EQ(StartSound(low, channel), channel);
    EXPECT_EQ(StartSound(high, channel), channel);
    auto out = Pass();
    EXPECT_EQ(out[0], 3000);
    EXPECT_TRUE(IsChannelPlaying(channel));
    Pass();
    EXPECT_FALSE(IsChannelPlaying(channel));
    for (int i = 0; i < 5; ++i) Pass();
    // The displaced voice was reclaimed without releasing the channel.
    StartSound(low, channel);
    EXPECT_TRUE(IsChannelPlaying(channel));
    EXPECT_EQ(Pass()[0], 100);
}

TEST_F(MixerTest, APausedChannelStillCountsAsPlaying) {
    ChannelRef channel = StartSound(SoundOf(std::vector<int16_t>(5000, 1)), nullptr);
    ASSERT_NE(channel, nullptr);
    ChannelPause(channel);
    EXPECT_TRUE(IsChannelPlaying(channel));
    EXPECT_EQ(Pass()[0], 0);
    ChannelResume(channel);
    EXPECT_EQ(Pass()[0], 1);
    ChannelRef prepared = PrepareSoundPaused(SoundOf({9, 9, 9}), nullptr);
    EXPECT_TRUE(IsChannelPlaying(prepared));
    EXPECT_EQ(Pass()[0], 1);
}

TEST_F(MixerTest, NonZeroFlagsLoop) {
    ChannelRef channel = StartSound(SoundOf({1, 2, 3}, 1), nullptr);
    for (int i = 0; i < 4; ++i) Pass();
    EXPECT_TRUE(IsChannelPlaying(channel));
    HaltChannel(channel);
    Pass();
    EXPECT_FALSE(IsChannelPlaying(channel));
}

TEST_F(MixerTest, RateTwoPlaysTwiceAsFast) {
    auto values = Ramp(2000, 0, 7);
    ChannelRef channel = ReserveChannel();
    ChannelSetRate(channel, 2.0f);
    StartSound(SoundOf(values), channel);
    auto out = Pass();
    for (int f = 0; f < 512; f += 37) EXPECT_EQ(out[2 * f], values[2 * f]) << f;
}

TEST_F(MixerTest, TheFourThousandNinetySixthReservationIsNull) {
    std::vector<ChannelRef> channels;
    for (int i = 0; i < 4095; ++i) {
        channels.push_back(ReserveChannel());
        ASSERT_NE(channels.back(), nullptr) << i;
    }
    EXPECT_EQ(ReserveChannel(), nullptr);
    // Sounds still play without a channel of their own.
    EXPECT_EQ(StartSound(SoundOf({5, 5, 5}), nullptr), nullptr);
    EXPECT_EQ(Pass()[0], 5);
}

TEST_F(MixerTest, StaleHandlesNeverDisturbAnotherChannel) {
    int32_t handle = AudioTakeChannel();
    MixerSample* sample = Mono16(std::vector<int16_t>(3000, 1000));
    ASSERT_EQ(AudioPlay(sample, false, handle), handle);
    int32_t stale = handle + 4096;  // same slot, wrong generation
    AudioSetVolume(stale, 0.0f);
    AudioHaltChannel(stale);
    AudioPauseChannel(stale, true);
    EXPECT_EQ(AudioVoiceStatus(stale), 0);
    int32_t other = AudioPlay(sample, false, stale);
    EXPECT_NE(other, 0);
    EXPECT_NE(other & 0xFFF, handle & 0xFFF);
    EXPECT_EQ(AudioVoiceStatus(handle), VOICE_ONCE);
    EXPECT_EQ(Pass()[0], 2000);  // both play, at full volume
}

TEST_F(MixerTest, AHaltedChannelUsedAgainKeepsItsOwnSlot) {
    ChannelRef first = ReserveChannel();
    ChannelRef second = ReserveChannel();
    SoundRef tone = SoundOf(std::vector<int16_t>(3000, 10));
    StartSound(tone, first);
    StartSound(tone, second);
    HaltChannel(first);
    for (int i = 0; i < 3; ++i) Pass();  // the halted voice is recycled
    StartSound(tone, first);
    EXPECT_TRUE(IsChannelPlaying(second));
    EXPECT_EQ(Pass()[0], 20);
}

TEST(SilentAudio, WithoutADeviceEveryCallDoesNothingQuietly) {
    ASSERT_FALSE(AudioIsOpen());
    EXPECT_EQ(AudioOpen() == 0, AudioIsOpen());
    AudioClose();
    std::vector<int16_t> values(100, 1);
    SoundRef sound = TSound::LoadFrom(WrapPcmSample(values.data(), 100, 22050, SF_MONO16LE), 0);
    ASSERT_NE(sound, nullptr);
    ChannelRef channel = ReserveChannel();
    ASSERT_NE(channel, nullptr);
    ChannelSetVolume(channel, 0.3f);
    ChannelSetRate(channel, 1.5f);
    EXPECT_NE(StartSound(sound, channel), nullptr);
    EXPECT_FALSE(IsChannelPlaying(channel));
    EXPECT_EQ(AudioPlay(nullptr, false, 0), 0);
    EXPECT_EQ(AudioTakeChannel(), 0);
    EXPECT_EQ(CreateMixerSample(10, 16, 1, 44100, nullptr, false), nullptr);
}
