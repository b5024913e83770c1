#include "screen_fixture.h"

TEST_F(Screen, FirstUseSetsTheDefaults) {
    int32_t r, g, b, x, y, w, h;
    GetDrawColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
    GetViewportRect(x, y, w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 800);
    EXPECT_EQ(GetDrawAlpha(), 1.0f);
    EXPECT_EQ(GetLineThickness(), 1.0f);
    EXPECT_EQ(DefaultImageFlags(), IMAGE_MASKED | IMAGE_FILTERED);
    EXPECT_NE(CurrentTextFont(), nullptr);
}

TEST_F(Screen, RotationTurnsShapesClockwise) {
    SetDrawRotation(90);
    FillRectangle(100, 100, 10, 20);
    EXPECT_EQ(LitBox(), (Box{80, 100, 99, 109}));
    EXPECT_EQ(GetDrawRotation(), 90.0f);
}

TEST_F(Screen, NegativeScaleMirrorsAboutTheHandle) {
    SetDrawScale(-1, 1);
    FillRectangle(100, 100, 10, 5);
    EXPECT_EQ(LitBox(), (Box{90, 100, 99, 104}));
    float sx, sy;
    GetDrawScale(sx, sy);
    EXPECT_EQ(sx, -1.0f);
}

TEST_F(Screen, TheHandleIsStoredNegatedAndLandsOnThePosition) {
    SetDrawHandle(5, 5);
    FillRectangle(10, 10, 10, 10);
    EXPECT_EQ(LitBox(), (Box{5, 5, 14, 14}));
    float hx, hy;
    GetDrawHandle(hx, hy);
    EXPECT_EQ(hx, -5.0f);
    EXPECT_EQ(hy, -5.0f);
}

TEST_F(Screen, OriginMovesEveryPrimitive) {
    SetDrawOrigin(100, 50);
    FillRectangle(0, 0, 4, 4);
    PlotPoint(10, 10);
    EXPECT_EQ(LitBox(), (Box{100, 50, 110, 60}));
}

TEST_F(Screen, ColourAndAlphaAreClampedButGettersKeepTheValues) {
    SetBlendMode(BLEND_ALPHA);
    SetDrawAlpha(1.5f);
    SetDrawColor(300, -20, 128);
    FillRectangle(0, 0, 10, 10);
    EXPECT_EQ(Pixel(5, 5), 0xFFFF0080u);
    EXPECT_EQ(GetDrawAlpha(), 1.5f);
    int32_t r, g, b;
    GetDrawColor(r, g, b);
    EXPECT_EQ(r, 300);
    SetDrawAlpha(std::numeric_limits<float>::quiet_NaN());
    SetDrawColor(0, 0, 255);
    FillRectangle(20, 0, 10, 10);
    EXPECT_EQ(Pixel(25, 5), 0xFF000000u);
}

TEST_F(Screen, EllipsesUseTwelveSegmentsAtLeastInFours) {
    EXPECT_EQ(EllipseSegmentCount(2, 2), 12);
    EXPECT_EQ(EllipseSegmentCount(50, 30), 80);
    EXPECT_EQ(EllipseSegmentCount(-9, 6.9f), 12);
    EXPECT_EQ(EllipseSegmentCount(7, 7), 12);
    EXPECT_EQ(EllipseSegmentCount(8, 7.5f), 12);
    EXPECT_EQ(EllipseSegmentCount(8, 8), 16);
    FillEllipse(100, 100, 100, 60);
    Box box = LitBox();
    EXPECT_NEAR(box.left, 100, 1);
    EXPECT_NEAR(box.right, 199, 1);
    EXPECT_NEAR(box.top, 100, 1);
    EXPECT_NEAR(box.bottom, 159, 1);
    EXPECT_EQ(Pixel(150, 130), 0xFFFFFFFFu);
}

TEST_F(Screen, LinesLightTheirLastPixelOnlyWhenAsked) {
    DrawLineSegment(0, 0, 10, 0, true);
    EXPECT_EQ(LitBox(0, 0, 50, 5), (Box{0, 0, 10, 0}));
    ClearScreen();
    DrawLineSegment(0, 0, 10, 0, false);
    EXPECT_EQ(LitBox(0, 0, 50, 5), (Box{0, 0, 9, 0}));
}

TEST_F(Screen, PolygonsNeedThreeWholePoints) {
    FillPolygon({10, 10, 30, 10, 30});
    FillPolygon({10, 10, 30});
    EXPECT_EQ(LitBox(), Box{});
    FillPolygon({10, 10, 30, 10, 30, 30, 10, 30});
    EXPECT_EQ(LitBox(), (Box{10, 10, 29, 29}));
}

TEST_F(Screen, TheFullScreenViewportDoesNotClipButAnyOtherDoes) {
    SetViewportRect(0, 0, 800, 799);
    SetClearColor(0, 0, 255);
    ClearScreen();
    EXPECT_EQ(Pixel(5, 798), 0xFF0000FFu);
    EXPECT_EQ(Pixel(5, 799), 0xFF000000u);
    SetViewportRect(0, 0, 800, 800);
    ClearScreen();
    EXPECT_EQ(Pixel(5, 799), 0xFF0000FFu);
    SetClearColor(0, 0, 0);
    ClearScreen();
    SetViewportRect(100, 100, 50, 50);
    FillRectangle(0, 0, 800, 800);
    EXPECT_EQ(LitBox(90, 90, 70, 70), (Box{100, 100, 149, 149}));
}

TEST_F(Screen, BlendModes) {
    SetDrawColor(200, 100, 50);
    FillRectangle(0, 0, 100, 10);
    SetDrawColor(100, 100, 100);
    SetDrawAlpha(0.5f);
    SetBlendMode(BLEND_ALPHA);
    FillRectangle(0, 0, 10, 10);
    SetBlendMode(BLEND_ADD);
    FillRectangle(10, 0, 10, 10);
    SetBlendMode(BLEND_MULTIPLY);
    FillRectangle(20, 0, 10, 10);
    SetBlendMode(7);  // unknown: solid
    SetDrawAlpha(0);
    FillRectangle(30, 0, 10, 10);
    auto channel = [](uint32_t argb, int shift) { return int(argb >> shift & 0xFF); };
    EXPECT_NEAR(channel(Pixel(5, 5), 16), 150, 2);
    EXPECT_NEAR(channel(Pixel(15, 5), 16), 250, 2);
    EXPECT_NEAR(channel(Pixel(25, 5), 16), 78, 2);
    EXPECT_EQ(Pixel(35, 5) & 0xFFFFFF, 0x646464u);
    EXPECT_EQ(GetBlendMode(), 7);
}

TEST_F(Screen, MaskBlendingTestsAlphaAboveOneHalf) {
    PixmapRef white = CreatePixelMap(4, 4, FMT_RGBA32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) white->WritePixelArgb(x, y, 0xFFFFFFFF);
    ImageRef image = TImage::LoadFrom(white, 0, 0, 0, 0);
    SetBlendMode(BLEND_MASK);
    SetDrawAlpha(0.5f);
    DrawImageAt(image, 10, 10);
    EXPECT_EQ(Pixel(11, 11), 0xFF000000u);
    SetDrawAlpha(0.51f);
    DrawImageAt(image, 10, 10);
    EXPECT_EQ(Pixel(11, 11), 0xFFFFFFFFu);
}

TEST_F(Screen, EachContextKeepsItsOwnState) {
    SetDrawColor(255, 0, 0);
    GraphicsRef second = CreateGraphicsContext(64, 64, 0, 0, 0);
    ASSERT_NE(second, nullptr);
    MakeContextCurrent(second);
    int32_t r, g, b;
    GetDrawColor(r, g, b);
    EXPECT_EQ(g, 255);  // fresh defaults
    MakeContextCurrent(screen);
    SetBlendMode(BLEND_SOLID);
    FillRectangle(0, 0, 4, 4);
    EXPECT_EQ(Pixel(1, 1), 0xFFFF0000u);
    CloseGraphicsContext(second);
}
