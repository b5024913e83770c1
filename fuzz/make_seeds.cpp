// Writes a few tiny PNG and JPEG pictures as the fuzzer's seed corpus.
#include "image/image.h"

#include <cstdio>
#include <string>

namespace {

PixmapRef Pattern(int32_t format) {
    PixmapRef map = CreatePixelMap(7, 5, format);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) map->WritePixelArgb(x, y, 0x80000000u | (x * 0x2A1503u + y * 0x110F));
    return map;
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
                   SavePixelMapJpeg(*Pattern(FMT_RGB24), folder + "/colour.jpg", 75) &&
                   SavePixelMapJpeg(*Pattern(FMT_GREY8), folder + "/grey.jpg", 75);
    return written ? 0 : 1;
}
