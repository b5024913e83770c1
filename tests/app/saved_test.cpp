// Settings and progress files: round trips, damage of every kind, atomic
// replacement and where the files live.
#include "app/saved.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>

using namespace kelp_app;
namespace fs = std::filesystem;

namespace {

class SavedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("kelp_saved_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::remove_all(folder);
    }

    void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    Settings LoadSettingsFrom(const fs::path& path) {
        Settings settings;
        settings.volume = 3;  // overwritten either way
        loadSettings(path, settings, [this](const std::string& line) { warnings.push_back(line); });
        return settings;
    }

    Progress LoadProgressFrom(const fs::path& path) {
        Progress progress;
        loadProgress(path, progress, [this](const std::string& line) { warnings.push_back(line); });
        return progress;
    }

    fs::path folder;
    std::vector<std::string> warnings;
};

Settings Unusual() {
    Settings s;
    s.volume = 4;
    s.muted = true;
    s.fullScreen = true;
    s.pointerSpeed = 175;
    s.stickSpeed = 50;
    s.goalArrow = false;
    s.calmLights = true;
    s.language = "pl";
    s.gameSpeed = 60;
    s.moreTime = 100;
    return s;
}

Progress Played() {
    Progress p;
    p.reached = 4;
    p.resume = 3;
    p.bestMillis = {61250, 95001, 1, 0, 0, 0};
    p.assistedBestMillis = {0, 0, 0, 150500, 0, 0};
    return p;
}

}  // namespace

TEST_F(SavedFiles, SettingsAndProgressComeBackAsTheyWereWritten) {
    fs::path settingsFile = folder / "config" / "settings.txt", progressFile = folder / "data" / "progress.txt";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(settingsFile, formatSettings(Unusual()), error)) << error;
    ASSERT_TRUE(writeFileAtomically(progressFile, formatProgress(Played()), error)) << error;
    EXPECT_EQ(LoadSettingsFrom(settingsFile), Unusual());
    EXPECT_EQ(LoadProgressFrom(progressFile), Played());
    EXPECT_TRUE(warnings.empty());
    EXPECT_NE(Read(settingsFile).find("volume = 4\n"), std::string::npos) << "a person can read it";
    EXPECT_NE(Read(progressFile).find("best-1 = 61.250\n"), std::string::npos);
    EXPECT_NE(Read(progressFile).find("best-4 = none\n"), std::string::npos);
    EXPECT_NE(Read(progressFile).find("best-assisted-4 = 150.500\n"), std::string::npos);

    Progress before;
    EXPECT_TRUE(parseProgress("reached = 2\nresume = 1\nbest-1 = 70.5\nbest-2 = none\nbest-3 = none\n"
                              "best-4 = none\nbest-5 = none\nbest-6 = none\n",
                              before))
        << "a file from before assisted times";
    EXPECT_EQ(before.bestMillis[0], 70500);
    EXPECT_EQ(before.assistedBestMillis, Progress{}.assistedBestMillis);

    Settings edited;
    EXPECT_TRUE(parseSettings("# by hand\n  volume=7  \nmuted = no\nfull-screen = no\npointer-speed = 50\n"
                              "goal-arrow = yes\nfrom-a-later-version = 12\n",
                              edited));
    EXPECT_EQ(edited.volume, 7);
    EXPECT_EQ(edited.pointerSpeed, 50);
}

TEST_F(SavedFiles, AMissingFileGivesTheDefaultsQuietly) {
    EXPECT_EQ(LoadSettingsFrom(folder / "none.txt"), Settings{});
    EXPECT_EQ(LoadProgressFrom(folder / "none.txt"), Progress{});
    EXPECT_EQ(LoadSettingsFrom(fs::path()), Settings{}) << "no home to keep them in";
    EXPECT_TRUE(warnings.empty());
}

TEST_F(SavedFiles, DamagedFilesGiveTheDefaultsWithOneWarningAndAreKeptAside) {
    std::string good = formatSettings(Unusual());
    std::string binary;
    for (int i = 0; i < 512; ++i) binary += char(i * 37 % 256);
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"empty", ""},
        {"binary", binary},
        {"truncated", good.substr(0, good.find("pointer-speed") + 5)},
        {"cut mid-line", good.substr(0, good.size() - 3)},
        {"absurd volume", "volume = 11000\nmuted = no\nfull-screen = no\npointer-speed = 100\ngoal-arrow = yes\n"},
        {"negative speed", "volume = 5\nmuted = no\nfull-screen = no\npointer-speed = -100\ngoal-arrow = yes\n"},
        {"not a yes", "volume = 5\nmuted = maybe\nfull-screen = no\npointer-speed = 100\ngoal-arrow = yes\n"},
        {"speed between steps", "volume = 5\ngame-speed = 75\n"},
        {"stick speed between steps", "volume = 5\nstick-speed = 110\n"},
        {"a language the game lacks", "volume = 5\nlanguage = xx\n"},
        {"too slow", "volume = 5\ngame-speed = 40\n"},
        {"faster than the game", "volume = 5\ngame-speed = 110\n"},
        {"more time between steps", "volume = 5\nmore-time = 25\n"},
        {"less time", "volume = 5\nmore-time = -50\n"},
        {"twice", good + "volume = 3\n"},
        {"NUL inside", std::string("volume = 5\0\nmuted = no\n", 23)},
        {"too big", good + std::string(MaxSavedFileBytes, '#')},
    };
    for (const auto& [what, bytes] : damaged) {
        fs::path file = folder / "settings.txt";
        Write(file, bytes);
        warnings.clear();
        EXPECT_EQ(LoadSettingsFrom(file), Settings{}) << what;
        ASSERT_EQ(warnings.size(), 1u) << what;
        EXPECT_NE(warnings[0].find("damaged"), std::string::npos) << warnings[0];
        EXPECT_FALSE(fs::exists(file)) << what;
        EXPECT_EQ(Read(folder / "settings.txt.bad"), bytes) << what << ": the damaged file is kept whole";
        fs::remove(folder / "settings.txt.bad");
    }
}

TEST_F(SavedFiles, DamagedProgressOfEveryKindIsRefused) {
    std::string good = formatProgress(Played());
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"empty", ""},
        {"truncated", good.substr(0, good.size() - 20)},
        {"level seven", "reached = 7\nresume = 1\nbest-1 = none\nbest-2 = none\nbest-3 = none\nbest-4 = none\n"
                        "best-5 = none\nbest-6 = none\n"},
        {"resume past reached", "reached = 2\nresume = 3\nbest-1 = none\nbest-2 = none\nbest-3 = none\n"
                                "best-4 = none\nbest-5 = none\nbest-6 = none\n"},
        {"absurd time", "reached = 2\nresume = 1\nbest-1 = 99999999999.5\nbest-2 = none\nbest-3 = none\n"
                        "best-4 = none\nbest-5 = none\nbest-6 = none\n"},
        {"negative time", "reached = 2\nresume = 1\nbest-1 = -3.000\nbest-2 = none\nbest-3 = none\n"
                          "best-4 = none\nbest-5 = none\nbest-6 = none\n"},
        {"zero time", "reached = 2\nresume = 1\nbest-1 = 0\nbest-2 = none\nbest-3 = none\n"
                      "best-4 = none\nbest-5 = none\nbest-6 = none\n"},
        {"four decimals", "reached = 2\nresume = 1\nbest-1 = 1.2345\nbest-2 = none\nbest-3 = none\n"
                          "best-4 = none\nbest-5 = none\nbest-6 = none\n"},
        {"bad assisted time", "reached = 2\nresume = 1\nbest-1 = none\nbest-2 = none\nbest-3 = none\n"
                              "best-4 = none\nbest-5 = none\nbest-6 = none\nbest-assisted-1 = soon\n"},
    };
    for (const auto& [what, bytes] : damaged) {
        Progress parsed;
        EXPECT_FALSE(parseProgress(bytes, parsed)) << what;
    }
    Progress parsed;
    EXPECT_TRUE(parseProgress(good, parsed));
}

TEST_F(SavedFiles, ADamagedFileNeverOverwritesOneKeptBefore) {
    fs::path file = folder / "progress.txt";
    Write(file, "first damage");
    LoadProgressFrom(file);
    Write(file, "second damage");
    LoadProgressFrom(file);
    EXPECT_EQ(Read(folder / "progress.txt.bad"), "first damage");
    EXPECT_EQ(Read(folder / "progress.txt.bad.2"), "second damage");
    EXPECT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[1].find("progress.txt.bad.2"), std::string::npos) << warnings[1];
}

TEST_F(SavedFiles, AnUnreadableFileIsReportedAndTheDefaultsUsed) {
    fs::create_directories(folder / "settings.txt");  // a folder where the file should be
    EXPECT_EQ(LoadSettingsFrom(folder / "settings.txt"), Settings{});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("cannot be read"), std::string::npos) << warnings[0];
}

TEST_F(SavedFiles, AWriteInterruptedBeforeTheRenameLeavesTheOldFileWhole) {
    fs::path file = folder / "settings.txt";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(file, formatSettings(Unusual()), error));
    std::string before = Read(file);
    fs::path staged = stageFile(file, formatSettings(Settings{}), error);
    ASSERT_FALSE(staged.empty()) << error;
    EXPECT_EQ(staged.parent_path(), file.parent_path()) << "renamed within one file system";
    EXPECT_EQ(Read(file), before) << "nothing changes until the rename";
    EXPECT_EQ(LoadSettingsFrom(file), Unusual());
    ASSERT_TRUE(commitFile(staged, file, error)) << error;
    EXPECT_EQ(LoadSettingsFrom(file), Settings{});
    EXPECT_FALSE(fs::exists(staged));
}

TEST_F(SavedFiles, AFailedWriteSaysWhyAndLeavesNothingBehind) {
    Write(folder / "a-file", "in the way");
    std::string error;
    EXPECT_FALSE(writeFileAtomically(folder / "a-file" / "settings.txt", formatSettings(Settings{}), error));
    EXPECT_NE(error.find("a-file"), std::string::npos) << error;

    // A folder where the file should be cannot be replaced; the staged copy goes.
    fs::create_directories(folder / "settings.txt" / "inside");
    error.clear();
    EXPECT_FALSE(writeFileAtomically(folder / "settings.txt", formatSettings(Settings{}), error));
    EXPECT_NE(error.find("settings.txt"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(folder / "settings.txt" / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2) << "no temporary file left";
}

TEST_F(SavedFiles, TheFilesLiveWhereTheDesktopKeepsThem) {
    std::string home = (folder / "home").string();
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(settingsPath(), folder / "home/.config/kelp-garden/settings.txt");
    EXPECT_EQ(progressPath(), folder / "home/.local/share/kelp-garden/progress.txt");
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(settingsPath(), fs::path("/somewhere/config/kelp-garden/settings.txt"));
    EXPECT_EQ(progressPath(), folder / "home/.local/share/kelp-garden/progress.txt");
    unsetenv("HOME");
    EXPECT_TRUE(progressPath().empty());
}

TEST(Progress, AWinMovesOnAndKeepsTheFastestTime) {
    Progress p;
    p.recordWin(1, 90000);
    EXPECT_EQ(p.reached, 2);
    EXPECT_EQ(p.resume, 2);
    p.recordWin(1, 95000);
    p.recordWin(1, -1);  // skipped: no time
    EXPECT_EQ(p.bestMillis[0], 90000);
    p.recordWin(1, 80000);
    EXPECT_EQ(p.bestMillis[0], 80000);
    p.recordWin(6, 120000);
    EXPECT_EQ(p.reached, 6);
    EXPECT_EQ(p.resume, 6);
    p.recordWin(9, 1000);
    EXPECT_EQ(p.reached, 6);

    p.recordWin(1, 70000, true);
    EXPECT_EQ(p.bestMillis[0], 80000) << "a win with assists is kept apart";
    EXPECT_EQ(p.assistedBestMillis[0], 70000);
    p.recordWin(1, 75000, true);
    EXPECT_EQ(p.assistedBestMillis[0], 70000);
    p.recordWin(2, 90000, true);
    EXPECT_EQ(p.bestMillis[1], 0);
}

TEST(Settings, TheMasterVolumeFallsThreeDecibelsAStepAndMuteSilences) {
    Settings s;
    EXPECT_EQ(masterVolume(s), 1.0f) << "full volume leaves the mix exactly as it is";
    s.volume = 8;
    EXPECT_NEAR(20 * std::log10(masterVolume(s)), -6, 1e-4);
    s.volume = 0;
    EXPECT_EQ(masterVolume(s), 0);
    s.volume = 10;
    s.muted = true;
    EXPECT_EQ(masterVolume(s), 0);
}

// A person editing the settings by hand: a mistyped or foreign key is passed
// over with a warning naming its line, missing settings keep their defaults,
// and the rest of the file holds.
TEST_F(SavedFiles, HandEditedSettingsKeepWhatTheySayAndPassOverWhatTheyDoNot) {
    fs::path file = folder / "settings.txt";
    Write(file, "# mine\nVolume = 5\nmuted = yes\nno_such_key = yes\npointer-speed = 150\n");
    Settings loaded = LoadSettingsFrom(file);
    Settings expected;
    expected.muted = true;
    expected.pointerSpeed = 150;
    EXPECT_EQ(loaded, expected) << "the unknown lines change nothing, the rest holds";
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("line 2 (Volume = 5)"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[1].find("line 4 (no_such_key = yes)"), std::string::npos) << warnings[1];
    EXPECT_TRUE(fs::exists(file)) << "not set aside";

    warnings.clear();
    Write(file, "volume = 5\n");
    expected = Settings{};
    expected.volume = 5;
    EXPECT_EQ(LoadSettingsFrom(file), expected) << "one setting alone is a whole file";
    EXPECT_TRUE(warnings.empty());
}

TEST_F(SavedFiles, SavingKeepsTheCommentsAndOrderOfAFileEditedByHand) {
    std::string byHand = "# my settings\nmuted = yes   \n\n# quieter at night\nvolume = 3\nmy-own = kept\n";
    fs::path file = folder / "settings.txt";
    Write(file, byHand);
    Settings settings;
    std::string kept = loadSettings(file, settings, [](const std::string&) {});
    EXPECT_EQ(kept, byHand);
    settings.volume = 6;
    std::string saved = formatSettings(settings, kept);
    EXPECT_EQ(saved, "# my settings\nmuted = yes\n\n# quieter at night\nvolume = 6\nmy-own = kept\n"
                     "full-screen = no\npointer-speed = 100\nstick-speed = 100\ngoal-arrow = yes\ncards-wait = yes\ncalm-lights = no\nlanguage = desktop\n"
                     "game-speed = 100\nmore-time = 0\n");
    Settings again;
    EXPECT_TRUE(parseSettings(saved, again));
    EXPECT_EQ(again, settings);
    EXPECT_EQ(formatSettings(settings), formatSettings(settings, formatSettings(settings))) << "our own file is stable";
}

// A save killed between staging and renaming leaves its copy; the next load
// removes those of processes that are gone, and leaves a running game's alone.
TEST_F(SavedFiles, StagedCopiesOfKilledSavesAreRemovedOnLoading) {
    fs::path file = folder / "progress.txt";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(file, formatProgress(Played()), error));
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    fs::path stale = file.string() + ".tmp-" + std::to_string(gone);
    fs::path live = file.string() + ".tmp-" + std::to_string(::getppid());
    fs::path other = folder / "other.txt.tmp-1";
    Write(stale, "half");
    Write(live, "being written");
    Write(other, "not ours");
    EXPECT_EQ(LoadProgressFrom(file), Played());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(other));
}

TEST_F(SavedFiles, AFileNamedWithoutAFolderIsWrittenInTheCurrentOne) {
    fs::path before = fs::current_path();
    fs::current_path(folder);
    std::string error;
    EXPECT_TRUE(checkWritable("won.kgreplay", error)) << error;
    EXPECT_FALSE(fs::exists(folder / "won.kgreplay")) << "checking writes nothing";
    EXPECT_TRUE(writeFileAtomically("won.kgreplay", "bytes", error)) << error;
    fs::current_path(before);
    EXPECT_EQ(Read(folder / "won.kgreplay"), "bytes");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "no staged copy left";

    Write(folder / "a-file", "in the way");
    EXPECT_FALSE(checkWritable(folder / "a-file" / "won.kgreplay", error));
    EXPECT_NE(error.find("a-file"), std::string::npos) << error;
    EXPECT_FALSE(checkWritable(folder, error)) << "a folder is no file";
}
