// The program's flow on a real screen with frames driven by the test: the
// title, the pause and its keys, losing, the keys that work anywhere, and
// what is saved.
#include "app/language.h"
#include "app/screens.h"

#include "../game/world_fixture.h"
#include "private_home.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

using namespace kelp;
using namespace kelp_app;
namespace fs = std::filesystem;

namespace {

// The tests' own events: the window's real ones (focus moving between the
// windows of tests run side by side) are not counted.
const ObjectRef TestInput = std::make_shared<TObject>();

void Send(int32_t id, int code = 0) { EmitInputEvent(id, TestInput, code, 0, 0, 0, nullptr); }

void Key(int code) {
    Send(KeyDown, code);
    Send(KeyUp, code);
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        screen = OpenGameScreen(800);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
        DisablePolledInput();  // start-up counts every event; these tests count only their own
        EnablePolledInput(TestInput);
        Send(AppResume);  // whatever the window's focus did before
        SetRandomSeed(4660);
    }
    void TearDown() override {
        DisablePolledInput();
        CloseScreen();
    }

    // Runs the program; `onFrame` sees each frame's number after it is shown.
    int Run(const Options& options, const std::function<void(int)>& onFrame) {
        int frames = 0;
        Session session(options);
        ReplayFileReader noReplay;
        FrameLoop loop(session, openingScreen(session, noReplay));
        loop.run([&] {
            onFrame(++frames);
            if (frames > 5000) Send(AppTerminate);
            return 1;
        });
        session.save();
        settings = session.settings;
        progress = session.progress;
        return session.exitStatus;
    }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Card frames until the level's first step: the card is passed with
    // Enter, then a second of black.
    static constexpr int CardPassed = 31;

    PrivateHome privateHome{"kelp_session"};
    const fs::path& home = privateHome.path;
    GraphicsRef screen;
    Settings settings;
    Progress progress;
};

Options AtLevel(int level) {
    Options options;
    options.level = level;
    return options;
}

}  // namespace

TEST_F(Program, EscapePausesTheWorldAndEscapeAgainResumesIt) {
    std::vector<float> clock;
    int status = Run(AtLevel(1), [&](int frame) {
        if (frame == 1) Key(13);
        clock.push_back(LEVEL_CLOCK->elapsed);
        if (frame == CardPassed + 10) Key(27);
        if (frame == CardPassed + 40) Key(27);
        if (frame == CardPassed + 50) Send(AppTerminate);
    });
    EXPECT_EQ(status, 0);
    ASSERT_EQ(clock.size(), size_t(CardPassed + 50));
    float paused = clock[CardPassed + 10];
    EXPECT_GT(paused, 5 * TIME_STEP) << "the level was running";
    for (int frame = CardPassed + 11; frame <= CardPassed + 40; ++frame)
        EXPECT_EQ(clock[size_t(frame - 1)], paused) << "frame " << frame << " of the pause";
    EXPECT_NEAR(clock[CardPassed + 49], paused + 10 * TIME_STEP, 1e-4) << "the clock runs again";
}

TEST_F(Program, ThePauseMenusKeysRestartTheLevelOrQuit) {
    std::vector<float> clock;
    Run(AtLevel(2), [&](int frame) {
        if (frame == 1) Key(13);
        clock.push_back(LEVEL_CLOCK->elapsed);
        if (frame == CardPassed + 20) Key('P');
        if (frame == CardPassed + 22) Key('R');
        if (frame == CardPassed + 30) Send(AppSuspend);
        if (frame == CardPassed + 35) Key('Q');
    });
    EXPECT_NEAR(clock[CardPassed + 23], 2 * TIME_STEP, 1e-5) << "restarted from the beginning";
    EXPECT_EQ(clock[CardPassed + 34], clock[CardPassed + 29]) << "losing the focus paused the level";
    EXPECT_EQ(CURRENT_LEVEL, 2);
    EXPECT_EQ(progress.resume, 2) << "Continue comes back to the level left";
    EXPECT_NE(Read(home / "data/kelp-garden/progress.txt").find("resume = 2"), std::string::npos);
}

TEST_F(Program, ALostLevelShowsGameOverThenTheTitleWithContinueOnIt) {
    bool titleSeen = false;
    int status = Run(AtLevel(3), [&](int frame) {
        if (frame == 1) Key(13);
        if (frame == CardPassed + 3) LEVEL_CLOCK->elapsed = 1000;
        if (frame == CardPassed + 160) Key(13);  // passes the game-over card
        if (frame == CardPassed + 200) {
            titleSeen = true;
            Key(13);  // Continue, selected
        }
        if (frame == CardPassed + 202) Send(AppTerminate);
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(titleSeen);
    EXPECT_EQ(progress.resume, 3);
    EXPECT_EQ(progress.reached, 3);
    EXPECT_EQ(CURRENT_LEVEL, 3) << "Continue started the lost level";
}

TEST_F(Program, TheTitleStartsANewGameAndQuits) {
    int level = 0;
    int status = Run(Options{}, [&](int frame) {
        if (frame == 3) Key(13);  // New game, selected while nothing is reached
        if (frame == 5) level = CURRENT_LEVEL;
        if (frame == 6) Key(27);  // passes the card
        if (frame == 40) Key(27);  // pauses
        if (frame == 42) Key(40), Key(40), Key(40);
        if (frame == 43) Key(13);  // Quit to title
        if (frame == 50) Key(38);  // up from New game to Quit
        if (frame == 51) Key(13);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(progress.resume, 1);
}

TEST_F(Program, MuteAndVolumeKeysWorkAnywhereAndAreRemembered) {
    Run(Options{}, [&](int frame) {
        if (frame == 2) Key('M');
        if (frame == 3) Key(189), Key(189), Key(109);
        if (frame == 5) Send(AppTerminate);
    });
    EXPECT_TRUE(settings.muted);
    EXPECT_EQ(settings.volume, 7);
    Options muted;
    muted.mute = true;
    Run(muted, [&](int frame) {
        if (frame == 2) Key(187);
        if (frame == 3) Send(AppTerminate);
    });
    EXPECT_FALSE(settings.muted) << "plus is meant to be heard";
    EXPECT_EQ(settings.volume, 8);
    std::string saved = Read(home / "config/kelp-garden/settings.txt");
    EXPECT_NE(saved.find("muted = no"), std::string::npos) << saved;
    EXPECT_NE(saved.find("volume = 8"), std::string::npos) << saved;
}

TEST_F(Program, TheSettingsMenuChangesTheWayToTheGoalThePointerSpeedAndTheLights) {
    Run(Options{}, [&](int frame) {
        if (frame == 2) Key(40), Key(40);  // from New game to Settings
        if (frame == 3) Key(13);
        if (frame == 5) Key(40), Key(40), Key(40);  // Pointer speed
        if (frame == 6) Key(37);
        if (frame == 7) Key(40), Key(40);
        if (frame == 8) Key(13);  // the way to the goal: off
        if (frame == 9) Key(40), Key(39);  // calm lights: on
        if (frame == 10) Key(27);
        if (frame == 11) Send(AppTerminate);
    });
    EXPECT_TRUE(settings.calmLights);
    EXPECT_TRUE(calmLights()) << "the drawing is told at once";
    EXPECT_NE(Read(home / "config/kelp-garden/settings.txt").find("calm-lights = yes"), std::string::npos);
    setCalmLights(false);
    EXPECT_EQ(settings.pointerSpeed, 75);
    EXPECT_FALSE(settings.goalArrow);
    EXPECT_FALSE(SHOW_GOAL_ARROW);
    EXPECT_FLOAT_EQ(MOUSE->speed, 0.75f);
}

TEST_F(Program, ThePointerWorksTheMenusWhereTheWindowShowsThem) {
    auto pointAt = [](int x, int y) { EmitInputEvent(MouseMove, TestInput, 0, 0, x, y, nullptr); };
    auto click = [] {
        Send(MouseDown, 1);
        Send(MouseUp, 1);
    };
    Run(Options{}, [&](int frame) {
        if (frame == 2) pointAt(400, 320 + 3 * 64);  // Settings
        if (frame == 3) click();
        // The way to the goal: the settings, a long menu, have closer rows and start higher.
        if (frame == 5) pointAt(400, 242 + 5 * 48);
        if (frame == 6) click();
        if (frame == 8) pointAt(40, 242 + 5 * 48), click();  // beside the menu: nothing
        if (frame == 10) Send(AppTerminate);
    });
    EXPECT_FALSE(settings.goalArrow);
}

// The title's garden and the demo start their level again when its clock runs
// out, and draw it before it steps: under every menu left open, and in the demo.
TEST_F(Program, TheGardenOutlivesItsClockUnderEveryMenuAndInTheDemo) {
    struct Stay {
        const char* where;
        std::function<void(int)> open;  // keys on the first frames
        int runOutAt;
    };
    const std::vector<Stay> stays = {
        {"the title", [](int) {}, 20},
        {"the settings menu", [](int frame) { if (frame == 2) Key(40), Key(40); if (frame == 3) Key(13); }, 20},
        {"the levels menu", [](int frame) { if (frame == 2) Key(40); if (frame == 3) Key(13); }, 20},
        {"the demo", [](int) {}, 20 * 30 + 20},
    };
    for (const Stay& stay : stays) {
        float clockAfter = -1;
        int status = Run(Options{}, [&](int frame) {
            stay.open(frame);
            if (frame == stay.runOutAt) LEVEL_CLOCK->elapsed = 1000;
            if (frame == stay.runOutAt + 10) clockAfter = LEVEL_CLOCK->elapsed;
            if (frame == stay.runOutAt + 12) Send(AppTerminate);
        });
        EXPECT_EQ(status, 0) << stay.where;
        EXPECT_GE(clockAfter, 0) << stay.where;
        EXPECT_LT(clockAfter, 1) << stay.where << ": the garden started again";
    }
}

// Progress is the player's own: a digit key that skips ahead, or the autopilot
// playing in the window, records no level reached and no best time.
TEST_F(Program, SkipKeysAndTheAutopilotRecordNoProgress) {
    Run(AtLevel(2), [&](int frame) {
        if (frame == 1) Key(13);
        if (frame == CardPassed + 5) Key('6');  // on to the end card
        if (frame == CardPassed + 40) Send(AppTerminate);
    });
    EXPECT_EQ(progress.reached, 2);
    EXPECT_NE(Read(home / "data/kelp-garden/progress.txt").find("reached = 2\n"), std::string::npos);

    Options watching = AtLevel(1);
    watching.autopilot = true;
    bool won = false;
    Run(watching, [&](int frame) {
        if (frame == 1) Key(13);
        if (frame == CardPassed + 5) {  // the whole fish set down at the goal
            tvector by = sub(GOAL->position, FISH->head->position);
            for (int i = 0; i < FISH->segmentCount; ++i) addTo(FISH->segments[i]->position, by);
        }
        won |= LEVEL_WON != 0;
        if (frame == CardPassed + 250) Send(AppTerminate);
    });
    EXPECT_TRUE(won);
    EXPECT_EQ(progress.reached, 2) << "as the player left it";
    EXPECT_EQ(progress.bestMillis[0], 0) << "the autopilot's time is not the player's";
}

// A disk that refuses saves is told of once per file, with the system's
// reason, and again only when the reason changes.
TEST_F(Program, SavesThatFailAreToldOnceWithTheSystemsReason) {
    fs::path config = home / "config";
    fs::create_directories(config);
    if (mount("tmpfs", config.c_str(), "tmpfs", 0, "size=8k") != 0) GTEST_SKIP() << "cannot mount a small disk here";
    std::ofstream(config / "filler", std::ios::binary) << std::string(64 * 1024, 'x');
    testing::internal::CaptureStderr();
    Run(Options{}, [&](int frame) {
        if (frame == 2 || frame == 3 || frame == 4) Key(189);  // each change is saved
        if (frame == 5) mount("tmpfs", config.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr);
        if (frame == 6 || frame == 7) Key(189);
        if (frame == 8) Send(AppTerminate);
    });
    std::string told = testing::internal::GetCapturedStderr();
    umount(config.c_str());
    auto count = [&](const std::string& text) {
        int n = 0;
        for (size_t at = told.find(text); at != std::string::npos; at = told.find(text, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("the settings were not saved"), 2) << told;
    EXPECT_EQ(count("No space left on device"), 1) << told;
    EXPECT_EQ(count("Read-only file system"), 1) << told;
    EXPECT_EQ(count("progress was not saved"), 0) << told;
    EXPECT_EQ(settings.volume, 5) << "the game went on";
}

// A story card stays at full strength until the player passes it; with the
// setting off it passes by itself, on today's count of frames.
TEST_F(Program, StoryCardsWaitForAKeyUnlessTheSettingIsOff) {
    auto firstStepFrame = [&](const std::function<void(int)>& keys) {
        int first = 0;
        Run(AtLevel(1), [&](int frame) {
            keys(frame);
            float elapsed = LEVEL_CLOCK->elapsed;  // left as it was until the level starts
            if (!first && elapsed > 0 && elapsed < 1.5f * TIME_STEP) first = frame;
            if (frame == 400) Send(AppTerminate);
        });
        return first;
    };
    EXPECT_EQ(firstStepFrame([](int) {}), 0) << "the card still waits";
    EXPECT_EQ(firstStepFrame([](int frame) { if (frame == 300) Key(32); }), 300 + 30 + 1);
    EXPECT_TRUE(settings.cardsWait);

    Run(Options{}, [&](int frame) {
        if (frame == 2) Key(40), Key(40);  // Settings
        if (frame == 3) Key(13);
        if (frame == 5) for (int i = 0; i < 7; ++i) Key(40);  // Story cards wait for a key
        if (frame == 6) Key(13);
        if (frame == 7) Send(AppTerminate);
    });
    EXPECT_FALSE(settings.cardsWait);
    EXPECT_NE(Read(home / "config/kelp-garden/settings.txt").find("cards-wait = no"), std::string::npos);
    EXPECT_EQ(firstStepFrame([](int) {}), CardFrames + 30 + 1) << "as the cards always went";
}

// The pause menu tells the time left in numbers, above its items.
TEST_F(Program, ThePauseMenuShowsTheTimeLeft) {
    auto brightText = [] {
        PixmapRef shot = ReadScreenPixels(300, 210, 200, 26);
        int bright = 0;
        for (int y = 0; y < shot->height; ++y)
            for (int x = 0; x < shot->width; ++x) bright += (shot->ReadPixelArgb(x, y) & 0xFF) > 170;
        return bright;
    };
    int playing = -1, paused = -1;
    Run(AtLevel(1), [&](int frame) {
        if (frame == 1) Key(13);
        if (frame == CardPassed + 20) playing = brightText(), Key(27);
        if (frame == CardPassed + 23) paused = brightText();
        if (frame == CardPassed + 24) Send(AppTerminate);
    });
    EXPECT_GT(paused, 40) << "a line of small print";
    EXPECT_GT(paused, playing + 30);
}

// Keys pressed while a story card is up are the card's: P and Q do not pause
// the level and quit from the pause menu once it starts, nor a digit skip it.
TEST_F(Program, KeysPressedDuringACardDoNotActOnTheLevel) {
    float clockAtEnd = 0;
    int status = Run(AtLevel(2), [&](int frame) {
        if (frame == 10) Key('P'), Key('Q'), Key('6');
        if (frame == 20) Key(13);  // passes the card
        if (frame == 20 + CardPassed + 40) clockAtEnd = LEVEL_CLOCK->elapsed, Send(AppTerminate);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(CURRENT_LEVEL, 2) << "no skip";
    EXPECT_GT(clockAtEnd, 30 * TIME_STEP) << "the level ran unpaused";
}

// The Language item switches the game's words at once, and is kept.
TEST_F(Program, TheLanguageSettingSwitchesAtOnceAndIsSaved) {
    std::string spokenInMenu;
    Run(Options{}, [&](int frame) {
        if (frame == 2) Key(40), Key(40);  // Settings
        if (frame == 3) Key(13);
        if (frame == 5) for (int i = 0; i < 8; ++i) Key(40);  // Language
        if (frame == 6) Key(39);
        if (frame == 8) spokenInMenu = std::string(spokenLanguage());
        if (frame == 9) Send(AppTerminate);
    });
    EXPECT_EQ(spokenInMenu, "de") << "the one after English";
    EXPECT_EQ(settings.language, "de");
    EXPECT_NE(Read(home / "config/kelp-garden/settings.txt").find("language = de"), std::string::npos);
    EXPECT_EQ(tr("Resume"), "Weiter");
    Options english;
    english.language = "en";
    Run(english, [&](int frame) {
        if (frame == 2) Send(AppTerminate);
    });
    EXPECT_EQ(spokenLanguage(), "en") << "--language for one run";
    EXPECT_EQ(settings.language, "de") << "and the setting kept";
}
