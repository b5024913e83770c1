// Hand-written text: the goal sign, the story cards and the icon.
#include "assets.h"
#include "assets/labels.h"
#include "assets/stories.h"
#include "system/system.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

FontFace::FontFace(const std::string& path) {
    FT_Library ft = nullptr;
    FT_Face ff = nullptr;
    if (FT_Init_FreeType(&ft) != 0) throw std::runtime_error("FreeType did not start");
    if (FT_New_Face(ft, path.c_str(), 0, &ff) != 0) {
        FT_Done_FreeType(ft);
        throw std::runtime_error("cannot open font " + path);
    }
    library = ft;
    face = ff;
}

FontFace::~FontFace() {
    FT_Done_Face(static_cast<FT_Face>(face));
    FT_Done_FreeType(static_cast<FT_Library>(library));
}

namespace {

std::u32string CodePoints(std::string_view text) {
    std::u32string codePoints;
    while (!text.empty()) codePoints += TakeCodePoint(text);
    return codePoints;
}

}  // namespace

std::u32string FontFace::Missing(const std::string& text) const {
    std::u32string missing;
    for (char32_t ch : CodePoints(text))
        if (ch >= ' ' && FT_Get_Char_Index(static_cast<FT_Face>(face), ch) == 0) missing += ch;
    return missing;
}

FontFace::Line FontFace::Render(const std::string& text, int pixelSize) const {
    auto ff = static_cast<FT_Face>(face);
    FT_Set_Pixel_Sizes(ff, 0, pixelSize);
    int ascent = int(ff->size->metrics.ascender >> 6), descent = int(-ff->size->metrics.descender >> 6);
    int width = 0;
    std::u32string codePoints = CodePoints(text);
    for (char32_t ch : codePoints)
        if (FT_Load_Char(ff, ch, FT_LOAD_DEFAULT) == 0) width += int(ff->glyph->advance.x >> 6);
    Line line;
    line.width = width + pixelSize / 2;
    line.height = ascent + descent;
    line.coverage.assign(size_t(line.width) * line.height, 0);
    int pen = pixelSize / 4;
    for (char32_t ch : codePoints) {
        if (FT_Load_Char(ff, ch, FT_LOAD_RENDER) != 0) continue;
        const FT_Bitmap& bitmap = ff->glyph->bitmap;
        int left = pen + ff->glyph->bitmap_left, top = ascent - ff->glyph->bitmap_top;
        for (unsigned y = 0; y < bitmap.rows; ++y)
            for (unsigned x = 0; x < bitmap.width; ++x) {
                int px = left + int(x), py = top + int(y);
                if (px < 0 || py < 0 || px >= line.width || py >= line.height) continue;
                float& c = line.coverage[size_t(py) * line.width + px];
                c = std::max(c, bitmap.buffer[y * bitmap.pitch + x] / 255.0f);
            }
        pen += int(ff->glyph->advance.x >> 6);
    }
    return line;
}

namespace {

// Chalk: the stroke loses small specks, more towards its edges.
void Chalky(Canvas& canvas, uint32_t seed) {
    Dice dice(seed);
    std::vector<float> grain(size_t(canvas.Width()) * canvas.Height());
    for (float& g : grain) g = dice.Unit();
    int w = canvas.Width();
    canvas.Erase([&](float x, float y) {
        float g = grain[size_t(y) * w + size_t(x)];
        return g < 0.18f ? 0.35f : 1.0f;
    });
}

void DrawLineCentred(Canvas& canvas, const FontFace& font, const std::string& text, int size,
                     int centreX, int top, Rgba colour) {
    FontFace::Line line = font.Render(text, size);
    canvas.FillCoverage(line.coverage, line.width, line.height, centreX - line.width / 2, top, Solid(colour));
}

}  // namespace

Canvas Goal(const FontFace& chalk) {
    Canvas c(200, 200);
    Dice dice(5);
    for (int ray = 0; ray < 16; ++ray) {
        float angle = ray * 22.5f * float(M_PI) / 180 + dice.Between(-0.08f, 0.08f);
        float inner = 78 + dice.Between(0, 8), outer = inner + dice.Between(10, 18);
        c.StrokePolyline({{100 + inner * std::cos(angle), 100 + inner * std::sin(angle)},
                          {100 + outer * std::cos(angle), 100 + outer * std::sin(angle)}},
                         5, Solid(Colour(255, 255, 255)));
    }
    c.StrokeArc({100, 100}, 70, 0, 360, 4, Solid(Colour(255, 255, 255, 0.8f)));
    DrawLineCentred(c, chalk, "Goal!", 52, 100, 62, Colour(255, 255, 255));
    Chalky(c, 11);
    return c;
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::vector<PixmapRef> MakeStoryCards(const FontFace& hand, const Translate& translate) {
    using namespace kelp_stories;
    std::vector<PixmapRef> cards;
    for (std::string_view story : Cards) {
        std::vector<std::string> lines = Lines(translate(std::string(story)));
        Canvas card(CardWidth, CardHeight);
        card.FillPolygon({{0, 0}, {CardWidth, 0}, {CardWidth, CardHeight}, {0, CardHeight}}, Solid(Colour(0, 0, 0)));
        bool title = lines.size() == 1;
        int size = title ? 84 : 44;
        // A language's longer words are drawn smaller, to keep off the edges.
        auto widest = [&] {
            int most = 0;
            for (const std::string& line : lines) most = std::max(most, hand.Render(line, size).width);
            return most;
        };
        auto tall = [&] { return title ? size : int(lines.size()) * size * 3 / 2; };
        while (size > 24 && (widest() > CardWidth - 2 * CardMargin || tall() > CardHeight - 2 * CardMargin)) --size;
        int spacing = title ? 0 : size * 3 / 2;
        int top = 235 - int(lines.size() * (title ? 100 : spacing)) / 2;
        for (size_t i = 0; i < lines.size(); ++i)
            DrawLineCentred(card, hand, lines[i], size, 306, top + int(i) * spacing, Colour(250, 250, 245));
        cards.push_back(card.ToPixmap()->ConvertedTo(FMT_RGB24));
    }
    return cards;
}

Canvas MenuLabels(const FontFace& hand, const Translate& translate) {
    using namespace kelp_labels;
    Canvas strip(CellWidth, CellHeight * int(Texts.size()));
    for (size_t i = 0; i < Texts.size(); ++i) {
        std::string text = translate(std::string(Texts[i]));
        int size = 40, top = int(i) * CellHeight;
        while (size > 24 && hand.Render(text, size).width > WidestLabel) --size;
        top += (40 - size) / 2;
        // A dark edge keeps the words readable over bright lights.
        for (int dx = -2; dx <= 2; dx += 2)
            for (int dy = -2; dy <= 2; dy += 2)
                DrawLineCentred(strip, hand, text, size, CellWidth / 2 + dx, top + 4 + dy, Colour(8, 24, 28, 0.8f));
        DrawLineCentred(strip, hand, text, size, CellWidth / 2, top + 4, Colour(250, 250, 245));
    }
    return strip;
}

Canvas Title(const FontFace& hand) {
    Canvas c(640, 150);
    for (int dx = -3; dx <= 3; dx += 3)
        for (int dy = -3; dy <= 3; dy += 3)
            DrawLineCentred(c, hand, "Kelp Garden", 104, 320 + dx, 10 + dy, Colour(8, 24, 28, 0.85f));
    DrawLineCentred(c, hand, "Kelp Garden", 104, 320, 10, Colour(255, 250, 235));
    return c;
}

// A curled fish in magenta and cyan stripes, drawn afresh at each size: the
// outline keeps a whole pixel and the small sizes leave out the eye's shine.
Canvas Icon(int size) {
    float u = size / 32.0f;
    Canvas c(size, size);
    std::vector<Point> spine;
    for (int i = 0; i <= 16; ++i) {
        float t = i / 16.0f, angle = float(M_PI) * (0.2f + 1.45f * t);
        float r = (11 - 4 * t) * u;
        spine.push_back({16 * u + r * std::cos(angle), 16 * u + r * std::sin(angle)});
    }
    float outline = std::max(1.0f, u);
    for (size_t i = spine.size(); i-- > 0;) {
        float t = float(i) / (spine.size() - 1);
        float width = (9 - 6 * t) * u;
        Rgba stripe = (i / 2) % 2 ? Colour(60, 220, 240) : Colour(230, 40, 190);
        c.FillCircle(spine[i], width / 2 + outline, Solid(Colour(20, 10, 40)));
        c.FillCircle(spine[i], width / 2, Solid(stripe));
    }
    Point tail = spine.back();
    c.FillPolygon({tail, {tail.x + 6 * u, tail.y - 5 * u}, {tail.x + 7 * u, tail.y + 3 * u}}, Solid(Colour(60, 220, 240)));
    Point head = spine.front();
    c.FillCircle({head.x + u, head.y - u}, std::max(1.6f * u, 1.2f), Solid(Colour(255, 255, 255)));
    c.FillCircle({head.x + 1.3f * u, head.y - u}, std::max(0.8f * u, 0.7f), Solid(Colour(0, 0, 0)));
    if (size >= 48) c.FillCircle({head.x + 0.6f * u, head.y - 1.5f * u}, 0.35f * u, Solid(Colour(255, 255, 255)));
    return c;
}
