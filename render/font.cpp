// The built-in 8 x 16 font and text drawing with the current drawing state.
#include "render/font_glyphs.h"
#include "render/internal.h"

#include <algorithm>
#include <string_view>

namespace kelp_render {

namespace {

// Design rows and columns are stretched over the cell unevenly, 7 rows onto
// cell rows 2..10 and 5 columns onto cell columns 1..7, leaving row 0, rows
// 13..15 and column 0 blank so characters never touch.
constexpr int RowStart[10] = {2, 3, 4, 6, 7, 8, 10, 11, 12, 13};
constexpr int ColumnStart[6] = {1, 2, 4, 5, 7, 8};

// Calls ink(cellRow, columnBits) for each row of the design's dots.
template <class Ink>
void InkDesign(std::string_view design, Ink ink) {
    int row = 0, column = 0;
    for (char dot : design) {
        if (dot == '/') {
            ++row, column = 0;
            continue;
        }
        if (dot == '#')
            for (int y = RowStart[row]; y < RowStart[row + 1]; ++y)
                for (int x = ColumnStart[column]; x < ColumnStart[column + 1]; ++x) ink(y, uint8_t(1u << x));
        ++column;
    }
}

void InkGlyph(std::array<uint8_t, 1536>& bitmap, int glyph, std::string_view design) {
    InkDesign(design, [&](int y, uint8_t bits) { bitmap[y * 96 + glyph] |= bits; });
}

// A mark's two rows of five dots, over the same columns as the designs'.
uint8_t MarkRow(std::string_view dots) {
    uint8_t bits = 0;
    for (int column = 0; column < 5; ++column)
        if (dots[size_t(column)] == '#')
            for (int x = ColumnStart[column]; x < ColumnStart[column + 1]; ++x) bits |= uint8_t(1u << x);
    return bits;
}

}  // namespace

const std::vector<char32_t>& ExtraCodePoints() {
    static const std::vector<char32_t> codes = [] {
        std::vector<char32_t> all;
        for (const ComposedGlyph& glyph : ComposedGlyphs) all.push_back(glyph.code);
        for (const DesignedGlyph& glyph : DesignedGlyphs) all.push_back(glyph.code);
        std::sort(all.begin(), all.end());
        return all;
    }();
    return codes;
}

// A letter and its mark: above a small letter in the two rows over it (its
// own dot, an i's, cleared first), above a capital in the two blank rows at
// the top of the cell, below either in the descenders' rows.
std::array<uint8_t, 16> ExtraGlyphRows(size_t index) {
    char32_t code = ExtraCodePoints().at(index);
    std::array<uint8_t, 16> rows{};
    auto ink = [&](int y, uint8_t bits) { rows[size_t(y)] |= bits; };
    for (const DesignedGlyph& glyph : DesignedGlyphs)
        if (glyph.code == code) InkDesign(glyph.design, ink);
    for (const ComposedGlyph& glyph : ComposedGlyphs) {
        if (glyph.code != code) continue;
        InkDesign(GlyphDesigns[glyph.base - 32], ink);
        GlyphMark mark = MarkOf(glyph.mark);
        bool small = glyph.base >= 'a' && glyph.base <= 'z';
        int top = mark.below ? 11 : small ? 2 : 0;
        if (small && !mark.below) rows[0] = rows[1] = rows[2] = rows[3] = 0;
        rows[size_t(top)] |= MarkRow(mark.rows[0]);
        rows[size_t(top + 1)] |= MarkRow(mark.rows[1]);
    }
    return rows;
}

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
    int32_t GlyphCount() const override { return int32_t(glyphs.size()); }
    int32_t CharToGlyph(int32_t code) const override {
        if (code >= 32 && code < 128) return code - 32;
        const std::vector<char32_t>& extras = kelp_render::ExtraCodePoints();
        auto found = std::lower_bound(extras.begin(), extras.end(), char32_t(code));
        return found != extras.end() && *found == char32_t(code) ? 96 + int32_t(found - extras.begin()) : -1;
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
    for (size_t extra = 0; extra < kelp_render::ExtraCodePoints().size(); ++extra) {
        std::array<uint8_t, 16> rows = kelp_render::ExtraGlyphRows(extra);
        PixmapRef glyph = CreatePixelMap(8, 16, FMT_RGBA32, 4);
        for (int32_t row = 0; row < 16; ++row)
            for (int32_t bit = 0; bit < 8; ++bit)
                glyph->WritePixelArgb(bit, row, rows[size_t(row)] & (1u << bit) ? 0xFFFFFFFFu : 0u);
        glyphs.push_back(TImage::LoadFrom(glyph, 0, 0, 0, 0));
    }
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
    for (std::string_view rest = text; !rest.empty();) {
        int32_t glyph = font.CharToGlyph(int32_t(TakeCodePoint(rest)));
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
    for (std::string_view rest = text; !rest.empty();) {
        int32_t glyph = font.CharToGlyph(int32_t(TakeCodePoint(rest)));
        if (glyph >= 0) width = TruncToInt(width + font.GlyphAdvance(glyph));
    }
    return width;
}

int32_t TextHeightOf(const std::string&) { return FontInUse().Height(); }
