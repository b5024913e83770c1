// The engine layer: mixer samples, the channel table of 4096 slots with
// generations, and the handles that name voices. Main thread only.
#include "audio/audio.h"
#include "audio/device.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int32_t Slots = 4096;
constexpr int32_t SlotMask = 0xFFF;

struct ChannelTable {
    std::array<sound*, Slots> voice{};
    std::array<int32_t, Slots> nextFree{};
    std::array<int32_t, Slots> generation{};

    ChannelTable() {
        for (int32_t i = 0; i < Slots; ++i) nextFree[i] = i + 1;
        nextFree[Slots - 1] = 0;
        generation.fill(Slots);
    }
    bool InUse(int32_t slot) const { return nextFree[slot] == 0; }
    void Free(int32_t slot) {
        voice[slot] = nullptr;
        nextFree[slot] = nextFree[0];
        nextFree[0] = slot;
    }
};

struct Engine {
    std::unique_ptr<sdldevice> device;
    std::unique_ptr<mixer> bareMixer;  // a mixer without a device
    std::unique_ptr<ChannelTable> channels;
    mixer* voices = nullptr;
};

Engine& State() {
    static auto& engine = *new Engine;
    return engine;
}

bool Open() { return State().voices != nullptr; }

void Stop(sound& voice) {
    int32_t status = voice.status;
    while (status != VOICE_FINISHED &&
           !voice.status.compare_exchange_weak(status, VOICE_STOPPED)) {
    }
}

// A record coming back for reuse gives up its slot only if the slot is still
// its own: a newer voice on the same channel is never disturbed.
void ReleaseSlotOf(sound& voice) {
    if (voice.handle == 0) return;
    ChannelTable& table = *State().channels;
    int32_t slot = voice.handle & SlotMask;
    if (table.InUse(slot) && table.generation[slot] == (voice.handle & ~SlotMask) &&
        table.voice[slot] == &voice)
        table.Free(slot);
}

// Takes a displaced voice off its channel for good; a voice the mixer never
// saw goes straight back for reuse.
void Displace(sound& voice) {
    voice.handle = 0;
    voice.autoChannel = 1;
    Stop(voice);
}

sound* LookupVoice(int32_t handle) {
    if (handle == 0 || !Open()) return nullptr;
    ChannelTable& table = *State().channels;
    int32_t slot = handle & SlotMask;
    if ((handle & ~SlotMask) != table.generation[slot] || !table.InUse(slot)) return nullptr;
    if (!table.voice[slot]) {
        // An idle voice, so settings made before anything plays carry over.
        sound* idle = State().voices->getvoice(nullptr);
        idle->handle = handle;
        table.voice[slot] = idle;
    }
    return table.voice[slot];
}

int16_t Fixed412(float value) { return static_cast<int16_t>(TruncToInt(value * 4096.0f)); }

void OpenEngine(mixer* voices) {
    State().voices = voices;
    State().channels = std::make_unique<ChannelTable>();
    voices->reclaimed = [](sound& voice) { ReleaseSlotOf(voice); };
}

}  // namespace

int32_t AudioOpen() {
    if (Open()) return 0;
    auto device = std::make_unique<sdldevice>();
    if (device->open() != 0) {
        device->close();
        return -1;
    }
    OpenEngine(device->voices.get());
    State().device = std::move(device);
    return 0;
}

void AudioOpenWithoutDevice(int32_t fragment) {
    if (Open()) return;
    State().bareMixer = std::make_unique<mixer>(fragment);
    State().bareMixer->hertz = 44100;
    State().bareMixer->channels = 2;
    OpenEngine(State().bareMixer.get());
}

void AudioClose() {
    Engine& engine = State();
    if (engine.device) engine.device->close();
    engine.voices = nullptr;
    engine.channels.reset();
    engine.device.reset();
    engine.bareMixer.reset();
}

bool AudioIsOpen() { return Open(); }
mixer* AudioMixer() { return State().voices; }

MixerSample* CreateMixerSample(int32_t length, int32_t bits, int32_t channels, int32_t hertz,
                               const void* data, bool loop) {
    if (!Open() || length < 0 || (bits != 8 && bits != 16) || (channels != 1 && channels != 2))
        return nullptr;
    auto* sample = new MixerSample;
    sample->hertz = hertz;
    sample->channels = channels;
    sample->bits = bits;
    sample->length = length;
    sample->bytesPerFrame = channels * bits / 8;
    sample->dataSize = length * sample->bytesPerFrame;
    sample->data = std::make_unique<uint8_t[]>(static_cast<size_t>(sample->dataSize) + sample->bytesPerFrame);
    if (data && length > 0) {
        std::memcpy(sample->data.get(), data, static_cast<size_t>(sample->dataSize));
        sample->written = length;
    }
    sample->loop = loop;
    int32_t guardSource = loop || length == 0 ? 0 : (length - 1) * sample->bytesPerFrame;
    std::memcpy(sample->data.get() + sample->dataSize, sample->data.get() + guardSource,
                static_cast<size_t>(sample->bytesPerFrame));
    return sample;
}

void FreeMixerSample(MixerSample* sample) { ReleaseMixerSample(sample); }

int32_t AudioTakeChannel() {
    if (!Open()) return 0;
    ChannelTable& table = *State().channels;
    int32_t slot = table.nextFree[0];
    if (slot == 0) return 0;
    table.nextFree[0] = table.nextFree[slot];
    table.nextFree[slot] = 0;
    table.generation[slot] += Slots;
    return slot | table.generation[slot];
}

int32_t AudioPlay(MixerSample* sample, bool paused, int32_t handle) {
    if (!Open() || !sample) return 0;
    sound* parent = LookupVoice(handle);
    bool ownChannel = handle == 0 || !parent;  // a stale handle plays as if none was given
    int32_t result = ownChannel ? AudioTakeChannel() : handle;
    int32_t status = (sample->loop ? VOICE_LOOPED : VOICE_ONCE) | (paused ? VOICE_PAUSED : 0);
    sound* voice = State().voices->addvoice(sample, ownChannel ? nullptr : parent, status);
    if (!voice) {
        if (ownChannel && result) State().channels->Free(result & SlotMask);
        return 0;
    }
    if (result != 0) {
        ChannelTable& table = *State().channels;
        int32_t slot = result & SlotMask;
        if (sound* previous = table.voice[slot]) {
            bool idle = !previous->inMixer;
            Displace(*previous);
            if (idle) State().voices->reclaimidle(previous);
        }
        table.voice[slot] = voice;
    }
    voice->handle = result;
    voice->autoChannel = ownChannel ? 1 : 0;
    return result;
}

int32_t AudioVoiceStatus(int32_t handle) {
    sound* voice = LookupVoice(handle);
    return voice ? voice->status.load() : 0;
}

void AudioHaltChannel(int32_t handle) {
    if (sound* voice = LookupVoice(handle)) {
        voice->autoChannel = 1;
        Stop(*voice);
    }
}

void AudioPauseChannel(int32_t handle, bool paused) {
    sound* voice = LookupVoice(handle);
    if (!voice) return;
    // A finished voice stays finished, so the mixer still recycles it.
    int32_t status = voice->status;
    int32_t wanted;
    do {
        if (status == VOICE_FINISHED) return;
        wanted = paused ? status | VOICE_PAUSED : status & ~VOICE_PAUSED;
    } while (!voice->status.compare_exchange_weak(status, wanted));
}

void AudioSetVolume(int32_t handle, float volume) {
    if (sound* voice = LookupVoice(handle)) voice->setvolume(Fixed412(volume));
}

void AudioSetPan(int32_t handle, float pan) {
    if (sound* voice = LookupVoice(handle)) voice->setpan(Fixed412(pan));
}

void AudioSetDepth(int32_t handle, float depth) {
    if (sound* voice = LookupVoice(handle)) voice->setdepth(Fixed412(depth));
}

void AudioSetRate(int32_t handle, float rate) {
    if (sound* voice = LookupVoice(handle)) voice->setrate(TruncToInt(rate * 65536.0));
}

void AudioSetMasterVolume(float volume) {
    if (Open()) State().voices->setmastergain(TruncToInt(std::clamp(volume, 0.0f, 1.0f) * 4096 + 0.5f));
}

void AudioHoldVoices(bool held) {
    if (Open()) State().voices->hold(held);
}
