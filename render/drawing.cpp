// The drawing state of the current context and the primitives drawn with it.
#include "render/internal.h"

#include <cmath>

namespace kelp_render {
namespace {

DrawingContext* current = nullptr;
int32_t maskRed = 0, maskGreen = 0, maskBlue = 0;

GL2DDriver& Driver() { return GL2DDriver::Instance(); }

void UpdateMatrix(DrawingContext& context) {
    double radians = context.rotation * M_PI / 180.0;
    float c = static_cast<float>(std::cos(radians)), s = static_cast<float>(std::sin(radians));
    context.ix = c * context.scaleX;
    context.iy = -s * context.scaleY;
    context.jx = s * context.scaleX;
    context.jy = c * context.scaleY;
    Driver().ApplyMatrix(context.ix, context.iy, context.jx, context.jy);
}

void ApplyDefaults() {
    SetBlendMode(BLEND_MASK);
    SetDrawColor(255, 255, 255);
    SetClearColor(0, 0, 0);
    SetLoadMaskColor(0, 0, 0);
    SetDrawAlpha(1);
    SetDrawOrigin(0, 0);
    SetDrawHandle(0, 0);
    SetViewportRect(0, 0, GetScreenWidth(), GetScreenHeight());
    SetDrawTransform(0, 1, 1);
    SetLineThickness(1);
    ResetImageSettings();
    SelectTextFont(nullptr);
    // Both buffers start cleared.
    ClearScreen();
    PresentFrame(0);
    ClearScreen();
    PresentFrame(0);
}

}  // namespace

DrawingContext* CurrentDrawing() { return current; }

void EnterDrawingContext(DrawingContext* context) {
    current = context;
    if (!context || context->initialised) return;
    ApplyDefaults();
    context->initialised = true;
}

}  // namespace kelp_render

using kelp_render::CurrentDrawing;
using kelp_render::DrawingContext;

namespace {

kelp_render::GL2DDriver& Driver() { return kelp_render::GL2DDriver::Instance(); }

// Every setter and primitive needs a current context; before the screen opens
// they do nothing.
template <typename Action>
void WithContext(Action action) {
    if (DrawingContext* context = CurrentDrawing()) action(*context);
}

}  // namespace

void SetDrawColor(int32_t red, int32_t green, int32_t blue) {
    WithContext([&](DrawingContext& c) {
        c.red = red, c.green = green, c.blue = blue;
        Driver().ApplyColor(red, green, blue);
    });
}

void GetDrawColor(int32_t& red, int32_t& green, int32_t& blue) {
    DrawingContext* c = CurrentDrawing();
    red = c ? c->red : 255, green = c ? c->green : 255, blue = c ? c->blue : 255;
}

void SetDrawAlpha(float alpha) {
    WithContext([&](DrawingContext& c) {
        c.alpha = alpha;
        Driver().ApplyAlpha(alpha);
    });
}

float GetDrawAlpha() { return CurrentDrawing() ? CurrentDrawing()->alpha : 1.0f; }

void SetClearColor(int32_t red, int32_t green, int32_t blue) {
    WithContext([&](DrawingContext& c) {
        c.clearRed = red, c.clearGreen = green, c.clearBlue = blue;
        Driver().ApplyClearColor(red, green, blue);
    });
}

void GetClearColor(int32_t& red, int32_t& green, int32_t& blue) {
    DrawingContext* c = CurrentDrawing();
    red = c ? c->clearRed : 0, green = c ? c->clearGreen : 0, blue = c ? c->clearBlue : 0;
}

void SetLineThickness(float width) {
    WithContext([&](DrawingContext& c) {
        c.lineWidth = width;
        Driver().ApplyLineWidth(width);
    });
}

float GetLineThickness() { return CurrentDrawing() ? CurrentDrawing()->lineWidth : 1.0f; }

void SetBlendMode(int32_t mode) {
    WithContext([&](DrawingContext& c) {
        c.blendMode = mode;
        Driver().ApplyBlendMode(mode);
    });
}

int32_t GetBlendMode() { return CurrentDrawing() ? CurrentDrawing()->blendMode : BLEND_MASK; }

void SetViewportRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    WithContext([&](DrawingContext& c) {
        c.viewX = x, c.viewY = y, c.viewWidth = width, c.viewHeight = height;
        Driver().ApplyClipRect(x, y, width, height);
    });
}

void GetViewportRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) {
    DrawingContext* c = CurrentDrawing();
    x = c ? c->viewX : 0, y = c ? c->viewY : 0;
    width = c ? c->viewWidth : 0, height = c ? c->viewHeight : 0;
}

void SetDrawRotation(float degrees) {
    WithContext([&](DrawingContext& c) {
        c.rotation = degrees;
        kelp_render::UpdateMatrix(c);
    });
}

float GetDrawRotation() { return CurrentDrawing() ? CurrentDrawing()->rotation : 0.0f; }

void SetDrawScale(float scaleX, float scaleY) {
    WithContext([&](DrawingContext& c) {
        c.scaleX = scaleX, c.scaleY = scaleY;
        kelp_render::UpdateMatrix(c);
    });
}

void GetDrawScale(float& scaleX, float& scaleY) {
    DrawingContext* c = CurrentDrawing();
    scaleX = c ? c->scaleX : 1.0f, scaleY = c ? c->scaleY : 1.0f;
}

void SetDrawTransform(float degrees, float scaleX, float scaleY) {
    WithContext([&](DrawingContext& c) {
        c.rotation = degrees, c.scaleX = scaleX, c.scaleY = scaleY;
        kelp_render::UpdateMatrix(c);
    });
}

void SetDrawOrigin(float x, float y) {
    WithContext([&](DrawingContext& c) { c.originX = x, c.originY = y; });
}

void GetDrawOrigin(float& x, float& y) {
    DrawingContext* c = CurrentDrawing();
    x = c ? c->originX : 0.0f, y = c ? c->originY : 0.0f;
}

void SetDrawHandle(float x, float y) {
    WithContext([&](DrawingContext& c) { c.handleX = -x, c.handleY = -y; });
}

void GetDrawHandle(float& x, float& y) {
    DrawingContext* c = CurrentDrawing();
    x = c ? c->handleX : 0.0f, y = c ? c->handleY : 0.0f;
}

void SetLoadMaskColor(int32_t red, int32_t green, int32_t blue) {
    kelp_render::maskRed = red, kelp_render::maskGreen = green, kelp_render::maskBlue = blue;
}

void GetLoadMaskColor(int32_t& red, int32_t& green, int32_t& blue) {
    red = kelp_render::maskRed, green = kelp_render::maskGreen, blue = kelp_render::maskBlue;
}

void ClearScreen() {
    WithContext([](DrawingContext&) { Driver().ClearBuffer(); });
}

void PlotPoint(float x, float y) {
    WithContext([&](DrawingContext& c) { Driver().DrawPointAt(x + c.originX, y + c.originY); });
}

void DrawLineSegment(float x0, float y0, float x1, float y1, bool drawLastPixel) {
    WithContext([&](DrawingContext& c) {
        float hx = c.handleX, hy = c.handleY, dx = x1 - x0, dy = y1 - y0;
        float tx = x0 + c.originX, ty = y0 + c.originY;
        Driver().EmitLine(hx, hy, hx + dx, hy + dy, tx, ty);
        if (drawLastPixel)
            Driver().DrawPointAt((dx + hx) * c.ix + (dy + hy) * c.iy + tx,
                                 (dx + hx) * c.jx + (dy + hy) * c.jy + ty);
    });
}

void FillRectangle(float x, float y, float width, float height) {
    WithContext([&](DrawingContext& c) {
        Driver().EmitRect(c.handleX, c.handleY, c.handleX + width, c.handleY + height,
                          x + c.originX, y + c.originY);
    });
}

void FillEllipse(float x, float y, float width, float height) {
    WithContext([&](DrawingContext& c) {
        Driver().EmitEllipse(c.handleX, c.handleY, c.handleX + width, c.handleY + height,
                             x + c.originX, y + c.originY);
    });
}

void FillPolygon(const std::vector<float>& xy) {
    WithContext([&](DrawingContext& c) {
        Driver().EmitPolygon(xy, c.handleX, c.handleY, c.originX, c.originY);
    });
}
