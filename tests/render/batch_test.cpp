// Drawing is gathered and handed to OpenGL in batches: whatever the batch
// holds must land, in order, on the target it was drawn for.
#include "screen_fixture.h"

namespace {

ImageRef SolidImage(uint32_t argb) {
    PixmapRef pixel = CreatePixelMap(4, 4, FMT_RGBA32, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) pixel->WritePixelArgb(x, y, argb);
    return TImage::LoadFrom(pixel, 0, 0, 0, 0);
}

}  // namespace

TEST_F(Screen, MoreDrawingThanOneBatchHoldsLandsWholeInItsOwnColours) {
    // 60 x 60 single-pixel rectangles: far more vertices than one batch.
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            SetDrawColor((x * 4) & 0xFF, (y * 4) & 0xFF, 200);
            FillRectangle(float(100 + x), float(100 + y), 1, 1);
        }
    PixmapRef pixels = ReadScreenPixels(100, 100, 60, 60);
    int wrong = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            uint32_t expected = 0xFF000000u | uint32_t((x * 4) & 0xFF) << 16 | uint32_t((y * 4) & 0xFF) << 8 | 200;
            wrong += (pixels->ReadPixelArgb(x, y) | 0xFF000000u) != expected;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(LitBox(), (Box{100, 100, 159, 159}));
}

TEST_F(Screen, AHugeEllipseSpansBatchesWithoutAGap) {
    SetDrawColor(0, 255, 0);
    FillEllipse(400 - 30000, 400 - 30000, 60000, 60000);  // tens of thousands of segments
    PixmapRef pixels = ReadScreenPixels(0, 0, 800, 800);
    int unlit = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 800; ++x) unlit += (pixels->ReadPixelArgb(x, y) & 0xFFFFFF) != 0x00FF00;
    EXPECT_EQ(unlit, 0);
}

TEST_F(Screen, DrawingKeepsItsOrderAcrossBlendTextureAndClipChanges) {
    ImageRef blue = SolidImage(0xFF0000FF), yellow = SolidImage(0xFFFFFF00);
    DrawImageAt(blue, 400, 400);  // textures are made at their first drawing
    DrawImageAt(yellow, 400, 400);
    SetDrawColor(200, 0, 0);
    FillRectangle(0, 0, 100, 100);
    SetBlendMode(BLEND_ADD);
    SetDrawColor(0, 100, 0);
    FillRectangle(50, 0, 100, 100);  // adds to the red where they overlap
    SetBlendMode(BLEND_SOLID);
    SetDrawColor(255, 255, 255);
    SetDrawScale(5, 25);
    DrawImageAt(yellow, 120, 0);
    DrawImageAt(blue, 130, 0);  // each 20 x 100, over part of the green alone
    SetDrawScale(1, 1);
    SetViewportRect(0, 0, 30, 800);
    SetDrawColor(0, 0, 0);
    FillRectangle(0, 0, 800, 50);  // only the clipped strip goes black
    SetViewportRect(0, 0, 800, 800);
    EXPECT_EQ(Pixel(10, 10) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(Pixel(40, 10) & 0xFFFFFF, 0xC80000u);
    EXPECT_EQ(Pixel(10, 70) & 0xFFFFFF, 0xC80000u);
    EXPECT_EQ(Pixel(70, 70) & 0xFFFFFF, 0xC86400u);
    EXPECT_EQ(Pixel(110, 70) & 0xFFFFFF, 0x006400u);
    EXPECT_EQ(Pixel(125, 70) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_EQ(Pixel(135, 70) & 0xFFFFFF, 0x0000FFu);
}
