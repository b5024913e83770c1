// Replays: the inputs of every step of a game and checksums of the world
// along the way, enough to play the game again bit for bit.
#pragma once

#include "game/game.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelp_app {

struct ReplayStep {
    float x = 0, y = 0;    // the pointer's offset in play-area pixels
    bool calm = false;     // the button
    int levelKey = 0;      // a digit pressed after this step, or 0
};

// One level from its build: restarts begin a new one.
struct ReplayLevel {
    int level = 1;
    uint32_t seed = 0;  // the random generator's when the level was built
    kelp::Assists assists;
    std::vector<ReplayStep> steps;
    // The world's checksum after every ChecksumEvery-th step, then at the end.
    std::vector<uint64_t> checksums;
};

// Version 2 keeps each level's assists; version 1, from before there were
// any, is read and written back as it was.
constexpr uint32_t ReplayVersion = 2;

struct Replay {
    uint32_t version = ReplayVersion;
    std::vector<ReplayLevel> levels;
};

constexpr int ChecksumEvery = 30;
// Limits a replay file is checked against before anything is read into memory.
constexpr uint32_t MaxReplayLevels = 10000;
constexpr uint32_t MaxReplaySteps = 60 * 60 * 30;  // an hour of one level
constexpr uint64_t MaxReplayBytes = 256ull << 20;
// Further than any pointer moves in a step; such a file was not recorded by a game.
constexpr float MaxReplayOffset = 1e6f;

std::string encodeReplay(const Replay& replay);
// False with `error` naming the fault for anything but a whole, sound replay.
bool decodeReplay(const std::string& bytes, Replay& replay, std::string& error);

// A replay file read a level at a time, so that a long one takes no more
// memory than its longest level. open() checks it whole first: its magic,
// version and own checksum, then every record, which is read and let go.
class ReplayFileReader {
public:
    bool open(const std::filesystem::path& path, std::string& error);
    // The next level record; false after the last, or with `error` set.
    bool next(ReplayLevel& level, std::string& error);
    uint32_t version() const { return fileVersion; }

private:
    bool checkRecords(uint64_t& start, std::string& error);

    std::ifstream file;
    uint32_t fileVersion = 0;
    uint32_t count = 0, read = 0;  // level records in the file, and read so far
    uint64_t left = 0;             // bytes of level records not yet read
};
// The whole file in memory, for small ones.
bool readReplayFile(const std::filesystem::path& path, Replay& replay, std::string& error);

// Records a game as it is played: levels begin, steps are taken, levels end.
class ReplayRecorder {
public:
    void beginLevel(int level, uint32_t seed, kelp::Assists assists = {});
    void step(const kelp::StepInput& input);
    void levelKey(int level);
    void endLevel();

    Replay replay;

private:
    bool open = false;
};

struct ReplayResult {
    bool ok = true;
    uint64_t frames = 0;
    uint64_t finalChecksum = 0;
    std::string error;  // which frame of which level diverged
};

// Steps a replay's levels as the game did, one recorded step at a time, and
// checks every checksum; the window shows it a step a frame, the headless
// check as fast as it goes.
class ReplayPlayer {
public:
    explicit ReplayPlayer(const Replay& replay);
    explicit ReplayPlayer(ReplayFileReader& file);

    // One recorded step; false once the replay is played out, has diverged
    // or cannot be read further.
    bool step();
    const ReplayResult& result() const { return outcome; }
    // The level being replayed, once the first has begun.
    kelp::Level* level() { return playing ? &*playing : nullptr; }

private:
    bool beginLevel();
    bool check(size_t frame);
    bool finish();

    std::function<bool(ReplayLevel&, std::string&)> readLevel;
    ReplayLevel recorded;  // the level being replayed; its room is kept for the next
    size_t index = 0, nextStep = 0, nextChecksum = 0;
    bool levelOpen = false, finished = false;
    std::optional<kelp::Level> playing;
    ReplayResult outcome;
};

// A whole replay played out without a screen; `stop` may end it early.
ReplayResult playReplay(const Replay& replay);
ReplayResult playReplay(ReplayFileReader& file, const std::function<bool()>& stop = {});

}  // namespace kelp_app
