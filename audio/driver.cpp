// The object layer: sounds and channels behind the current driver. The
// default driver plays nothing; the mixer driver forwards to the engine.
#include "audio/audio.h"
#include "audio/mixer.h"

namespace {

class MixerChannel : public SoundChannel {
public:
    explicit MixerChannel(int32_t handle) : handle(handle) {}
    void Halt() override { AudioHaltChannel(handle); }
    void Pause(bool paused) override { AudioPauseChannel(handle, paused); }
    void ApplyVolume(float volume) override { AudioSetVolume(handle, volume); }
    void ApplyPan(float pan) override { AudioSetPan(handle, pan); }
    void ApplyDepth(float depth) override { AudioSetDepth(handle, depth); }
    void ApplyRate(float rate) override { AudioSetRate(handle, rate); }
    bool IsActive() override { return AudioVoiceStatus(handle) > VOICE_STOPPED; }

    const int32_t handle;
};

class MixerSound : public TSound {
public:
    explicit MixerSound(MixerSample* sample) : sample(sample) {}
    ~MixerSound() override { FreeMixerSample(sample); }
    ChannelRef StartOn(const ChannelRef& channel) override { return Play(channel, false); }
    ChannelRef PrepareOn(const ChannelRef& channel) override { return Play(channel, true); }

private:
    ChannelRef Play(const ChannelRef& channel, bool paused) {
        auto* mixerChannel = dynamic_cast<MixerChannel*>(channel.get());
        if (channel && !mixerChannel) return nullptr;
        int32_t handle = mixerChannel ? mixerChannel->handle : 0;
        int32_t result = AudioPlay(sample, paused, handle);
        if (result == 0) return nullptr;
        if (!channel || result != handle) return std::make_shared<MixerChannel>(result);
        return channel;
    }

    MixerSample* sample;
};

class MixerAudioDriver : public AudioDriver {
public:
    SoundRef MakeSound(const PcmSample& pcm, int32_t flags) override {
        SampleRef converted;
        const PcmSample* sample = &pcm;
        // Big-endian data becomes little-endian first.
        if (pcm.format == SF_MONO16BE || pcm.format == SF_STEREO16BE) {
            converted = pcm.ToFormat(pcm.format == SF_MONO16BE ? SF_MONO16LE : SF_STEREO16LE);
            sample = converted.get();
        }
        int32_t format = sample->format >= 0 && sample->format <= 6 ? sample->format : 0;
        int32_t channels = ChannelsPerFormat[format];
        if (channels == 0) return nullptr;
        int32_t bits = BytesPerFrame[format] * 8 / channels;
        MixerSample* mixed = CreateMixerSample(sample->length, bits, channels, sample->hertz,
                                               sample->samples, flags != 0);
        return mixed ? std::make_shared<MixerSound>(mixed) : nullptr;
    }

    ChannelRef MakeChannel() override {
        int32_t handle = AudioTakeChannel();
        return handle ? std::make_shared<MixerChannel>(handle) : nullptr;
    }
};

std::unique_ptr<AudioDriver>& Driver() {
    static auto& driver = *new std::unique_ptr<AudioDriver>(std::make_unique<AudioDriver>());
    return driver;
}

}  // namespace

bool InitAudio() {
    if (AudioIsOpen()) return true;
    if (AudioOpen() != 0) return false;
    AddExitHandler(AudioClose);
    Driver() = std::make_unique<MixerAudioDriver>();
    return true;
}

AudioDriver& CurrentAudioDriver() {
    if (AudioIsOpen() && !dynamic_cast<MixerAudioDriver*>(Driver().get()))
        Driver() = std::make_unique<MixerAudioDriver>();
    return *Driver();
}

std::shared_ptr<TSound> TSound::LoadFrom(SampleRef sample, int32_t flags) {
    return sample ? CurrentAudioDriver().MakeSound(*sample, flags) : nullptr;
}

SoundRef LoadSoundFrom(const std::string& url, int32_t flags) {
    return TSound::LoadFrom(LoadPcmSample(url), flags);
}

ChannelRef StartSound(const SoundRef& sound, const ChannelRef& channel) {
    return sound ? sound->StartOn(channel) : nullptr;
}

ChannelRef PrepareSoundPaused(const SoundRef& sound, const ChannelRef& channel) {
    return sound ? sound->PrepareOn(channel) : nullptr;
}

ChannelRef ReserveChannel() { return CurrentAudioDriver().MakeChannel(); }

void HaltChannel(const ChannelRef& channel) {
    if (channel) channel->Halt();
}

bool IsChannelPlaying(const ChannelRef& channel) { return channel && channel->IsActive(); }

void ChannelSetVolume(const ChannelRef& channel, float volume) {
    if (channel) channel->ApplyVolume(volume);
}

void ChannelSetPan(const ChannelRef& channel, float pan) {
    if (channel) channel->ApplyPan(pan);
}

void ChannelSetDepth(const ChannelRef& channel, float depth) {
    if (channel) channel->ApplyDepth(depth);
}

void ChannelSetRate(const ChannelRef& channel, float rate) {
    if (channel) channel->ApplyRate(rate);
}

void ChannelPause(const ChannelRef& channel) {
    if (channel) channel->Pause(true);
}

void ChannelResume(const ChannelRef& channel) {
    if (channel) channel->Pause(false);
}
