// Light layers and off-screen culling: what lands on the screen, read back.
#include "screen_fixture.h"

namespace {

int Red(uint32_t argb) { return int(argb >> 16 & 0xFF); }
int Green(uint32_t argb) { return int(argb >> 8 & 0xFF); }
int Blue(uint32_t argb) { return int(argb & 0xFF); }

// A 1 x 1 white image, stretched as a quad of any size.
ImageRef WhiteDot() {
    PixmapRef pixel = CreatePixelMap(1, 1, FMT_RGBA32, 4);
    pixel->WritePixelArgb(0, 0, 0xFFFFFFFF);
    return TImage::LoadFrom(pixel, 0, 0, 0, 0);
}

void FillScreen(int red, int green, int blue) {
    SetBlendMode(BLEND_SOLID);
    SetDrawColor(red, green, blue);
    FillRectangle(0, 0, 800, 800);
}

}  // namespace

TEST_F(Screen, ALayerVeilsTheScreenByItsCoverageAndAddsItsLight) {
    FillScreen(200, 100, 0);
    LayerRef layer = CreateLayer(200, 200);
    BeginLayer(layer, 20, 50, 50, 0.5f);
    SetBlendMode(BLEND_ADD);
    SetDrawColor(100, 0, 0);
    SetDrawAlpha(1);
    FillRectangle(400, 400, 400, 400);  // the lower right quarter, in screen coordinates
    EndLayer();
    DrawLayer(layer);
    // Veiled by half toward (20, 50, 50); light added in one quarter only.
    uint32_t plain = Pixel(100, 100), lit = Pixel(600, 600);
    EXPECT_NEAR(Red(plain), 100 + 10, 1);
    EXPECT_NEAR(Green(plain), 50 + 25, 1);
    EXPECT_NEAR(Blue(plain), 25, 1);
    EXPECT_NEAR(Red(lit), 110 + 100, 1);
    EXPECT_NEAR(Green(lit), Green(plain), 0);
    // The edge of the light falls on a layer pixel's edge, four screen pixels wide.
    EXPECT_NEAR(Red(Pixel(399, 600)), Red(plain), 0);
    EXPECT_NEAR(Red(Pixel(400, 600)), Red(lit), 0);
}

TEST_F(Screen, LightAloneLeavesTheScreenUnveiledAndDrawingOnResumesOnTheScreen) {
    FillScreen(40, 40, 40);
    LayerRef layer = CreateLayer(100, 100);
    BeginLayer(layer, 255, 255, 255, 0);
    SetBlendMode(BLEND_ALPHA);  // even alpha drawing leaves the coverage alone
    SetDrawColor(0, 0, 200);
    SetDrawAlpha(0.5f);
    FillRectangle(0, 0, 800, 400);
    EndLayer();
    DrawLayer(layer);
    EXPECT_EQ(Pixel(10, 10), 0xFF28288Cu);  // 40 + 100 in blue, nothing veiled
    EXPECT_EQ(Pixel(10, 700), 0xFF282828u);
    SetBlendMode(BLEND_SOLID);
    SetDrawColor(255, 0, 0);
    FillRectangle(0, 790, 10, 10);
    EXPECT_EQ(Pixel(5, 795), 0xFFFF0000u);
    EXPECT_EQ(LitBox(0, 780, 20, 20), (Box{0, 780, 19, 799}));
}

TEST_F(Screen, ALayerOutlivesTheScreenThatMadeIt) {
    LayerRef layer = CreateLayer(50, 50);
    BeginLayer(layer, 0, 0, 0, 1);
    EndLayer();
    CloseScreen();
    screen = OpenScreen(800, 800, 0, 60, 0);
    ASSERT_NE(screen, nullptr);
    FillScreen(90, 90, 90);
    DrawLayer(layer);  // not begun on this screen yet: nothing to draw
    EXPECT_EQ(Pixel(400, 400), 0xFF5A5A5Au);
    BeginLayer(layer, 0, 0, 0, 1);
    EndLayer();
    DrawLayer(layer);
    EXPECT_EQ(Pixel(400, 400), 0xFF000000u);
}

TEST_F(Screen, ImagesOffTheViewportAreSkippedAndPartlyVisibleOnesDrawn) {
    ImageRef dot = WhiteDot();
    SetBlendMode(BLEND_SOLID);
    SetDrawScale(40, 40);
    int64_t binds = TextureBindCount();
    DrawImageAt(dot, 900, 100);
    DrawImageAt(dot, 100, -41);
    SetDrawRotation(45);  // the turned square reaches 28 pixels left of its corner
    DrawImageAt(dot, -29, 400);
    EXPECT_EQ(TextureBindCount(), binds);
    EXPECT_EQ(LitBox(), Box{});
    DrawImageAt(dot, -20, 400);
    SetDrawRotation(0);
    DrawImageAt(dot, 790, 790);
    EXPECT_EQ(Pixel(795, 795), 0xFFFFFFFFu);
    EXPECT_NE(Pixel(0, 428), 0xFF000000u);
}

// A picture with wide transparent margins is drawn as only its visible part;
// the same picture with a barely visible corner is drawn whole. Scaled and
// turned, over a background, in every blending that allows it, both land on
// the same pixels.
TEST_F(Screen, TransparentMarginsAreSkippedWithoutChangingAPixel) {
    auto picture = [](uint32_t corner) {
        PixmapRef pixels = CreatePixelMap(40, 30, FMT_RGBA32, 4);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                pixels->WritePixelArgb(x, y, x >= 12 && x < 30 && y >= 9 && y < 20 ? 0xC0FF8040u + x * 3 : 0);
        pixels->WritePixelArgb(0, 0, corner);
        return TImage::LoadFrom(pixels, 0, 0, 0, 0);
    };
    ImageRef trimmed = picture(0), whole = picture(0x01FFFFFF);
    for (int32_t mode : {BLEND_ALPHA, BLEND_ADD, BLEND_MASK}) {
        PixmapRef drawn[2];
        for (int i = 0; i < 2; ++i) {
            SetBlendMode(BLEND_SOLID);
            SetDrawColor(30, 60, 90);
            SetDrawTransform(0, 1, 1);
            FillRectangle(0, 0, 300, 300);
            SetDrawColor(255, 255, 255);
            SetBlendMode(mode);
            SetDrawTransform(33, 3.7f, 2.9f);
            DrawImageAt(i ? whole : trimmed, 150.3f, 140.6f);
            SetDrawTransform(0, 1, 1);
            drawn[i] = ReadScreenPixels(0, 0, 300, 300);
        }
        int differing = 0, painted = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x) {
                uint32_t a = drawn[0]->ReadPixelArgb(x, y), b = drawn[1]->ReadPixelArgb(x, y);
                painted += a != 0xFF1E3C5Au;
                for (int shift : {0, 8, 16})
                    differing += std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 1;
            }
        EXPECT_EQ(differing, 0) << "blend mode " << mode;
        EXPECT_GT(painted, 1500) << "blend mode " << mode;  // 18 x 11 texels, scaled by about 11
    }
}
