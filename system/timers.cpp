#include "system/system.h"
#include "system/internal.h"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

// Timers by serial, main thread only. A tick event names its timer by serial,
// so one that arrives after the timer is gone finds nothing and is dropped.
std::unordered_map<uint32_t, std::weak_ptr<TickTimer>>& LiveTimers() {
    static auto& timers = *new std::unordered_map<uint32_t, std::weak_ptr<TickTimer>>;
    return timers;
}

// What SDL's timer thread knows of a timer. Never changed once made, and never
// freed: the thread may still be reading one while the timer is removed.
struct PlatformTimer {
    uint32_t serial;
    float hertz;
};

// Runs on SDL's timer thread: it only posts the tick to the main thread, then
// sleeps until the next tick falls due.
Uint32 PostTick(Uint32, void* param) {
    const auto* timer = static_cast<const PlatformTimer*>(param);
    SDL_Event event{};
    event.type = kelp_system::TickEventType();
    event.user.code = static_cast<Sint32>(timer->serial);
    SDL_PushEvent(&event);
    return MillisToNextTick(timer->hertz, static_cast<int64_t>(SDL_GetTicks64()));
}

int32_t StartPeriodicCallback(float hertz, uint32_t serial) {
    if (!(hertz > 0) || 1000.0 / hertz < 1) return 0;
    static auto& made = *new std::vector<std::unique_ptr<PlatformTimer>>;
    made.push_back(std::make_unique<PlatformTimer>(PlatformTimer{serial, hertz}));
    return SDL_AddTimer(MillisToNextTick(hertz, static_cast<int64_t>(SDL_GetTicks64())), PostTick,
                        made.back().get());
}

// The platform's timers end with the process; stopping them at the end also
// releases the timers that only kept themselves alive.
void StopAllTimersAtExit() {
    static const bool registered = [] {
        AddExitHandler([] {
            std::vector<TickTimerRef> running;
            for (auto& [serial, weak] : LiveTimers())
                if (auto timer = weak.lock()) running.push_back(timer);
            for (auto& timer : running) StopTickTimer(timer);
        });
        return true;
    }();
    (void)registered;
}

}  // namespace

namespace kelp_system {

uint32_t TickEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}

void FireTickTimer(uint32_t serial) {
    auto found = LiveTimers().find(serial);
    if (found == LiveTimers().end()) return;
    TickTimerRef timer = found->second.lock();
    if (!timer) return;
    // Counted by the clock, not by events: a late thread or a slow pump loses
    // none. Each tick still counts one and is told as its own event, so ticks
    // that waited in the queue arrive numbered 1, 2, 3, ...
    auto due = static_cast<int32_t>(TickIndexAt(timer->hertz, static_cast<int64_t>(SDL_GetTicks64())) -
                                    timer->firstTickIndex);
    while (timer->ticks < due) {
        ++timer->ticks;
        if (timer->tickEvent)
            RunHooks(EmitEventHookId(), timer->tickEvent);
        else
            EmitInputEvent(TimerTick, timer, timer->ticks, 0, 0, 0, nullptr);
    }
}

}  // namespace kelp_system

int64_t TickIndexAt(float hertz, int64_t millis) {
    return static_cast<int64_t>(std::floor(static_cast<double>(millis) * hertz / 1000.0));
}

uint32_t MillisToNextTick(float hertz, int64_t millis) {
    int64_t next = TickIndexAt(hertz, millis) + 1;
    auto due = static_cast<int64_t>(std::ceil(static_cast<double>(next) * 1000.0 / hertz));
    if (TickIndexAt(hertz, due) < next) ++due;  // rounding must not land just short of it
    return static_cast<uint32_t>(std::max<int64_t>(due - millis, 1));
}

int32_t MillisNow() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

void SleepMillis(int32_t ms) {
    if (ms < 0) return;
#ifdef __EMSCRIPTEN__
    SDL_Delay(static_cast<Uint32>(ms));  // hands the page back to the browser meanwhile
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

TickTimer::~TickTimer() {
    if (platformTimerId != 0) SDL_RemoveTimer(platformTimerId);
    LiveTimers().erase(serial);
}

TickTimerRef CreateTickTimer(float hertz, EventRef tickEvent) {
    static uint32_t lastSerial = 0;
    auto timer = std::make_shared<TickTimer>();
    timer->serial = ++lastSerial;
    timer->selfReference = timer;
    timer->tickEvent = std::move(tickEvent);
    timer->hertz = hertz;
    timer->firstTickIndex = hertz > 0 ? TickIndexAt(hertz, static_cast<int64_t>(SDL_GetTicks64())) : 0;
    LiveTimers()[timer->serial] = timer;
    timer->platformTimerId = StartPeriodicCallback(hertz, timer->serial);
    // A timer the platform refused can never be stopped, so it must not keep
    // itself alive.
    if (timer->platformTimerId == 0) timer->selfReference = nullptr;
    StopAllTimersAtExit();
    return timer;
}

// The timer thread's wake-up can be lost: another thread of the program (the
// software renderer) may read it off the display connection before SDL's
// wait sees it. So the wait never outlasts the next tick, which the clock
// counts whether or not its event came.
int32_t WaitTickTimer(const TickTimerRef& timer) {
    int32_t d = 0;
    do {
        bool clocked = timer->platformTimerId != 0;
        WaitAndPumpMessages(clocked ? int32_t(MillisToNextTick(timer->hertz, int64_t(SDL_GetTicks64()))) : -1);
        if (clocked) kelp_system::FireTickTimer(timer->serial);
        d = timer->ticks - timer->lastWaitTicks;
    } while (d == 0);
    timer->lastWaitTicks += d;
    return d;
}

int32_t TakeTickTimerTicks(const TickTimerRef& timer) {
    PumpMessages();
    if (timer->platformTimerId != 0) kelp_system::FireTickTimer(timer->serial);
    int32_t d = timer->ticks - timer->lastWaitTicks;
    timer->lastWaitTicks += d;
    return d;
}

int32_t TickTimerTicks(const TickTimerRef& timer) { return timer->ticks; }

void StopTickTimer(const TickTimerRef& timer) {
    if (timer->platformTimerId == 0) return;
    SDL_RemoveTimer(timer->platformTimerId);
    timer->platformTimerId = 0;
    timer->tickEvent = nullptr;
    timer->selfReference = nullptr;
}
