// Sound: PCM samples and the WAV reader, sounds and playback channels behind
// a replaceable driver, and the engine layer over the software mixer and the
// SDL output device. Without a device every call quietly does nothing.
#pragma once

#include "image/image.h"

#include <memory>
#include <string>

// ---- Samples ---------------------------------------------------------------------

enum SampleFormat : int32_t {
    SF_NONE = 0,
    SF_MONO8 = 1,
    SF_MONO16LE = 2,
    SF_MONO16BE = 3,
    SF_STEREO8 = 4,
    SF_STEREO16LE = 5,
    SF_STEREO16BE = 6,
};

extern const int32_t BytesPerFrame[7];
extern const int32_t ChannelsPerFormat[7];

class PcmSample;
using SampleRef = std::shared_ptr<PcmSample>;

class PcmSample : public TObject {
public:
    ~PcmSample() override;
    SampleRef Duplicate() const;
    SampleRef ToFormat(int32_t format) const;

    uint8_t* samples = nullptr;
    int32_t length = 0;  // frames
    int32_t hertz = 0;
    int32_t format = 0;
    int32_t capacity = 0;  // bytes owned; -1 when the data belongs to someone else
};

SampleRef CreatePcmSample(int32_t length, int32_t hertz, int32_t format);
SampleRef WrapPcmSample(void* samples, int32_t length, int32_t hertz, int32_t format);
// Raises "Unimplemented sample format conversion" for unknown formats.
void ConvertSampleFormat(const uint8_t* source, int32_t sourceFormat, uint8_t* target,
                         int32_t targetFormat, int32_t frames);

class SampleLoader {
public:
    virtual ~SampleLoader() = default;
    virtual SampleRef LoadSample(ByteStream& stream) = 0;
};

// The newest loader is tried first; the WAV reader is there from the start.
void RegisterSampleLoader(std::shared_ptr<SampleLoader> loader);
// Null when nothing opens or no loader accepts it; raises "Stream is not
// seekable" for a stream that cannot seek.
SampleRef LoadPcmSample(const std::string& url);
SampleRef LoadPcmSample(StreamRef stream);

// A "data" chunk claiming more than this is refused unread.
constexpr int32_t MaxWavDataBytes = 256 << 20;

class WavSampleLoader : public SampleLoader {
public:
    SampleRef LoadSample(ByteStream& stream) override;
};

// ---- Sounds, channels and the driver -----------------------------------------------

class SoundChannel : public TObject {
public:
    virtual void Halt() {}
    virtual void Pause(bool) {}
    virtual void ApplyVolume(float) {}
    virtual void ApplyPan(float) {}
    virtual void ApplyDepth(float) {}
    virtual void ApplyRate(float) {}
    virtual bool IsActive() { return false; }
};
using ChannelRef = std::shared_ptr<SoundChannel>;

class TSound : public TObject {
public:
    virtual ChannelRef StartOn(const ChannelRef&) { return std::make_shared<SoundChannel>(); }
    virtual ChannelRef PrepareOn(const ChannelRef&) { return std::make_shared<SoundChannel>(); }
    static std::shared_ptr<TSound> LoadFrom(SampleRef sample, int32_t flags);
};
using SoundRef = std::shared_ptr<TSound>;

class AudioDriver {
public:
    virtual ~AudioDriver() = default;
    virtual SoundRef MakeSound(const PcmSample&, int32_t) { return std::make_shared<TSound>(); }
    virtual ChannelRef MakeChannel() { return std::make_shared<SoundChannel>(); }
};

// Opens the output device once; when it opens, the mixer driver becomes
// current and the device closes at exit. False when the game stays silent.
bool InitAudio();
AudioDriver& CurrentAudioDriver();

// Any non-zero flags make the sound loop.
SoundRef LoadSoundFrom(const std::string& url, int32_t flags);
ChannelRef StartSound(const SoundRef& sound, const ChannelRef& channel);
ChannelRef PrepareSoundPaused(const SoundRef& sound, const ChannelRef& channel);
ChannelRef ReserveChannel();
void HaltChannel(const ChannelRef& channel);
bool IsChannelPlaying(const ChannelRef& channel);
void ChannelSetVolume(const ChannelRef& channel, float volume);
void ChannelSetPan(const ChannelRef& channel, float pan);
void ChannelSetDepth(const ChannelRef& channel, float depth);
void ChannelSetRate(const ChannelRef& channel, float rate);
void ChannelPause(const ChannelRef& channel);
void ChannelResume(const ChannelRef& channel);

// ---- The engine layer ---------------------------------------------------------------

struct MixerSample;
class mixer;

// 0 when the device opened, -1 otherwise.
int32_t AudioOpen();
void AudioClose();
bool AudioIsOpen();
// The open device's mixer, or null.
mixer* AudioMixer();
MixerSample* CreateMixerSample(int32_t length, int32_t bits, int32_t channels, int32_t hertz,
                               const void* data, bool loop);
void FreeMixerSample(MixerSample* sample);
int32_t AudioPlay(MixerSample* sample, bool paused, int32_t channelHandle);
int32_t AudioTakeChannel();
int32_t AudioVoiceStatus(int32_t handle);
void AudioHaltChannel(int32_t handle);
void AudioPauseChannel(int32_t handle, bool paused);
void AudioSetVolume(int32_t handle, float volume);
void AudioSetPan(int32_t handle, float pan);
void AudioSetDepth(int32_t handle, float depth);
void AudioSetRate(int32_t handle, float rate);
// The loudness of the whole mix, 0 to 1, applied after mixing: at 1 the
// output is exactly the mix.
void AudioSetMasterVolume(float volume);
// Held, nothing sounds and every voice waits where it is.
void AudioHoldVoices(bool held);

// Opens the engine over a mixer that the caller drives with mix16 instead of
// a device: for tests and benchmarks of the whole path without sound output.
void AudioOpenWithoutDevice(int32_t fragment);
