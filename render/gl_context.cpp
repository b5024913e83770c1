// Windows and OpenGL contexts on SDL. Each screen context draws into a
// framebuffer object of its own size; presenting copies it to the window, so
// the picture survives every buffer swap. Where the window's back buffer
// keeps its picture across swaps and is the screen's size, the screen draws
// straight into it and that copy, a pass over every pixel, is saved.
#include "render/internal.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <malloc.h>
#ifdef __EMSCRIPTEN__
#include <emscripten/em_asm.h>
#include <emscripten/html5.h>
#endif
#include <string_view>

namespace {

// In the browser every window is the one canvas, and SDL listens to its
// fingers once for each window while keeping one tally of the fingers down,
// so two listeners make each touch two. The hidden window that holds the
// shared context stops listening; the game's window, made after it, listens.
void ForgetSharedWindowsFingers() {
#ifdef __EMSCRIPTEN__
    emscripten_set_touchstart_callback("#canvas", nullptr, 0, nullptr);
    emscripten_set_touchend_callback("#canvas", nullptr, 0, nullptr);
    emscripten_set_touchmove_callback("#canvas", nullptr, 0, nullptr);
    emscripten_set_touchcancel_callback("#canvas", nullptr, 0, nullptr);
#endif
}

using kelp_render::DrawingContext;

enum ContextKind { Attached = 1, OwnWindow = 2, FullScreen = 3 };

kelp_render::FramebufferFunctions& fb = kelp_render::Framebuffers();


class GLContext : public TGraphics {
public:
    ~GLContext() override { Close(); }
    ContextDriver* OwnerDriver() override { return &GLGraphicsDriver::Instance(); }
    void QuerySettings(int32_t& w, int32_t& h, int32_t& d, int32_t& hz, int32_t& f) override {
        if (kind == Attached) SDL_GL_GetDrawableSize(window, &width, &height);
        w = width, h = height, d = depth, hz = hertz, f = flags;
    }
    void Close() override;

    int kind = OwnWindow;
    int32_t width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
    SDL_Window* window = nullptr;
    SDL_GLContext gl = nullptr;
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {};
    bool backBufferKept = false;  // swaps leave the back buffer's picture as it was
    bool closed = false;
};

#ifdef __EMSCRIPTEN__
// The page keeps its canvas between frames, and WebGL 1 cannot copy a target to it.
constexpr bool ScreensHaveTargets = false;
#else
constexpr bool ScreensHaveTargets = true;
#endif

// The off-screen target: colour, plus depth and stencil when asked for.
void MakeFramebuffer(GLContext& context) {
    if (!ScreensHaveTargets || !fb.Available()) return;
    fb.genFramebuffers(1, &context.framebuffer);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context.framebuffer);
    fb.genRenderbuffers(2, context.renderbuffers);
    fb.bindRenderbuffer(GL_RENDERBUFFER, context.renderbuffers[0]);
    // Alpha only with an alpha buffer, like a window's own buffers.
    GLenum colourFormat = (context.flags & GRAPHICS_ALPHABUFFER) ? GL_RGBA8 : GL_RGB8;
    fb.renderbufferStorage(GL_RENDERBUFFER, colourFormat, context.width, context.height);
    fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                               context.renderbuffers[0]);
    if (context.flags & (GRAPHICS_DEPTHBUFFER | GRAPHICS_STENCILBUFFER)) {
        fb.bindRenderbuffer(GL_RENDERBUFFER, context.renderbuffers[1]);
        fb.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, context.width,
                               context.height);
        fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                   context.renderbuffers[1]);
    }
    if (fb.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
        fb.deleteRenderbuffers(2, context.renderbuffers);
        fb.deleteFramebuffers(1, &context.framebuffer);
        context.framebuffer = 0;
        return;
    }
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

void DeleteFramebuffer(GLContext& context) {
    fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
    fb.deleteRenderbuffers(2, context.renderbuffers);
    fb.deleteFramebuffers(1, &context.framebuffer);
    context.framebuffer = 0;
}

bool DrawableFitsScreen(const GLContext& context) {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(context.window, &width, &height);
    return width == context.width && height == context.height;
}

// Two swaps of two colours tell a back buffer that keeps its picture from a
// pair of buffers taking turns.
bool BackBufferKeepsColours(GLContext& context) {
    glDisable(GL_SCISSOR_TEST);
    for (int probe : {1, 2}) {
        glClearColor(0, 0, static_cast<float>(probe) / 255, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(context.window);
        uint8_t pixel[4] = {};
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        if (pixel[2] != probe) return false;
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    return true;
}

// Software renderers copy the back buffer to the window and leave it be;
// other drivers may hand back any buffer after a swap.
bool SwapsKeepBackBuffer(GLContext& context) {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::string_view name = renderer ? renderer : "";
    bool software = name.find("llvmpipe") != name.npos || name.find("softpipe") != name.npos;
    if (!ScreensHaveTargets || !software || !(context.flags & GRAPHICS_BACKBUFFER)) return false;
    // The window is not shown yet: a swap that waited for the display could wait long.
    int interval = SDL_GL_GetSwapInterval();
    SDL_GL_SetSwapInterval(0);
    bool kept = BackBufferKeepsColours(context);
    SDL_GL_SetSwapInterval(interval);
    return kept;
}

// In a page every context is the canvas's one WebGL context, which goes with
// the page; deleting it would take it from the contexts still in use.
void DeleteGLContext(SDL_GLContext context) {
#ifdef __EMSCRIPTEN__
    (void)context;
#else
    SDL_GL_DeleteContext(context);
#endif
}

void SetPixelFormatAttributes(int32_t flags) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (flags & GRAPHICS_BACKBUFFER) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, (flags & GRAPHICS_ALPHABUFFER) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, (flags & GRAPHICS_DEPTHBUFFER) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, (flags & GRAPHICS_STENCILBUFFER) ? 1 : 0);
    int accumulation = (flags & GRAPHICS_ACCUMBUFFER) ? 1 : 0;
    for (SDL_GLattr attribute : {SDL_GL_ACCUM_RED_SIZE, SDL_GL_ACCUM_GREEN_SIZE,
                                 SDL_GL_ACCUM_BLUE_SIZE, SDL_GL_ACCUM_ALPHA_SIZE})
        SDL_GL_SetAttribute(attribute, accumulation);
}

#ifndef __EMSCRIPTEN__
// A window's first size: the asked size scaled to most of the display's
// usable area, in quarter steps when it grows, so it is larger on large
// screens and still fits on small ones.
void FitToDisplay(int& width, int& height) {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) return;
    double fit = std::min(0.85 * usable.w / width, 0.85 * usable.h / height);
    double scale = fit >= 1 ? std::floor(fit * 4) / 4 : fit;
    width = std::max(1, static_cast<int>(width * scale));
    height = std::max(1, static_cast<int>(height * scale));
}
#endif

// The display mode for a full-screen context: the asked refresh rate if the
// display has it, else the same size at any rate.
bool FindDisplayMode(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                     SDL_DisplayMode& found) {
    for (int32_t rate : {hertz, 0}) {
        for (int i = 0, n = SDL_GetNumDisplayModes(0); i < n; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
            int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
            bool depthFits = bits == depth || (depth == 32 && bits == 24);
            if (mode.w == width && mode.h == height && depthFits &&
                (rate == 0 || mode.refresh_rate == rate)) {
                found = mode;
                return true;
            }
        }
        if (hertz == 0) break;
    }
    return false;
}

class SdlGLDriver : public GLGraphicsDriver {
public:
    std::vector<TGraphicsMode> EnumerateModes() override {
        std::vector<TGraphicsMode> modes;
        if (!InitVideo()) return modes;
        for (int i = 0, n = SDL_GetNumDisplayModes(0); i < n && modes.size() < 1024; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) != 0) break;
            int32_t bits = static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format));
            if (bits >= 16) modes.push_back({mode.w, mode.h, bits, mode.refresh_rate});
        }
        return modes;
    }

    GraphicsRef AttachToWindow(void* sdlWindow, int32_t flags) override {
        if (!sdlWindow || !EnsureSharedContext()) return nullptr;
        auto context = std::make_shared<GLContext>();
        context->kind = Attached;
        context->window = static_cast<SDL_Window*>(sdlWindow);
        context->flags = flags;
        SDL_GL_GetDrawableSize(context->window, &context->width, &context->height);
        return MakeGLContext(context) ? context : nullptr;
    }

    GraphicsRef CreateContext(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                              int32_t flags) override {
        if (width <= 0 || height <= 0 || !EnsureSharedContext()) return nullptr;
        auto context = std::make_shared<GLContext>();
        context->kind = depth ? FullScreen : OwnWindow;
        context->width = width, context->height = height;
        context->depth = depth, context->hertz = hertz, context->flags = flags;
        SetPixelFormatAttributes(flags);
        int position = depth ? 0 : SDL_WINDOWPOS_CENTERED;
        int windowWidth = width, windowHeight = height;
        Uint32 windowFlags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
#ifndef __EMSCRIPTEN__
        // The page, not the game, fits the canvas to the browser's window.
        if (!depth) {
            FitToDisplay(windowWidth, windowHeight);
            windowFlags |= SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
        }
#endif
        context->window = SDL_CreateWindow(ApplicationTitle().c_str(), position, position, windowWidth,
                                           windowHeight, windowFlags);
        if (!context->window) return nullptr;
        if (!MakeGLContext(context)) {
            SDL_DestroyWindow(context->window);
            return nullptr;
        }
        if (depth) SwitchToFullScreen(*context);
        SDL_ShowWindow(context->window);
        return context;
    }

    void SelectContext(TGraphics* context) override {
        auto* gl = static_cast<GLContext*>(context);
        if (gl == current && SDL_GL_GetCurrentContext() == (gl ? gl->gl : nullptr)) return;
        kelp_render::FlushDrawing();
        current = gl;
        if (gl)
            SDL_GL_MakeCurrent(gl->window, gl->gl);
        else
            SDL_GL_MakeCurrent(nullptr, nullptr);
    }

    void SwapFrame(int32_t sync) override {
        if (!current) return;
        kelp_render::FlushDrawing();
        if ((sync != 0) != (swapInterval != 0)) {
            swapInterval = sync != 0;
            SDL_GL_SetSwapInterval(swapInterval);
        }
        bool fits = current->backBufferKept && DrawableFitsScreen(*current);
        if (current->backBufferKept && !fits && !current->framebuffer) MoveScreenIntoFramebuffer(*current);
        if (current->framebuffer) CopyFramebufferToWindow(*current);
        SDL_GL_SwapWindow(current->window);
        // The window now holds the picture and keeps it: draw there from now on.
        if (fits && current->framebuffer) DeleteFramebuffer(*current);
#ifdef __EMSCRIPTEN__
        EM_ASM(Module.frames = (Module.frames || 0) + 1);  // the page's frame counter
#endif
    }

    void UseSharedContext() override {
        if (!shared) return;
        kelp_render::FlushDrawing();
        if (SDL_GL_GetCurrentContext() != shared)
            SDL_GL_MakeCurrent(sharedWindow, shared);
        else if (current)
            SDL_GL_MakeCurrent(current->window, current->gl);
        else
            SDL_GL_MakeCurrent(nullptr, nullptr);
    }

    void* WindowOf(TGraphics* context) override {
        if (auto* drawing = dynamic_cast<DrawingContext*>(context))
            context = drawing->underlying.get();
        auto* gl = dynamic_cast<GLContext*>(context);
        return gl ? gl->window : nullptr;
    }

    void CloseContext(GLContext& context) {
        if (context.closed) return;
        context.closed = true;
        if (current == &context) SelectContext(nullptr);
        if (context.framebuffer && SDL_GL_MakeCurrent(context.window, context.gl) == 0) {
            DeleteFramebuffer(context);
            SDL_GL_MakeCurrent(nullptr, nullptr);
        }
        DeleteGLContext(context.gl);
        if (context.kind != Attached) SDL_DestroyWindow(context.window);
        std::erase(contexts, &context);
    }

    bool SharedContextAlive() const { return shared != nullptr; }

    void BindScreenTarget() {
        kelp_render::FlushDrawing();
        // A screen without a target of its own draws straight into its window.
        if (current && fb.bindFramebuffer) fb.bindFramebuffer(GL_FRAMEBUFFER, current->framebuffer);
    }

private:
    // SDL falls back to drivers that show nothing when there is no display;
    // only someone who asks for one by name gets it.
    bool InitVideo() {
        if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        const char* driver = SDL_GetCurrentVideoDriver();
        bool invisible = driver && (std::string_view(driver) == "offscreen" || std::string_view(driver) == "dummy");
        if (invisible && !SDL_getenv("SDL_VIDEODRIVER")) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
        kelp_render::WatchForLostDisplay();
        return true;
    }

    bool EnsureSharedContext() {
        if (shared) return true;
        if (!InitVideo()) return false;
        SDL_GL_ResetAttributes();
        SetPixelFormatAttributes(0);
        sharedWindow = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!sharedWindow) return false;
        ForgetSharedWindowsFingers();
        shared = SDL_GL_CreateContext(sharedWindow);
        if (!shared) {
            SDL_DestroyWindow(sharedWindow);
            sharedWindow = nullptr;
            return false;
        }
        fb.LoadAll();
        SDL_GL_MakeCurrent(nullptr, nullptr);
        AddExitHandler([this] { Shutdown(); });
        return true;
    }

    // Before SDL itself goes: every context, then the shared one.
    void Shutdown() {
        while (!contexts.empty()) CloseContext(*contexts.front());
        SDL_GL_MakeCurrent(nullptr, nullptr);
        DeleteGLContext(shared);
        SDL_DestroyWindow(sharedWindow);
        shared = nullptr;
        sharedWindow = nullptr;
    }

    // Made while the shared context is current, so the new one shares its names.
    bool MakeGLContext(const std::shared_ptr<GLContext>& context) {
        SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
        SDL_GLContext previous = SDL_GL_GetCurrentContext();
        SDL_GL_MakeCurrent(sharedWindow, shared);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
        context->gl = SDL_GL_CreateContext(context->window);
        if (context->gl && context->kind != Attached) {
            context->backBufferKept = SwapsKeepBackBuffer(*context);
            if (!context->backBufferKept || !DrawableFitsScreen(*context)) MakeFramebuffer(*context);
        }
        SDL_GL_MakeCurrent(previous ? previousWindow : nullptr, previous);
        if (!context->gl) return false;
        contexts.insert(contexts.begin(), context.get());
        return true;
    }

    void SwitchToFullScreen(GLContext& context) {
        SDL_DisplayMode mode;
        bool found = FindDisplayMode(context.width, context.height, context.depth, context.hertz,
                                     mode);
        if (!found || SDL_SetWindowDisplayMode(context.window, &mode) != 0 ||
            SDL_SetWindowFullscreen(context.window, SDL_WINDOW_FULLSCREEN) != 0) {
            CloseContext(context);
            RaiseRuntimeError("GLGraphicsDriver failed to set display mode");
        }
        swapInterval = context.hertz != 0 && mode.refresh_rate == context.hertz;
        SDL_GL_SetSwapInterval(swapInterval);
    }

    // The picture scaled smoothly into the largest centred rectangle of its
    // shape that the window's drawable holds, with black bars beside it.
    void CopyFramebufferToWindow(GLContext& context) {
        GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
        glDisable(GL_SCISSOR_TEST);
        int drawableWidth = 0, drawableHeight = 0;
        SDL_GL_GetDrawableSize(context.window, &drawableWidth, &drawableHeight);
        PresentRect to = PresentRectFor(context.width, context.height, drawableWidth, drawableHeight);
        fb.bindFramebuffer(GL_READ_FRAMEBUFFER, context.framebuffer);
        fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        if (to.width != drawableWidth || to.height != drawableHeight) ClearToBlack();
        bool sameSize = to.width == context.width && to.height == context.height;
        int bottom = drawableHeight - to.y - to.height;  // OpenGL counts rows from the bottom
        fb.blitFramebuffer(0, 0, context.width, context.height, to.x, bottom, to.x + to.width,
                           bottom + to.height, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
        fb.bindFramebuffer(GL_FRAMEBUFFER, context.framebuffer);
        if (scissor) glEnable(GL_SCISSOR_TEST);
        if (!(context.flags & GRAPHICS_BACKBUFFER)) glFlush();
    }

    // The window stopped fitting the screen (it was resized, or went full
    // screen): the picture drawn so far moves into a target of the screen's size.
    // The renderer remakes the window's buffers at their new size as soon as
    // they are next drawn into, so the faded trails of earlier frames go.
    void MoveScreenIntoFramebuffer(GLContext& context) {
        GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        MakeFramebuffer(context);
        if (context.framebuffer) {
            fb.bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
            fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, context.framebuffer);
            fb.blitFramebuffer(0, 0, context.width, context.height, 0, 0, context.width,
                               context.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
            fb.bindFramebuffer(GL_FRAMEBUFFER, context.framebuffer);
        }
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        if (scissor) glEnable(GL_SCISSOR_TEST);
    }

    static void ClearToBlack() {
        GLfloat previous[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(previous[0], previous[1], previous[2], previous[3]);
    }

    SDL_Window* sharedWindow = nullptr;
    SDL_GLContext shared = nullptr;
    GLContext* current = nullptr;
    int swapInterval = 0;
    std::vector<GLContext*> contexts;  // newest first
};

SdlGLDriver& Driver() {
    static auto& driver = *new SdlGLDriver;
    return driver;
}

void GLContext::Close() { Driver().CloseContext(*this); }

}  // namespace

GLGraphicsDriver& GLGraphicsDriver::Instance() { return Driver(); }

namespace {

SDL_Window* ScreenWindow() {
    GraphicsRef screen = CurrentGraphicsContext();
    return screen ? static_cast<SDL_Window*>(Driver().WindowOf(screen.get())) : nullptr;
}

}  // namespace

void TuneForSoftwareRenderer() {
#ifndef __EMSCRIPTEN__  // a browser draws with its own renderer
    setenv("LP_NUM_THREADS", "1", 0);
    // The renderer frees a frame's bins and takes them again the next frame;
    // handing that memory back to the system makes every frame fault it in anew.
    mallopt(M_TOP_PAD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

void SetScreenIcon(const TPixmap& icon) {
    SDL_Window* window = ScreenWindow();
    if (!window) return;
    PixmapRef rgba = icon.ConvertedTo(FMT_RGBA32);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        rgba->pixels, rgba->width, rgba->height, 32, rgba->pitch, SDL_PIXELFORMAT_RGBA32);
    if (!surface) return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

PresentRect PresentRectFor(int32_t width, int32_t height, int32_t areaWidth, int32_t areaHeight) {
    if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return {};
    double scale = std::min(static_cast<double>(areaWidth) / width, static_cast<double>(areaHeight) / height);
    auto w = static_cast<int32_t>(std::lround(width * scale)), h = static_cast<int32_t>(std::lround(height * scale));
    return {(areaWidth - w) / 2, (areaHeight - h) / 2, w, h};
}

#ifdef __EMSCRIPTEN__
// The whole page goes full screen, so it keeps the canvas square and centred.
void ToggleFullScreen() {
    EM_ASM(if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
           else document.documentElement.requestFullscreen().catch(() => {}););
}

bool IsFullScreen() { return EM_ASM_INT(return document.fullscreenElement ? 1 : 0;) != 0; }
#else
void ToggleFullScreen() {
    if (SDL_Window* window = ScreenWindow())
        SDL_SetWindowFullscreen(window, IsFullScreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool IsFullScreen() {
    SDL_Window* window = ScreenWindow();
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}
#endif

bool WindowPointToScreen(int32_t windowX, int32_t windowY, float& x, float& y) {
    SDL_Window* window = ScreenWindow();
    if (!window) return false;
    int windowWidth = 0, windowHeight = 0;
    SDL_GetWindowSize(window, &windowWidth, &windowHeight);
    PresentRect shown = PresentRectFor(GetScreenWidth(), GetScreenHeight(), windowWidth, windowHeight);
    if (shown.width <= 0 || shown.height <= 0) return false;
    x = static_cast<float>(windowX - shown.x) * GetScreenWidth() / shown.width;
    y = static_cast<float>(windowY - shown.y) * GetScreenHeight() / shown.height;
    return true;
}

namespace kelp_render {
bool SharedContextAlive() { return Driver().SharedContextAlive(); }

FramebufferFunctions& Framebuffers() {
    static FramebufferFunctions functions;
    return functions;
}

void BindScreenTarget() { Driver().BindScreenTarget(); }
}  // namespace kelp_render
