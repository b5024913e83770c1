// Pictures made by the real libraries, decoded by the loaders.
#include "image/image.h"
#include "picture_files.h"

#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

PixmapRef LoadBytes(const Bytes& bytes) {
    return LoadPixelMap(CreateMemoryStream(bytes.data(), int32_t(bytes.size()), true, false));
}

Bytes Gradient(int width, int height, int components) {
    Bytes samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) samples.push_back(uint8_t(x * 4 + c * 60 + y));
    return samples;
}

void PutBigEndian32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (24 - 8 * i));
}

// A PNG whose header claims the given size, with a correct checksum.
Bytes PngClaiming(uint32_t width, uint32_t height) {
    Bytes png = EncodePng(1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3});
    PutBigEndian32(png, 16, width);
    PutBigEndian32(png, 20, height);
    PutBigEndian32(png, 29, uint32_t(crc32(0, png.data() + 12, 17)));
    return png;
}

class TemporaryFile {
public:
    // One per process: ctest runs the cases side by side.
    TemporaryFile()
        : path(std::filesystem::temp_directory_path() / ("kelp_decode_test_" + std::to_string(getpid()) + ".png")) {}
    ~TemporaryFile() { std::filesystem::remove(path); }
    std::string Name() const { return path.string(); }

private:
    std::filesystem::path path;
};

}  // namespace

TEST(PngRoundTrip, SavedPicturesLoadBackInTheirFormat) {
    TemporaryFile file;
    PixmapRef rgba = CreatePixelMap(5, 3, FMT_RGBA32);
    PixmapRef bgr = CreatePixelMap(5, 3, FMT_BGR24);
    PixmapRef grey = CreatePixelMap(5, 3, FMT_GREY8);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            uint32_t argb = uint32_t(x * 50) << 24 | uint32_t(y * 80) << 16 | uint32_t(x * 20) << 8 | 7;
            rgba->WritePixelArgb(x, y, argb);
            bgr->WritePixelArgb(x, y, argb);
            grey->WritePixelArgb(x, y, argb);
        }
    struct Case {
        PixmapRef map;
        int32_t loadedFormat;
    } cases[] = {{rgba, FMT_RGBA32}, {bgr, FMT_RGB24}, {grey, FMT_GREY8}};
    for (const auto& c : cases) {
        ASSERT_TRUE(SavePixelMapPng(*c.map, file.Name(), 6));
        PixmapRef loaded = LoadPixelMap(file.Name());
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->format, c.loadedFormat);
        ASSERT_EQ(loaded->width, 5);
        ASSERT_EQ(loaded->height, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(loaded->ReadPixelArgb(x, y), c.map->ReadPixelArgb(x, y)) << x << "," << y;
    }
    PixmapRef alphaOnly = CreatePixelMap(2, 1, FMT_ALPHA8);
    alphaOnly->pixels[0] = 10;
    alphaOnly->pixels[1] = 250;
    ASSERT_TRUE(SavePixelMapPng(*alphaOnly, file.Name(), 9));
    EXPECT_EQ(LoadPixelMap(file.Name())->ReadPixelArgb(1, 0), 0xFAFFFFFFu);
    EXPECT_FALSE(SavePixelMapPng(*rgba, "/nonexistent-folder/x.png", 6));
}

TEST(JpegRoundTrip, SavedPicturesLoadBackClose) {
    TemporaryFile file;
    PixmapRef rgba = CreatePixelMap(24, 16, FMT_RGBA32);
    PixmapRef grey = CreatePixelMap(24, 16, FMT_GREY8);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            rgba->WritePixelArgb(x, y, 0x80000000u | uint32_t(x * 10) << 16 | uint32_t(y * 15) << 8 | 200);
            grey->pixels[y * grey->pitch + x] = uint8_t(x * 10);
        }
    ASSERT_TRUE(SavePixelMapJpeg(*rgba, file.Name(), 95));
    PixmapRef colour = LoadPixelMap(file.Name());
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->format, FMT_RGB24);
    EXPECT_EQ(colour->width, 24);
    EXPECT_NEAR(colour->PixelAddress(12, 8)[0], 120, 6);
    EXPECT_NEAR(colour->PixelAddress(12, 8)[2], 200, 6);
    ASSERT_TRUE(SavePixelMapJpeg(*grey, file.Name(), 95));
    PixmapRef back = LoadPixelMap(file.Name());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->format, FMT_GREY8);
    EXPECT_NEAR(back->PixelAddress(20, 3)[0], 200, 6);
    EXPECT_FALSE(SavePixelMapJpeg(*grey, "/nonexistent-folder/x.jpg", 90));
    EXPECT_FALSE(SavePixelMapJpeg(*CreatePixelMap(0, 0, FMT_RGB24), file.Name(), 90));
}

TEST(PngDecoding, TheTransformsGiveEightBitMaps) {
    Bytes paletted = EncodePng(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2},
                               {255, 0, 0, 0, 255, 0, 0, 0, 255}, {255, 0});
    PixmapRef fromPalette = LoadBytes(paletted);
    ASSERT_NE(fromPalette, nullptr);
    EXPECT_EQ(fromPalette->format, FMT_RGBA32);
    EXPECT_EQ(fromPalette->ReadPixelArgb(0, 0), 0xFFFF0000u);
    EXPECT_EQ(fromPalette->ReadPixelArgb(1, 0), 0x0000FF00u);
    EXPECT_EQ(fromPalette->ReadPixelArgb(2, 0), 0xFF0000FFu);

    PixmapRef deep = LoadBytes(EncodePng(1, 1, PNG_COLOR_TYPE_RGB, 16, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->format, FMT_RGB24);
    EXPECT_EQ(deep->ReadPixelArgb(0, 0), 0xFF12569Au);

    PixmapRef greyAlpha = LoadBytes(EncodePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {40, 128, 200, 255}));
    ASSERT_NE(greyAlpha, nullptr);
    EXPECT_EQ(greyAlpha->format, FMT_RGBA32);
    EXPECT_EQ(greyAlpha->ReadPixelArgb(0, 0), 0x80282828u);

    PixmapRef lowGrey = LoadBytes(EncodePng(4, 1, PNG_COLOR_TYPE_GRAY, 2, {0x1B}));
    ASSERT_NE(lowGrey, nullptr);
    EXPECT_EQ(lowGrey->format, FMT_GREY8);
    EXPECT_EQ(lowGrey->pixels[0], 0);
    EXPECT_EQ(lowGrey->pixels[3], 255);
}

TEST(PngDecoding, MalformedDataGivesNull) {
    Bytes good = EncodePng(4, 4, PNG_COLOR_TYPE_RGB, 8, Gradient(4, 4, 3));
    ASSERT_NE(LoadBytes(good), nullptr);
    Bytes wrongSignature = good;
    wrongSignature[1] = 'Q';
    EXPECT_EQ(LoadBytes(wrongSignature), nullptr);
    EXPECT_EQ(LoadBytes(Bytes(good.begin(), good.begin() + good.size() / 2)), nullptr);
    EXPECT_EQ(LoadBytes(Bytes(good.begin(), good.begin() + 8)), nullptr);
    Bytes badCrc = good;
    badCrc[30] ^= 0xFF;
    EXPECT_EQ(LoadBytes(badCrc), nullptr);
    EXPECT_EQ(LoadBytes(Bytes{}), nullptr);
}

TEST(PngDecoding, AbsurdSizesAreRefusedBeforeAllocating) {
    EXPECT_EQ(LoadBytes(PngClaiming(60000, 60000)), nullptr);
    EXPECT_EQ(LoadBytes(PngClaiming(20000, 1)), nullptr);
    EXPECT_EQ(LoadBytes(PngClaiming(16000, 16000)), nullptr);
}

TEST(JpegDecoding, ColourAndGreyPictures) {
    Bytes colour = EncodeJpeg(16, 8, 3, Bytes(16 * 8 * 3, 180));
    PixmapRef rgb = LoadBytes(colour);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->format, FMT_RGB24);
    EXPECT_EQ(rgb->width, 16);
    EXPECT_EQ(rgb->height, 8);
    EXPECT_NEAR(rgb->PixelAddress(7, 3)[1], 180, 2);

    PixmapRef grey = LoadBytes(EncodeJpeg(8, 8, 1, Bytes(64, 90)));
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->format, FMT_GREY8);
    EXPECT_NEAR(grey->pixels[0], 90, 2);
}

TEST(JpegDecoding, CmykPicturesAreRefused) {
    EXPECT_EQ(LoadBytes(EncodeJpeg(8, 8, 4, Bytes(8 * 8 * 4, 100))), nullptr);
}

TEST(JpegDecoding, ATruncatedFileDecodesItsTopRows) {
    const int width = 64, height = 64;
    Bytes samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            samples.push_back(uint8_t((y < 32 ? 200 : 30) + (x * 7 + y * 13) % 23));
    // Texture makes the picture data outweigh the headers.
    Bytes whole = EncodeJpeg(width, height, 3, samples, 100);
    Bytes truncated(whole.begin(), whole.begin() + whole.size() * 3 / 5);
    PixmapRef map = LoadBytes(truncated);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->height, height);
    for (int y : {2, 20})
        for (int x : {10, 40}) EXPECT_NEAR(map->PixelAddress(x, y)[0], samples[(y * width + x) * 3], 16);
}

TEST(JpegDecoding, EmptyForeignAndHugeInputGivesNull) {
    EXPECT_EQ(LoadBytes(Bytes{0xFF, 0xD8}), nullptr);
    EXPECT_EQ(LoadBytes(Bytes(100, 0x42)), nullptr);
    Bytes huge = EncodeJpeg(8, 8, 3, Bytes(8 * 8 * 3, 10));
    for (size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0xEA, huge[i + 6] = 0x60;  // height 60000
            huge[i + 7] = 0xEA, huge[i + 8] = 0x60;  // width 60000
            break;
        }
    }
    EXPECT_EQ(LoadBytes(huge), nullptr);
}

TEST(LoaderChain, EveryLoaderStartsFromTheBeginning) {
    Bytes jpeg = EncodeJpeg(8, 8, 3, Bytes(8 * 8 * 3, 60));
    Bytes padded(5 + jpeg.size(), 0);
    std::copy(jpeg.begin(), jpeg.end(), padded.begin() + 5);
    StreamRef stream = CreateMemoryStream(padded.data(), int32_t(padded.size()), true, false);
    stream->SeekTo(5);
    PixmapRef map = LoadPixelMap(stream);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->format, FMT_RGB24);

    RegisterEmbeddedFile("gfx\\level1.jpg", jpeg.data(), int32_t(jpeg.size()));
    EXPECT_NE(LoadPixelMap("incbin::gfx\\level1.jpg"), nullptr);
    EXPECT_EQ(LoadPixelMap("incbin::gfx\\level9.jpg"), nullptr);
}

TEST(LoaderChain, UnseekableStreamsAndStreamErrorsAreRefusals) {
    struct Unseekable : MemoryStream {
        using MemoryStream::MemoryStream;
        int64_t Position() override { return -1; }
    };
    Bytes png = EncodePng(2, 2, PNG_COLOR_TYPE_RGB, 8, Gradient(2, 2, 3));
    EXPECT_EQ(LoadPixelMap(std::make_shared<Unseekable>(png.data(), int32_t(png.size()), true, false)),
              nullptr);

    struct Raising : PixelMapLoader {
        int calls = 0;
        PixmapRef TryLoad(ByteStream&) override {
            ++calls;
            throw StreamError("Error reading from stream");
        }
    };
    auto raising = std::make_shared<Raising>();
    RegisterPixelMapLoader(raising);
    EXPECT_NE(LoadBytes(png), nullptr);
    EXPECT_EQ(raising->calls, 1);
}
