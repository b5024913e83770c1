// The built-in 8 x 16 font and text drawing with the current drawing state.
#include "render/font_glyphs.h"
#include "render/internal.h"

#include <string_view>

namespace kelp_render {

namespace {

// Design rows and columns are stretched over the cell unevenly, 7 rows onto
// cell rows 2..10 and 5 columns onto cell columns 1..7, leaving row 0, rows
// 13..15 and column 0 blank so characters never touch.
constexpr int RowStart[10] = {2, 3, 4, 6, 7, 8, 10, 11, 12, 13};
constexpr int ColumnStart[6] = {1, 2, 4, 5, 7, 8};

void InkGlyph(std::array<uint8_t, 1536>& bitmap, int glyph, std::string_view design) {
    int row = 0, column = 0;
    for (char dot : design) {
        if (dot == '/') {
            ++row, column = 0;
            continue;
        }
        if (dot == '#')
            for (int y = RowStart[row]; y < RowStart[row + 1]; ++y)
                for (int x = ColumnStart[column]; x < ColumnStart[column + 1]; ++x)
                    bitmap[y * 96 + glyph] |= static_cast<uint8_t>(1u << x);
        ++column;
    }
}

}  // namespace

std::array<uint8_t, 1536> BuiltInFontBitmap() {
    std::array<uint8_t, 1536> bitmap{};
    for (int glyph = 0; glyph < 96; ++glyph) InkGlyph(bitmap, glyph, GlyphDesigns[glyph]);
    return bitmap;
}

}  // namespace kelp_render

namespace {

using kelp_render::CurrentDrawing;
using kelp_render::DrawingContext;

const char* const FontFileName = "pondfont.bin";

// The drawing layer's embedded font file, registered once on first need.
void RegisterFontFile() {
    static const std::array<uint8_t, 1536> bitmap = kelp_render::BuiltInFontBitmap();
    static const bool registered =
        (RegisterEmbeddedFile(FontFileName, bitmap.data(), int32_t(bitmap.size())), true);
    (void)registered;
}

class BuiltInFont : public ImageFont {
public:
    explicit BuiltInFont(std::vector<ImageRef> glyphs) : glyphs(std::move(glyphs)) {}
    int32_t Height() const override { return 16; }
    int32_t GlyphCount() const override { return 96; }
    int32_t CharToGlyph(int32_t code) const override {
        return code >= 32 && code < 128 ? code - 32 : -1;
    }
    const ImageRef& GlyphImage(int32_t glyph) const override { return glyphs[glyph]; }
    float GlyphAdvance(int32_t) const override { return 8.0f; }

private:
    std::vector<ImageRef> glyphs;
};

FontRef& BuiltIn() {
    static auto& font = *new FontRef;
    return font;
}

const ImageFont& FontInUse() {
    DrawingContext* context = CurrentDrawing();
    if (context && context->font) return *context->font;
    if (!BuiltIn()) BuiltIn() = CreateBuiltInFont();
    return *BuiltIn();
}

}  // namespace

FontRef CreateBuiltInFont() {
    RegisterFontFile();
    const uint8_t* bits = EmbeddedFileData(FontFileName);
    PixmapRef strip = CreatePixelMap(768, 16, FMT_RGBA32, 4);
    for (int32_t row = 0; row < 16; ++row)
        for (int32_t byte = 0; byte < 96; ++byte)
            for (int32_t bit = 0; bit < 8; ++bit) {
                bool ink = bits[row * 96 + byte] & (1u << bit);
                strip->WritePixelArgb(byte * 8 + bit, row, ink ? 0xFFFFFFFFu : 0u);
            }
    std::vector<ImageRef> glyphs;
    for (int32_t glyph = 0; glyph < 96; ++glyph)
        glyphs.push_back(TImage::LoadFrom(strip->SubWindow(glyph * 8, 0, 8, 16)->Duplicate(), 0,
                                          0, 0, 0));
    return std::make_shared<BuiltInFont>(std::move(glyphs));
}

void SelectTextFont(FontRef font) {
    DrawingContext* context = CurrentDrawing();
    if (!context) return;
    if (!font) {
        if (!BuiltIn()) BuiltIn() = CreateBuiltInFont();
        font = BuiltIn();
    }
    context->font = std::move(font);
}

FontRef CurrentTextFont() {
    DrawingContext* context = CurrentDrawing();
    return context ? context->font : nullptr;
}

void DrawTextAt(const std::string& text, float x, float y) {
    DrawingContext* c = CurrentDrawing();
    if (!c) return;
    const ImageFont& font = FontInUse();
    float px = x + c->originX + c->handleX * c->ix + c->handleY * c->iy;
    float py = y + c->originY + c->handleX * c->jx + c->handleY * c->jy;
    for (unsigned char code : text) {
        int32_t glyph = font.CharToGlyph(code);
        if (glyph < 0) continue;
        if (const ImageRef& image = font.GlyphImage(glyph))
            image->DriverFrame(0)->DrawQuad(0, 0, float(image->width), float(image->height), px, py);
        float advance = font.GlyphAdvance(glyph);
        px += c->ix * advance;
        py += c->jx * advance;
    }
}

int32_t TextWidthOf(const std::string& text) {
    const ImageFont& font = FontInUse();
    int32_t width = 0;
    for (unsigned char code : text) {
        int32_t glyph = font.CharToGlyph(code);
        if (glyph >= 0) width = TruncToInt(width + font.GlyphAdvance(glyph));
    }
    return width;
}

int32_t TextHeightOf(const std::string&) { return FontInUse().Height(); }
