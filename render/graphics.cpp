// The driver-neutral layer: the current driver and context, the screen, and
// the pacing of PresentFrame.
#include "render/internal.h"

#include <sstream>

namespace {

struct GraphicsState {
    ContextDriver* driver = nullptr;
    int32_t defaultFlags = 0;
    bool modesCached = false;
    std::vector<TGraphicsMode> modes;
    GraphicsRef current;
    int32_t width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
    GraphicsRef screen;
    int32_t sequence = 0;
    bool softSync = false;
    int32_t syncHertz = 0;
    int32_t syncStart = 0;
    int64_t syncAccum = 0;  // 64 bits: 32 would overflow after some ten hours at 60 Hz
};

GraphicsState& State() {
    static auto& state = *new GraphicsState;
    return state;
}

// The drawing layer's module start-up makes its OpenGL driver current.
ContextDriver* Driver() {
    if (!State().driver) SelectGraphicsDriver(&kelp_render::GL2DDriver::Instance(), 2);
    return State().driver;
}

void ForgetCurrentContext() {
    auto& state = State();
    state.current = nullptr;
    state.width = state.height = state.depth = state.hertz = state.flags = 0;
}

void RefreshSettings() {
    auto& state = State();
    if (state.current)
        state.current->QuerySettings(state.width, state.height, state.depth, state.hertz,
                                     state.flags);
}

void BumpSequence() {
    auto& state = State();
    if (++state.sequence == 0) state.sequence = 1;
}

// Full screen: three swaps in a row that take one refresh period mean the
// display paces the frames itself.
bool HardwarePacesFrames(int32_t hertz) {
    int32_t period = 1000 / hertz;
    int32_t deadline = MillisNow() + 1000;
    int hits = 0;
    while (MillisNow() - deadline < 0) {
        int32_t before = MillisNow();
        Driver()->SwapFrame(1);
        int32_t difference = MillisNow() - before - period;
        hits = difference >= -1 && difference <= 1 ? hits + 1 : 0;
        if (hits == 3) return true;
    }
    return false;
}

void PaceInSoftware() {
    auto& state = State();
    int32_t elapsed = MillisNow() - state.syncStart;
    state.syncAccum += 1000;
    int64_t wait = state.syncAccum / state.syncHertz - elapsed;
    if (wait > 0 && wait < 1000)
        SleepMillis(static_cast<int32_t>(wait));
    else
        state.syncAccum = int64_t{elapsed} * state.syncHertz;  // late or stalled: start again from now
    Driver()->SwapFrame(0);
}

}  // namespace

std::string TGraphicsMode::ToString() const {
    std::ostringstream text;
    text << width << "," << height << "," << depth << " " << hertz << "Hz";
    return text.str();
}

void SelectGraphicsDriver(ContextDriver* driver, int32_t defaultFlags) {
    auto& state = State();
    if (driver != state.driver) {
        if (state.driver && state.current) state.driver->SelectContext(nullptr);
        state.modesCached = false;
        state.modes.clear();
        state.driver = driver;
    }
    state.defaultFlags = defaultFlags;
    ForgetCurrentContext();
}

ContextDriver* CurrentGraphicsDriver() { return Driver(); }
int32_t GraphicsDefaultFlags() {
    Driver();
    return State().defaultFlags;
}

const std::vector<TGraphicsMode>& ListDisplayModes() {
    auto& state = State();
    if (!state.modesCached) {
        state.modes = Driver()->EnumerateModes();
        state.modesCached = true;
    }
    return state.modes;
}

int32_t CountDisplayModes() { return static_cast<int32_t>(ListDisplayModes().size()); }

bool GetDisplayMode(int32_t index, int32_t& width, int32_t& height, int32_t& depth,
                    int32_t& hertz) {
    const auto& modes = ListDisplayModes();
    if (index < 0 || index >= static_cast<int32_t>(modes.size())) return false;
    const auto& mode = modes[index];
    width = mode.width, height = mode.height, depth = mode.depth, hertz = mode.hertz;
    return true;
}

bool DisplayModeExists(int32_t width, int32_t height, int32_t depth, int32_t hertz) {
    auto matches = [](int32_t wanted, int32_t value) { return wanted == 0 || wanted == value; };
    for (const auto& mode : ListDisplayModes())
        if (matches(width, mode.width) && matches(height, mode.height) &&
            matches(depth, mode.depth) && matches(hertz, mode.hertz))
            return true;
    return false;
}

GraphicsRef CreateGraphicsContext(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                  int32_t flags) {
    try {
        return Driver()->CreateContext(width, height, depth, hertz, flags | State().defaultFlags);
    } catch (const RuntimeError&) {
        return nullptr;
    }
}

GraphicsRef AttachGraphicsContext(void* sdlWindow, int32_t flags) {
    try {
        return Driver()->AttachToWindow(sdlWindow, flags | State().defaultFlags);
    } catch (const RuntimeError&) {
        return nullptr;
    }
}

void MakeContextCurrent(const GraphicsRef& context) {
    auto& state = State();
    if (!context) {
        if (state.driver && state.current) state.driver->SelectContext(nullptr);
        ForgetCurrentContext();
        return;
    }
    ContextDriver* owner = context->OwnerDriver();
    if (owner != state.driver) SelectGraphicsDriver(owner, state.defaultFlags);
    state.current = context;
    RefreshSettings();
    owner->SelectContext(context.get());
}

void CloseGraphicsContext(const GraphicsRef& closing) {
    GraphicsRef context = closing;  // the argument may be the screen reference cleared below
    if (!context) return;
    auto& state = State();
    if (context == state.screen) state.screen = nullptr;
    if (context == state.current) MakeContextCurrent(nullptr);
    context->Close();
}

GraphicsRef CurrentGraphicsContext() { return State().current; }

int32_t GetScreenWidth() {
    RefreshSettings();
    return State().width;
}
int32_t GetScreenHeight() {
    RefreshSettings();
    return State().height;
}
int32_t GetScreenDepth() { return State().depth; }
int32_t GetScreenRefreshRate() { return State().hertz; }
int32_t GetScreenFlags() { return State().flags; }
int32_t GraphicsSequence() { return State().sequence; }

namespace {
// Taken as the program starts, before any other part can take every id.
const int32_t flipHookAtStart = FlipHookId();
}  // namespace

int32_t FlipHookId() {
    static const int32_t id = AllocateHookId();
    return id;
}

GraphicsRef OpenScreen(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                       int32_t flags) {
    CloseScreen();
    GraphicsRef context = CreateGraphicsContext(width, height, depth, hertz, flags);
    if (!context) return nullptr;
    auto& state = State();
    BumpSequence();
    MakeContextCurrent(context);
    state.softSync = hertz != 0 && !(depth != 0 && HardwarePacesFrames(hertz));
    state.syncHertz = hertz;
    state.syncStart = MillisNow();
    state.syncAccum = 0;
    state.screen = context;
    EnablePolledInput(nullptr);
    SetMousePos(width / 2, height / 2);
    static const bool closeAtExit = (AddExitHandler(CloseScreen), true);
    (void)closeAtExit;
    return context;
}

void CloseScreen() {
    auto& state = State();
    if (!state.screen) return;
    BumpSequence();
    DisablePolledInput();
    CloseGraphicsContext(state.screen);
}

void FinishDrawing() {
    if (!State().current) return;
    kelp_render::FlushDrawing();
    glFinish();
}

void FinishDrawingPart() {
#ifndef __EMSCRIPTEN__
    FinishDrawing();
#endif
}

void PresentFrame(int32_t sync) {
    RunHooks(FlipHookId(), nullptr);
    auto& state = State();
    if (!state.current) return;
    if (sync != -1) {
        Driver()->SwapFrame(sync);
    } else if (state.current != state.screen || !state.softSync) {
        Driver()->SwapFrame(1);
    } else {
        PaceInSoftware();
    }
}
