// Draws every picture and synthesises every sound of the game.
// Usage: assetgen <assets folder> [contact sheet PNG]
#include "assets.h"

#include <cstdio>
#include <filesystem>

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
    pictures.push_back({"labels.png", MenuLabels(hand)});
    pictures.push_back({"title.png", Title(hand)});
    for (const auto& picture : pictures)
        ok &= SavePixelMapPng(*picture.canvas.ToPixmap(), (root / "gfx" / picture.name).string(), 9);
    std::vector<PixmapRef> cards = MakeStoryCards(hand);
    for (size_t i = 0; i < cards.size(); ++i)
        ok &= SavePixelMapJpeg(*cards[i], (root / "gfx" / ("level" + std::to_string(i + 1) + ".jpg")).string(), 88);
    Canvas icon = Icon(64);
    std::filesystem::create_directories(root / "icons");
    for (int size : IconSizes)
        ok &= SavePixelMapPng(*Icon(size).ToPixmap(), (root / "icons" / (std::to_string(size) + ".png")).string(), 9);
    for (const auto& sound : MakeSounds()) ok &= WriteWav(sound, (root / "snd" / sound.name).string());
    if (argc > 2) ok &= WriteContactSheet(pictures, cards, icon, argv[2]);
    if (!ok) std::fprintf(stderr, "assetgen: some files could not be written\n");
    return ok ? 0 : 1;
}
