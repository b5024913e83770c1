// The 2D drawing layer: graphics contexts and frame presentation, the drawing
// state and primitives, images with animation frames, the OpenGL 2D driver
// and the built-in text font. Main thread only.
#pragma once

#include "image/image.h"

#include <functional>
#include <string>
#include <vector>

// ---- Graphics contexts -------------------------------------------------------

struct TGraphicsMode {
    int32_t width = 0, height = 0, depth = 0, hertz = 0;
    std::string ToString() const;  // "800,600,32 60Hz"
};

// Flags of a context request.
enum GraphicsFlag : int32_t {
    GRAPHICS_BACKBUFFER = 2,
    GRAPHICS_ALPHABUFFER = 4,
    GRAPHICS_DEPTHBUFFER = 8,
    GRAPHICS_STENCILBUFFER = 16,
    GRAPHICS_ACCUMBUFFER = 32,
};

class ContextDriver;

class TGraphics : public TObject {
public:
    virtual ContextDriver* OwnerDriver() = 0;
    virtual void QuerySettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz,
                               int32_t& flags) = 0;
    virtual void Close() = 0;
};
using GraphicsRef = std::shared_ptr<TGraphics>;

class ContextDriver {
public:
    virtual ~ContextDriver() = default;
    virtual std::vector<TGraphicsMode> EnumerateModes() = 0;
    virtual GraphicsRef AttachToWindow(void* sdlWindow, int32_t flags) = 0;
    virtual GraphicsRef CreateContext(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                      int32_t flags) = 0;
    virtual void SelectContext(TGraphics* context) = 0;
    virtual void SwapFrame(int32_t sync) = 0;
};

// Windows and OpenGL contexts over SDL. Every context shares its textures
// with a hidden 1 x 1 context made first, and draws into an off-screen target
// that keeps the picture from one frame to the next.
class GLGraphicsDriver : public ContextDriver {
public:
    static GLGraphicsDriver& Instance();
    // Switches between the shared context and the current graphics context.
    virtual void UseSharedContext() = 0;
    // The SDL window of a context this driver made; null for others.
    virtual void* WindowOf(TGraphics* context) = 0;
};

void SelectGraphicsDriver(ContextDriver* driver, int32_t defaultFlags);
ContextDriver* CurrentGraphicsDriver();
int32_t GraphicsDefaultFlags();
const std::vector<TGraphicsMode>& ListDisplayModes();
int32_t CountDisplayModes();
bool GetDisplayMode(int32_t index, int32_t& width, int32_t& height, int32_t& depth,
                    int32_t& hertz);
bool DisplayModeExists(int32_t width, int32_t height, int32_t depth, int32_t hertz);
GraphicsRef CreateGraphicsContext(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                  int32_t flags);
GraphicsRef AttachGraphicsContext(void* sdlWindow, int32_t flags);
void MakeContextCurrent(const GraphicsRef& context);
void CloseGraphicsContext(const GraphicsRef& context);
GraphicsRef CurrentGraphicsContext();
int32_t GetScreenWidth();
int32_t GetScreenHeight();
int32_t GetScreenDepth();
int32_t GetScreenRefreshRate();
int32_t GetScreenFlags();
// Bumped whenever the screen opens or closes; never 0.
int32_t GraphicsSequence();
int32_t FlipHookId();

// Mesa's software renderer, where there is no GPU, splits every frame across
// all cores; one thread of it costs a quarter less CPU per frame and leaves the
// game's and the mixer's threads a core. Kept when the user has set it. Freed
// memory stays with the process, for the renderer takes it again every frame.
// Call before any other thread starts: the environment is not safe to change under them.
void TuneForSoftwareRenderer();

// When the X server goes away, Xlib ends the program from inside whichever
// call noticed, on any thread. The main thread then runs `lastWords` (which
// must not draw) and ends the program with status 1; other threads wait for it.
void SetDisplayLostHandler(std::function<void()> lastWords);

// Depth 0 opens a window; hertz 0 presents on the vertical blank. Null when
// no window or OpenGL context can be made.
GraphicsRef OpenScreen(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags);
void CloseScreen();
// The picture the desktop shows for the screen's window.
void SetScreenIcon(const TPixmap& icon);

// A screen opened in a window keeps its own size, and is shown in the largest
// centred rectangle of its shape that the window holds, smoothly scaled, with
// black bars beside it. The window starts at a size that fits the display and
// can be resized.
struct PresentRect {
    int32_t x = 0, y = 0, width = 0, height = 0;  // from the top left
    bool operator==(const PresentRect&) const = default;
};
PresentRect PresentRectFor(int32_t width, int32_t height, int32_t areaWidth, int32_t areaHeight);
// Between desktop full screen and the window's last size.
void ToggleFullScreen();
bool IsFullScreen();
// A point of the window (in its own coordinates, as pointer events give
// them) in screen coordinates; false where no window shows the screen.
bool WindowPointToScreen(int32_t windowX, int32_t windowY, float& x, float& y);
// 0 at once, 1 on the vertical blank, -1 paced to the screen's hertz.
void PresentFrame(int32_t sync);
// Returns once everything drawn so far is on the screen's target, so that a
// present after it is quick and lands on time.
void FinishDrawing();
// Draws what is drawn so far before more is drawn. A software renderer holds
// a frame's work lists until it draws them: drawn in parts, a frame needs
// one part's memory at a time, not the whole frame's. A browser's renderer
// is left to draw the frame whole.
void FinishDrawingPart();

// ---- Drawing state and primitives --------------------------------------------

enum BlendMode : int32_t {
    BLEND_MASK = 1,
    BLEND_SOLID = 2,
    BLEND_ALPHA = 3,
    BLEND_ADD = 4,
    BLEND_MULTIPLY = 5,
};

class ImageFont;
using FontRef = std::shared_ptr<ImageFont>;

void SetDrawColor(int32_t red, int32_t green, int32_t blue);
void GetDrawColor(int32_t& red, int32_t& green, int32_t& blue);
void SetDrawAlpha(float alpha);
float GetDrawAlpha();
void SetClearColor(int32_t red, int32_t green, int32_t blue);
void GetClearColor(int32_t& red, int32_t& green, int32_t& blue);
void SetLineThickness(float width);
float GetLineThickness();
void SetBlendMode(int32_t mode);
int32_t GetBlendMode();
void SetViewportRect(int32_t x, int32_t y, int32_t width, int32_t height);
void GetViewportRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height);
void SetDrawRotation(float degrees);
float GetDrawRotation();
void SetDrawScale(float scaleX, float scaleY);
void GetDrawScale(float& scaleX, float& scaleY);
void SetDrawTransform(float degrees, float scaleX, float scaleY);
void SetDrawOrigin(float x, float y);
void GetDrawOrigin(float& x, float& y);
void SetDrawHandle(float x, float y);
void GetDrawHandle(float& x, float& y);  // the stored, negated values
void SetLoadMaskColor(int32_t red, int32_t green, int32_t blue);
void GetLoadMaskColor(int32_t& red, int32_t& green, int32_t& blue);

void ClearScreen();
void PlotPoint(float x, float y);
void DrawLineSegment(float x0, float y0, float x1, float y1, bool drawLastPixel = true);
void FillRectangle(float x, float y, float width, float height);
void FillEllipse(float x, float y, float width, float height);
void FillPolygon(const std::vector<float>& xy);

// Segments of the polygon that stands for an ellipse of these radii.
int32_t EllipseSegmentCount(float radiusX, float radiusY);

// ---- Images ------------------------------------------------------------------

enum ImageFlag : int32_t {
    IMAGE_MASKED = 1,
    IMAGE_FILTERED = 2,
    IMAGE_MIPMAPPED = 4,
    IMAGE_EDITABLE = 8,
};

// A picture on the graphics card: draws the whole frame stretched over a local
// rectangle, transformed by the current matrix and moved by (tx, ty).
class TImageFrame : public TObject {
public:
    virtual void DrawQuad(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
};
using FrameRef = std::shared_ptr<TImageFrame>;

// The OpenGL frame: a texture of textureWidth x textureHeight whose top-left
// uMax x vMax part holds the picture. Drawn where transparent texels change
// nothing (alpha, additive and masked blending), a quad covers only the part
// of the picture that is not wholly transparent, its share given by `visible`.
class GLImageFrame : public TImageFrame {
public:
    ~GLImageFrame() override;
    void DrawQuad(float x0, float y0, float x1, float y1, float tx, float ty) override;

    float uMin = 0, vMin = 0, uMax = 0, vMax = 0;
    float visibleLeft = 0, visibleTop = 0, visibleRight = 1, visibleBottom = 1;
    uint32_t texture = 0;
    int32_t textureWidth = 0, textureHeight = 0;
    int32_t sequence = 0;
};

class TImage;
using ImageRef = std::shared_ptr<TImage>;

class TImage : public TObject {
public:
    int32_t width = 0, height = 0;
    int32_t flags = 0;
    int32_t maskRed = 0, maskGreen = 0, maskBlue = 0;
    float handleX = 0, handleY = 0;
    std::vector<PixmapRef> pixmaps;
    std::vector<FrameRef> frames;
    std::vector<int32_t> frameSequence;
    // A picture loaded from a file lets its pixel maps go once they are on the
    // graphics card, and reads them again from there when asked for them.
    // Pixels made or changed here have no source and are always kept.
    struct Source {
        std::string url;
        int32_t cellWidth = 0, cellHeight = 0, firstCell = 0;  // a strip's cells; 0 wide for a whole picture
    } source;

    FrameRef DriverFrame(int32_t index);
    PixmapRef PixelsFor(int32_t index, bool read, bool write);
    void ReplacePixels(int32_t index, PixmapRef pixmap);

    static ImageRef Create(int32_t width, int32_t height, int32_t frameCount, int32_t flags,
                           int32_t maskRed, int32_t maskGreen, int32_t maskBlue);
    static ImageRef LoadFrom(PixmapRef pixmap, int32_t flags, int32_t maskRed, int32_t maskGreen,
                             int32_t maskBlue);
    static ImageRef LoadStrip(PixmapRef pixmap, int32_t cellWidth, int32_t cellHeight,
                              int32_t firstCell, int32_t cellCount, int32_t flags, int32_t maskRed,
                              int32_t maskGreen, int32_t maskBlue);
};

// Flags -1 take the default image flags; null when the picture does not load
// or a strip holds too few whole cells.
ImageRef LoadImageFromUrl(const std::string& url, int32_t flags);
ImageRef LoadImageStrip(const std::string& url, int32_t cellWidth, int32_t cellHeight,
                        int32_t firstCell, int32_t cellCount, int32_t flags);
ImageRef CreateBlankImage(int32_t width, int32_t height, int32_t frameCount, int32_t flags);
void SetAutoCentreHandle(bool enable);
void SetDefaultImageFlags(int32_t flags);  // -1 keeps the setting
int32_t DefaultImageFlags();
void PlaceImageHandle(const ImageRef& image, float x, float y);
void CentreImageHandle(const ImageRef& image);
int32_t ImageWidthOf(const ImageRef& image);
int32_t ImageHeightOf(const ImageRef& image);
PixmapRef AccessImagePixels(const ImageRef& image, int32_t frame, bool read, bool write);
void ReleaseImagePixels(const ImageRef& image, int32_t frame);
void DrawImageAt(const ImageRef& image, float x, float y, int32_t frame = 0);
void DrawImageRegion(const ImageRef& image, float x, float y, float width, float height,
                     int32_t frame = 0);
void TileImageAt(const ImageRef& image, float x, float y, int32_t frame = 0);
void CaptureScreenToImage(const ImageRef& image, int32_t x, int32_t y, int32_t frame = 0);

// ---- Light layers ------------------------------------------------------------

// An off-screen picture of soft light at a resolution of its own, usually far
// below the screen's, composited over the screen in one pass. While a layer is
// begun, drawing lands in it, in screen coordinates scaled to its size, and
// changes only its colour: what it covers of the screen stays as cleared.
class TLayer;
using LayerRef = std::shared_ptr<TLayer>;

LayerRef CreateLayer(int32_t width, int32_t height);
// Starts drawing into the layer, cleared to the colour that will veil the
// screen by `coverage` (0 for light alone). One layer at a time.
void BeginLayer(const LayerRef& layer, int32_t red, int32_t green, int32_t blue, float coverage);
void EndLayer();
// The screen keeps 1 - coverage of itself and gains the layer's colour,
// stretched over it, each layer pixel a block of screen pixels.
void DrawLayer(const LayerRef& layer);

// ---- The OpenGL 2D driver's texture and pixel access ---------------------------

// Builds a texture from the pixel map; raises "Unable to calculate tex size"
// when not even a 1 x 1 texture is possible.
FrameRef UploadFrame(const TPixmap& pixmap, int32_t flags);
// Whether a texture of this size can be made; the default asks OpenGL.
void SetTextureSizeCheck(std::function<bool(int32_t, int32_t)> check);
// Textures bound by drawing since the start, for spotting redundant binds.
int64_t TextureBindCount();
void BlitPixmap(const TPixmap& pixmap, int32_t x, int32_t y);
// The screen rectangle as RGBA, top row first.
PixmapRef ReadScreenPixels(int32_t x, int32_t y, int32_t width, int32_t height);

// ---- Text --------------------------------------------------------------------

class ImageFont {
public:
    virtual ~ImageFont() = default;
    virtual int32_t Height() const = 0;
    virtual int32_t GlyphCount() const = 0;
    virtual int32_t CharToGlyph(int32_t code) const = 0;  // -1 when absent
    virtual const ImageRef& GlyphImage(int32_t glyph) const = 0;
    virtual float GlyphAdvance(int32_t glyph) const = 0;
};

FontRef CreateBuiltInFont();
void SelectTextFont(FontRef font);  // null selects the built-in font
FontRef CurrentTextFont();
void DrawTextAt(const std::string& text, float x, float y);
int32_t TextWidthOf(const std::string& text);
int32_t TextHeightOf(const std::string& text);
