// JPEG through libjpeg (version 62 interface). The library's fatal errors
// longjmp back to the loader, so the decoding frame holds no C++ objects with
// destructors and every buffer it makes is plain C memory freed by the caller.
#include "image/image.h"

#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t SourceBufferSize = 4096;

struct StreamSource {
    jpeg_source_mgr manager;
    ByteStream* stream;
    JOCTET* buffer;
    bool startOfFile;
};

struct ErrorManager {
    jpeg_error_mgr manager;
    jmp_buf jumpBack;
};

void InitSource(j_decompress_ptr info) {
    reinterpret_cast<StreamSource*>(info->src)->startOfFile = true;
}

int64_t ReadFromStream(ByteStream* stream, JOCTET* buffer) {
    try {
        return stream->ReadSome(buffer, SourceBufferSize);
    } catch (const StreamError&) {
        return 0;  // a broken stream reads as its end
    }
}

boolean FillInputBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<StreamSource*>(info->src);
    int64_t count = ReadFromStream(source->stream, source->buffer);
    if (count <= 0) {
        if (source->startOfFile) ERREXIT(info, JERR_INPUT_EMPTY);
        // Completes a truncated file as if the picture ended here.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = static_cast<size_t>(count);
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    jpeg_source_mgr* source = info->src;
    if (count <= 0) return;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        source->fill_input_buffer(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= count;
}

void TermSource(j_decompress_ptr) {}

void InstallSource(j_decompress_ptr info, ByteStream* stream) {
    auto* source = static_cast<StreamSource*>(
        info->mem->alloc_small(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT,
                               sizeof(StreamSource)));
    source->buffer = static_cast<JOCTET*>(info->mem->alloc_small(
        reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, SourceBufferSize));
    source->stream = stream;
    source->manager.init_source = InitSource;
    source->manager.fill_input_buffer = FillInputBuffer;
    source->manager.skip_input_data = SkipInputData;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = TermSource;
    source->manager.bytes_in_buffer = 0;
    source->manager.next_input_byte = nullptr;
    info->src = &source->manager;
}

void JumpBack(j_common_ptr info) {
    longjmp(reinterpret_cast<ErrorManager*>(info->err)->jumpBack, 1);
}

void OutputMessage(j_common_ptr) { std::puts("jpeg message"); }
void EmitMessage(j_common_ptr, int) {}

struct JpegRead {
    jpeg_decompress_struct info;
    ErrorManager errors;
    JSAMPLE* image = nullptr;
    int width = 0, height = 0, components = 0;
};

bool SizeAcceptable(const jpeg_decompress_struct& info) {
    return info.image_width <= MaxPictureSide && info.image_height <= MaxPictureSide &&
           int64_t{info.image_width} * info.image_height <= MaxPicturePixels;
}

// Plain frame: nothing here has a destructor for a longjmp to skip.
bool DecodeImage(JpegRead& read, ByteStream* stream) {
    if (setjmp(read.errors.jumpBack)) return false;
    InstallSource(&read.info, stream);
    if (jpeg_read_header(&read.info, TRUE) != JPEG_HEADER_OK) return false;
    if (!SizeAcceptable(read.info)) return false;
    jpeg_start_decompress(&read.info);
    read.width = static_cast<int>(read.info.output_width);
    read.height = static_cast<int>(read.info.output_height);
    read.components = read.info.output_components;
    size_t rowBytes = static_cast<size_t>(read.width) * read.components;
    read.image = static_cast<JSAMPLE*>(std::malloc(rowBytes * read.height + 1));
    if (!read.image) return false;
    while (read.info.output_scanline < read.info.output_height) {
        JSAMPROW row = read.image + read.info.output_scanline * rowBytes;
        jpeg_read_scanlines(&read.info, &row, 1);
    }
    jpeg_finish_decompress(&read.info);
    return true;
}

PixmapRef BuildPixmap(const JpegRead& read) {
    if (read.width == 0) return nullptr;
    int32_t format = read.components == 1 ? FMT_GREY8 : read.components == 3 ? FMT_RGB24 : 0;
    if (format == 0) return nullptr;
    PixmapRef map = CreatePixelMap(read.width, read.height, format, 4);
    size_t rowBytes = static_cast<size_t>(read.width) * read.components;
    for (int y = 0; y < read.height; ++y)
        std::memcpy(map->PixelAddress(0, y), read.image + y * rowBytes, rowBytes);
    return map;
}

// ---- Writing ---------------------------------------------------------------------

struct StreamDestination {
    jpeg_destination_mgr manager;
    ByteStream* stream;
    JOCTET buffer[SourceBufferSize];
};

bool WriteToStream(ByteStream* stream, const JOCTET* bytes, size_t count) {
    try {
        stream->WriteFully(bytes, static_cast<int64_t>(count));
        return true;
    } catch (const StreamError&) {
        return false;
    }
}

void InitDestination(j_compress_ptr info) {
    auto* destination = reinterpret_cast<StreamDestination*>(info->dest);
    destination->manager.next_output_byte = destination->buffer;
    destination->manager.free_in_buffer = SourceBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
    auto* destination = reinterpret_cast<StreamDestination*>(info->dest);
    if (!WriteToStream(destination->stream, destination->buffer, SourceBufferSize))
        ERREXIT(info, JERR_FILE_WRITE);
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    auto* destination = reinterpret_cast<StreamDestination*>(info->dest);
    size_t used = SourceBufferSize - destination->manager.free_in_buffer;
    if (!WriteToStream(destination->stream, destination->buffer, used)) ERREXIT(info, JERR_FILE_WRITE);
}

struct JpegWrite {
    jpeg_compress_struct info;
    ErrorManager errors;
    StreamDestination destination;
};

// Plain frame, as for reading.
bool EncodeImage(JpegWrite& write, const TPixmap* map, int quality) {
    if (setjmp(write.errors.jumpBack)) return false;
    write.destination.manager.init_destination = InitDestination;
    write.destination.manager.empty_output_buffer = EmptyOutputBuffer;
    write.destination.manager.term_destination = TermDestination;
    write.info.dest = &write.destination.manager;
    write.info.image_width = static_cast<JDIMENSION>(map->width);
    write.info.image_height = static_cast<JDIMENSION>(map->height);
    bool grey = map->format == FMT_GREY8;
    write.info.input_components = grey ? 1 : 3;
    write.info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&write.info);
    jpeg_set_quality(&write.info, quality, TRUE);
    jpeg_start_compress(&write.info, TRUE);
    while (write.info.next_scanline < write.info.image_height) {
        JSAMPROW row = map->PixelAddress(0, static_cast<int32_t>(write.info.next_scanline));
        jpeg_write_scanlines(&write.info, &row, 1);
    }
    jpeg_finish_compress(&write.info);
    return true;
}

}  // namespace

bool SavePixelMapJpeg(const TPixmap& pixmap, const std::string& url, int32_t quality) {
    bool direct = pixmap.format == FMT_GREY8 || pixmap.format == FMT_RGB24;
    PixmapRef converted = direct ? nullptr : pixmap.ConvertedTo(FMT_RGB24);
    const TPixmap& source = direct ? pixmap : *converted;
    if (source.width <= 0 || source.height <= 0) return false;
    StreamRef stream = OpenForWriting(url);
    if (!stream) return false;
    auto* write = static_cast<JpegWrite*>(std::calloc(1, sizeof(JpegWrite)));
    if (!write) return false;
    write->info.err = jpeg_std_error(&write->errors.manager);
    write->errors.manager.error_exit = JumpBack;
    write->errors.manager.output_message = OutputMessage;
    write->errors.manager.emit_message = EmitMessage;
    write->destination.stream = stream.get();
    jpeg_create_compress(&write->info);
    bool written = EncodeImage(*write, &source, quality);
    jpeg_destroy_compress(&write->info);
    std::free(write);
    stream->Close();
    return written;
}

PixmapRef LoadJpegPixelMap(ByteStream& stream) {
    auto* read = static_cast<JpegRead*>(std::calloc(1, sizeof(JpegRead)));
    if (!read) return nullptr;
    read->info.err = jpeg_std_error(&read->errors.manager);
    read->errors.manager.error_exit = JumpBack;
    read->errors.manager.output_message = OutputMessage;
    read->errors.manager.emit_message = EmitMessage;
    jpeg_create_decompress(&read->info);
    PixmapRef map;
    if (DecodeImage(*read, &stream)) map = BuildPixmap(*read);
    jpeg_destroy_decompress(&read->info);
    std::free(read->image);
    std::free(read);
    return map;
}
