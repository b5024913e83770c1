// The system layer: runtime errors and the end of the program, the message pump
// with input events and hooks, polled input, the clock and tick timers, and the
// global random-number generator. Everything except the timer callback runs on
// the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// ---- Shared objects ------------------------------------------------------

// Common base of the engine's shared, reference-counted objects.
class TObject {
public:
    virtual ~TObject() = default;
};
using ObjectRef = std::shared_ptr<TObject>;

// ---- Runtime errors and the end of the program ---------------------------

// A condition callers are not expected to handle; the message is fixed text.
class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void RaiseRuntimeError(const std::string& message);

// Handlers run last registered first, from EndProgram(), when main returns and
// after an uncaught runtime error. They may run after static destructors have
// begun, so module state they touch is allocated once and never destroyed.
void AddExitHandler(std::function<void()> handler);
[[noreturn]] void EndProgram();

// Once per run: SDL events and timers, fatal-signal routing, the uncaught-error
// handler. A second call does nothing.
void InitSystemLayer();

// From this call on, SIGTERM and SIGINT ask the program to end in order
// instead of ending it at once; StopSignalled tells whether one came. It
// starts nothing, so it can come first, before InitSystemLayer.
void CatchStopSignals();
bool StopSignalled();

// Every real-to-integer conversion of the program truncates toward zero.
inline int32_t TruncToInt(double value) { return static_cast<int32_t>(value); }

// ---- Input events and hooks ----------------------------------------------

enum EventId : int32_t {
    AppSuspend = 0x101,
    AppResume = 0x102,
    AppTerminate = 0x103,
    AppOpenFile = 0x104,
    KeyDown = 0x201,
    KeyUp = 0x202,
    KeyChar = 0x203,
    MouseDown = 0x401,
    MouseUp = 0x402,
    MouseMove = 0x403,
    MouseWheel = 0x404,
    MouseEnter = 0x405,
    MouseLeave = 0x406,
    TimerTick = 0x801,
};

// Modifier bits of TEvent::mods.
enum ModifierBit : int32_t { ModShift = 1, ModControl = 2, ModAlt = 4, ModWindows = 8 };

class TEvent : public TObject {
public:
    int32_t id = 0;
    ObjectRef source;
    int32_t data = 0;
    int32_t mods = 0;
    int32_t x = 0, y = 0;
    int32_t dx = 0, dy = 0;  // MouseMove: the motion since the last, even while captured
    ObjectRef extra;
};
using EventRef = std::shared_ptr<TEvent>;

// The event's text name ("KeyDown", "GadgetPaint", ...); empty for unknown ids.
std::string_view EventName(int32_t id);

using HookFunction = ObjectRef (*)(int32_t hookId, const ObjectRef& data, void* context);

// Raises "Too many hook ids" on the 256th allocation.
int32_t AllocateHookId();
int32_t EmitEventHookId();
void AddHook(int32_t hookId, HookFunction function, void* context, int32_t priority);
void RemoveHook(int32_t hookId, HookFunction function, void* context);
ObjectRef RunHooks(int32_t hookId, ObjectRef data);

void EmitInputEvent(int32_t id, ObjectRef source, int32_t data, int32_t mods, int32_t x, int32_t y,
                    ObjectRef extra);
int32_t CurrentModifierBits();

// Drains the SDL event queue into input events. Not re-entrant: a call from
// inside a pump returns at once.
void PumpMessages();
void WaitAndPumpMessages();

// Virtual-key code (1..255) of an SDL scancode, 0 for keys without one.
int32_t VirtualKeyOfScancode(int scancode);

void SetMousePos(int32_t x, int32_t y);
void ShowPointer();
void HidePointer();
// A captured pointer is hidden and held in the window; it moves nothing on
// the screen, and only its motion is reported.
void CapturePointer(bool captured);

const std::string& ApplicationTitle();
void SetApplicationTitle(std::string title);

// ---- Polled input ----------------------------------------------------------

int32_t IsKeyDown(int32_t key);
int32_t TakeKeyHits(int32_t key);
int32_t NextTypedChar();
int32_t IsMouseButtonDown(int32_t button);
int32_t TakeMouseHits(int32_t button);
int32_t MousePosX();
int32_t MousePosY();
int32_t MouseWheelPos();
// The pointer's motion summed since the last call, captured or not.
void TakeMouseMotion(int32_t& dx, int32_t& dy);
int32_t IsAppSuspended();
int32_t TakeTerminateRequest();

void ResetKeyboardState();
void ResetMouseState();
int32_t WaitForAnyKey();
int32_t WaitForTypedChar();
int32_t WaitForMouseButton();

// Counts only events from `source` when it is set, every event otherwise.
void EnablePolledInput(ObjectRef source);
void DisablePolledInput();

// ---- Clock and tick timers -----------------------------------------------

// Milliseconds of a monotonic clock; wraps like a 32-bit counter.
int32_t MillisNow();
void SleepMillis(int32_t ms);

// A timer at `hertz` ticks at every multiple of 1000 / hertz ms of its clock,
// the fraction carried, so its ticks never drift. The tick index at a time,
// and the milliseconds (at least 1) to wait from it for the next tick.
int64_t TickIndexAt(float hertz, int64_t millis);
uint32_t MillisToNextTick(float hertz, int64_t millis);

class TickTimer : public TObject {
public:
    ~TickTimer() override;

    int32_t ticks = 0;
    int32_t lastWaitTicks = 0;
    std::shared_ptr<TickTimer> selfReference;
    EventRef tickEvent;
    int32_t platformTimerId = 0;
    uint32_t serial = 0;  // names the timer in its tick events
    float hertz = 0;
    int64_t firstTickIndex = 0;  // the clock's tick index when the timer started
};
using TickTimerRef = std::shared_ptr<TickTimer>;

TickTimerRef CreateTickTimer(float hertz, EventRef tickEvent);
int32_t WaitTickTimer(const TickTimerRef& timer);
int32_t TickTimerTicks(const TickTimerRef& timer);
void StopTickTimer(const TickTimerRef& timer);

// ---- Random numbers ----------------------------------------------------------

float RandomUnitFloat();
double RandomUnitDouble();
double RandomBetween(double a, double b);
int32_t RandomIntBetween(int32_t a, int32_t b);
void SetRandomSeed(int32_t seed);
int32_t GetRandomSeed();
