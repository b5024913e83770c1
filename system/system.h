// The system layer: runtime errors and the end of the program, the message pump
// with input events and hooks, key names and each frame's input, the clock and tick timers, and the
// global random-number generator. Everything except the timer callback runs on
// the main thread.
#pragma once

#include <array>
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
    // x names the pad: its instance id, unique while the program runs.
    PadAdded = 0x1001,
    PadRemoved = 0x1002,
    PadButtonDown = 0x1003,  // data: the PadButtons index
    PadButtonUp = 0x1004,
    PadAxis = 0x1005,  // data: the PadAxes index; y: its value, -32768 to 32767 (triggers 0 up)
    // data names the finger while it touches; x and y are where, in the window's pixels.
    TouchDown = 0x1101,
    TouchUp = 0x1102,
    TouchMove = 0x1103,
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
// Waits for an event, or `timeoutMillis` when not negative, then pumps.
void WaitAndPumpMessages(int32_t timeoutMillis = -1);

// Takes the first code point off UTF-8 text, which must not be empty; a byte
// that starts no sequence stands for itself.
char32_t TakeCodePoint(std::string_view& utf8);

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

// ---- Game pads ------------------------------------------------------------------

// Pads work through SDL's game controller API and its mapping database, which
// SDL_GAMECONTROLLERCONFIG adds to. Pads present at the start and plugged in
// later are opened as they are found; their buttons and sticks come as events.
namespace PadButtons {
constexpr int A = 0, B = 1, X = 2, Y = 3, Back = 4, Guide = 5, Start = 6, LeftStick = 7, RightStick = 8,
              LeftShoulder = 9, RightShoulder = 10, Up = 11, Down = 12, Left = 13, Right = 14;
// Not buttons of the pad: the right trigger pulled past half way, and a stick
// pushed well over to one side, counted as presses.
constexpr int RightTrigger = 15, StickUp = 16, StickDown = 17, StickLeft = 18, StickRight = 19;
constexpr int Count = 20;
}  // namespace PadButtons
namespace PadAxes {
constexpr int LeftX = 0, LeftY = 1, RightX = 2, RightY = 3, LeftTrigger = 4, RightTrigger = 5;
}  // namespace PadAxes

// Whose button names a pad's face shows.
enum class PadLayout { Xbox, PlayStation, Nintendo };
PadLayout PadLayoutOf(int32_t pad);
int32_t PadsOpen();

// ---- Key names and one frame's input ----------------------------------------

// Virtual-key codes of the keys the program names. Letters and digits are
// their own upper-case characters: Keys::Letter('M'), Keys::Digit(3).
namespace Keys {
constexpr int32_t Backspace = 8, Tab = 9, Enter = 13, Escape = 27, Space = 32;
constexpr int32_t Left = 37, Up = 38, Right = 39, Down = 40;
constexpr int32_t PadPlus = 107, PadMinus = 109, F1 = 112, F11 = 122;
constexpr int32_t LeftShift = 160, RightShift = 161, LeftControl = 162, RightControl = 163, LeftAlt = 164,
                  RightAlt = 165, LeftWindows = 91, RightWindows = 92;
constexpr int32_t Equals = 187, Minus = 189;
constexpr int32_t Letter(char upper) { return upper; }
constexpr int32_t Digit(int digit) { return '0' + digit; }
}  // namespace Keys

// The pads' share of a frame's input: any pad's buttons, and the stick that
// moved last.
struct PadInput {
    std::array<uint8_t, PadButtons::Count> presses{};
    std::array<bool, PadButtons::Count> held{};
    float stickX = 0, stickY = 0;  // -1 to 1, down and right positive
    bool stickMoved = false;       // it left its centre since the last frame
    int32_t open = 0;              // pads plugged in
    bool unplugged = false;        // the pad in use went away since the last frame
    PadLayout layout = PadLayout::Xbox;  // of the pad in use

    bool pressed(int button) const { return presses[size_t(button)] != 0; }
};

// The fingers' share of a frame's input, in the window's pixels. A tap is a
// touch that is short and nearly still from the first finger down to the last
// one up; the fingers it used tell a tap from a two-finger tap.
struct TouchInput {
    int32_t fingers = 0;                // on the screen now
    int32_t motionX = 0, motionY = 0;   // of the finger that steers: the longest down
    uint8_t taps = 0, twoFingerTaps = 0;
    int32_t tapX = 0, tapY = 0;         // where the last one-finger tap was
};

// Which of the player's hands was used last: it steers, and the hints name it.
enum class InputDevice { KeysAndMouse, Pad, Touch };

// What the player did since the previous frame, taken whole by the frame loop,
// the one reader of input: a press is in exactly one frame's input.
struct FrameInput {
    static constexpr int KeyCount = 256, ButtonCount = 4;

    int32_t ticks = 1;  // of the frame clock since the previous frame; the loop sets it
    std::array<uint8_t, KeyCount> presses{};     // by virtual key, Alt not held
    std::array<uint8_t, KeyCount> altPresses{};  // made while Alt was held
    std::array<bool, KeyCount> held{};
    std::array<uint8_t, ButtonCount> clicks{};   // mouse buttons 1..3 pressed
    std::array<bool, ButtonCount> buttonsHeld{};
    int32_t pointerX = 0, pointerY = 0;  // in the window
    bool pointerMoved = false;
    int32_t motionX = 0, motionY = 0;  // summed, even while the pointer is captured
    int32_t wheel = 0;                 // notches
    bool suspended = false;            // the window is without the focus
    bool focusLost = false;            // it had the focus at the last frame, and has it no more
    bool closeRequested = false;       // the window's close button
    bool stopRequested = false;        // SIGTERM or SIGINT, once caught
    PadInput pad;
    TouchInput touch;
    InputDevice lastUsed = InputDevice::KeysAndMouse;

    bool pressed(int32_t key) const { return presses[size_t(key & 0xFF)] != 0; }
    bool pressedWithAlt(int32_t key) const { return altPresses[size_t(key & 0xFF)] != 0; }
    bool clicked(int32_t button = 1) const { return clicks[size_t(button & 3)] != 0; }
    bool anyKeyHeld() const;
    // A key, a button, the pointer or a finger stirred. A finger set down has
    // not stirred until it moves or lifts: its tap belongs to one frame.
    bool touched() const;
};

// Pumps the events and hands out what they did since the last call.
FrameInput TakeFrameInput();

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
// The ticks since the last wait or take: WaitTickTimer waits for at least
// one, TakeTickTimerTicks may give none.
int32_t WaitTickTimer(const TickTimerRef& timer);
int32_t TakeTickTimerTicks(const TickTimerRef& timer);
int32_t TickTimerTicks(const TickTimerRef& timer);
void StopTickTimer(const TickTimerRef& timer);

// ---- Random numbers ----------------------------------------------------------

float RandomUnitFloat();
double RandomUnitDouble();
double RandomBetween(double a, double b);
int32_t RandomIntBetween(int32_t a, int32_t b);
void SetRandomSeed(int32_t seed);
int32_t GetRandomSeed();
