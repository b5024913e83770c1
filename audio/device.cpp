#include "audio/device.h"

#include "system/system.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {
constexpr int32_t OutputHertz = 44100;
constexpr int32_t RestartTicks = 250;  // 1.25 s of 5 ms updates
}  // namespace

int32_t sdldevice::open() {
    voices = std::make_unique<mixer>(fragment);
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 1;
    SDL_AudioSpec wanted{};
    wanted.freq = OutputHertz;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = static_cast<Uint16>(fragment / 2);
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) return 1;
    voices->hertz = OutputHertz;
    voices->channels = 2;
    buffer = std::make_unique<int16_t[]>(static_cast<size_t>(fragment) * 2 * 10);
    restartCountdown = 0;
    latency = 6;
    written = 0;
    running = true;
    update();
    SDL_PauseAudioDevice(device, 0);
    startUpdates();
    return 0;
}

#ifdef __EMSCRIPTEN__
// A page has one thread: the browser calls the update between the game's frames.
void sdldevice::startUpdates() {
    updater = emscripten_set_interval([](void* device) { static_cast<sdldevice*>(device)->update(); }, 5, this);
}

void sdldevice::stopUpdates() {
    if (running.exchange(false)) emscripten_clear_interval(updater);
}
#else
void sdldevice::startUpdates() {
    updater = std::thread([this] { updateloop(); });
}

void sdldevice::stopUpdates() {
    if (running.exchange(false) && updater.joinable()) updater.join();
}
#endif

void sdldevice::close() {
    stopUpdates();
    if (voices) voices->releaseall();
    if (device) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
}

void sdldevice::updateloop() {
    auto next = std::chrono::steady_clock::now();
    while (running) {
        next += std::chrono::milliseconds(5);
        std::this_thread::sleep_until(next);
        update();
    }
}

void sdldevice::queue(const int16_t* samples, int32_t count) {
    if (SDL_QueueAudio(device, samples, static_cast<Uint32>(count) * 2) != 0) {
        std::puts("waveOutWrite error");
        std::fflush(stdout);
    }
}

void sdldevice::update() {
    if (!running) return;
    if (restartCountdown != 0) {
        if (--restartCountdown != 0) return;
        // Restart with the lead already queued as silence.
        std::memset(buffer.get(), 0, static_cast<size_t>(latency) * fragment * 2);
        queue(buffer.get(), latency * fragment);
        written = latency * fragment;
        SDL_PauseAudioDevice(device, 0);
    }
    int32_t queued = static_cast<int32_t>(SDL_GetQueuedAudioSize(device) / 2);
    int32_t played = written - queued;
    if (played != 0 && played + 2 * fragment > written) {
        // The mixer fell behind: pause, and come back with a longer lead.
        restartCountdown = RestartTicks;
        SDL_PauseAudioDevice(device, 1);
        SDL_ClearQueuedAudio(device);
        if (latency <= 9) latency += 2;
        written = 0;
        return;
    }
    while (written < played + latency * fragment) {
        voices->mix16(buffer.get(), 0);
        queue(buffer.get(), fragment);
        written += fragment;
    }
}
