#include "image/image.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

PixmapRef RgbaRow(std::initializer_list<uint32_t> argbPixels) {
    PixmapRef map = CreatePixelMap(int32_t(argbPixels.size()), 1, FMT_RGBA32);
    int32_t x = 0;
    for (uint32_t argb : argbPixels) map->WritePixelArgb(x++, 0, argb);
    return map;
}

}  // namespace

TEST(Pixmap, PitchFollowsTheAlignment) {
    EXPECT_EQ(CreatePixelMap(3, 2, FMT_RGB24, 4)->pitch, 12);
    EXPECT_EQ(CreatePixelMap(3, 2, FMT_RGB24, 1)->pitch, 9);
    EXPECT_EQ(CreatePixelMap(3, 2, FMT_RGB24, 4)->capacity, 24);
    EXPECT_EQ(CreatePixelMap(5, 1, FMT_GREY8, 4)->pitch, 8);
}

TEST(Pixmap, BadSizesAndFormatsAreErrors) {
    EXPECT_THROW(CreatePixelMap(-1, 2, FMT_RGB24), RuntimeError);
    EXPECT_THROW(CreatePixelMap(2, 2, 7), RuntimeError);
    EXPECT_THROW(CreatePixelMap(60000, 60000, FMT_RGBA32), RuntimeError);
    EXPECT_EQ(CreatePixelMap(0, 0, FMT_RGBA32)->capacity, 0);
}

TEST(Pixmap, WindowsShareMemoryAndDuplicatesCompactIt) {
    PixmapRef strip = CreatePixelMap(768, 16, FMT_RGBA32);
    strip->WritePixelArgb(8, 0, 0x11223344);
    PixmapRef window = strip->SubWindow(8, 0, 8, 16);
    EXPECT_EQ(window->pitch, 3072);
    EXPECT_EQ(window->capacity, -1);
    EXPECT_EQ(window->ReadPixelArgb(0, 0), 0x11223344u);
    window->WritePixelArgb(1, 1, 0xFF010203);
    EXPECT_EQ(strip->ReadPixelArgb(9, 1), 0xFF010203u);
    PixmapRef copy = window->Duplicate();
    EXPECT_EQ(copy->pitch, 32);
    EXPECT_EQ(copy->ReadPixelArgb(1, 1), 0xFF010203u);
    strip.reset();  // the window keeps the memory alive
    EXPECT_EQ(window->ReadPixelArgb(1, 1), 0xFF010203u);
    PixmapRef nested = window->SubWindow(1, 1, 2, 2);
    window.reset();
    EXPECT_EQ(nested->ReadPixelArgb(0, 0), 0xFF010203u);
}

TEST(Pixmap, ConversionsBetweenFormats) {
    uint8_t grey = 200;
    uint8_t rgba[4];
    ConvertPixelRow(&grey, FMT_GREY8, rgba, FMT_RGBA32, 1);
    EXPECT_EQ((std::vector<uint8_t>(rgba, rgba + 4)), (std::vector<uint8_t>{200, 200, 200, 255}));
    uint8_t back = 0;
    ConvertPixelRow(rgba, FMT_RGBA32, &back, FMT_GREY8, 1);
    EXPECT_EQ(back, 200);
    uint8_t rgb[3] = {10, 20, 31};
    ConvertPixelRow(rgb, FMT_RGB24, &back, FMT_GREY8, 1);
    EXPECT_EQ(back, 20);
    uint8_t bgr[3];
    ConvertPixelRow(rgb, FMT_RGB24, bgr, FMT_BGR24, 1);
    EXPECT_EQ((std::vector<uint8_t>(bgr, bgr + 3)), (std::vector<uint8_t>{31, 20, 10}));
    uint8_t alpha = 77, bgra[4];
    ConvertPixelRow(&alpha, FMT_ALPHA8, bgra, FMT_BGRA32, 1);
    EXPECT_EQ((std::vector<uint8_t>(bgra, bgra + 4)), (std::vector<uint8_t>{255, 255, 255, 77}));
}

TEST(Pixmap, ArgbAccessInEveryFormat) {
    for (int32_t format = FMT_GREY8; format <= FMT_RGBA32; ++format) {
        PixmapRef map = CreatePixelMap(2, 2, format);
        map->WritePixelArgb(1, 1, 0x80306090);
        uint32_t read = map->ReadPixelArgb(1, 1);
        switch (format) {
        case FMT_GREY8: EXPECT_EQ(read, 0xFF606060u); break;
        case FMT_ALPHA8: EXPECT_EQ(read, 0x80FFFFFFu); break;
        case FMT_BGR24:
        case FMT_RGB24: EXPECT_EQ(read, 0xFF306090u); break;
        default: EXPECT_EQ(read, 0x80306090u) << format;
        }
    }
    PixmapRef bgra = CreatePixelMap(1, 1, FMT_BGRA32);
    bgra->WritePixelArgb(0, 0, 0x04010203);
    EXPECT_EQ((std::vector<uint8_t>(bgra->pixels, bgra->pixels + 4)),
              (std::vector<uint8_t>{3, 2, 1, 4}));
}

TEST(Pixmap, MaskedPixelsTakeTheAverageOfTheirVisibleNeighbours) {
    PixmapRef row = CreatePixelMap(3, 1, FMT_RGB24);
    const uint8_t pixels[] = {255, 0, 0, 0, 0, 0, 0, 0, 255};
    std::memcpy(row->pixels, pixels, sizeof pixels);
    PixmapRef masked = ApplyMaskColour(*row, 0, 0, 0);
    EXPECT_EQ(masked->format, FMT_RGBA32);
    EXPECT_EQ(masked->ReadPixelArgb(0, 0), 0xFFFF0000u);
    EXPECT_EQ(masked->ReadPixelArgb(1, 0), 0x007F007Fu);
    EXPECT_EQ(masked->ReadPixelArgb(2, 0), 0xFF0000FFu);
    PixmapRef lonely = CreatePixelMap(1, 1, FMT_RGB24);
    std::memset(lonely->pixels, 0, 3);
    EXPECT_EQ(ApplyMaskColour(*lonely, 0, 0, 0)->ReadPixelArgb(0, 0), 0u);
}

TEST(Pixmap, BilinearResizeClampsAtTheEdges) {
    PixmapRef two = RgbaRow({0x00000000, 0xFFFFFFFF});
    PixmapRef four = ResizePixelMap(*two, 4, 1);
    const uint8_t expected[] = {0, 63, 191, 255};
    for (int x = 0; x < 4; ++x)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(four->PixelAddress(x, 0)[c], expected[x]) << x;
    PixmapRef grey = CreatePixelMap(2, 2, FMT_GREY8);
    std::memset(grey->pixels, 100, grey->capacity);
    PixmapRef bigger = ResizePixelMap(*grey, 5, 3);
    EXPECT_EQ(bigger->format, FMT_GREY8);
    EXPECT_EQ(bigger->PixelAddress(4, 2)[0], 100);
}

TEST(Pixmap, FlipsMirrorColumnsAndRows) {
    PixmapRef map = CreatePixelMap(3, 2, FMT_RGB24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) map->WritePixelArgb(x, y, 0xFF000000u | (y * 16 + x));
    PixmapRef h = FlipHorizontally(*map);
    PixmapRef v = FlipVertically(*map);
    EXPECT_EQ(h->ReadPixelArgb(0, 1) & 0xFF, 0x12u);
    EXPECT_EQ(h->ReadPixelArgb(2, 0) & 0xFF, 0x00u);
    EXPECT_EQ(v->ReadPixelArgb(1, 0) & 0xFF, 0x11u);
    EXPECT_EQ(v->ReadPixelArgb(1, 1) & 0xFF, 0x01u);
}

TEST(Pixmap, PasteConvertsIntoTheTarget) {
    PixmapRef target = CreatePixelMap(4, 4, FMT_BGRA32);
    std::memset(target->pixels, 0, target->capacity);
    PixmapRef grey = CreatePixelMap(2, 1, FMT_GREY8);
    grey->pixels[0] = 9;
    grey->pixels[1] = 90;
    target->PasteFrom(*grey, 1, 2);
    EXPECT_EQ(target->ReadPixelArgb(2, 2), 0xFF5A5A5Au);
    EXPECT_EQ(target->ReadPixelArgb(0, 2), 0u);
    EXPECT_EQ(grey->ConvertedTo(FMT_RGB24)->ReadPixelArgb(0, 0), 0xFF090909u);
}
