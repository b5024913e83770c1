// PNG through libpng. libpng reports errors by longjmp, so the frames it can
// jump across hold no C++ objects with destructors, and stream errors are
// turned into libpng errors before they could unwind through C code.
#include "image/image.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void ReadFromStream(png_structp png, png_bytep data, png_size_t length) {
    auto* stream = static_cast<ByteStream*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        int64_t before = stream->Position();
        stream->ReadFully(data, static_cast<int64_t>(length));
        failed = stream->Position() - before != static_cast<int64_t>(length);
    } catch (const StreamError&) {
        failed = true;
    }
    if (failed) png_error(png, "Error reading from stream");
}

void WriteToStream(png_structp png, png_bytep data, png_size_t length) {
    auto* stream = static_cast<ByteStream*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        stream->WriteFully(data, static_cast<int64_t>(length));
    } catch (const StreamError&) {
        failed = true;
    }
    if (failed) png_error(png, "Error writing to stream");
}

void FlushStream(png_structp png) { static_cast<ByteStream*>(png_get_io_ptr(png))->FlushOut(); }

// Malformed input is an ordinary refusal here, not worth a line on stderr.
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

// Plain C memory, so that a longjmp out of the decoder leaks nothing: the
// caller frees whatever is set here.
struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep image = nullptr;
    png_bytepp rows = nullptr;
};

// Plain frame: the only thing between setjmp and a longjmp is libpng.
bool DecodeImage(PngRead& read, ByteStream* stream) {
    if (setjmp(png_jmpbuf(read.png))) return false;
    png_set_sig_bytes(read.png, 8);
    png_set_read_fn(read.png, stream, ReadFromStream);
    png_set_user_limits(read.png, MaxPictureSide, MaxPictureSide);
    png_read_info(read.png, read.info);
    png_uint_32 height = png_get_image_height(read.png, read.info);
    if (int64_t{png_get_image_width(read.png, read.info)} * height > MaxPicturePixels) return false;
    png_set_strip_16(read.png);
    png_set_expand(read.png);
    png_set_interlace_handling(read.png);
    png_read_update_info(read.png, read.info);
    size_t rowBytes = png_get_rowbytes(read.png, read.info);
    read.image = static_cast<png_bytep>(std::malloc(rowBytes * height));
    read.rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
    if (!read.image || !read.rows) return false;
    for (png_uint_32 y = 0; y < height; ++y) read.rows[y] = read.image + y * rowBytes;
    png_read_image(read.png, read.rows);
    return true;
}

int32_t PixmapFormatOf(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: return FMT_GREY8;
    case PNG_COLOR_TYPE_RGB: return FMT_RGB24;
    case PNG_COLOR_TYPE_RGB_ALPHA:
    case PNG_COLOR_TYPE_GRAY_ALPHA: return FMT_RGBA32;
    default: return 0;
    }
}

PixmapRef BuildPixmap(png_structp png, png_infop info, png_bytepp rows) {
    int32_t width = png_get_image_width(png, info);
    int32_t height = png_get_image_height(png, info);
    int colourType = png_get_color_type(png, info);
    int32_t format = PixmapFormatOf(colourType);
    if (png_get_bit_depth(png, info) != 8 || format == 0) return nullptr;
    PixmapRef map = CreatePixelMap(width, height, format, 4);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* target = map->PixelAddress(0, y);
        if (colourType != PNG_COLOR_TYPE_GRAY_ALPHA) {
            std::memcpy(target, rows[y], static_cast<size_t>(width) * BytesPerPixel(format));
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            uint8_t grey = rows[y][2 * x], alpha = rows[y][2 * x + 1];
            target[4 * x] = target[4 * x + 1] = target[4 * x + 2] = grey;
            target[4 * x + 3] = alpha;
        }
    }
    return map;
}

struct PngWrite {
    png_structp png = nullptr;
    png_infop info = nullptr;
};

// Plain frame, as for reading.
bool EncodeImage(PngWrite& write, ByteStream* stream, const TPixmap* map, int colourType,
                 int compression, png_bytepp rows) {
    if (setjmp(png_jmpbuf(write.png))) return false;
    png_set_write_fn(write.png, stream, WriteToStream, FlushStream);
    png_set_compression_level(write.png, compression);
    png_set_IHDR(write.png, write.info, map->width, map->height, 8, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(write.png, write.info);
    if (map->format == FMT_BGR24 || map->format == FMT_BGRA32) png_set_bgr(write.png);
    png_write_image(write.png, rows);
    png_write_end(write.png, write.info);
    return true;
}

int ColourTypeFor(int32_t format) {
    switch (format) {
    case FMT_GREY8: return PNG_COLOR_TYPE_GRAY;
    case FMT_BGR24:
    case FMT_RGB24: return PNG_COLOR_TYPE_RGB;
    default: return PNG_COLOR_TYPE_RGB_ALPHA;
    }
}

}  // namespace

PixmapRef LoadPngPixelMap(ByteStream& stream) {
    png_byte signature[8] = {};
    if (stream.ReadSome(signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) return nullptr;
    PngRead read;
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    if (!read.png) return nullptr;
    read.info = png_create_info_struct(read.png);
    PixmapRef map;
    if (read.info && DecodeImage(read, &stream)) map = BuildPixmap(read.png, read.info, read.rows);
    png_destroy_read_struct(&read.png, &read.info, nullptr);
    std::free(read.rows);
    std::free(read.image);
    return map;
}

bool SavePixelMapPng(const TPixmap& pixmap, const std::string& url, int32_t compression) {
    bool direct = pixmap.format == FMT_GREY8 || pixmap.format == FMT_BGR24 ||
                  pixmap.format == FMT_RGB24 || pixmap.format == FMT_BGRA32 ||
                  pixmap.format == FMT_RGBA32;
    PixmapRef converted = direct ? nullptr : pixmap.ConvertedTo(FMT_RGBA32);
    const TPixmap& source = direct ? pixmap : *converted;
    StreamRef stream = OpenForWriting(url);
    if (!stream) return false;
    std::vector<png_bytep> rows(source.height);
    for (int32_t y = 0; y < source.height; ++y) rows[y] = source.PixelAddress(0, y);
    PngWrite write;
    write.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    write.info = write.png ? png_create_info_struct(write.png) : nullptr;
    bool written = write.info && EncodeImage(write, stream.get(), &source,
                                             ColourTypeFor(source.format), compression, rows.data());
    png_destroy_write_struct(&write.png, &write.info);
    stream->Close();
    return written;
}
