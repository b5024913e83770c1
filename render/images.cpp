// Images: frames of equal size kept as pixel maps, uploaded as textures on
// first draw and again after the screen has been reopened. Pixel maps that
// can be read again from their file are not kept once uploaded.
#include "render/internal.h"

#include <algorithm>
#include <cmath>

namespace {

using kelp_render::CurrentDrawing;
using kelp_render::DrawingContext;

struct ImageSettings {
    bool autoCentre = false;
    int32_t defaultFlags = IMAGE_MASKED | IMAGE_FILTERED;
};

ImageSettings settings;

int32_t FlagsOrDefault(int32_t flags) { return flags == -1 ? settings.defaultFlags : flags; }

ImageRef Finish(ImageRef image) {
    if (image && settings.autoCentre) CentreImageHandle(image);
    return image;
}

bool ValidFrame(const ImageRef& image, int32_t frame) {
    return image && frame >= 0 && frame < static_cast<int32_t>(image->frames.size());
}

}  // namespace

namespace kelp_render {
void ResetImageSettings() { settings = ImageSettings{}; }
}  // namespace kelp_render

ImageRef TImage::Create(int32_t width, int32_t height, int32_t frameCount, int32_t flags,
                        int32_t maskRed, int32_t maskGreen, int32_t maskBlue) {
    auto image = std::make_shared<TImage>();
    image->width = width, image->height = height, image->flags = flags;
    image->maskRed = maskRed, image->maskGreen = maskGreen, image->maskBlue = maskBlue;
    image->pixmaps.resize(frameCount);
    image->frames.resize(frameCount);
    image->frameSequence.resize(frameCount);
    return image;
}

ImageRef TImage::LoadFrom(PixmapRef pixmap, int32_t flags, int32_t maskRed, int32_t maskGreen,
                          int32_t maskBlue) {
    if (!pixmap) return nullptr;
    ImageRef image = Create(pixmap->width, pixmap->height, 1, flags, maskRed, maskGreen, maskBlue);
    image->ReplacePixels(0, std::move(pixmap));
    return image;
}

ImageRef TImage::LoadStrip(PixmapRef pixmap, int32_t cellWidth, int32_t cellHeight,
                           int32_t firstCell, int32_t cellCount, int32_t flags, int32_t maskRed,
                           int32_t maskGreen, int32_t maskBlue) {
    if (!pixmap || cellWidth <= 0 || cellHeight <= 0 || firstCell < 0 || cellCount < 0)
        return nullptr;
    int32_t across = pixmap->width / cellWidth, down = pixmap->height / cellHeight;
    if (across * down < firstCell + cellCount) return nullptr;
    ImageRef image = Create(cellWidth, cellHeight, cellCount, flags, maskRed, maskGreen, maskBlue);
    for (int32_t cell = firstCell; cell < firstCell + cellCount; ++cell) {
        PixmapRef window = pixmap->SubWindow(cellWidth * (cell % across),
                                             cellHeight * (cell / across), cellWidth, cellHeight);
        image->ReplacePixels(cell - firstCell, window->Duplicate());
    }
    return image;
}

void TImage::ReplacePixels(int32_t index, PixmapRef pixmap) {
    if (pixmap && (flags & IMAGE_MASKED) && !FormatHasAlpha(pixmap->format))
        pixmap = ApplyMaskColour(*pixmap, maskRed, maskGreen, maskBlue);
    pixmaps[index] = std::move(pixmap);
    frameSequence[index] = 0;
    frames[index] = nullptr;
    source.url.clear();
}

namespace {

// The frames let go since they were loaded, read again from their file.
void ReadAgain(TImage& image) {
    const TImage::Source& source = image.source;
    PixmapRef whole = LoadPixelMap(source.url);
    int32_t count = static_cast<int32_t>(image.pixmaps.size());
    ImageRef again = source.cellWidth > 0
                         ? TImage::LoadStrip(whole, source.cellWidth, source.cellHeight, source.firstCell, count,
                                             image.flags, image.maskRed, image.maskGreen, image.maskBlue)
                         : TImage::LoadFrom(whole, image.flags, image.maskRed, image.maskGreen, image.maskBlue);
    if (!again) return;
    for (int32_t i = 0; i < count; ++i)
        if (!image.pixmaps[i]) image.pixmaps[i] = again->pixmaps[i];
}

}  // namespace

PixmapRef TImage::PixelsFor(int32_t index, bool, bool write) {
    if (!pixmaps[index] && !source.url.empty()) ReadAgain(*this);
    if (write) {
        frameSequence[index] = 0;
        frames[index] = nullptr;
        source.url.clear();  // its pixels are its own from now on
    }
    if (!pixmaps[index]) pixmaps[index] = CreatePixelMap(width, height, FMT_RGBA32, 4);
    return pixmaps[index];
}

FrameRef TImage::DriverFrame(int32_t index) {
    if (frameSequence[index] != GraphicsSequence()) {
        frameSequence[index] = GraphicsSequence();
        frames[index] = UploadFrame(*PixelsFor(index, true, false), flags);
        if (!source.url.empty()) pixmaps[index] = nullptr;
    }
    return frames[index];
}

ImageRef LoadImageFromUrl(const std::string& url, int32_t flags) {
    int32_t r, g, b;
    GetLoadMaskColor(r, g, b);
    ImageRef image = TImage::LoadFrom(LoadPixelMap(url), FlagsOrDefault(flags), r, g, b);
    if (image) image->source = {url, 0, 0, 0};
    return Finish(image);
}

ImageRef LoadImageStrip(const std::string& url, int32_t cellWidth, int32_t cellHeight,
                        int32_t firstCell, int32_t cellCount, int32_t flags) {
    int32_t r, g, b;
    GetLoadMaskColor(r, g, b);
    ImageRef image = TImage::LoadStrip(LoadPixelMap(url), cellWidth, cellHeight, firstCell, cellCount,
                                       FlagsOrDefault(flags), r, g, b);
    if (image) image->source = {url, cellWidth, cellHeight, firstCell};
    return Finish(image);
}

ImageRef CreateBlankImage(int32_t width, int32_t height, int32_t frameCount, int32_t flags) {
    int32_t r, g, b;
    GetLoadMaskColor(r, g, b);
    return Finish(TImage::Create(width, height, frameCount, FlagsOrDefault(flags) | IMAGE_EDITABLE,
                                 r, g, b));
}

void SetAutoCentreHandle(bool enable) { settings.autoCentre = enable; }

void SetDefaultImageFlags(int32_t flags) {
    if (flags != -1) settings.defaultFlags = flags;
}

int32_t DefaultImageFlags() { return settings.defaultFlags; }

void PlaceImageHandle(const ImageRef& image, float x, float y) {
    image->handleX = x, image->handleY = y;
}

void CentreImageHandle(const ImageRef& image) {
    image->handleX = image->width * 0.5f;
    image->handleY = image->height * 0.5f;
}

int32_t ImageWidthOf(const ImageRef& image) { return image->width; }
int32_t ImageHeightOf(const ImageRef& image) { return image->height; }

PixmapRef AccessImagePixels(const ImageRef& image, int32_t frame, bool read, bool write) {
    return ValidFrame(image, frame) ? image->PixelsFor(frame, read, write) : nullptr;
}

void ReleaseImagePixels(const ImageRef&, int32_t) {}

namespace {

// Whether the quad, transformed and moved by (tx, ty), lies wholly outside the
// viewport, where it could not touch a pixel.
bool OutsideViewport(const DrawingContext& c, float x0, float y0, float x1, float y1, float tx,
                     float ty) {
    float left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
    for (float x : {x0, x1})
        for (float y : {y0, y1}) {
            float sx = x * c.ix + y * c.iy + tx, sy = x * c.jx + y * c.jy + ty;
            left = std::min(left, sx), right = std::max(right, sx);
            top = std::min(top, sy), bottom = std::max(bottom, sy);
        }
    return right < c.viewX || bottom < c.viewY || left > c.viewX + c.viewWidth ||
           top > c.viewY + c.viewHeight;
}

}  // namespace

void DrawImageAt(const ImageRef& image, float x, float y, int32_t frame) {
    DrawingContext* c = CurrentDrawing();
    if (!c || !ValidFrame(image, frame)) return;
    float x0 = -image->handleX, y0 = -image->handleY;
    float x1 = image->width - image->handleX, y1 = image->height - image->handleY;
    float tx = x + c->originX, ty = y + c->originY;
    if (OutsideViewport(*c, x0, y0, x1, y1, tx, ty)) return;
    image->DriverFrame(frame)->DrawQuad(x0, y0, x1, y1, tx, ty);
}

void DrawImageRegion(const ImageRef& image, float x, float y, float width, float height,
                     int32_t frame) {
    DrawingContext* c = CurrentDrawing();
    if (!c || !ValidFrame(image, frame)) return;
    image->DriverFrame(frame)->DrawQuad(-image->handleX, -image->handleY, width - image->handleX,
                                        height - image->handleY, x + c->originX, y + c->originY);
}

void TileImageAt(const ImageRef& image, float x, float y, int32_t frame) {
    DrawingContext* c = CurrentDrawing();
    if (!c || !ValidFrame(image, frame) || image->width <= 0 || image->height <= 0) return;
    float rotation = c->rotation, scaleX = c->scaleX, scaleY = c->scaleY;
    SetDrawTransform(0, 1, 1);
    float w = float(image->width), h = float(image->height);
    float startX = x + c->originX - image->handleX, startY = y + c->originY - image->handleY;
    // First grid line at or left of (above) the viewport's edge.
    startX -= std::ceil((startX - c->viewX) / w) * w;
    startY -= std::ceil((startY - c->viewY) / h) * h;
    FrameRef driverFrame = image->DriverFrame(frame);
    for (float ty = startY; ty < c->viewY + c->viewHeight; ty += h)
        for (float tx = startX; tx < c->viewX + c->viewWidth; tx += w)
            driverFrame->DrawQuad(0, 0, w, h, tx, ty);
    SetDrawTransform(rotation, scaleX, scaleY);
}

void CaptureScreenToImage(const ImageRef& image, int32_t x, int32_t y, int32_t frame) {
    if (!ValidFrame(image, frame)) return;
    PixmapRef copy = ReadScreenPixels(x, y, image->width, image->height);
    if (image->flags & IMAGE_MASKED) {
        int32_t r, g, b;
        GetLoadMaskColor(r, g, b);
        copy = ApplyMaskColour(*copy, r, g, b);
    }
    image->pixmaps[frame] = copy;
    image->frameSequence[frame] = 0;
    image->frames[frame] = nullptr;
    image->source.url.clear();
}
