// Replays: the file read back exactly, every kind of damage refused with its
// reason, and recorded games played again bit for bit, or caught diverging.
#include "app/replay.h"
#include "app/screens.h"
#include "pilot/pilot.h"

#include "../game/world_fixture.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <cstring>

using namespace kelp;
using namespace kelp_app;

namespace {

// A level played headless with a scripted hand: circles, the button now and
// then, and optionally a digit pressed after the last step.
ReplayLevel Record(ReplayRecorder& recorder, int level, int steps, int levelKey = 0, Assists assists = {}) {
    auto seed = uint32_t(777 + level);
    recorder.beginLevel(level, seed, assists);
    Level played(level, seed, assists);
    for (int i = 0; i < steps && !played.over(); ++i) {
        StepInput input{{12 * std::cos(i * 0.05f), 9 * std::sin(i * 0.07f)}, i % 50 > 40};
        played.step(input);
        recorder.step(input);
    }
    if (levelKey) {
        played.skipTo(levelKey);
        recorder.levelKey(levelKey);
    }
    recorder.endLevel();
    return recorder.replay.levels.back();
}

Replay TwoLevels() {
    ReplayRecorder recorder;
    Record(recorder, 2, 95, 4);
    Record(recorder, 5, 61);
    return recorder.replay;
}

}  // namespace

TEST(ReplayFile, ComesBackExactlyAsWritten) {
    Replay replay = TwoLevels();
    Replay read;
    std::string error;
    ASSERT_TRUE(decodeReplay(encodeReplay(replay), read, error)) << error;
    ASSERT_EQ(read.levels.size(), 2u);
    for (size_t l = 0; l < 2; ++l) {
        const ReplayLevel &a = replay.levels[l], &b = read.levels[l];
        EXPECT_EQ(a.level, b.level);
        EXPECT_EQ(a.seed, b.seed);
        EXPECT_EQ(a.checksums, b.checksums);
        ASSERT_EQ(a.steps.size(), b.steps.size());
        for (size_t i = 0; i < a.steps.size(); ++i) {
            EXPECT_EQ(std::memcmp(&a.steps[i].x, &b.steps[i].x, 4), 0) << "bit for bit";
            EXPECT_EQ(std::memcmp(&a.steps[i].y, &b.steps[i].y, 4), 0);
            EXPECT_EQ(a.steps[i].calm, b.steps[i].calm);
            EXPECT_EQ(a.steps[i].levelKey, b.steps[i].levelKey);
        }
    }
    EXPECT_EQ(read.levels[0].steps.back().levelKey, 4);
    EXPECT_EQ(read.levels[0].checksums.size(), 95u / 30 + 1);
}

TEST(ReplayFile, DamageOfEveryKindIsRefusedWithItsReason) {
    std::string good = encodeReplay(TwoLevels());
    Replay read;
    std::string error;
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(decodeReplay(good.substr(0, length), read, error)) << "cut to " << length;
    for (size_t at = 0; at < good.size(); at += 7) {
        std::string flipped = good;
        flipped[at] = char(flipped[at] ^ 0x20);
        EXPECT_FALSE(decodeReplay(flipped, read, error)) << "byte " << at;
    }
    struct Case {
        std::string bytes;
        std::string reason;
    };
    // A file with its own checksum made right, so the reader gets past it.
    auto resealed = [](std::string bytes) {
        bytes.resize(bytes.size() - 8);
        uint64_t hash = 14695981039346656037ull;
        for (char c : bytes) hash = (hash ^ uint8_t(c)) * 1099511628211ull;
        bytes.append(reinterpret_cast<const char*>(&hash), 8);
        return bytes;
    };
    auto with = [&](size_t at, uint32_t value) {
        std::string bytes = good;
        std::memcpy(bytes.data() + at, &value, 4);
        return resealed(bytes);
    };
    auto withFloat = [&](size_t at, float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return with(at, bits);
    };
    // The first step's pointer offset follows the header (16 bytes) and the
    // record's level, seed, assists and step count.
    constexpr size_t Assists = 24, StepCount = 26, FirstStep = 30;
    auto withByte = [&](size_t at, uint8_t value) {
        std::string bytes = good;
        bytes[at] = char(value);
        return resealed(bytes);
    };
    std::string header = good.substr(0, 12);
    auto u32 = [](uint32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); };
    const Case cases[] = {
        {"", "not a Kelp Garden replay"},
        {withFloat(FirstStep, std::nanf("")), "moves the pointer impossibly far"},
        {withFloat(FirstStep + 4, -INFINITY), "moves the pointer impossibly far"},
        {withFloat(FirstStep, 3e38f), "moves the pointer impossibly far"},
        {resealed(header.substr(0, 8) + u32(1) + u32(0) + "12345678"), "holds no level"},
        // A record whose checksum would run into the file's own: it is cut short.
        {resealed(header.substr(0, 8) + u32(1) + u32(1) + u32(1) + u32(0) + u32(0) + u32(1) + "12345678"),
         "truncated in the checksums of level record 1"},
        {"GIF89a" + good, "not a Kelp Garden replay"},
        {with(8, 3), "version 3"},
        {with(8, 0), "version 0"},
        {withByte(Assists, 55), "asks for assists the game does not have"},
        {withByte(Assists, 40), "asks for assists the game does not have"},
        {withByte(Assists + 1, 25), "asks for assists the game does not have"},
        {with(12, 4000000000u), "claims 4000000000 levels"},
        {with(12, 3), "truncated"},
        {with(16, 7), "names level 7"},
        {with(StepCount, 0x7FFFFFFF), "claims 2147483647 steps"},
        {with(StepCount, 100000), "truncated in the steps"},
        {resealed(good + "12345678"), "bytes too many"},
        {good.substr(0, good.size() - 1) + char(good.back() ^ 1), "damaged"},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_FALSE(decodeReplay(c.bytes, read, error)) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    EXPECT_FALSE(readReplayFile("/nonexistent/game.kgr", read, error));
    EXPECT_NE(error.find("/nonexistent/game.kgr"), std::string::npos);
}

// A file is read from disk a level at a time, each checked before any is
// played: one damaged in its last record is refused before play begins.
TEST(ReplayFile, ReadFromDiskALevelAtATimeAndCheckedWholeFirst) {
    Replay replay = TwoLevels();
    std::string bytes = encodeReplay(replay);
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kelp_stream_" + std::to_string(::getpid()) + ".kgr");
    std::ofstream(path, std::ios::binary) << bytes;
    ReplayFileReader file;
    std::string error;
    ASSERT_TRUE(file.open(path, error)) << error;
    ReplayLevel level;
    for (const ReplayLevel& recorded : replay.levels) {
        ASSERT_TRUE(file.next(level, error)) << error;
        EXPECT_EQ(level.level, recorded.level);
        EXPECT_EQ(level.checksums, recorded.checksums);
        EXPECT_EQ(level.steps.size(), recorded.steps.size());
    }
    EXPECT_FALSE(file.next(level, error));
    EXPECT_EQ(error, "") << "the end, not a fault";
    ReplayFileReader again;
    ASSERT_TRUE(again.open(path, error));
    ReplayResult streamed = playReplay(again), whole = playReplay(replay);
    EXPECT_TRUE(streamed.ok) << streamed.error;
    EXPECT_EQ(streamed.frames, whole.frames);
    EXPECT_EQ(streamed.finalChecksum, whole.finalChecksum);

    // The last step's flags made unknown, the file's own checksum made right.
    size_t lastFlags = bytes.size() - 8 - 4 - 8 * replay.levels.back().checksums.size() - 1;
    bytes[lastFlags] = char(0x80);
    bytes.resize(bytes.size() - 8);
    uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) hash = (hash ^ uint8_t(c)) * 1099511628211ull;
    bytes.append(reinterpret_cast<const char*>(&hash), 8);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    ReplayFileReader damaged;
    EXPECT_FALSE(damaged.open(path, error));
    EXPECT_NE(error.find("level record 2 has unknown flags"), std::string::npos) << error;
    std::filesystem::remove(path);
}

TEST(Replays, PlayTheRecordedWorldAgainBitForBit) {
    Replay replay = TwoLevels();
    ReplayResult result = playReplay(replay);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.frames, 95u + 61u);
    EXPECT_EQ(result.finalChecksum, replay.levels.back().checksums.back());
    EXPECT_EQ(CURRENT_LEVEL, 5);
}

TEST(Replays, AGamePlayedWithAssistsReplaysWithThemAndAnOldFileStillChecks) {
    ReplayRecorder recorder;
    Record(recorder, 2, 120, 0, {70, 50});
    Record(recorder, 3, 90);
    Replay read;
    std::string error;
    ASSERT_TRUE(decodeReplay(encodeReplay(recorder.replay), read, error)) << error;
    EXPECT_EQ(read.version, ReplayVersion);
    EXPECT_EQ(read.levels[0].assists, (Assists{70, 50}));
    EXPECT_EQ(read.levels[1].assists, Assists{});
    ReplayResult result = playReplay(read);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.finalChecksum, recorder.replay.levels.back().checksums.back());
    read.levels[0].assists = {};
    EXPECT_FALSE(playReplay(read).ok) << "the same hands at full speed play another game";

    // The winning replays were written before assists: version 1.
    std::string path = std::string(WINNING_REPLAYS) + "/won-level-2.kgreplay";
    std::ifstream in(path, std::ios::binary);
    std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(decodeReplay(old, read, error)) << error;
    EXPECT_EQ(read.version, 1u);
    EXPECT_EQ(encodeReplay(read), old) << "written back as it was";
    EXPECT_TRUE(playReplay(read).ok);
}

TEST(Replays, ADifferentInputIsCaughtAtTheNextChecksum) {
    Replay replay = TwoLevels();
    replay.levels[0].steps[40].x += 0.25f;
    ReplayResult result = playReplay(replay);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "diverged at frame 60 of level record 1 (level 2)");
    EXPECT_EQ(result.frames, 60u);

    replay = TwoLevels();
    replay.levels[1].seed += 1;  // another layout of the balls
    result = playReplay(replay);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("level record 2"), std::string::npos) << result.error;

    replay = TwoLevels();
    replay.levels[0].steps.back().levelKey = 0;
    EXPECT_FALSE(playReplay(replay).ok) << "the skip is part of the world's end";
}

// The game's own loop recording: frames of one, two and three steps, a pause,
// a restart, and a skip to the next level.
TEST(Replays, AGameRecordedByTheProgramReplays) {
    GraphicsRef screen = OpenGameScreen(800);
    ASSERT_NE(screen, nullptr) << "no OpenGL screen: is an X server running?";
    std::string home = "/tmp/kelp_replay_home_" + std::to_string(::getpid());
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    ObjectRef source = std::make_shared<TObject>();
    DisablePolledInput();  // only the test's own events, not the window's focus
    EnablePolledInput(source);
    EmitInputEvent(AppResume, source, 0, 0, 0, 0, nullptr);
    auto key = [&](int code) {
        EmitInputEvent(KeyDown, source, code, 0, 0, 0, nullptr);
        EmitInputEvent(KeyUp, source, code, 0, 0, 0, nullptr);
    };
    auto move = [&](int dx, int dy) {
        auto event = std::make_shared<TEvent>();
        event->id = MouseMove;
        event->source = source;
        event->dx = dx, event->dy = dy;
        RunHooks(EmitEventHookId(), event);
    };
    Options options;
    options.level = 1;
    options.record = home + "/game.kgr";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(home + "/kelp-garden/settings.txt", "game-speed = 80\n", error)) << error;
    int frames = 0;
    Session session(options);
    ReplayFileReader noReplay;
    FrameLoop loop(session, openingScreen(session, noReplay));
    loop.run([&] {
        ++frames;
        if (frames == 1) key(13);
        move(frames % 7 - 3, frames % 5 - 2);
        EmitInputEvent(frames % 40 < 10 ? MouseDown : MouseUp, source, 1, 0, 0, 0, nullptr);
        if (frames == 60) key('P');
        if (frames == 65) key('P');
        if (frames == 90) key(27);
        if (frames == 91) key('R');
        if (frames == 130) key('1');
        if (frames == 135) key(13);  // passes the next card
        if (frames == 200) EmitInputEvent(AppTerminate, source, 0, 0, 0, 0, nullptr);
        return 1 + frames % 3;
    });
    session.save();
    DisablePolledInput();
    CloseScreen();

    Replay replay;
    ASSERT_TRUE(readReplayFile(options.record, replay, error)) << error;
    std::filesystem::remove_all(home);
    ASSERT_EQ(replay.levels.size(), 3u) << "level 1, level 1 restarted, then level 2";
    EXPECT_EQ(replay.levels[0].level, 1);
    EXPECT_EQ(replay.levels[2].assists, (Assists{80, 0})) << "the game speed set, in every level record";
    EXPECT_EQ(replay.levels[1].steps.back().levelKey, 1);
    EXPECT_EQ(replay.levels[2].level, 2);
    EXPECT_GT(replay.levels[1].steps.size(), 60u);
    int steered = 0, calm = 0;
    for (const ReplayStep& step : replay.levels[1].steps) steered += step.x != 0, calm += step.calm;
    EXPECT_GT(steered, 30);
    EXPECT_GT(calm, 10);
    ReplayResult result = playReplay(replay);
    EXPECT_TRUE(result.ok) << result.error;
}

// Levels proven winnable in their time: the autopilot's winning games, kept
// as replays, still play to a win as the world changes. A level that no
// longer can says which, and where its replay left the path.
TEST(WinningReplays, EachStillWinsInTime) {
    InitSystemLayer();
    int proven = 0;
    for (int level = 1; level <= 6; ++level) {
        std::string path = std::string(WINNING_REPLAYS) + "/won-level-" + std::to_string(level) + ".kgreplay";
        if (!std::filesystem::exists(path)) continue;
        Replay replay;
        std::string error;
        ASSERT_TRUE(readReplayFile(path, replay, error)) << error;
        ASSERT_EQ(replay.levels.size(), 1u) << path;
        EXPECT_EQ(replay.levels[0].level, level) << path;
        ReplayResult result = playReplay(replay);
        EXPECT_TRUE(result.ok) << "level " << level << ": " << result.error;
        EXPECT_TRUE(LEVEL_WON) << "level " << level << " was not won";
        EXPECT_GE(GOAL->remaining(), 0) << "level " << level;
        ++proven;
    }
    EXPECT_EQ(proven, 6) << "a level's winning replay is missing";
}

// Levels won from deals a player might get, not only the autopilot's own:
// kept as replays named won-LEVEL-DEAL, three or more for each level.
TEST(WinningReplays, RandomDealsAreWonToo) {
    InitSystemLayer();
    std::map<int, std::set<uint32_t>> deals;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(WINNING_REPLAYS) + "/dealt")) {
        Replay replay;
        std::string error;
        ASSERT_TRUE(readReplayFile(entry.path(), replay, error)) << error;
        ASSERT_EQ(replay.levels.size(), 1u) << entry.path();
        const ReplayLevel& won = replay.levels[0];
        EXPECT_EQ(entry.path().filename().string(),
                  "won-" + std::to_string(won.level) + "-" + std::to_string(won.seed) + ".kgreplay");
        ReplayResult result = playReplay(replay);
        EXPECT_TRUE(result.ok) << entry.path() << ": " << result.error;
        EXPECT_TRUE(LEVEL_WON) << entry.path() << " was not won";
        EXPECT_GE(GOAL->remaining(), 0) << entry.path();
        deals[won.level].insert(won.seed);
    }
    for (int level = 1; level <= 6; ++level) EXPECT_GE(deals[level].size(), 3u) << "level " << level;
}

StepInput InputOf(const ReplayStep& step) { return {{step.x, step.y}, step.calm}; }

// The steps of the winning replay of `level`, whose level is rebuilt as the
// search built it, with `pilot` planned on it, and played up to `upTo`.
std::vector<ReplayStep> ReplayedUpTo(int level, size_t upTo, kelp_pilot::Autopilot& pilot,
                                     std::optional<Level>& played) {
    InitSystemLayer();
    Replay replay;
    std::string error;
    std::string path = std::string(WINNING_REPLAYS) + "/won-level-" + std::to_string(level) + ".kgreplay";
    if (!readReplayFile(path, replay, error) || replay.levels.empty()) {
        ADD_FAILURE() << path << ": " << error;
        return {};
    }
    played.emplace(level, replay.levels[0].seed);
    pilot.start();
    const std::vector<ReplayStep>& steps = replay.levels[0].steps;
    for (size_t step = 0; step < std::min(upTo, steps.size()); ++step) played->step(InputOf(steps[step]));
    return steps;
}

// Level 5's fish is too wide for the goal room's doors, and a red beam there
// takes its will for good: the search's play ends with the autopilot pushing
// it home from the checkpoint before its best, at the door. The recorded push
// is one of the autopilot's own, input for input, and it is a push: the fish
// is held by the beam most of the way.
TEST(WinningReplays, LevelFivesEndsWithTheAutopilotPushingTheHeldFishHome) {
    constexpr size_t PushBegins = 276 * 30;
    kelp_pilot::Autopilot pilot;
    std::optional<Level> atDoor;
    std::vector<ReplayStep> steps = ReplayedUpTo(5, PushBegins, pilot, atDoor);
    ASSERT_GT(steps.size(), PushBegins);
    WorldSnapshot door;
    door.save();
    bool recorded = false;
    size_t held = 0;
    for (int attempt = 0; !recorded && pilot.pushHome(attempt); ++attempt) {
        door.restore();
        Level played = *atDoor;
        recorded = true, held = 0;
        for (size_t step = PushBegins; recorded && step < steps.size(); ++step) {
            StepInput input = pilot.next();
            recorded = input.pointer.x == steps[step].x && input.pointer.y == steps[step].y;
            played.step(input);
            if (FISH->sting > 0) ++held;
        }
    }
    ASSERT_TRUE(recorded) << "no push of the autopilot's plays the recorded one";
    EXPECT_TRUE(LEVEL_WON);
    EXPECT_GT(held, (steps.size() - PushBegins) / 2);
}

// Level 6's fish flees the swimmer. Where its way turns back on itself round
// a beam's end, the swimmer behind it cannot get past to turn it: the search
// runs it on past the turn, then swims to the way ahead holding the button,
// and beckons it back round. The recorded play from there is the autopilot's
// own overshoot, input for input, and the fish goes past the turn and comes
// back well nearer home within fifteen seconds.
TEST(WinningReplays, LevelSixTurnsItsFleeingFishByRunningItOnAndBeckoningItBack) {
    constexpr size_t OvershootBegins = 129 * 30;
    constexpr size_t Scripted = 200 + 90;  // run on, then to the way ahead
    constexpr size_t Turned = 450;
    kelp_pilot::Autopilot pilot;
    std::optional<Level> played;
    std::vector<ReplayStep> steps = ReplayedUpTo(6, OvershootBegins, pilot, played);
    ASSERT_GT(steps.size(), OvershootBegins + Turned);
    const kelp_pilot::RouteMap& ways = pilot.routes();
    float atTurn = ways.distanceToGoal(FISH->head->position), furthest = atTurn, nearest = atTurn;
    ASSERT_TRUE(pilot.overshoot(0));
    for (size_t step = OvershootBegins; step < OvershootBegins + Turned; ++step) {
        if (step < OvershootBegins + Scripted) {
            StepInput input = pilot.next();
            ASSERT_EQ(input.pointer.x, steps[step].x) << "step " << step;
            ASSERT_EQ(input.pointer.y, steps[step].y) << "step " << step;
            ASSERT_EQ(input.calm, steps[step].calm) << "step " << step;
        }
        played->step(InputOf(steps[step]));
        float away = ways.distanceToGoal(FISH->head->position);
        furthest = std::max(furthest, away), nearest = std::min(nearest, away);
    }
    EXPECT_GT(furthest, atTurn + 100) << "run on past the turn";
    EXPECT_LT(nearest, atTurn - 300) << "and beckoned back round";
}

// Going back stays exact after a resort that worked. Taken up where level 6's
// fish sticks at the hairpin, the search soon stalls, runs the fish on and
// beckons it round, plays on from there and goes back again later: its play,
// stepped again, leaves the world as the search left it.
TEST(WinningReplays, ASearchGoesOnExactlyAfterARunOnTurnsTheFish) {
    kelp_pilot::Autopilot pilot;
    std::optional<Level> atTurn;
    ReplayedUpTo(6, 129 * 30, pilot, atTurn);
    float stuckAt = pilot.routes().distanceToGoal(FISH->head->position);
    WorldSnapshot start;
    start.save();
    Level before = *atTurn;
    kelp_pilot::SearchedPlay play = kelp_pilot::searchForWin(*atTurn, {.maxRewinds = 1, .stallSteps = 60, .exploreGoes = 0, .tries = 1});
    EXPECT_LT(play.closest, stuckAt - 300) << "the fish was turned";
    EXPECT_EQ(play.rewinds, 1);
    uint64_t searched = worldChecksum();
    start.restore();
    for (const StepInput& input : play.steps) before.step(input);
    EXPECT_EQ(worldChecksum(), searched);
}
