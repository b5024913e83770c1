#include "screen_fixture.h"

#include <cstring>

TEST(BuiltInFont, MeasuresEightPixelsACharacterAndSixteenHigh) {
    EXPECT_EQ(TextWidthOf("Hello World"), 88);
    EXPECT_EQ(TextWidthOf("a\xC8" "b"), 16);
    EXPECT_EQ(TextWidthOf("Za\u017c\u00f3\u0142\u0107"), 48) << "a character a letter, however many bytes";
    EXPECT_EQ(TextHeightOf("anything"), 16);
    EXPECT_EQ(EmbeddedFileSize("pondfont.bin"), 1536);
}

TEST(BuiltInFont, GlyphsKeepTheirBlankBorder) {
    FontRef font = CreateBuiltInFont();
    EXPECT_GT(font->GlyphCount(), 96) << "letters beyond ASCII too";
    EXPECT_EQ(font->CharToGlyph('A'), 33);
    EXPECT_EQ(font->CharToGlyph(127), 95);
    EXPECT_EQ(font->CharToGlyph(128), -1);
    EXPECT_EQ(font->CharToGlyph(31), -1);
    EXPECT_GE(font->CharToGlyph(0x00e9), 96) << "e acute";
    EXPECT_EQ(font->CharToGlyph(0x20ac), -1) << "no euro sign";
    for (int glyph = 1; glyph < font->GlyphCount(); ++glyph) {
        if (glyph == 95) continue;  // DEL draws nothing
        const TPixmap& pixels = *font->GlyphImage(glyph)->pixmaps[0];
        int ink = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x) {
                bool lit = pixels.ReadPixelArgb(x, y) >> 24;
                ink += lit;
                // Capitals' marks take the top rows; the letters keep clear of the cell's left.
                if ((y == 0 && glyph < 96) || y >= 13 || x == 0) {
                    EXPECT_FALSE(lit) << "glyph " << glyph;
                }
            }
        EXPECT_GT(ink, 0) << "glyph " << glyph;
    }
}

TEST_F(Screen, TextIsDrawnAndSkipsUnknownCharactersWithoutAGap) {
    SetBlendMode(BLEND_MASK);
    DrawTextAt("AB", 100, 100);
    PixmapRef plain = ReadScreenPixels(100, 100, 16, 16);
    ClearScreen();
    DrawTextAt("A\xC8" "B", 100, 100);
    PixmapRef skipped = ReadScreenPixels(100, 100, 16, 16);
    EXPECT_EQ(std::memcmp(plain->pixels, skipped->pixels, plain->capacity), 0);
    EXPECT_EQ(LitBox(90, 90, 40, 40).left, 101);
}

TEST_F(Screen, TextScalesRotatesAndTakesTheDrawColour) {
    SetBlendMode(BLEND_MASK);
    DrawTextAt("H", 0, 0);
    Box plain = LitBox(0, 0, 40, 40);
    ClearScreen();
    SetDrawScale(2, 2);
    DrawTextAt("H", 0, 0);
    Box doubled = LitBox(0, 0, 40, 40);
    EXPECT_EQ(doubled.right - doubled.left + 1, 2 * (plain.right - plain.left + 1));
    EXPECT_EQ(doubled.bottom - doubled.top + 1, 2 * (plain.bottom - plain.top + 1));
    ClearScreen();
    SetDrawScale(1, 1);
    SetDrawRotation(90);
    SetDrawColor(255, 0, 0);
    DrawTextAt("HHHH", 400, 100);
    Box down = LitBox(300, 50, 200, 200);
    EXPECT_GT(down.bottom - down.top, 3 * 8);
    EXPECT_LT(down.right - down.left, 16);
    EXPECT_EQ(Pixel((down.left + down.right) / 2, down.top + 1) & 0x00FFFF, 0u);
}
