#include "image/image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

int32_t BytesPerPixel(int32_t format) {
    switch (format) {
    case FMT_GREY8:
    case FMT_ALPHA8: return 1;
    case FMT_BGR24:
    case FMT_RGB24: return 3;
    case FMT_BGRA32:
    case FMT_RGBA32: return 4;
    default: return 0;
    }
}

bool FormatHasAlpha(int32_t format) {
    return format == FMT_ALPHA8 || format == FMT_BGRA32 || format == FMT_RGBA32;
}

PixmapRef CreatePixelMap(int32_t width, int32_t height, int32_t format, int32_t align) {
    int64_t bytes = BytesPerPixel(format);
    if (bytes == 0 || width < 0 || height < 0 || align < 1) RaiseRuntimeError("Invalid pixel map");
    int64_t pitch = (width * bytes + align - 1) / align * align;
    if (pitch * height > INT32_MAX) RaiseRuntimeError("Invalid pixel map");
    auto map = std::make_shared<TPixmap>();
    map->width = width;
    map->height = height;
    map->format = format;
    map->pitch = static_cast<int32_t>(pitch);
    map->capacity = static_cast<int32_t>(pitch * height);
    // Left uninitialised: whoever asked for the map fills it.
    map->storage.reset(new uint8_t[static_cast<size_t>(std::max<int32_t>(map->capacity, 1))]);
    map->pixels = map->storage.get();
    return map;
}

PixmapRef CreateStaticPixelMap(void* pixels, int32_t width, int32_t height, int32_t pitch,
                               int32_t format) {
    auto map = std::make_shared<TPixmap>();
    map->pixels = static_cast<uint8_t*>(pixels);
    map->width = width;
    map->height = height;
    map->pitch = pitch;
    map->format = format;
    map->capacity = -1;
    return map;
}

uint8_t* TPixmap::PixelAddress(int32_t x, int32_t y) const {
    return pixels + static_cast<ptrdiff_t>(y) * pitch +
           static_cast<ptrdiff_t>(x) * BytesPerPixel(format);
}

PixmapRef TPixmap::SubWindow(int32_t x, int32_t y, int32_t w, int32_t h) const {
    PixmapRef window = CreateStaticPixelMap(PixelAddress(x, y), w, h, pitch, format);
    // The memory must outlive every window onto it.
    window->owner = capacity >= 0 ? std::const_pointer_cast<TPixmap>(weak_from_this().lock())
                                  : owner;
    return window;
}

PixmapRef TPixmap::Duplicate() const {
    PixmapRef copy = CreatePixelMap(width, height, format, 4);
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(copy->PixelAddress(0, row), PixelAddress(0, row), width * BytesPerPixel(format));
    return copy;
}

void TPixmap::PasteFrom(const TPixmap& source, int32_t x, int32_t y) {
    for (int32_t row = 0; row < source.height; ++row)
        ConvertPixelRow(source.PixelAddress(0, row), source.format, PixelAddress(x, y + row),
                        format, source.width);
}

PixmapRef TPixmap::ConvertedTo(int32_t targetFormat) const {
    PixmapRef converted = CreatePixelMap(width, height, targetFormat, 4);
    converted->PasteFrom(*this, 0, 0);
    return converted;
}

uint32_t TPixmap::ReadPixelArgb(int32_t x, int32_t y) const {
    const uint8_t* p = PixelAddress(x, y);
    auto argb = [](uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
        return a << 24 | r << 16 | g << 8 | b;
    };
    switch (format) {
    case FMT_GREY8: return argb(255, p[0], p[0], p[0]);
    case FMT_ALPHA8: return argb(p[0], 255, 255, 255);
    case FMT_BGR24: return argb(255, p[2], p[1], p[0]);
    case FMT_RGB24: return argb(255, p[0], p[1], p[2]);
    case FMT_BGRA32: return argb(p[3], p[2], p[1], p[0]);
    case FMT_RGBA32: return argb(p[3], p[0], p[1], p[2]);
    default: return 0;
    }
}

void TPixmap::WritePixelArgb(int32_t x, int32_t y, uint32_t argb) {
    uint8_t rgba[4] = {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)};
    ConvertPixelRow(rgba, FMT_RGBA32, PixelAddress(x, y), format, 1);
}

namespace {

void ExpandToRgba(const uint8_t* s, int32_t format, uint8_t* t, int32_t count) {
    for (int32_t i = 0; i < count; ++i, t += 4) {
        switch (format) {
        case FMT_GREY8: t[0] = t[1] = t[2] = s[i], t[3] = 255; break;
        case FMT_ALPHA8: t[0] = t[1] = t[2] = 255, t[3] = s[i]; break;
        case FMT_BGR24: t[0] = s[3 * i + 2], t[1] = s[3 * i + 1], t[2] = s[3 * i], t[3] = 255; break;
        case FMT_RGB24: t[0] = s[3 * i], t[1] = s[3 * i + 1], t[2] = s[3 * i + 2], t[3] = 255; break;
        case FMT_BGRA32:
            t[0] = s[4 * i + 2], t[1] = s[4 * i + 1], t[2] = s[4 * i], t[3] = s[4 * i + 3];
            break;
        default: break;
        }
    }
}

void PackFromRgba(const uint8_t* s, uint8_t* t, int32_t format, int32_t count) {
    for (int32_t i = 0; i < count; ++i, s += 4) {
        switch (format) {
        case FMT_GREY8: t[i] = static_cast<uint8_t>((s[0] + s[1] + s[2]) / 3); break;
        case FMT_ALPHA8: t[i] = s[3]; break;
        case FMT_BGR24: t[3 * i] = s[2], t[3 * i + 1] = s[1], t[3 * i + 2] = s[0]; break;
        case FMT_RGB24: t[3 * i] = s[0], t[3 * i + 1] = s[1], t[3 * i + 2] = s[2]; break;
        case FMT_BGRA32:
            t[4 * i] = s[2], t[4 * i + 1] = s[1], t[4 * i + 2] = s[0], t[4 * i + 3] = s[3];
            break;
        default: break;
        }
    }
}

// An RGBA copy of the map, or the map itself when it is RGBA already.
PixmapRef RgbaView(const TPixmap& pixmap) {
    if (pixmap.format == FMT_RGBA32)
        return CreateStaticPixelMap(pixmap.pixels, pixmap.width, pixmap.height, pixmap.pitch,
                                    FMT_RGBA32);
    return pixmap.ConvertedTo(FMT_RGBA32);
}

bool MatchesMask(const uint8_t* p, int32_t red, int32_t green, int32_t blue) {
    return p[0] == red && p[1] == green && p[2] == blue;
}

// The average colour of the unmasked pixels around (x, y), with alpha 0.
void WriteMaskedPixel(const TPixmap& rgba, int32_t x, int32_t y, int32_t red, int32_t green,
                      int32_t blue, uint8_t* target) {
    int32_t sum[3] = {}, count = 0;
    for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, rgba.height - 1); ++ny) {
        for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, rgba.width - 1); ++nx) {
            const uint8_t* neighbour = rgba.PixelAddress(nx, ny);
            if (MatchesMask(neighbour, red, green, blue)) continue;
            for (int c = 0; c < 3; ++c) sum[c] += neighbour[c];
            ++count;
        }
    }
    for (int c = 0; c < 3; ++c) target[c] = static_cast<uint8_t>(count ? sum[c] / count : 0);
    target[3] = 0;
}

struct Sample {
    int32_t first;
    int32_t second;
    float weight;
};

// Bilinear source positions, clamped so edge pixels blend only with themselves.
Sample SampleAt(int32_t index, int32_t sourceSize, int32_t targetSize) {
    float position = (index + 0.5f) * (static_cast<float>(sourceSize) / targetSize) - 0.5f;
    int32_t first = static_cast<int32_t>(std::floor(position));
    if (first < 0) return {0, 0, 0.0f};
    if (first >= sourceSize - 1) return {sourceSize - 1, sourceSize - 1, 0.0f};
    return {first, first + 1, position - first};
}

}  // namespace

void ConvertPixelRow(const uint8_t* source, int32_t sourceFormat, uint8_t* target,
                     int32_t targetFormat, int32_t count) {
    if (count <= 0) return;
    if (sourceFormat == targetFormat) {
        std::memmove(target, source, static_cast<size_t>(count) * BytesPerPixel(sourceFormat));
        return;
    }
    if (sourceFormat == FMT_RGBA32) {
        PackFromRgba(source, target, targetFormat, count);
        return;
    }
    if (targetFormat == FMT_RGBA32) {
        ExpandToRgba(source, sourceFormat, target, count);
        return;
    }
    std::vector<uint8_t> rgba(static_cast<size_t>(count) * 4);
    ExpandToRgba(source, sourceFormat, rgba.data(), count);
    PackFromRgba(rgba.data(), target, targetFormat, count);
}

PixmapRef ApplyMaskColour(const TPixmap& pixmap, int32_t red, int32_t green, int32_t blue) {
    PixmapRef rgba = RgbaView(pixmap);
    PixmapRef masked = CreatePixelMap(pixmap.width, pixmap.height, FMT_RGBA32, 4);
    for (int32_t y = 0; y < pixmap.height; ++y) {
        for (int32_t x = 0; x < pixmap.width; ++x) {
            const uint8_t* p = rgba->PixelAddress(x, y);
            uint8_t* t = masked->PixelAddress(x, y);
            if (MatchesMask(p, red, green, blue)) {
                WriteMaskedPixel(*rgba, x, y, red, green, blue, t);
            } else {
                t[0] = p[0], t[1] = p[1], t[2] = p[2], t[3] = 255;
            }
        }
    }
    return masked;
}

PixmapRef ResizePixelMap(const TPixmap& pixmap, int32_t width, int32_t height) {
    PixmapRef rgba = RgbaView(pixmap);
    PixmapRef resized = CreatePixelMap(width, height, pixmap.format, 4);
    if (pixmap.width == 0 || pixmap.height == 0) return resized;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    for (int32_t i = 0; i < height; ++i) {
        Sample sy = SampleAt(i, pixmap.height, height);
        for (int32_t j = 0; j < width; ++j) {
            Sample sx = SampleAt(j, pixmap.width, width);
            const uint8_t* a = rgba->PixelAddress(sx.first, sy.first);
            const uint8_t* b = rgba->PixelAddress(sx.second, sy.first);
            const uint8_t* c = rgba->PixelAddress(sx.first, sy.second);
            const uint8_t* d = rgba->PixelAddress(sx.second, sy.second);
            for (int k = 0; k < 4; ++k) {
                float top = a[k] + (b[k] - a[k]) * sx.weight;
                float bottom = c[k] + (d[k] - c[k]) * sx.weight;
                row[4 * j + k] = static_cast<uint8_t>(TruncToInt(top + (bottom - top) * sy.weight));
            }
        }
        ConvertPixelRow(row.data(), FMT_RGBA32, resized->PixelAddress(0, i), pixmap.format, width);
    }
    return resized;
}

PixmapRef FlipHorizontally(const TPixmap& pixmap) {
    PixmapRef flipped = CreatePixelMap(pixmap.width, pixmap.height, pixmap.format, 4);
    int32_t bytes = BytesPerPixel(pixmap.format);
    for (int32_t y = 0; y < pixmap.height; ++y)
        for (int32_t x = 0; x < pixmap.width; ++x)
            std::memcpy(flipped->PixelAddress(x, y), pixmap.PixelAddress(pixmap.width - 1 - x, y),
                        bytes);
    return flipped;
}

PixmapRef FlipVertically(const TPixmap& pixmap) {
    PixmapRef flipped = CreatePixelMap(pixmap.width, pixmap.height, pixmap.format, 4);
    for (int32_t y = 0; y < pixmap.height; ++y)
        std::memcpy(flipped->PixelAddress(0, y), pixmap.PixelAddress(0, pixmap.height - 1 - y),
                    static_cast<size_t>(pixmap.width) * BytesPerPixel(pixmap.format));
    return flipped;
}
