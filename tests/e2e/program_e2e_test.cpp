// The program as a player meets it: the command line, the pause menu, the
// sound settings kept between runs, damaged saved files and a polite end.
#include "x11_session.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const Title = "Kelp Garden.";
// Passing the card with Enter leaves a second of black before the level.
constexpr double CardPassed = 1.6;

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Started()) << "Xvfb did not start";
        ASSERT_TRUE(x11.Connected()) << "no X display";
    }

    // The level running: the window found, its card shown and passed.
    unsigned long StartPlaying(GameProcess& game) {
        unsigned long window = x11.FindWindow(Title, 20);
        EXPECT_NE(window, 0u) << game.ErrorOutput();
        if (!window) return 0;
        bool shown = false;
        for (int tries = 0; tries < 100 && !shown; ++tries, SleepSeconds(0.1)) shown = CardShown(window);
        EXPECT_TRUE(shown) << "no story card";
        x11.PressKey(window, "Return");
        SleepSeconds(CardPassed);
        return window;
    }

    // P pauses, Q quits from the pause menu, and the game ends well.
    void QuitFromPause(GameProcess& game, unsigned long window) {
        x11.PressKey(window, "p");
        SleepSeconds(0.3);
        x11.PressKey(window, "q");
        EXPECT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
    }

    // How much of the window changes over `seconds`.
    double Motion(unsigned long window, double seconds) {
        PixmapRef before = x11.Screenshot(window);
        SleepSeconds(seconds);
        return ChangedShare(*before, *x11.Screenshot(window));
    }

    // The story card's white writing in the middle of the window.
    bool CardShown(unsigned long window) {
        PixmapRef shot = x11.Screenshot(window);
        if (!shot || shot->width < 600 || shot->height < 500) return false;
        int white = 0;
        for (int y = 250; y < 550; ++y)
            for (int x = 200; x < 600; ++x) {
                uint32_t p = shot->ReadPixelArgb(x, y);
                white += (p >> 16 & 0xFF) > 200 && (p >> 8 & 0xFF) > 200 && (p & 0xFF) > 200;
            }
        return white > 300;
    }

    PrivateXServer server{1024, 1024};
    X11Session x11;
};

void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

TEST(CommandLine, HelpAndVersionAnswerAndUnknownOptionsAreRefused) {
    GameProcess help({"--help"}, {"-DISPLAY"});
    EXPECT_EQ(help.WaitForExit(10), 0);
    EXPECT_NE(help.Output().find("--level N"), std::string::npos) << help.Output();
    EXPECT_NE(help.Output().find("--fullscreen"), std::string::npos);
    GameProcess shortHelp({"-h"}, {"-DISPLAY"});
    EXPECT_EQ(shortHelp.WaitForExit(10), 0);
    EXPECT_EQ(shortHelp.Output(), help.Output());

    GameProcess version({"--version"}, {"-DISPLAY"});
    EXPECT_EQ(version.WaitForExit(10), 0);
    EXPECT_EQ(version.Output().rfind("Kelp Garden ", 0), 0u) << version.Output();

    GameProcess unknown({"--fly"}, {"-DISPLAY"});
    EXPECT_EQ(unknown.WaitForExit(10), 2);
    EXPECT_NE(unknown.ErrorOutput().find("--fly"), std::string::npos) << unknown.ErrorOutput();
    EXPECT_EQ(unknown.Output(), "");

    GameProcess badLevel({"--level", "seven"}, {"-DISPLAY"});
    EXPECT_EQ(badLevel.WaitForExit(10), 2);
    EXPECT_NE(badLevel.ErrorOutput().find("1 to 6"), std::string::npos) << badLevel.ErrorOutput();
}

TEST_F(Player, EscapePausesThePlayAreaAndEscapeAgainResumesIt) {
    GameProcess game;
    unsigned long window = StartPlaying(game);
    ASSERT_NE(window, 0u);
    x11.PressKey(window, "Escape");
    SleepSeconds(0.5);
    EXPECT_LT(Motion(window, 1), 0.001) << "the paused play area stands still";
    x11.PressKey(window, "Escape");
    SleepSeconds(0.5);
    EXPECT_GT(Motion(window, 0.5), 0.05) << "the garden moves again";
    QuitFromPause(game, window);
}

// "Show me the way" leaves the pause menu for the level standing still but
// for the light running along the way, and after a few seconds play goes on.
TEST_F(Player, ShowMeTheWayLightsThePathThenPlayGoesOn) {
    GameProcess game;
    unsigned long window = StartPlaying(game);
    ASSERT_NE(window, 0u);
    x11.PressKey(window, "Escape");
    SleepSeconds(0.5);
    PixmapRef menu = x11.Screenshot(window);
    x11.PressKey(window, "Down");
    x11.PressKey(window, "Down");
    x11.PressKey(window, "Return");
    // The way is worked out first: a moment in a release build, longer under the sanitizers.
    PixmapRef showing = x11.Screenshot(window);
    for (int tries = 0; tries < 60 && ChangedShare(*menu, *showing) < 0.2; ++tries) {
        SleepSeconds(0.25);
        showing = x11.Screenshot(window);
    }
    ASSERT_GT(ChangedShare(*menu, *showing), 0.2) << "the darkened menu gave way to the level";
    double running = Motion(window, 0.3);
    EXPECT_GT(running, 0.0) << "the light runs along the way";
    EXPECT_LT(running, 0.02) << "the level itself stands still";
    double moving = 0;
    for (int tries = 0; tries < 40 && moving < 0.05; ++tries) moving = Motion(window, 0.25);
    EXPECT_GT(moving, 0.05) << "play went on";
    QuitFromPause(game, window);
}

TEST_F(Player, MuteIsRememberedAcrossRunsAndMBringsTheSoundBack) {
    SavedHome home;
    std::string capture = home.path + "/sound.raw";
    std::vector<std::string> environment = home.Environment();
    {
        GameProcess game(LevelOne, environment);
        unsigned long window = StartPlaying(game);
        ASSERT_NE(window, 0u);
        x11.PressKey(window, "m");
        SleepSeconds(0.5);
        game.Signal(SIGTERM);
        EXPECT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
    }
    EXPECT_NE(ReadFile(home.settingsFile()).find("muted = yes"), std::string::npos);

    environment.push_back("SDL_AUDIODRIVER=disk");
    environment.push_back("SDL_DISKAUDIOFILE=" + capture);
    GameProcess game(LevelOne, environment);
    unsigned long window = StartPlaying(game);
    ASSERT_NE(window, 0u);
    x11.Wiggle(window, 10);
    size_t unmutedAt = std::filesystem::file_size(capture);
    x11.PressKey(window, "m");
    x11.Wiggle(window, 16);
    game.Signal(SIGTERM);
    EXPECT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
    CapturedSound whole = AnalyseCapture(capture), unmuted = AnalyseCapture(capture, unmutedAt);
    ASSERT_GT(whole.samples - unmuted.samples, 44100u * 2) << "a second of muted play captured";
    EXPECT_EQ(whole.loud - unmuted.loud, 0) << "muted play is silent";
    EXPECT_GT(unmuted.loud, 1000) << "M brings the sound back";
    EXPECT_NE(ReadFile(home.settingsFile()).find("muted = no"), std::string::npos);
}

TEST_F(Player, DamagedSavedFilesDoNotStopTheGame) {
    SavedHome home;
    std::string garbage = "\x89PNG\r\n\x1a\n\0\0\0 not settings at all";
    WriteFile(home.settingsFile(), garbage);
    WriteFile(home.progressFile(), "reached = 99\n");
    GameProcess game({}, home.Environment());
    unsigned long window = x11.FindWindow(Title, 20);
    ASSERT_NE(window, 0u) << game.ErrorOutput();
    SleepSeconds(1);
    game.Signal(SIGTERM);
    EXPECT_EQ(game.WaitForExit(10), 0);
    std::string errors = game.ErrorOutput();
    EXPECT_NE(errors.find("settings.txt is damaged"), std::string::npos) << errors;
    EXPECT_NE(errors.find("progress.txt is damaged"), std::string::npos) << errors;
    EXPECT_EQ(ReadFile(home.settingsFile() + ".bad"), garbage) << "the damaged file is kept";
    EXPECT_EQ(ReadFile(home.progressFile() + ".bad"), "reached = 99\n");
    EXPECT_NE(ReadFile(home.progressFile()).find("reached = 1"), std::string::npos) << "saved anew";
}

TEST_F(Player, SigtermSavesAndEndsWithStatusZero) {
    SavedHome home;
    GameProcess game({"--level", "2"}, home.Environment());
    unsigned long window = StartPlaying(game);
    ASSERT_NE(window, 0u);
    EXPECT_FALSE(std::filesystem::exists(home.progressFile())) << "nothing to save yet";
    game.Signal(SIGTERM);
    EXPECT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
    std::string progress = ReadFile(home.progressFile());
    EXPECT_NE(progress.find("resume = 2"), std::string::npos) << progress;
    EXPECT_NE(ReadFile(home.settingsFile()).find("volume = 10"), std::string::npos);
}

TEST_F(Player, AGameRecordedInTheWindowReplaysWithAndWithoutIt) {
    SavedHome home;
    std::string recording = home.path + "/game.kgr";
    {
        GameProcess game({"--level", "1", "--record", recording}, home.Environment());
        unsigned long window = StartPlaying(game);
        ASSERT_NE(window, 0u);
        x11.Wiggle(window, 8);
        game.Signal(SIGTERM);
        ASSERT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
    }
    GameProcess headless({"--replay", recording, "--headless"}, {"-DISPLAY"});
    ASSERT_EQ(headless.WaitForExit(20), 0) << headless.ErrorOutput();
    unsigned long frames = 0, checksum = 0;
    ASSERT_EQ(std::sscanf(headless.Output().c_str(), "%lu frames, checksum %lx", &frames, &checksum), 2)
        << headless.Output();
    EXPECT_GT(frames, 15u) << "about a second of play";

    GameProcess shown({"--replay", recording}, home.Environment());
    EXPECT_EQ(shown.WaitForExit(30), 0) << shown.ErrorOutput();

    std::string bytes = ReadFile(recording);
    bytes[bytes.size() / 2] ^= 0x10;
    WriteFile(recording, bytes);
    GameProcess damaged({"--replay", recording, "--headless"}, {"-DISPLAY"});
    EXPECT_EQ(damaged.WaitForExit(20), 1);
    EXPECT_NE(damaged.ErrorOutput().find("damaged"), std::string::npos) << damaged.ErrorOutput();
}

// The README's promise holds from the program's first act: a stop asked for
// while the game is still starting ends it in order, and what it saves is whole.
TEST(StartUp, SigtermWhileStartingEndsWithStatusZero) {
    for (double after : {0.05, 0.3}) {
        SavedHome home;
        GameProcess game(LevelOne, home.Environment());
        ASSERT_TRUE(game.WaitUntilCatching(SIGTERM, 10));
        SleepSeconds(after);
        game.Signal(SIGTERM);
        EXPECT_EQ(game.WaitForExit(20), 0) << after << " s: " << game.ErrorOutput();
        EXPECT_EQ(game.ErrorOutput().find("Received Signal"), std::string::npos) << game.ErrorOutput();
        if (std::filesystem::exists(home.progressFile())) {
            EXPECT_NE(ReadFile(home.progressFile()).find("best-6 = "), std::string::npos) << "saved whole";
        }
    }
}

TEST(HeadlessRun, SigtermStopsTheAutopilotsSearchWithALineOfItsOwn) {
    GameProcess search({"--autopilot", "--headless", "--level", "3"}, {"-DISPLAY"});
    SleepSeconds(1);
    search.Signal(SIGTERM);
    EXPECT_EQ(search.WaitForExit(20), 1) << search.ErrorOutput();
    EXPECT_NE(search.Output().find("level 3 stopped"), std::string::npos) << search.Output();
    EXPECT_EQ(search.ErrorOutput().find("Received Signal"), std::string::npos) << search.ErrorOutput();
}

// A recording that cannot be kept is refused before the game is played.
TEST(CommandLine, ARecordingThatCannotBeWrittenIsRefusedBeforePlay) {
    SavedHome home;
    WriteFile(home.path + "/a-file", "in the way");
    for (const std::string& target : {home.path + "/a-file/won.kgreplay", home.path}) {
        GameProcess search({"--autopilot", "--headless", "--level", "1", "--record", target}, {"-DISPLAY"});
        EXPECT_EQ(search.WaitForExit(5), 2) << target << ": " << search.Output();
        EXPECT_NE(search.ErrorOutput().find("--record"), std::string::npos) << search.ErrorOutput();
        EXPECT_EQ(search.Output(), "") << "nothing was played";
    }
}

TEST_F(Player, ARecordingNamedWithoutAFolderIsKeptWhereTheGameStarted) {
    SavedHome home;
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(home.path);
    {
        GameProcess game({"--level", "1", "--record", "won.kgreplay"}, home.Environment());
        unsigned long window = StartPlaying(game);
        std::filesystem::current_path(before);
        ASSERT_NE(window, 0u);
        x11.Wiggle(window, 4);
        game.Signal(SIGTERM);
        ASSERT_EQ(game.WaitForExit(10), 0) << game.ErrorOutput();
        EXPECT_EQ(game.ErrorOutput().find("not saved"), std::string::npos) << game.ErrorOutput();
    }
    std::string recording = home.path + "/won.kgreplay";
    ASSERT_TRUE(std::filesystem::exists(recording));
    GameProcess headless({"--replay", recording, "--headless"}, {"-DISPLAY"});
    EXPECT_EQ(headless.WaitForExit(20), 0) << headless.ErrorOutput();
}

// Xlib ends the program itself when the X server goes away; the game says so,
// keeps what it would have saved, and ends with a failure instead of hanging.
TEST(LostDisplay, TheGameSavesAndEndsWithAFailure) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        PrivateXServer server(1024, 768);
        ASSERT_TRUE(server.Started()) << "Xvfb did not start";
        SavedHome home;
        GameProcess game({"--level", "2"}, home.Environment());
        EXPECT_EQ(std::system("timeout 30 xdotool search --sync --name 'Kelp Garden' >/dev/null"), 0)
            << "the game's window";
        SleepSeconds(3 + attempt);  // past start-up: before it there is nothing to save
        server.Kill();
        EXPECT_EQ(game.WaitForExit(20), 1) << game.ErrorOutput();
        EXPECT_NE(game.ErrorOutput().find("the display has gone away"), std::string::npos) << game.ErrorOutput();
        EXPECT_NE(ReadFile(home.progressFile()).find("reached = 2"), std::string::npos) << "progress saved";
    }
}
