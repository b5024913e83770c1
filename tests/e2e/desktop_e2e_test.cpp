// The real game on a desktop with a window manager (openbox, which honours
// full screen) on an X server of its own: resizing, full screen, the pointer
// after a change of focus, and text legible full screen on a handheld's
// 1280 x 800.
#include "x11_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const Title = "Kelp Garden.";
constexpr double CardSeconds = 4.2;

pid_t Spawn(const std::vector<std::string>& command) {
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// An X server of Width x Height on a free display, with openbox running in it.
template <int Width, int Height>
class ManagedScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = std::make_unique<PrivateXServer>(Width, Height);
        ASSERT_TRUE(server->Started()) << "Xvfb did not start";
        manager = Spawn({"openbox", "--sm-disable"});
        SleepSeconds(1);
    }
    static void TearDownTestSuite() {
        Stop(manager);
        server.reset();
    }
    void SetUp() override { ASSERT_TRUE(x11.Connected()) << "no X display"; }

    unsigned long FindGameWindow(GameProcess& game) {
        unsigned long window = x11.FindWindow(Title, 20);
        EXPECT_NE(window, 0u) << game.ErrorOutput();
        return window;
    }

    static inline std::unique_ptr<PrivateXServer> server;
    static inline pid_t manager = -1;
    X11Session x11;
};

using Desktop = ManagedScreen<1280, 1024>;
using Handheld = ManagedScreen<1280, 800>;

bool Black(uint32_t argb) { return (argb & 0xFFFFFF) == 0; }

// The share of non-black pixels in columns [x0, x1) of the picture.
double Painted(const TPixmap& shot, int x0, int x1) {
    int painted = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = x0; x < x1; ++x) painted += !Black(shot.ReadPixelArgb(x, y));
    return double(painted) / (double(x1 - x0) * shot.height);
}

TEST_F(Desktop, AResizedWindowShowsThePlayAreaSquareBetweenBlackBars) {
    GameProcess game;
    unsigned long window = FindGameWindow(game);
    ASSERT_NE(window, 0u);
    Xdotool("windowsize " + std::to_string(window) + " 1000 700");
    SleepSeconds(CardSeconds + 1.5);
    int width = 0, height = 0;
    for (int tries = 0; tries < 50 && (width != 1000 || height != 700); ++tries, SleepSeconds(0.1))
        x11.Size(window, width, height);
    ASSERT_EQ(width, 1000);
    ASSERT_EQ(height, 700);
    PixmapRef shot = x11.Screenshot(window);
    EXPECT_LT(Painted(*shot, 0, 148), 0.001) << "the left bar";
    EXPECT_LT(Painted(*shot, 852, 1000), 0.001) << "the right bar";
    EXPECT_GT(Painted(*shot, 152, 848), 0.95) << "the play area, 700 x 700 in the middle";
}

TEST_F(Desktop, F11FillsTheScreenAndGivesTheWindowBack) {
    GameProcess game;
    unsigned long window = FindGameWindow(game);
    ASSERT_NE(window, 0u);
    SleepSeconds(CardSeconds + 1);
    int width = 0, height = 0, screenWidth = 0, screenHeight = 0;
    x11.RootSize(screenWidth, screenHeight);
    x11.PressKey(window, "F11");
    SleepSeconds(1.5);
    x11.Size(window, width, height);
    EXPECT_EQ(width, screenWidth);
    EXPECT_EQ(height, screenHeight);
    PixmapRef shot = x11.Screenshot(window);
    int bar = (screenWidth - screenHeight) / 2;
    EXPECT_LT(Painted(*shot, 0, bar - 2), 0.001);
    EXPECT_GT(Painted(*shot, bar + 2, screenWidth - bar - 2), 0.95);
    x11.PressKey(window, "F11");
    SleepSeconds(1.5);
    x11.Size(window, width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 800);
}

// Focus another window and click back into the game: the game never moves
// the pointer again. Warping it back to a centre each frame, the game once
// used the desktop's centre for the window's and steered the swimmer into a
// corner; with only the pointer's motion read, a still mouse steers nowhere.
TEST_F(Desktop, AfterAnotherWindowHadTheFocusThePointerStaysWhereTheMouseLeftIt) {
    GameProcess game;
    unsigned long window = FindGameWindow(game);
    ASSERT_NE(window, 0u);
    Xdotool("windowmove " + std::to_string(window) + " 420 180");
    SleepSeconds(CardSeconds + 1);
    unsigned long other = x11.OpenPlainWindow(40, 40, 300, 300);
    ASSERT_NE(other, 0u);
    SleepSeconds(0.5);
    Xdotool("windowactivate --sync " + std::to_string(other));
    SleepSeconds(1);
    // Beside the pause menu that losing the focus brought up.
    Xdotool("mousemove --window " + std::to_string(window) + " 60 500 click 1");
    SleepSeconds(2);
    int x = 0, y = 0;
    x11.PointerPosition(window, x, y);
    EXPECT_EQ(x, 60);
    EXPECT_EQ(y, 500);
    EXPECT_EQ(game.WaitForExit(0.1), std::nullopt) << "the game is still running";
    PixmapRef first = x11.Screenshot(window);
    SleepSeconds(0.5);
    PixmapRef second = x11.Screenshot(window);
    EXPECT_LT(ChangedShare(*first, *second), 0.001) << "losing the focus paused the game";
}

TEST_F(Desktop, FullScreenFromTheCommandLineHoldsForOneRunAndTheSavedSettingForTheNext) {
    SavedHome home;
    int screenWidth = 0, screenHeight = 0, width = 0, height = 0;
    x11.RootSize(screenWidth, screenHeight);
    {
        GameProcess game({"--level", "1", "--fullscreen"}, home.Environment());
        unsigned long window = FindGameWindow(game);
        ASSERT_NE(window, 0u);
        SleepSeconds(1.5);
        x11.Size(window, width, height);
        EXPECT_EQ(width, screenWidth);
        EXPECT_EQ(height, screenHeight);
        game.Signal(SIGTERM);
        EXPECT_EQ(game.WaitForExit(10), 0);
    }
    GameProcess game({"--level", "1"}, home.Environment());
    unsigned long window = FindGameWindow(game);
    ASSERT_NE(window, 0u);
    SleepSeconds(1.5);
    x11.Size(window, width, height);
    EXPECT_EQ(width, 800) << "the command line did not change the saved setting";
    EXPECT_EQ(height, 800);
}

// The height of the capitals of a line of the built-in font's text drawn in
// the light colours over a dark panel, within [x0, x1) x [y0, y1) of the
// picture: from the top of its ink down to the baseline, the lowest row
// with a quarter of the most ink of any row (below it, only descenders).
int CapitalHeight(const TPixmap& shot, int x0, int y0, int x1, int y1) {
    std::vector<int> ink(size_t(y1 - y0));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint32_t c = shot.ReadPixelArgb(x, y);
            double luminance = 0.2126 * (c >> 16 & 255) + 0.7152 * (c >> 8 & 255) + 0.0722 * (c & 255);
            ink[size_t(y - y0)] += luminance >= 140;
        }
    int most = *std::max_element(ink.begin(), ink.end());
    int top = -1, baseline = -1;
    for (int row = 0; row < int(ink.size()); ++row) {
        if (ink[size_t(row)] > 0 && top < 0) top = row;
        if (ink[size_t(row)] * 4 >= most && most > 0) baseline = row;
    }
    return top < 0 ? 0 : baseline - top + 1;
}

}  // namespace

// Full screen on a handheld's 1280 x 800 the play area is 800 x 800 beside
// black bars. The smallest print there: the hint, the menus' values, the
// notes of assisted times in the levels list, a menu's footnote.
TEST_F(Handheld, EveryTextHasCapitalsAtLeastTwelvePixelsTall) {
    SavedHome home;
    std::filesystem::create_directories(std::filesystem::path(home.progressFile()).parent_path());
    std::ofstream(home.progressFile()) << "reached = 4\nresume = 4\nbest-1 = 61.25\nbest-2 = none\nbest-3 = none\n"
                                          "best-4 = none\nbest-5 = none\nbest-6 = none\nbest-assisted-1 = 55.5\n";
    GameProcess game({"--fullscreen"}, home.Environment());
    unsigned long window = FindGameWindow(game);
    ASSERT_NE(window, 0u);
    SleepSeconds(2);
    int width = 0, height = 0;
    x11.Size(window, width, height);
    ASSERT_EQ(width, 1280);
    ASSERT_EQ(height, 800);
    constexpr int Left = (1280 - 800) / 2;  // the play area's, at a scale of one
    auto capitals = [&](const TPixmap& shot, int x0, int y0, int x1, int y1) {
        return CapitalHeight(shot, Left + x0, y0, Left + x1, y1);
    };
    std::map<std::string, int> heights;
    // Each key a frame or more apart: a key that ends a menu ends its frame's input.
    auto keys = [&](std::initializer_list<const char*> names) {
        for (const char* name : names) {
            x11.PressKey(window, name);
            SleepSeconds(0.2);
        }
        SleepSeconds(0.5);
    };

    keys({"Down", "Down", "Return"});  // Levels
    PixmapRef levels = x11.Screenshot(window);
    heights["levels hint"] = capitals(*levels, 0, 760, 800, 786);
    heights["best time"] = capitals(*levels, 460, 292, 690, 322);
    heights["assisted note"] = capitals(*levels, 460, 323, 690, 350);

    keys({"Escape", "Down", "Return"});  // Settings
    PixmapRef settings = x11.Screenshot(window);
    heights["settings value"] = capitals(*settings, 500, 233, 690, 265);
    heights["settings hint"] = capitals(*settings, 0, 760, 800, 786);

    keys({"Up", "Up", "Return"});  // Assist, from Volume round past Back
    PixmapRef assist = x11.Screenshot(window);
    heights["assist footnote"] = capitals(*assist, 110, 498, 690, 526);

    for (const auto& [text, capitalHeight] : heights) {
        std::printf("%s: capitals %d px\n", text.c_str(), capitalHeight);
        EXPECT_GE(capitalHeight, 12) << text;
        EXPECT_LE(capitalHeight, 30) << text << ": more than one line was measured";
    }
}
