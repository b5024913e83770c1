// The output device: 44100 Hz 16-bit stereo through an SDL audio queue, kept
// a few fragments ahead of playback by a 5 ms update thread that runs the mixer.
#pragma once

#include "audio/mixer.h"

#include <SDL.h>

#include <atomic>
#include <memory>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten/eventloop.h>
#endif

class audiodevice {
public:
    virtual ~audiodevice() = default;
    virtual int32_t open() = 0;  // 0, or non-zero when there is no device
    virtual void close() = 0;
};

class sdldevice : public audiodevice {
public:
    ~sdldevice() override { close(); }
    int32_t open() override;
    void close() override;
    void update();

    std::unique_ptr<mixer> voices;
    int32_t fragment = 1024;

private:
    void queue(const int16_t* samples, int32_t count);
    void updateloop();
    void startUpdates();
    void stopUpdates();

    SDL_AudioDeviceID device = 0;
#ifdef __EMSCRIPTEN__
    long updater = 0;  // the browser's interval timer
#else
    std::thread updater;
#endif
    std::atomic<bool> running{false};
    int32_t written = 0;  // samples queued since the last (re)start
    int32_t restartCountdown = 0;
    int32_t latency = 6;  // fragments kept ahead of playback
    std::unique_ptr<int16_t[]> buffer;
};
