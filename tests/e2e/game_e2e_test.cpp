// The real game under the X server: its window, keys, closing, pictures and sound.
#include "x11_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const char* const Title = "Kelp Garden.";
// The first card takes four seconds; the level is running after five.
constexpr double CardSeconds = 4.2;

class Game : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Started()) << "Xvfb did not start";
        ASSERT_TRUE(x11.Connected()) << "no X display";
    }

    unsigned long Start(GameProcess& game) {
        unsigned long window = x11.FindWindow(Title, 20);
        EXPECT_NE(window, 0u) << game.ErrorOutput();
        return window;
    }

    // Escape pauses; Q in the pause menu quits.
    void QuitFromPlay(unsigned long window) {
        x11.PressKey(window, "Escape");
        SleepSeconds(0.3);
        x11.PressKey(window, "q");
    }

    PrivateXServer server{1024, 1024};
    X11Session x11;
};

struct Rgb {
    int r, g, b;
};

Rgb At(const TPixmap& map, int x, int y) {
    uint32_t argb = map.ReadPixelArgb(x, y);
    return {int(argb >> 16 & 0xFF), int(argb >> 8 & 0xFF), int(argb & 0xFF)};
}

bool NearVeil(Rgb c) { return std::abs(c.r - 20) < 12 && std::abs(c.g - 50) < 14 && std::abs(c.b - 50) < 14; }
// The veil's dark blue-green, brightened here and there by the lights behind it.
bool VeilTinted(Rgb c) { return c.g >= c.r && c.b >= c.r && std::max({c.r, c.g, c.b}) < 150; }
bool Colourful(Rgb c) { return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) > 90; }

// The mean colour of the darkest hundredth of the picture.
Rgb DarkestPercent(const TPixmap& map) {
    std::vector<Rgb> pixels;
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x) pixels.push_back(At(map, x, y));
    auto brightness = [](Rgb c) { return c.r + c.g + c.b; };
    size_t count = pixels.size() / 100;
    std::nth_element(pixels.begin(), pixels.begin() + count, pixels.end(),
                     [&](Rgb a, Rgb b) { return brightness(a) < brightness(b); });
    Rgb mean{0, 0, 0};
    for (size_t i = 0; i < count; ++i) mean.r += pixels[i].r, mean.g += pixels[i].g, mean.b += pixels[i].b;
    return {int(mean.r / count), int(mean.g / count), int(mean.b / count)};
}

int Count(const TPixmap& map, int x0, int y0, int x1, int y1, bool (*test)(Rgb)) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += test(At(map, x, y));
    return n;
}

}  // namespace

TEST_F(Game, ATitledEightHundredSquareWindowThatQuitsWithStatusZero) {
    GameProcess game;
    unsigned long window = Start(game);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(x11.Title(window), Title);
    int width = 0, height = 0;
    x11.Size(window, width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 800);
    long iconWidth = 0, iconHeight = 0;
    for (int tries = 0; tries < 20 && iconWidth == 0; ++tries, SleepSeconds(0.1))
        x11.IconSize(window, iconWidth, iconHeight);
    EXPECT_EQ(iconWidth, 64);
    EXPECT_EQ(iconHeight, 64);
    SleepSeconds(CardSeconds + 1);
    QuitFromPlay(window);
    EXPECT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
}

TEST_F(Game, ClosingTheWindowEndsWithStatusZero) {
    GameProcess game;
    unsigned long window = Start(game);
    ASSERT_NE(window, 0u);
    x11.RequestClose(window);  // read in the first frame of the level
    EXPECT_EQ(game.WaitForExit(CardSeconds + 10), 0) << game.ErrorOutput();
}

TEST_F(Game, SixDuringLevelOneShowsTheEndThenTheTitle) {
    GameProcess game;
    unsigned long window = Start(game);
    ASSERT_NE(window, 0u);
    SleepSeconds(CardSeconds + 1);
    x11.PressKey(window, "6");
    SleepSeconds(1.6);  // the closing card at full strength
    PixmapRef card = x11.Screenshot(window);
    auto white = [](Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; };
    auto black = [](Rgb c) { return c.r < 10 && c.g < 10 && c.b < 10; };
    EXPECT_GT(Count(*card, 200, 300, 600, 500, white), 500);
    EXPECT_GT(Count(*card, 0, 0, 100, 100, black), 9000);
    SleepSeconds(4);  // the card, then a second of black
    PixmapRef title = x11.Screenshot(window);
    EXPECT_GT(Count(*title, 250, 100, 550, 200, white), 2000) << "the game's name on the title";
    x11.PressKey(window, "Escape");  // goes to Quit
    SleepSeconds(0.3);
    x11.PressKey(window, "Return");
    EXPECT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
}

TEST_F(Game, PlayShowsTheVeilTheClockTheFishAndTheSwimmer) {
    GameProcess game;
    unsigned long window = Start(game);
    ASSERT_NE(window, 0u);
    SleepSeconds(CardSeconds + 2.5);
    PixmapRef shot = x11.Screenshot(window);
    const char* keep = std::getenv("KELP_SCREENSHOT");
    if (keep) SavePixelMapPng(*shot, keep, 6);
    QuitFromPlay(window);
    EXPECT_EQ(game.WaitForExit(10), 0);
    EXPECT_GT(Count(*shot, 0, 0, 800, 800, VeilTinted), 800 * 800 / 2) << "no veil around the world";
    // The background lights may cover every pixel, but where they are faintest
    // the veil's own colour shows.
    Rgb darkest = DarkestPercent(*shot);
    EXPECT_NEAR(darkest.r, 20, 30) << "no veil where the lights are faint";
    EXPECT_NEAR(darkest.g, 50, 30) << "no veil where the lights are faint";
    EXPECT_NEAR(darkest.b, 50, 30) << "no veil where the lights are faint";
    EXPECT_GT(Count(*shot, 15, 15, 85, 85, Colourful), 800) << "no clock dial";
    int drawn = 0;
    for (int y = 250; y < 550; ++y)
        for (int x = 250; x < 550; ++x) drawn += !NearVeil(At(*shot, x, y));
    EXPECT_GT(drawn, 3000) << "nothing drawn around the centre";
    auto purple = [](Rgb c) { return c.r > 90 && c.b > 140 && c.g < 110; };
    auto pinkish = [](Rgb c) { return c.r > 150 && c.b > 110 && c.g < 160; };
    EXPECT_GT(Count(*shot, 200, 200, 600, 600, purple), 20) << "no swimmer";
    EXPECT_GT(Count(*shot, 200, 200, 600, 600, pinkish), 50) << "no fish";
}

TEST_F(Game, PlayIsHeard) {
    std::string capture = (std::filesystem::temp_directory_path() / "kelp_e2e_sound.raw").string();
    GameProcess game(LevelOne, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + capture});
    unsigned long window = Start(game);
    ASSERT_NE(window, 0u);
    SleepSeconds(CardSeconds + 0.8);
    x11.Wiggle(window, 12);
    SleepSeconds(1);
    QuitFromPlay(window);
    EXPECT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
    CapturedSound sound = AnalyseCapture(capture);
    std::filesystem::remove(capture);
    ASSERT_GT(sound.samples, 44100u * 2) << "less than a second captured";
    EXPECT_GT(sound.loud, 1000) << "play is too quiet to hear";
    EXPECT_EQ(sound.clipped, 0) << "the mix reached full scale";
}

// As over ssh: no display of any kind, and no video driver asked for.
TEST(GameWithoutDisplay, SaysSoAndEndsWithAFailure) {
    GameProcess game(LevelOne, {"-DISPLAY", "-WAYLAND_DISPLAY", "-SDL_VIDEODRIVER"});
    std::optional<int> status = game.WaitForExit(20);
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(*status, 0);
    EXPECT_NE(game.ErrorOutput().find("cannot open its 800 x 800 OpenGL window"), std::string::npos)
        << game.ErrorOutput();
}

namespace {

// How alike two pictures' brightness is over a w x h rectangle of each:
// their correlation, 1 for the same pattern. `overOfB`: b is drawn over
// something dark, as the menu words are: its brightness times its alpha.
double Likeness(const TPixmap& a, int ax, int ay, const TPixmap& b, int bx, int by, int w, int h, bool overOfB) {
    std::vector<double> p, q;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb c = At(a, ax + x, ay + y);
            p.push_back(c.r + c.g + c.b);
            uint32_t argb = b.ReadPixelArgb(bx + x, by + y);
            double brightness = double((argb >> 16 & 255) + (argb >> 8 & 255) + (argb & 255));
            q.push_back(overOfB ? brightness * double(argb >> 24) / 255 : brightness);
        }
    auto mean = [](const std::vector<double>& v) { double s = 0; for (double x : v) s += x; return s / double(v.size()); };
    double mp = mean(p), mq = mean(q), pq = 0, pp = 0, qq = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        pq += (p[i] - mp) * (q[i] - mq);
        pp += (p[i] - mp) * (p[i] - mp);
        qq += (q[i] - mq) * (q[i] - mq);
    }
    return pq / std::sqrt(pp * qq + 1e-9);
}

PixmapRef Asset(const std::string& path) { return LoadPixelMap(std::string(ASSETS_DIR) + "/" + path); }

}  // namespace

// A German desktop gets the German game: the first card as the generator drew
// it in German, and the title menu's German words; a language the game lacks
// gets English.
TEST_F(Game, ADesktopsLanguageIsTheGames) {
    PixmapRef german = Asset("gfx/de/level1.jpg"), english = Asset("gfx/level1.jpg");
    ASSERT_TRUE(german && english);
    const int cardX = (800 - german->width) / 2, cardY = (800 - german->height) / 2;
    auto cardOf = [&](const char* locale) {
        GameProcess game(LevelOne, {std::string("LANG=") + locale, "-LC_ALL", "-LC_MESSAGES"});
        unsigned long window = Start(game);
        SleepSeconds(2);  // the card stays until a key
        PixmapRef shot = x11.Screenshot(window);
        game.Signal(SIGTERM);
        game.WaitForExit(10);
        return shot;
    };
    PixmapRef shown = cardOf("de_DE.UTF-8");
    ASSERT_NE(shown, nullptr);
    double asGerman = Likeness(*shown, cardX, cardY, *german, 0, 0, german->width, german->height, false);
    double asEnglish = Likeness(*shown, cardX, cardY, *english, 0, 0, english->width, english->height, false);
    EXPECT_GT(asGerman, 0.9);
    EXPECT_LT(asEnglish, 0.5);
    PixmapRef unknown = cardOf("ja_JP.UTF-8");
    ASSERT_NE(unknown, nullptr);
    EXPECT_GT(Likeness(*unknown, cardX, cardY, *english, 0, 0, english->width, english->height, false), 0.9);

    PixmapRef labels = Asset("gfx/de/labels.png"), englishLabels = Asset("gfx/labels.png");
    ASSERT_TRUE(labels && englishLabels);
    GameProcess title({}, {"LANG=de_DE.UTF-8", "-LC_ALL", "-LC_MESSAGES"});
    unsigned long window = Start(title);
    SleepSeconds(2);
    PixmapRef menu = x11.Screenshot(window);
    ASSERT_NE(menu, nullptr);
    // "New game", selected, in the second row, its cell centred on (400, 384).
    constexpr int Cell = 1, Row = 384;
    double neuesSpiel = Likeness(*menu, 190, Row - 30, *labels, 0, Cell * 60, 420, 60, true);
    double newGame = Likeness(*menu, 190, Row - 30, *englishLabels, 0, Cell * 60, 420, 60, true);
    EXPECT_GT(neuesSpiel, 0.6);
    EXPECT_GT(neuesSpiel, newGame + 0.3);
}
