// Glue shared by the render layer's own sources; not part of its interface.
#pragma once

#include "render/render.h"

#include <SDL.h>
#include <SDL_opengl.h>

namespace kelp_render {

// A graphics context of the 2D layer: the underlying OpenGL context plus the
// drawing state that the setters store and the primitives read.
class DrawingContext : public TGraphics {
public:
    DrawingContext(GraphicsRef underlying, ContextDriver* driver)
        : underlying(std::move(underlying)), driver(driver) {}
    ContextDriver* OwnerDriver() override { return driver; }
    void QuerySettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz,
                       int32_t& flags) override {
        underlying->QuerySettings(width, height, depth, hertz, flags);
    }
    void Close() override { underlying->Close(); }

    GraphicsRef underlying;
    ContextDriver* driver;
    int32_t red = 255, green = 255, blue = 255;
    float alpha = 1;
    int32_t clearRed = 0, clearGreen = 0, clearBlue = 0;
    float lineWidth = 1;
    float rotation = 0, scaleX = 1, scaleY = 1;
    float ix = 1, iy = 0, jx = 0, jy = 1;
    int32_t viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;
    float originX = 0, originY = 0;
    float handleX = 0, handleY = 0;  // stored negated
    FontRef font;
    int32_t blendMode = BLEND_MASK;
    bool initialised = false;
};

// The current drawing context, or null before the screen opens.
DrawingContext* CurrentDrawing();
// Makes the context current for drawing; applies the defaults on first use.
void EnterDrawingContext(DrawingContext* context);

// The OpenGL 2D driver: a ContextDriver over GLGraphicsDriver plus the state
// and primitive operations the drawing layer forwards.
class GL2DDriver : public ContextDriver {
public:
    static GL2DDriver& Instance();
    virtual void ApplyBlendMode(int32_t mode) = 0;
    virtual void ApplyAlpha(float alpha) = 0;
    virtual void ApplyColor(int32_t red, int32_t green, int32_t blue) = 0;
    virtual void ApplyClearColor(int32_t red, int32_t green, int32_t blue) = 0;
    virtual void ApplyClipRect(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void ApplyMatrix(float ix, float iy, float jx, float jy) = 0;
    virtual void ApplyLineWidth(float width) = 0;
    virtual void ClearBuffer() = 0;
    virtual void DrawPointAt(float x, float y) = 0;
    virtual void EmitLine(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void EmitRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void EmitEllipse(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void EmitPolygon(const std::vector<float>& xy, float hx, float hy, float tx,
                             float ty) = 0;
    // Draws a texture of premultiplied colour over the whole screen: the
    // screen keeps 1 - its coverage.
    virtual void EmitPremultipliedOver(uint32_t texture) = 0;
};

// Hands the drawing gathered so far to OpenGL: before the current context,
// its target or anything the drawing reads changes behind the 2D driver.
void FlushDrawing();
// Leaves no texture bound: drawing into a layer while its own texture is
// bound is a feedback loop that WebGL refuses.
void UnbindTexture();

// The module's image-loading settings, reset by a context's first use.
void ResetImageSettings();

}  // namespace kelp_render

namespace kelp_render {
#ifdef __EMSCRIPTEN__
// WebGL stores textures in the format they are given in.
constexpr GLint TextureFormat = GL_RGBA;
#else
constexpr GLint TextureFormat = GL_RGBA8;
#endif

// False once the OpenGL driver has shut down at the program's end.
bool SharedContextAlive();
// Ends the program in order when the X server goes away (see SetDisplayLostHandler).
void WatchForLostDisplay();

// Framebuffer objects, looked up when the first context is made.
struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;

    template <typename T>
    static void Load(T& function, const char* name) {
        function = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
    }
    void LoadAll() {
        Load(genFramebuffers, "glGenFramebuffers");
        Load(deleteFramebuffers, "glDeleteFramebuffers");
        Load(bindFramebuffer, "glBindFramebuffer");
        Load(genRenderbuffers, "glGenRenderbuffers");
        Load(deleteRenderbuffers, "glDeleteRenderbuffers");
        Load(bindRenderbuffer, "glBindRenderbuffer");
        Load(renderbufferStorage, "glRenderbufferStorage");
        Load(framebufferRenderbuffer, "glFramebufferRenderbuffer");
        Load(checkFramebufferStatus, "glCheckFramebufferStatus");
        Load(blitFramebuffer, "glBlitFramebuffer");
        Load(framebufferTexture2D, "glFramebufferTexture2D");
    }
    // Enough to draw into a texture, as light layers do.
    bool TexturesAvailable() const {
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && framebufferTexture2D &&
               checkFramebufferStatus;
    }
    bool Available() const {
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers &&
               deleteRenderbuffers && bindRenderbuffer && renderbufferStorage &&
               framebufferRenderbuffer && checkFramebufferStatus && blitFramebuffer &&
               framebufferTexture2D;
    }
};

FramebufferFunctions& Framebuffers();
// Binds the current screen's own off-screen target again.
void BindScreenTarget();
}  // namespace kelp_render
