// Draws every picture and synthesises every sound of the game, and each
// language's story cards and menu words from its catalog in po/.
// Usage: assetgen <assets folder> [contact sheet PNG]
#include "assets.h"
#include "assets/catalog.h"
#include "assets/labels.h"
#include "assets/stories.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const char* const HandFont = "/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf";

// Every picture on the game's dark blue-green, for looking over.
bool WriteContactSheet(const std::vector<Picture>& pictures, const std::vector<PixmapRef>& cards,
                       const Canvas& icon, const std::string& path) {
    int width = 2600, y = 10, rowHeight = 0, x = 10;
    struct Placement {
        const Canvas* canvas;
        int x, y;
    };
    std::vector<Placement> placements;
    for (const auto& picture : pictures) {
        if (x + picture.canvas.Width() > width) x = 10, y += rowHeight + 10, rowHeight = 0;
        placements.push_back({&picture.canvas, x, y});
        x += picture.canvas.Width() + 10;
        rowHeight = std::max(rowHeight, picture.canvas.Height());
    }
    placements.push_back({&icon, x, y});
    int cardsTop = y + rowHeight + 10;
    Canvas sheet(width, cardsTop + 2 * 480);
    sheet.FillPolygon({{0, 0}, {float(width), 0}, {float(width), float(sheet.Height())}, {0, float(sheet.Height())}},
                      Solid(Colour(20, 50, 50)));
    for (const auto& p : placements) sheet.Paste(*p.canvas, p.x, p.y);
    PixmapRef map = sheet.ToPixmap();
    for (size_t i = 0; i < cards.size(); ++i)
        map->PasteFrom(*cards[i], 10 + int(i % 4) * 622, cardsTop + int(i / 4) * 480);
    return SavePixelMapPng(*map, path, 6);
}

std::string Utf8(char32_t c) {
    std::string out;
    if (c < 0x80) return out += char(c), out;
    if (c < 0x800) return out += char(0xC0 | (c >> 6)), out += char(0x80 | (c & 0x3F)), out;
    out += char(0xE0 | (c >> 12)), out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
    return out;
}

// Every word the hand draws for a language has its glyphs in the hand.
bool HandHasEveryLetter(const FontFace& hand, const Translate& translate, const std::string& code) {
    bool whole = true;
    auto check = [&](std::string_view english) {
        std::u32string missing = hand.Missing(translate(std::string(english)));
        for (char32_t c : missing)
            std::fprintf(stderr, "assetgen: %s: the hand has no \"%s\"\n", code.c_str(), Utf8(c).c_str());
        whole &= missing.empty();
    };
    for (std::string_view label : kelp_labels::Texts) check(label);
    for (std::string_view card : kelp_stories::Cards) check(card);
    return whole;
}

// A language's cards and menu words, in gfx/<code>/.
bool WriteLanguage(const FontFace& hand, const std::filesystem::path& root, const std::string& code) {
    std::ifstream file(std::filesystem::path(KELP_CATALOGS) / (code + ".po"));
    std::stringstream text;
    text << file.rdbuf();
    kelp_text::Catalog catalog;
    std::string error;
    if (!file || !catalog.parse(text.str(), error)) {
        std::fprintf(stderr, "assetgen: po/%s.po: %s\n", code.c_str(), file ? error.c_str() : "cannot be read");
        return false;
    }
    Translate translate = [&](const std::string& english) { return catalog.translate(english); };
    if (!HandHasEveryLetter(hand, translate, code)) return false;
    std::filesystem::path folder = root / "gfx" / code;
    std::filesystem::create_directories(folder);
    bool ok = SavePixelMapPng(*MenuLabels(hand, translate).ToPixmap(), (folder / "labels.png").string(), 9);
    std::vector<PixmapRef> cards = MakeStoryCards(hand, translate);
    for (size_t i = 0; i < cards.size(); ++i)
        ok &= SavePixelMapJpeg(*cards[i], (folder / ("level" + std::to_string(i + 1) + ".jpg")).string(), 88);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <assets folder> [contact sheet PNG]\n", argv[0]);
        return 2;
    }
    std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "gfx");
    std::filesystem::create_directories(root / "snd");
    FontFace hand(HandFont);
    bool ok = true;
    std::vector<Picture> pictures = MakePictures(hand);
    Translate english = [](const std::string& text) { return text; };
    pictures.push_back({"labels.png", MenuLabels(hand, english)});
    pictures.push_back({"title.png", Title(hand)});
    for (const auto& picture : pictures)
        ok &= SavePixelMapPng(*picture.canvas.ToPixmap(), (root / "gfx" / picture.name).string(), 9);
    std::vector<PixmapRef> cards = MakeStoryCards(hand, english);
    for (size_t i = 0; i < cards.size(); ++i)
        ok &= SavePixelMapJpeg(*cards[i], (root / "gfx" / ("level" + std::to_string(i + 1) + ".jpg")).string(), 88);
    Canvas icon = Icon(64);
    std::filesystem::create_directories(root / "icons");
    for (int size : IconSizes)
        ok &= SavePixelMapPng(*Icon(size).ToPixmap(), (root / "icons" / (std::to_string(size) + ".png")).string(), 9);
    for (const auto& sound : MakeSounds()) ok &= WriteWav(sound, (root / "snd" / sound.name).string());
    for (const std::string& language : kelp_text::languageCodes())
        if (language != "en") ok &= WriteLanguage(hand, root, language);
    if (argc > 2) ok &= WriteContactSheet(pictures, cards, icon, argv[2]);
    if (!ok) std::fprintf(stderr, "assetgen: some files could not be written\n");
    return ok ? 0 : 1;
}
