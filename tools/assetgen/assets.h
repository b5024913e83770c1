// The asset generator's parts: pictures, story cards, the icon and sounds.
#pragma once

#include "canvas.h"

#include <functional>
#include <string>
#include <vector>

struct Picture {
    std::string name;  // file name under assets/gfx
    Canvas canvas;
};

// Text through FreeType: coverage maps of whole lines.
class FontFace {
public:
    explicit FontFace(const std::string& path);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    struct Line {
        std::vector<float> coverage;
        int width = 0, height = 0;
    };
    Line Render(const std::string& text, int pixelSize) const;
    // The letters of the text the font has no glyph for.
    std::u32string Missing(const std::string& text) const;

private:
    void* library = nullptr;
    void* face = nullptr;
};

std::vector<Picture> MakePictures(const FontFace& chalk);
Canvas Goal(const FontFace& chalk);
// A language's words for the English ones.
using Translate = std::function<std::string(const std::string&)>;
// Eight cards: levels 1 to 6, "THE END", "GAME OVER"; 612 x 470 RGB.
std::vector<PixmapRef> MakeStoryCards(const FontFace& hand, const Translate& translate);
// The application icon, `size` pixels square.
Canvas Icon(int size);
constexpr int IconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
// The menus' words, one cell each, and the game's name for the title screen.
Canvas MenuLabels(const FontFace& hand, const Translate& translate);
Canvas Title(const FontFace& hand);

struct Sound {
    std::string name;
    int hertz;
    int bits;
    std::vector<float> samples;  // -1..1
};
std::vector<Sound> MakeSounds();

// A writer that the game's own WAV reader reads back.
bool WriteWav(const Sound& sound, const std::string& path);
