// Writes a few tiny PNG and JPEG pictures as the fuzzer's seed corpus.
#include "image/image.h"

#include <cstdio>
#include <jpeglib.h>
#include <string>

namespace {

PixmapRef Pattern(int32_t format) {
    PixmapRef map = CreatePixelMap(7, 5, format);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) map->WritePixelArgb(x, y, 0x80000000u | (x * 0x2A1503u + y * 0x110F));
    return map;
}

bool WriteJpeg(const std::string& path, int components) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = 16;
    info.image_height = 9;
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    unsigned char row[16 * 3];
    for (int y = 0; y < 9; ++y) {
        for (int i = 0; i < 16 * components; ++i) row[i] = static_cast<unsigned char>(i * 9 + y * 20);
        JSAMPROW rows[] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    bool written = SavePixelMapPng(*Pattern(FMT_RGBA32), folder + "/rgba.png", 9) &&
                   SavePixelMapPng(*Pattern(FMT_RGB24), folder + "/rgb.png", 9) &&
                   SavePixelMapPng(*Pattern(FMT_GREY8), folder + "/grey.png", 9) &&
                   WriteJpeg(folder + "/colour.jpg", 3) && WriteJpeg(folder + "/grey.jpg", 1);
    return written ? 0 : 1;
}
