// The OpenGL 2D driver: batched drawing with a pixel-exact projection,
// cached texture, texturing and blend state, and textures made from pixel maps.
#include "render/internal.h"

#include <SDL_opengl.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace kelp_render {
namespace {

struct GLState {
    GLuint boundTexture = 0;
    bool texturing = false;
    int32_t blendMode = 0;
    uint8_t colour[4] = {};
    float ix = 1, iy = 0, jx = 0, jy = 1;
    int64_t binds = 0;
    std::function<bool(int32_t, int32_t)> sizeCheck;
};

GLState gl;

// Drawing gathers into one vertex array, handed to OpenGL in one call when
// the state it was drawn with is about to change: the software renderer pays
// dearly per call and little per vertex. Quads and polygons become triangles.
class VertexBatch {
public:
    // Room for n more vertices of the primitive, drawing what came before if
    // it was another primitive or the array is full.
    void Reserve(GLenum mode, size_t n) {
        if (mode != primitive || count + n > Capacity) Flush();
        primitive = mode;
    }

    void Add(float x, float y, float u = 0, float v = 0) {
        vertices[count++] = {x, y, u, v, {gl.colour[0], gl.colour[1], gl.colour[2], gl.colour[3]}};
    }

    void Flush() {
        if (count == 0) return;
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &vertices[0].x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &vertices[0].u);
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), vertices[0].colour);
        glDrawArrays(primitive, 0, static_cast<GLsizei>(count));
        count = 0;
    }

private:
    struct Vertex {
        float x, y, u, v;
        uint8_t colour[4];
    };
    static constexpr size_t Capacity = 6 * 1024;
    std::array<Vertex, Capacity> vertices;
    size_t count = 0;
    GLenum primitive = GL_TRIANGLES;
};

VertexBatch batch;

void TexturingOff() {
    if (!gl.texturing) return;
    batch.Flush();
    glDisable(GL_TEXTURE_2D);
    gl.texturing = false;
}

void BindTexture(GLuint texture) {
    if (texture != gl.boundTexture) {
        batch.Flush();
        glBindTexture(GL_TEXTURE_2D, texture);
        gl.boundTexture = texture;
        ++gl.binds;
    }
    if (!gl.texturing) {
        batch.Flush();
        glEnable(GL_TEXTURE_2D);
        gl.texturing = true;
    }
}

// A point of the current matrix, moved by (tx, ty).
struct Placed {
    float x, y;
};

Placed Place(float x, float y, float tx, float ty) {
    return {x * gl.ix + y * gl.iy + tx, x * gl.jx + y * gl.jy + ty};
}

void AddPlaced(Placed p, float u = 0, float v = 0) { batch.Add(p.x, p.y, u, v); }

// A quad's corners in drawing order, as two triangles.
void AddQuad(const Placed (&corner)[4], const float (&u)[4], const float (&v)[4]) {
    batch.Reserve(GL_TRIANGLES, 6);
    for (int i : {0, 1, 2, 0, 2, 3}) AddPlaced(corner[i], u[i], v[i]);
}

// A convex polygon as a fan of triangles from its first corner; the array may
// fill between triangles.
class Fan {
public:
    void Add(Placed p) {
        if (corners >= 2) {
            batch.Reserve(GL_TRIANGLES, 3);
            AddPlaced(first), AddPlaced(last), AddPlaced(p);
        }
        if (corners == 0) first = p;
        last = p;
        ++corners;
    }

private:
    Placed first{}, last{};
    int corners = 0;
};

#ifdef __EMSCRIPTEN__
// WebGL has no proxy textures; it states its limit.
bool ProxyAccepts(int32_t width, int32_t height) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return width <= largest && height <= largest;
}
#else
bool ProxyAccepts(int32_t width, int32_t height) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint accepted = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted);
    return accepted != 0;
}
#endif

int32_t PowerOfTwoAtLeast(int32_t n) {
    int32_t power = 1;
    while (power < n) power *= 2;
    return power;
}

// The largest texture the library takes, halving both sides together.
void TextureSize(int32_t width, int32_t height, int32_t& tw, int32_t& th) {
    tw = PowerOfTwoAtLeast(width);
    th = PowerOfTwoAtLeast(height);
    const auto& accepts = gl.sizeCheck ? gl.sizeCheck : ProxyAccepts;
    while (!accepts(tw, th)) {
        if (tw == 1 && th == 1) RaiseRuntimeError("Unable to calculate tex size");
        if (tw > 1) tw /= 2;
        if (th > 1) th /= 2;
    }
}

// The picture in the top-left corner of a tw x th RGBA map, with its last
// column and row repeated once so filtering never pulls in foreign texels.
PixmapRef PadToTexture(const TPixmap& picture, int32_t tw, int32_t th) {
    int32_t w = picture.width, h = picture.height;
    if (w == tw && h == th) return picture.ConvertedTo(FMT_RGBA32);
    PixmapRef padded = CreatePixelMap(tw, th, FMT_RGBA32, 4);
    padded->PasteFrom(picture, 0, 0);
    if (w < tw)
        for (int32_t y = 0; y < h; ++y) std::memcpy(padded->PixelAddress(w, y), padded->PixelAddress(w - 1, y), 4);
    if (h < th) std::memcpy(padded->PixelAddress(0, h), padded->PixelAddress(0, h - 1), static_cast<size_t>(w) * 4);
    if (w < tw && h < th) std::memcpy(padded->PixelAddress(w, h), padded->PixelAddress(w - 1, h - 1), 4);
    return padded;
}

// Level 0 as PadToTexture lays it out, uploaded straight from the picture
// with its last column and row sent again beside it: no padded copy, which
// for a screen-sized picture is megabytes.
void UploadPadded(const TPixmap& rgba, int32_t tw, int32_t th) {
    int32_t w = rgba.width, h = rgba.height;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.pixels);
    if (w < tw) {
        std::vector<uint32_t> column(static_cast<size_t>(h));
        for (int32_t y = 0; y < h; ++y) std::memcpy(&column[size_t(y)], rgba.PixelAddress(w - 1, y), 4);
        glTexSubImage2D(GL_TEXTURE_2D, 0, w, 0, 1, h, GL_RGBA, GL_UNSIGNED_BYTE, column.data());
    }
    if (h < th) glTexSubImage2D(GL_TEXTURE_2D, 0, 0, h, w, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.PixelAddress(0, h - 1));
    if (w < tw && h < th)
        glTexSubImage2D(GL_TEXTURE_2D, 0, w, h, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.PixelAddress(w - 1, h - 1));
}

void AllocateLevels(int32_t tw, int32_t th, bool mipmapped) {
    for (int32_t level = 0;; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, TextureFormat, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        if (!mipmapped || (tw == 1 && th == 1)) return;
        tw = tw > 1 ? tw / 2 : 1;
        th = th > 1 ? th / 2 : 1;
    }
}

void UploadLevels(PixmapRef level, bool mipmapped) {
    for (int32_t index = 0;; ++index) {
        // Rows tightly packed: WebGL 1 reads no other way.
        if (level->pitch != level->width * 4) level = level->ConvertedTo(FMT_RGBA32);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, index, 0, 0, level->width, level->height, GL_RGBA,
                        GL_UNSIGNED_BYTE, level->pixels);
        if (!mipmapped || (level->width == 1 && level->height == 1)) break;
        level = ResizePixelMap(*level, std::max(level->width / 2, 1), std::max(level->height / 2, 1));
    }
}

// The smallest rectangle outside which every texel of the picture is wholly
// transparent, widened by a texel where filtering reads neighbours.
void FindVisiblePart(const TPixmap& rgba, int32_t width, int32_t height, bool filtered,
                     GLImageFrame& frame) {
    int32_t left = width, top = height, right = -1, bottom = -1;
    for (int32_t y = 0; y < height; ++y) {
        const auto* row = static_cast<const uint8_t*>(rgba.PixelAddress(0, y));
        for (int32_t x = 0; x < width; ++x) {
            if (row[x * 4 + 3] == 0) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return;  // nothing visible: drawn whole, as any picture
    int32_t margin = filtered ? 1 : 0;
    frame.visibleLeft = static_cast<float>(std::max(left - margin, 0)) / width;
    frame.visibleTop = static_cast<float>(std::max(top - margin, 0)) / height;
    frame.visibleRight = static_cast<float>(std::min(right + 1 + margin, width)) / width;
    frame.visibleBottom = static_cast<float>(std::min(bottom + 1 + margin, height)) / height;
}

FrameRef BuildFrame(const TPixmap& source, int32_t flags) {
    int32_t tw = 0, th = 0;
    TextureSize(source.width, source.height, tw, th);
    PixmapRef resized;
    if (source.width > tw || source.height > th)
        resized = ResizePixelMap(source, std::min(source.width, tw), std::min(source.height, th));
    const TPixmap& picture = resized ? *resized : source;

    auto frame = std::make_shared<GLImageFrame>();
    glGenTextures(1, &frame->texture);
    glBindTexture(GL_TEXTURE_2D, frame->texture);
    bool mipmapped = flags & IMAGE_MIPMAPPED;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, (flags & IMAGE_FILTERED) ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST);
    AllocateLevels(tw, th, mipmapped);
    if (mipmapped) {
        UploadLevels(PadToTexture(picture, tw, th), true);
    } else {
        // Tightly packed RGBA rows, as WebGL 1 reads them; most pictures already are.
        bool tight = picture.format == FMT_RGBA32 && picture.pitch == picture.width * 4;
        PixmapRef converted = tight ? nullptr : picture.ConvertedTo(FMT_RGBA32);
        const TPixmap& rgba = tight ? picture : *converted;
        UploadPadded(rgba, tw, th);
        FindVisiblePart(rgba, picture.width, picture.height, flags & IMAGE_FILTERED, *frame);
    }
    glFlush();  // finished before another context samples it
    frame->uMax = static_cast<float>(picture.width) / tw;
    frame->vMax = static_cast<float>(picture.height) / th;
    frame->textureWidth = tw;
    frame->textureHeight = th;
    frame->sequence = GraphicsSequence();
    return frame;
}

class GL2D : public GL2DDriver {
public:
    std::vector<TGraphicsMode> EnumerateModes() override { return Context().EnumerateModes(); }
    GraphicsRef AttachToWindow(void* window, int32_t flags) override {
        return Wrap(Context().AttachToWindow(window, flags));
    }
    GraphicsRef CreateContext(int32_t w, int32_t h, int32_t d, int32_t hz, int32_t f) override {
        return Wrap(Context().CreateContext(w, h, d, hz, f));
    }
    void SwapFrame(int32_t sync) override { Context().SwapFrame(sync); }

    void SelectContext(TGraphics* context) override {
        batch.Flush();
        auto* drawing = static_cast<DrawingContext*>(context);
        if (!drawing) {
            Context().SelectContext(nullptr);
            return;
        }
        Context().SelectContext(drawing->underlying.get());
        gl.blendMode = 0;
        gl.boundTexture = 0;
        gl.texturing = false;
        glDisable(GL_TEXTURE_2D);
        int32_t width = GetScreenWidth(), height = GetScreenHeight();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, height, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glViewport(0, 0, width, height);
        EnterDrawingContext(drawing);
        ApplyClipRect(drawing->viewX, drawing->viewY, drawing->viewWidth, drawing->viewHeight);
        ApplyMatrix(drawing->ix, drawing->iy, drawing->jx, drawing->jy);
        ApplyColor(drawing->red, drawing->green, drawing->blue);
        ApplyAlpha(drawing->alpha);
    }

    void ApplyBlendMode(int32_t mode) override {
        if (mode == gl.blendMode) return;
        batch.Flush();
        gl.blendMode = mode;
        switch (mode) {
        case BLEND_MASK:
            glDisable(GL_BLEND);
            glEnable(GL_ALPHA_TEST);
            glAlphaFunc(GL_GREATER, 0.5f);
            break;
        case BLEND_ALPHA: Blend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
        case BLEND_ADD: Blend(GL_SRC_ALPHA, GL_ONE); break;
        case BLEND_MULTIPLY: Blend(GL_DST_COLOR, GL_ZERO); break;
        default:
            glDisable(GL_BLEND);
            glDisable(GL_ALPHA_TEST);
            break;
        }
    }

    void ApplyAlpha(float alpha) override {
        if (!(alpha >= 0)) alpha = 0;  // NaN counts as 0
        if (alpha > 1) alpha = 1;
        gl.colour[3] = static_cast<uint8_t>(TruncToInt(alpha * 255));
    }

    void ApplyColor(int32_t red, int32_t green, int32_t blue) override {
        gl.colour[0] = static_cast<uint8_t>(std::clamp(red, 0, 255));
        gl.colour[1] = static_cast<uint8_t>(std::clamp(green, 0, 255));
        gl.colour[2] = static_cast<uint8_t>(std::clamp(blue, 0, 255));
    }

    void ApplyClearColor(int32_t red, int32_t green, int32_t blue) override {
        glClearColor(std::clamp(red, 0, 255) / 255.0f, std::clamp(green, 0, 255) / 255.0f,
                     std::clamp(blue, 0, 255) / 255.0f, 1.0f);
    }

    void ApplyClipRect(int32_t x, int32_t y, int32_t width, int32_t height) override {
        batch.Flush();
        int32_t screenHeight = GetScreenHeight();
        if (x == 0 && y == 0 && width == GetScreenWidth() && height == screenHeight) {
            glDisable(GL_SCISSOR_TEST);
            return;
        }
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, screenHeight - y - height, width, height);
    }

    void ApplyMatrix(float ix, float iy, float jx, float jy) override {
        gl.ix = ix, gl.iy = iy, gl.jx = jx, gl.jy = jy;
    }

    void ApplyLineWidth(float width) override {
        batch.Flush();
        glLineWidth(width);
    }

    void ClearBuffer() override {
        batch.Flush();
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void DrawPointAt(float x, float y) override {
        TexturingOff();
        batch.Reserve(GL_POINTS, 1);
        batch.Add(x + 0.5f, y + 0.5f);
    }

    void EmitLine(float x0, float y0, float x1, float y1, float tx, float ty) override {
        TexturingOff();
        batch.Reserve(GL_LINES, 2);
        AddPlaced(Place(x0, y0, tx + 0.5f, ty + 0.5f));
        AddPlaced(Place(x1, y1, tx + 0.5f, ty + 0.5f));
    }

    void EmitRect(float x0, float y0, float x1, float y1, float tx, float ty) override {
        TexturingOff();
        const Placed corners[4] = {Place(x0, y0, tx, ty), Place(x1, y0, tx, ty), Place(x1, y1, tx, ty),
                                   Place(x0, y1, tx, ty)};
        AddQuad(corners, {}, {});
    }

    void EmitEllipse(float x0, float y0, float x1, float y1, float tx, float ty) override {
        TexturingOff();
        float rx = (x1 - x0) * 0.5f, ry = (y1 - y0) * 0.5f;
        float cx = x0 + rx, cy = y0 + ry;
        int32_t segments = EllipseSegmentCount(rx, ry);
        Fan fan;
        for (int32_t i = 0; i < segments; ++i) {
            double angle = i * 360.0 / segments * M_PI / 180.0;
            fan.Add(Place(cx + rx * static_cast<float>(std::cos(angle)),
                          cy - ry * static_cast<float>(std::sin(angle)), tx, ty));
        }
    }

    void EmitPolygon(const std::vector<float>& xy, float hx, float hy, float tx, float ty) override {
        if (xy.size() < 6 || xy.size() % 2 != 0) return;
        TexturingOff();
        Fan fan;
        for (size_t i = 0; i < xy.size(); i += 2) fan.Add(Place(xy[i] + hx, xy[i + 1] + hy, tx, ty));
    }

    void EmitPremultipliedOver(uint32_t texture) override {
        BindTexture(texture);
        batch.Flush();
        glEnable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        gl.blendMode = 0;  // the next drawing sets its own mode again
        // Untinted: the software renderer has a fast path for it.
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        float w = static_cast<float>(GetScreenWidth()), h = static_cast<float>(GetScreenHeight());
        // A target's first row is its bottom one.
        const Placed corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
        AddQuad(corners, {0, 1, 1, 0}, {1, 1, 0, 0});
        batch.Flush();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }

private:
    static GLGraphicsDriver& Context() { return GLGraphicsDriver::Instance(); }

    GraphicsRef Wrap(GraphicsRef context) {
        return context ? std::make_shared<DrawingContext>(std::move(context), this) : nullptr;
    }

    static void Blend(GLenum source, GLenum destination) {
        glEnable(GL_BLEND);
        glBlendFunc(source, destination);
        glDisable(GL_ALPHA_TEST);
    }
};

}  // namespace

GL2DDriver& GL2DDriver::Instance() {
    static auto& driver = *new GL2D;
    return driver;
}

}  // namespace kelp_render

using namespace kelp_render;

int32_t EllipseSegmentCount(float radiusX, float radiusY) {
    int32_t segments = std::max(TruncToInt(std::fabs(radiusX) + std::fabs(radiusY)), 12);
    return segments / 4 * 4;
}

void kelp_render::FlushDrawing() { batch.Flush(); }

void kelp_render::UnbindTexture() {
    batch.Flush();
    glBindTexture(GL_TEXTURE_2D, 0);
    gl.boundTexture = 0;
}

GLImageFrame::~GLImageFrame() {
    if (!texture || !SharedContextAlive()) return;
    GLGraphicsDriver::Instance().UseSharedContext();
    glDeleteTextures(1, &texture);
    GLGraphicsDriver::Instance().UseSharedContext();
    if (gl.boundTexture == texture) gl.boundTexture = 0;
}

void GLImageFrame::DrawQuad(float x0, float y0, float x1, float y1, float tx, float ty) {
    BindTexture(texture);
    float left = 0, top = 0, right = 1, bottom = 1;
    if (gl.blendMode == BLEND_ALPHA || gl.blendMode == BLEND_ADD || gl.blendMode == BLEND_MASK)
        left = visibleLeft, top = visibleTop, right = visibleRight, bottom = visibleBottom;
    auto across = [](float a, float b, float t) { return a + (b - a) * t; };
    float qx0 = across(x0, x1, left), qx1 = across(x0, x1, right);
    float qy0 = across(y0, y1, top), qy1 = across(y0, y1, bottom);
    float u0 = across(uMin, uMax, left), u1 = across(uMin, uMax, right);
    float v0 = across(vMin, vMax, top), v1 = across(vMin, vMax, bottom);
    const Placed corners[4] = {Place(qx0, qy0, tx, ty), Place(qx1, qy0, tx, ty), Place(qx1, qy1, tx, ty),
                               Place(qx0, qy1, tx, ty)};
    AddQuad(corners, {u0, u1, u1, u0}, {v0, v0, v1, v1});
}

FrameRef UploadFrame(const TPixmap& pixmap, int32_t flags) {
    GLGraphicsDriver::Instance().UseSharedContext();
    FrameRef frame;
    try {
        frame = BuildFrame(pixmap, flags);
    } catch (...) {
        GLGraphicsDriver::Instance().UseSharedContext();
        throw;
    }
    GLGraphicsDriver::Instance().UseSharedContext();
    // The shared context bound the new texture, not this one.
    gl.boundTexture = 0;
    return frame;
}

void SetTextureSizeCheck(std::function<bool(int32_t, int32_t)> check) { gl.sizeCheck = std::move(check); }
int64_t TextureBindCount() { return gl.binds; }

namespace {

// Raw pixel transfers work in blend mode 2, untextured.
class SolidPixelTransfer {
public:
    SolidPixelTransfer() : saved(gl.blendMode) {
        TexturingOff();
        GL2DDriver::Instance().ApplyBlendMode(BLEND_SOLID);
    }
    ~SolidPixelTransfer() { GL2DDriver::Instance().ApplyBlendMode(saved ? saved : BLEND_SOLID); }

private:
    int32_t saved;
};

}  // namespace

void BlitPixmap(const TPixmap& pixmap, int32_t x, int32_t y) {
    if (!CurrentDrawing()) return;
    SolidPixelTransfer transfer;
    batch.Flush();
    PixmapRef rgba = FlipVertically(*pixmap.ConvertedTo(FMT_RGBA32));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glRasterPos2f(static_cast<float>(x), static_cast<float>(y + pixmap.height));
    glDrawPixels(rgba->width, rgba->height, GL_RGBA, GL_UNSIGNED_BYTE, rgba->pixels);
}

PixmapRef ReadScreenPixels(int32_t x, int32_t y, int32_t width, int32_t height) {
    PixmapRef block = CreatePixelMap(width, height, FMT_RGBA32, 4);
    if (!CurrentDrawing()) return block;
    SolidPixelTransfer transfer;
    batch.Flush();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, GetScreenHeight() - height - y, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                 block->pixels);
    // OpenGL reads from the bottom row up; turned the right way round in place,
    // for a screen's worth of pixels is megabytes.
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::memcpy(row.data(), block->PixelAddress(0, top), row.size());
        std::memcpy(block->PixelAddress(0, top), block->PixelAddress(0, bottom), row.size());
        std::memcpy(block->PixelAddress(0, bottom), row.data(), row.size());
    }
    return block;
}
