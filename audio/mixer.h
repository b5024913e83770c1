// The integer software mixer: voices of reference-counted samples, mixed in
// 16.16 / 4.12 / 32.32 fixed point into 16-bit stereo. The main thread hands
// voices over and takes them back through two lock-free rings; the mixing
// thread allocates nothing and takes no lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// A sample ready for mixing, with one guard frame after the last: a copy of
// the first frame when it loops, of the last otherwise.
struct MixerSample {
    int32_t hertz = 0;
    int32_t channels = 0;  // 1 or 2
    int32_t bits = 0;      // 8 or 16
    int32_t length = 0;    // frames
    int32_t bytesPerFrame = 0;
    int32_t dataSize = 0;
    bool loop = false;
    std::atomic<int32_t> references{1};
    std::unique_ptr<uint8_t[]> data;
    int32_t written = 0;
};

// Voice status values; the paused bit is added to a playing status.
enum VoiceStatus : int32_t {
    VOICE_FINISHED = 0,
    VOICE_STOPPED = 1,
    VOICE_ONCE = 2,
    VOICE_LOOPED = 4,
    VOICE_PAUSED = 0x10,
};

class output {
public:
    virtual ~output() = default;
    virtual void setrate(int32_t rate) = 0;
    virtual void setvolume(int16_t volume) = 0;
    virtual void setpan(int16_t pan) = 0;
    virtual void setdepth(int16_t depth) = 0;
    virtual int32_t getrate(bool target) const = 0;
    virtual int16_t getvolume(bool target) const = 0;
    virtual int16_t getpan(bool target) const = 0;
    virtual int16_t getdepth(bool target) const = 0;
};

class mixer;

// One voice. Fields the main thread changes while the voice plays are single
// atomic words; the rest belong to whichever thread holds the record.
class sound : public output {
public:
    void setrate(int32_t value) override;
    void setvolume(int16_t value) override;
    void setpan(int16_t value) override;
    void setdepth(int16_t value) override { targetDepth = value; }
    int32_t getrate(bool target) const override { return target ? targetRate : rate; }
    int16_t getvolume(bool target) const override { return target ? targetVolume : volume; }
    int16_t getpan(bool target) const override { return target ? targetPan : pan; }
    int16_t getdepth(bool target) const override { return target ? targetDepth : depth; }
    bool paused() const { return status & VOICE_PAUSED; }
    void resetsettings();

    mixer* owner = nullptr;
    std::atomic<int32_t> status{VOICE_STOPPED};
    int32_t handle = 0;
    std::atomic<int32_t> autoChannel{0};
    sound* next = nullptr;
    MixerSample* sample = nullptr;
    int64_t position = 0;
    std::atomic<int32_t> rate{65536}, targetRate{65536};
    std::atomic<int16_t> volume{4096}, targetVolume{4096};
    std::atomic<int16_t> pan{0}, targetPan{0};
    std::atomic<int16_t> depth{0}, targetDepth{0};
    int32_t startTime = 0;
    int32_t startDelay = 0;
    bool inMixer = false;  // main thread: handed to the mixer since last reuse
};

// Single producer, single consumer; a full ring refuses the entry.
class VoiceRing {
public:
    bool push(sound* voice);
    sound* pop();

private:
    static constexpr uint32_t Size = 4096;
    std::array<sound*, Size> entries{};
    std::atomic<uint32_t> readIndex{0}, writeIndex{0};
};

class mixer : public output {
public:
    explicit mixer(int32_t fragment);
    ~mixer() override;

    void setrate(int32_t) override {}
    void setvolume(int16_t) override {}
    void setpan(int16_t) override {}
    void setdepth(int16_t) override {}
    int32_t getrate(bool) const override { return 65536; }
    int16_t getvolume(bool) const override { return 4096; }
    int16_t getpan(bool) const override { return 0; }
    int16_t getdepth(bool) const override { return 0; }

    // Mixing thread.
    void mix16(int16_t* destination, int32_t count);
    void process(int32_t count);
    int32_t mixvoice(sound& voice, int32_t* acc, int32_t count);
    void retire(sound& voice);
    void releaseall();

    // Main thread. A recycled record keeps its old handle for the caller to
    // release; addvoice gives null when the sample cannot play or the pending
    // ring is full (the record is then kept for the next voice).
    sound* getvoice(const sound* parent);
    sound* addvoice(MixerSample* sample, const sound* parent, int32_t status);
    // Takes back a record that getvoice gave out but the mixer never saw.
    void reclaimidle(sound* voice) { spare.push_back(voice); }

    // Everything mixed, scaled by gain / 4096 after mixing; 4096 leaves the
    // mix exactly as it is.
    void setmastergain(int32_t gain) { masterGain.store(gain, std::memory_order_relaxed); }
    // Held, the mixer sounds nothing and every voice stays where it is.
    void hold(bool held) { holding.store(held, std::memory_order_relaxed); }

    // The millisecond clock that places new voices in a pass.
    void setclock(int32_t (*now)()) { clock = now; }
    // Called on the main thread for a retired record about to be reused,
    // while it still holds its old channel handle.
    void (*reclaimed)(sound& voice) = nullptr;

    int32_t fragment;
    int32_t hertz = 0;
    int32_t channels = 0;

private:
    void takependingvoices();

    std::vector<int32_t> accumulator;
    sound* voices = nullptr;
    VoiceRing pending;
    VoiceRing recycle;
    std::vector<sound*> spare;                    // main thread
    std::vector<std::unique_ptr<sound>> records;  // main thread; every record ever made
    int32_t (*clock)();
    std::atomic<int32_t> masterGain{4096};
    std::atomic<bool> holding{false};
};

// Drops one reference; the sample is freed at none.
void ReleaseMixerSample(MixerSample* sample);
