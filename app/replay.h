// Replays: the inputs of every step of a game and checksums of the world
// along the way, enough to play the game again bit for bit.
#pragma once

#include "game/game.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
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
    std::vector<ReplayStep> steps;
    // The world's checksum after every ChecksumEvery-th step, then at the end.
    std::vector<uint64_t> checksums;
};

struct Replay {
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

private:
    bool checkRecords(uint64_t& start, std::string& error);

    std::ifstream file;
    uint32_t count = 0, read = 0;  // level records in the file, and read so far
    uint64_t left = 0;             // bytes of level records not yet read
};
// The whole file in memory, for small ones.
bool readReplayFile(const std::filesystem::path& path, Replay& replay, std::string& error);

// Records a game as it is played: levels begin, steps are taken, levels end.
class ReplayRecorder {
public:
    void beginLevel(int level, uint32_t seed);
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

// How a replay is shown: each level's scene, and after each step a chance to
// draw and pace it; false from `afterStep` stops the replay. Without a
// screen: resetLevel and nothing after the steps.
struct ReplayView {
    std::function<kelp::LevelScene()> start;
    std::function<bool(kelp::LevelScene&)> afterStep;
};

// Steps every recorded level as the game did and checks every checksum.
ReplayResult playReplay(const Replay& replay, const ReplayView& view = {});
ReplayResult playReplay(ReplayFileReader& file, const ReplayView& view = {});

}  // namespace kelp_app
