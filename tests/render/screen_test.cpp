#include "screen_fixture.h"

#include <SDL.h>

#include <cstdio>
#include <sys/wait.h>

TEST(GraphicsModes, TextFormAndEnumeration) {
    EXPECT_EQ((TGraphicsMode{800, 600, 32, 60}.ToString()), "800,600,32 60Hz");
    InitSystemLayer();
    const auto& modes = ListDisplayModes();
    ASSERT_FALSE(modes.empty());
    EXPECT_LE(modes.size(), 1024u);
    for (const auto& mode : modes) EXPECT_GE(mode.depth, 16);
    int32_t w, h, d, hz;
    ASSERT_TRUE(GetDisplayMode(0, w, h, d, hz));
    EXPECT_TRUE(DisplayModeExists(0, 0, d, 0));
    EXPECT_TRUE(DisplayModeExists(w, h, 0, 0));
    EXPECT_FALSE(DisplayModeExists(12345, 0, 0, 0));
    EXPECT_FALSE(GetDisplayMode(CountDisplayModes(), w, h, d, hz));
}

TEST_F(Screen, OpensATitledWindowOfExactlyTheAskedSize) {
    EXPECT_EQ(GetScreenWidth(), 800);
    EXPECT_EQ(GetScreenHeight(), 800);
    EXPECT_EQ(GetScreenDepth(), 0);
    EXPECT_EQ(GetScreenRefreshRate(), 60);
    EXPECT_EQ(GetScreenFlags(), GRAPHICS_BACKBUFFER);
    auto* window = static_cast<SDL_Window*>(GLGraphicsDriver::Instance().WindowOf(screen.get()));
    ASSERT_NE(window, nullptr);
    int w = 0, h = 0, x = 0, y = 0;
    SDL_GetWindowSize(window, &w, &h);
    SDL_GetWindowPosition(window, &x, &y);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 800);
    EXPECT_EQ(x, 32);
    EXPECT_EQ(y, 32);
    EXPECT_EQ(SDL_GetWindowTitle(window), ApplicationTitle());
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE);
}

TEST_F(Screen, ReopeningClosesTheFirstAndBumpsTheSequenceTwice) {
    int32_t before = GraphicsSequence();
    auto* firstWindow = GLGraphicsDriver::Instance().WindowOf(screen.get());
    screen = OpenScreen(400, 300, 0, 0, 0);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GraphicsSequence(), before + 2);
    EXPECT_EQ(GetScreenWidth(), 400);
    EXPECT_NE(GLGraphicsDriver::Instance().WindowOf(screen.get()), firstWindow);
    CloseScreen();
    EXPECT_EQ(GetScreenWidth(), 0);
    EXPECT_EQ(CurrentGraphicsContext(), nullptr);
}

TEST_F(Screen, ThePictureSurvivesPresenting) {
    SetDrawColor(0, 255, 0);
    FillRectangle(10, 10, 20, 20);
    PresentFrame(0);
    PresentFrame(-1);
    EXPECT_EQ(Pixel(15, 15), 0xFF00FF00u);
    EXPECT_EQ(Pixel(50, 50), 0xFF000000u);
}

TEST_F(Screen, SoftwarePacingSpacesFramesAndRebasesAfterAStall) {
    PresentFrame(-1);
    int32_t start = MillisNow();
    for (int i = 0; i < 30; ++i) PresentFrame(-1);
    double average = (MillisNow() - start) / 30.0;
    EXPECT_GT(average, 14.0);
    EXPECT_LT(average, 25.0);
    SleepMillis(1200);  // a stall longer than a second
    int32_t before = MillisNow();
    PresentFrame(-1);
    EXPECT_LT(MillisNow() - before, 12);
}

TEST_F(Screen, FlipHooksRunOnEveryPresent) {
    static int flips = 0;
    AddHook(FlipHookId(), [](int32_t, const ObjectRef& data, void*) { ++flips; return data; }, nullptr, 0);
    PresentFrame(0);
    PresentFrame(1);
    EXPECT_EQ(flips, 2);
}

TEST(ScreenWithoutDisplay, OpenScreenGivesNullAndNothingCrashes) {
    std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 ") +
                          SCREEN_PROBE_PATH + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[64] = {};
    ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
    int status = pclose(pipe);
    EXPECT_STREQ(line, "null\n");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
