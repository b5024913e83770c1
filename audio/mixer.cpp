#include "audio/mixer.h"

#include "system/system.h"

#include <algorithm>

namespace {

constexpr auto Relaxed = std::memory_order_relaxed;

struct Gains {
    int32_t left, right;
};

// Pan and depth always come from the target values.
Gains GainsFor(const sound& voice, int32_t volume) {
    int32_t left = volume, right = volume;
    int32_t pan = voice.targetPan.load(Relaxed);
    if (pan > 0) left = (volume * (4096 - pan)) >> 12;
    if (pan < 0) right = (volume * (4096 + pan)) >> 12;
    if (voice.targetDepth.load(Relaxed) < 0) right = -right;
    return {left, right};
}

struct Frame {
    int32_t left, right;
};

// The products in 64 bits: a 16-bit step of more than 32768 times a large
// fraction does not fit in 32.
int32_t Interpolate8(int32_t s0, int32_t s1, int32_t f) {
    return s0 * 256 - 32768 + static_cast<int32_t>((int64_t{s1 - s0} * f) >> 8);
}
int32_t Interpolate16(int32_t s0, int32_t s1, int32_t f) {
    return s0 + static_cast<int32_t>((int64_t{s1 - s0} * f) >> 16);
}

// The sample's value at a 32.32 position counted in interleaved samples.
Frame ReadFrame(const MixerSample& sample, int64_t position) {
    int64_t p = position >> 32;
    if (sample.channels == 1) {
        int32_t f = static_cast<int32_t>((position >> 16) & 0xFFFF);
        int32_t v;
        if (sample.bits == 8) {
            const uint8_t* s = sample.data.get();
            v = Interpolate8(s[p], s[p + 1], f);
        } else {
            const int16_t* s = reinterpret_cast<const int16_t*>(sample.data.get());
            v = Interpolate16(s[p], s[p + 1], f);
        }
        return {v, v};
    }
    int64_t i = p & ~int64_t{1};
    int32_t f = static_cast<int32_t>((position >> 17) & 0xFFFF);
    if (sample.bits == 8) {
        const uint8_t* s = sample.data.get();
        return {Interpolate8(s[i], s[i + 2], f), Interpolate8(s[i + 1], s[i + 3], f)};
    }
    const int16_t* s = reinterpret_cast<const int16_t*>(sample.data.get());
    return {Interpolate16(s[i], s[i + 2], f), Interpolate16(s[i + 1], s[i + 3], f)};
}

// After each advance: a one-shot that passes its end is done for this pass;
// a loop wraps.
bool PassedTheEnd(const sound& voice, int64_t& position, int64_t end) {
    while ((position >> 32) >= end) {
        if (!(voice.status.load(Relaxed) & VOICE_LOOPED)) return true;
        position -= end << 32;
    }
    return false;
}

}  // namespace

// ---- sound ---------------------------------------------------------------------

void sound::setrate(int32_t value) {
    targetRate = value;
    if (paused()) rate = value;
}

void sound::setvolume(int16_t value) {
    targetVolume = value;
    if (paused()) volume = value;
}

void sound::setpan(int16_t value) {
    targetPan = value;
    if (paused()) pan = value;
}

void sound::resetsettings() {
    rate = targetRate = 65536;
    volume = targetVolume = 4096;
    pan = targetPan = 0;
    depth = targetDepth = 0;
}

// ---- VoiceRing -----------------------------------------------------------------

bool VoiceRing::push(sound* voice) {
    uint32_t write = writeIndex.load(Relaxed);
    uint32_t next = (write + 1) % Size;
    if (next == readIndex.load(std::memory_order_acquire)) return false;
    entries[write] = voice;
    writeIndex.store(next, std::memory_order_release);
    return true;
}

sound* VoiceRing::pop() {
    uint32_t read = readIndex.load(Relaxed);
    if (read == writeIndex.load(std::memory_order_acquire)) return nullptr;
    sound* voice = entries[read];
    readIndex.store((read + 1) % Size, std::memory_order_release);
    return voice;
}

// ---- mixer ---------------------------------------------------------------------

mixer::mixer(int32_t fragment) : fragment(fragment), accumulator(fragment, 0), clock(MillisNow) {}

mixer::~mixer() {
    for (auto& record : records) ReleaseMixerSample(record->sample);
}

void mixer::mix16(int16_t* destination, int32_t count) {
    if (count == 0) count = fragment;
    if (holding.load(Relaxed)) {
        std::fill_n(destination, count, int16_t(0));
        return;
    }
    process(count);
    // (a * gain) >> 16 is a >> 4 exactly at gain 4096.
    int64_t gain = masterGain.load(Relaxed);
    for (int32_t i = 0; i < count; ++i) {
        int64_t scaled = (int64_t(accumulator[i]) * gain) >> 16;
        destination[i] = static_cast<int16_t>(std::clamp<int64_t>(scaled, -32768, 32767));
        accumulator[i] = 0;
    }
}

void mixer::takependingvoices() {
    int32_t now = clock();
    while (sound* voice = pending.pop()) {
        voice->next = voices;
        voices = voice;
        voice->startDelay = std::max(voice->startTime - now + 20, 0) * hertz / 1000;
    }
}

void mixer::process(int32_t count) {
    takependingvoices();
    sound* previous = nullptr;
    for (sound* voice = voices; voice;) {
        sound* next = voice->next;
        int32_t result = mixvoice(*voice, accumulator.data(), count);
        if (result == -1 && recycle.push(voice)) {
            // Unlinked and handed back; a full ring leaves it for the next pass.
            (previous ? previous->next : voices) = next;
            voice = next;
            continue;
        }
        if (result == 1) voice->status = voice->autoChannel.load(Relaxed) ? VOICE_FINISHED : VOICE_STOPPED;
        previous = voice;
        voice = next;
    }
}

int32_t mixer::mixvoice(sound& voice, int32_t* acc, int32_t count) {
    int32_t status = voice.status.load(Relaxed);
    if (status == VOICE_STOPPED) return 1;
    if (status & VOICE_PAUSED) return -2;
    if (status == VOICE_FINISHED) return -1;

    int32_t frames = count / 2;
    if (voice.startDelay != 0) {
        if (voice.startDelay >= frames) {
            voice.startDelay -= frames;
            return 0;
        }
        if (voice.startDelay > 0) {
            acc += 2 * voice.startDelay;
            frames -= voice.startDelay;
        }
        voice.startDelay = 0;
    }

    const MixerSample& sample = *voice.sample;
    int32_t oldRate = voice.rate, newRate = voice.targetRate;
    int32_t oldVolume = voice.volume, newVolume = voice.targetVolume;
    int64_t step = int64_t{oldRate} * sample.hertz / hertz;
    int64_t targetStep = int64_t{newRate} * sample.hertz / hertz;
    int64_t ch = sample.channels;
    int64_t end = ch * sample.length;
    int64_t position = voice.position;
    int32_t result = 0;

    if (oldVolume == newVolume && step == targetStep) {
        int64_t increment = (step * ch) << 16;
        if (oldVolume == 0) {
            position += frames * increment;
            result = PassedTheEnd(voice, position, end) ? 1 : 0;
        } else {
            Gains gains = GainsFor(voice, oldVolume);
            for (int32_t f = 0; f < frames; ++f) {
                Frame v = ReadFrame(sample, position);
                acc[2 * f] += (gains.left * v.left) >> 8;
                acc[2 * f + 1] += (gains.right * v.right) >> 8;
                position += increment;
                if (PassedTheEnd(voice, position, end)) {
                    result = 1;
                    break;
                }
            }
        }
    } else {
        // Spread the change of volume and rate over this pass.
        voice.volume = static_cast<int16_t>(newVolume);
        voice.rate = newRate;
        int32_t gain = oldVolume * 256;
        int32_t gainStep = frames ? (newVolume * 256 - oldVolume * 256) / frames : 0;
        int64_t increment = (step * ch) << 16;
        int64_t incrementStep = frames ? (((targetStep * ch) << 16) - increment) / frames : 0;
        for (int32_t f = 0; f < frames; ++f) {
            Gains gains = GainsFor(voice, gain / 256);
            Frame v = ReadFrame(sample, position);
            acc[2 * f] += (gains.left * v.left) >> 8;
            acc[2 * f + 1] += (gains.right * v.right) >> 8;
            position += increment;
            gain += gainStep;
            increment += incrementStep;
            if (PassedTheEnd(voice, position, end)) {
                result = 1;
                break;
            }
        }
    }
    voice.position = position;
    return result;
}

void mixer::retire(sound& voice) { recycle.push(&voice); }

void mixer::releaseall() {
    while (voices) {
        sound* next = voices->next;
        retire(*voices);
        voices = next;
    }
}

sound* mixer::getvoice(const sound* parent) {
    sound* voice = nullptr;
    if (!spare.empty()) {
        voice = spare.back();
        spare.pop_back();
    } else if ((voice = recycle.pop())) {
        if (reclaimed) reclaimed(*voice);
        ReleaseMixerSample(voice->sample);
        voice->sample = nullptr;
    } else {
        records.push_back(std::make_unique<sound>());
        voice = records.back().get();
        voice->owner = this;
    }
    voice->handle = 0;
    voice->inMixer = false;
    voice->next = nullptr;
    voice->status = VOICE_STOPPED;
    voice->autoChannel = 0;
    if (parent) {
        voice->rate = voice->targetRate = parent->targetRate.load(Relaxed);
        voice->volume = voice->targetVolume = parent->targetVolume.load(Relaxed);
        voice->pan = voice->targetPan = parent->targetPan.load(Relaxed);
        voice->depth = voice->targetDepth = parent->targetDepth.load(Relaxed);
    } else {
        voice->resetsettings();
    }
    return voice;
}

sound* mixer::addvoice(MixerSample* sample, const sound* parent, int32_t status) {
    if (!sample || sample->channels == 0 || hertz == 0) return nullptr;
    sound* voice = getvoice(parent);
    sample->references.fetch_add(1, Relaxed);
    voice->sample = sample;
    voice->status = status;
    voice->position = 0;
    voice->startTime = clock();
    if (!pending.push(voice)) {
        // No room in flight: the voice is dropped and its record kept.
        ReleaseMixerSample(sample);
        voice->sample = nullptr;
        spare.push_back(voice);
        return nullptr;
    }
    voice->inMixer = true;
    return voice;
}

void ReleaseMixerSample(MixerSample* sample) {
    if (sample && sample->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete sample;
}
