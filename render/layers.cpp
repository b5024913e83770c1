// Light layers: a texture with a framebuffer object of its own. Framebuffer
// objects belong to one OpenGL context, so a layer remakes its target after
// the screen is opened again.
#include "render/internal.h"

#include <algorithm>

using namespace kelp_render;

class TLayer {
public:
    ~TLayer() { Release(); }

    bool Prepare() {
        if (target && sequence == GraphicsSequence()) return true;
        Release();
        FramebufferFunctions& fb = Framebuffers();
        if (!CurrentDrawing() || !fb.TexturesAvailable()) return false;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, TextureFormat, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        fb.genFramebuffers(1, &target);
        fb.bindFramebuffer(GL_FRAMEBUFFER, target);
        fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        bool complete = fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        BindScreenTarget();
        sequence = GraphicsSequence();
        // The texture binding changed behind the driver's cache.
        GL2DDriver::Instance().SelectContext(CurrentGraphicsContext().get());
        if (!complete) Release();
        return complete;
    }

    void Release() {
        if (!target || !SharedContextAlive() || sequence != GraphicsSequence()) {
            target = texture = 0;
            return;
        }
        Framebuffers().deleteFramebuffers(1, &target);
        glDeleteTextures(1, &texture);
        target = texture = 0;
    }

    int32_t width = 1, height = 1;
    GLuint texture = 0, target = 0;
    int32_t sequence = 0;
};

namespace {

TLayer* drawingInto = nullptr;

}  // namespace

LayerRef CreateLayer(int32_t width, int32_t height) {
    auto layer = std::make_shared<TLayer>();
    layer->width = std::clamp(width, 1, 4096);
    layer->height = std::clamp(height, 1, 4096);
    return layer;
}

void BeginLayer(const LayerRef& layer, int32_t red, int32_t green, int32_t blue, float coverage) {
    if (drawingInto || !layer) return;
    UnbindTexture();
    if (!layer->Prepare()) return;
    drawingInto = layer.get();
    Framebuffers().bindFramebuffer(GL_FRAMEBUFFER, layer->target);
    glViewport(0, 0, layer->width, layer->height);
    glDisable(GL_SCISSOR_TEST);
    float a = std::clamp(coverage, 0.0f, 1.0f);
    glClearColor(std::clamp(red, 0, 255) / 255.0f * a, std::clamp(green, 0, 255) / 255.0f * a,
                 std::clamp(blue, 0, 255) / 255.0f * a, a);
    glClear(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
}

void EndLayer() {
    if (!drawingInto) return;
    drawingInto = nullptr;
    FlushDrawing();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    BindScreenTarget();
    DrawingContext* drawing = CurrentDrawing();
    glViewport(0, 0, GetScreenWidth(), GetScreenHeight());
    int32_t r = 0, g = 0, b = 0;
    GetClearColor(r, g, b);
    SetClearColor(r, g, b);
    GL2DDriver::Instance().ApplyClipRect(drawing->viewX, drawing->viewY, drawing->viewWidth,
                                         drawing->viewHeight);
}

void DrawLayer(const LayerRef& layer) {
    if (drawingInto || !layer || !layer->target || layer->sequence != GraphicsSequence()) return;
    GL2DDriver::Instance().EmitPremultipliedOver(layer->texture);
    DrawingContext* drawing = CurrentDrawing();
    GL2DDriver::Instance().ApplyBlendMode(drawing->blendMode);
}
