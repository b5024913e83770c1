// Embedded files and byte streams, pixel maps in six formats, and the PNG and
// JPEG loaders behind LoadPixelMap.
#pragma once

#include "system/system.h"

#include <cstdint>
#include <memory>
#include <string>

// ---- Embedded files --------------------------------------------------------

struct EmbeddedFile {
    std::string name;
    const uint8_t* data;
    int32_t size;
};

// 1 when registered; 0 when the name exists already (the first data stays).
int32_t RegisterEmbeddedFile(const std::string& name, const void* data, int32_t size);
const EmbeddedFile* FindEmbeddedFile(const std::string& name);
const uint8_t* EmbeddedFileData(const std::string& name);
int32_t EmbeddedFileSize(const std::string& name);

// ---- Streams ---------------------------------------------------------------

// Raised by the stream layer; a loader that meets one has refused its input.
class StreamError : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

class ByteStream : public TObject {
public:
    virtual bool AtEnd() { return Position() == Length(); }
    virtual int64_t Position() = 0;  // -1 when the stream cannot seek
    virtual int64_t Length() = 0;
    virtual int64_t SeekTo(int64_t position) = 0;
    virtual void FlushOut() {}
    virtual void Close() {}
    virtual int64_t ReadSome(void* buffer, int64_t count) = 0;
    virtual int64_t WriteSome(const void* buffer, int64_t count) = 0;

    // Stop quietly at the end; raise when a read or write makes no progress.
    void ReadFully(void* buffer, int64_t count);
    void WriteFully(const void* buffer, int64_t count);
    void SkipOver(int64_t count);

    // Little-endian typed access built on ReadFully and WriteFully.
    uint8_t ReadByte();
    int16_t ReadShort();
    int32_t ReadInt();
    int64_t ReadLong();
    float ReadFloat();
    double ReadDouble();
    std::string ReadString(int32_t length);
    std::string ReadLine();  // up to "\n", without it or a "\r" before it
    void WriteByte(uint8_t value);
    void WriteShort(int16_t value);
    void WriteInt(int32_t value);
    void WriteLong(int64_t value);
    void WriteFloat(float value);
    void WriteDouble(double value);
    void WriteString(const std::string& text);
    void WriteLine(const std::string& text);
};
using StreamRef = std::shared_ptr<ByteStream>;

// A stream over a memory block it does not own; it never grows the block.
class MemoryStream : public ByteStream {
public:
    MemoryStream(uint8_t* buffer, int32_t size, bool readable, bool writeable);
    int64_t Position() override { return position; }
    int64_t Length() override { return size; }
    int64_t SeekTo(int64_t position) override;
    int64_t ReadSome(void* buffer, int64_t count) override;
    int64_t WriteSome(const void* buffer, int64_t count) override;

private:
    uint8_t* buffer;
    int32_t position = 0;
    int32_t size;
    bool readable;
    bool writeable;
};

StreamRef CreateMemoryStream(const void* buffer, int32_t size, bool readable, bool writeable);

class UrlStreamFactory {
public:
    virtual ~UrlStreamFactory() = default;
    virtual StreamRef TryOpen(const std::string& url, const std::string& protocol,
                              const std::string& path, bool readable, bool writeable) = 0;
};

// The newest factory is asked first. "incbin::" is there from the start.
void RegisterUrlStreamFactory(std::shared_ptr<UrlStreamFactory> factory);

// "protocol::path" goes to the factories; a URL without "::" is a file path.
StreamRef OpenUrlStream(const std::string& url, bool readable, bool writeable);
// A stream handed in as the URL is wrapped, so closing the result leaves it open.
StreamRef OpenUrlStream(StreamRef stream, bool readable, bool writeable);
StreamRef OpenForReading(const std::string& url);
StreamRef OpenForWriting(const std::string& url);

// ---- Pixel maps ------------------------------------------------------------

enum PixelFormat : int32_t {
    FMT_GREY8 = 1,
    FMT_ALPHA8 = 2,
    FMT_BGR24 = 3,
    FMT_RGB24 = 4,
    FMT_BGRA32 = 5,
    FMT_RGBA32 = 6,
};

int32_t BytesPerPixel(int32_t format);
bool FormatHasAlpha(int32_t format);

class TPixmap;
using PixmapRef = std::shared_ptr<TPixmap>;

class TPixmap : public TObject, public std::enable_shared_from_this<TPixmap> {
public:
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0;
    int32_t pitch = 0;
    int32_t format = 0;
    int32_t capacity = 0;  // bytes owned; -1 for a window onto another map

    uint8_t* PixelAddress(int32_t x, int32_t y) const;
    PixmapRef SubWindow(int32_t x, int32_t y, int32_t width, int32_t height) const;
    PixmapRef Duplicate() const;
    void PasteFrom(const TPixmap& source, int32_t x, int32_t y);
    PixmapRef ConvertedTo(int32_t format) const;
    uint32_t ReadPixelArgb(int32_t x, int32_t y) const;
    void WritePixelArgb(int32_t x, int32_t y, uint32_t argb);

private:
    friend PixmapRef CreatePixelMap(int32_t, int32_t, int32_t, int32_t);
    friend PixmapRef CreateStaticPixelMap(void*, int32_t, int32_t, int32_t, int32_t);
    std::unique_ptr<uint8_t[]> storage;
    ObjectRef owner;  // keeps the memory of a window alive
};

// Pitch is width * bytes per pixel rounded up to `align`; memory not cleared.
// Negative or overlarge sizes and unknown formats raise "Invalid pixel map".
PixmapRef CreatePixelMap(int32_t width, int32_t height, int32_t format, int32_t align = 4);
PixmapRef CreateStaticPixelMap(void* pixels, int32_t width, int32_t height, int32_t pitch,
                               int32_t format);

void ConvertPixelRow(const uint8_t* source, int32_t sourceFormat, uint8_t* target,
                     int32_t targetFormat, int32_t count);
PixmapRef ApplyMaskColour(const TPixmap& pixmap, int32_t red, int32_t green, int32_t blue);
PixmapRef ResizePixelMap(const TPixmap& pixmap, int32_t width, int32_t height);
PixmapRef FlipHorizontally(const TPixmap& pixmap);
PixmapRef FlipVertically(const TPixmap& pixmap);

// ---- Loading and saving ----------------------------------------------------

class PixelMapLoader {
public:
    virtual ~PixelMapLoader() = default;
    virtual PixmapRef TryLoad(ByteStream& stream) = 0;
};

// The newest loader is tried first; PNG and JPEG are there from the start.
void RegisterPixelMapLoader(std::shared_ptr<PixelMapLoader> loader);

// Pictures claiming more than this many pixels a side are refused unread.
constexpr int32_t MaxPictureSide = 16384;
constexpr int64_t MaxPicturePixels = int64_t{1} << 26;

// Null when the URL does not open, cannot seek, or no loader accepts it.
PixmapRef LoadPixelMap(const std::string& url);
PixmapRef LoadPixelMap(StreamRef stream);
PixmapRef LoadPngPixelMap(ByteStream& stream);
PixmapRef LoadJpegPixelMap(ByteStream& stream);

// 8-bit grey, RGB or RGBA; other formats go through RGBA. False on failure.
bool SavePixelMapPng(const TPixmap& pixmap, const std::string& url, int32_t compression);
// Grey stays grey; every other format is written as RGB. Quality 1..100.
bool SavePixelMapJpeg(const TPixmap& pixmap, const std::string& url, int32_t quality);
