// The replay file, little-endian throughout:
//   "KGREPLAY", u32 version, u32 level count, then per level
//   u32 level, u32 seed, u32 step count, steps of (f32 x, f32 y, u8 flags),
//   u32 checksum count, u64 checksums; and last a u64 FNV-1a of all before.
// Flags: bit 0 the button, bits 1-3 a level key.
#include "app/replay.h"

#include "app/saved.h"

#include <algorithm>
#include <cstring>
#include <fstream>

using namespace kelp;

namespace kelp_app {

namespace {

constexpr char Magic[8] = {'K', 'G', 'R', 'E', 'P', 'L', 'A', 'Y'};
constexpr uint32_t Version = 1;
constexpr size_t StepBytes = 9;

uint64_t Fnv1a(const char* bytes, size_t size) {
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ uint8_t(bytes[i])) * 1099511628211ull;
    return hash;
}

size_t ChecksumCount(size_t steps) { return steps / ChecksumEvery + 1; }

class Writer {
public:
    template <typename T>
    void put(T value) {
        uint8_t bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));  // the build is little-endian
        text.append(reinterpret_cast<const char*>(bytes), sizeof(T));
    }
    std::string text;
};

// Reads what it was told is there, and says so when it is not.
class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes(bytes) {}

    template <typename T>
    bool get(T& value) {
        if (bytes.size() - at < sizeof(T)) return false;
        std::memcpy(&value, bytes.data() + at, sizeof(T));
        at += sizeof(T);
        return true;
    }
    size_t left() const { return bytes.size() - at; }
    void skip(size_t count) { at += std::min(count, left()); }

private:
    const std::string& bytes;
    size_t at = 0;
};

bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

bool DecodeLevel(Reader& in, ReplayLevel& level, size_t index, std::string& error) {
    std::string where = "level record " + std::to_string(index + 1);
    uint32_t number = 0, seed = 0, steps = 0, sums = 0;
    if (!in.get(number) || !in.get(seed) || !in.get(steps)) return Fail(error, "truncated in " + where);
    if (number < 1 || number > 6) return Fail(error, where + " names level " + std::to_string(number));
    if (steps > MaxReplaySteps) return Fail(error, where + " claims " + std::to_string(steps) + " steps");
    if (in.left() < uint64_t(steps) * StepBytes) return Fail(error, "truncated in the steps of " + where);
    level.level = int(number);
    level.seed = seed;
    level.steps.resize(steps);
    for (ReplayStep& step : level.steps) {
        uint8_t flags = 0;
        in.get(step.x), in.get(step.y), in.get(flags);
        step.calm = flags & 1;
        step.levelKey = flags >> 1;
        if (flags >> 4 || step.levelKey > 6) return Fail(error, "a step of " + where + " has unknown flags");
    }
    if (!in.get(sums)) return Fail(error, "truncated in " + where);
    if (sums != ChecksumCount(steps)) return Fail(error, where + " has " + std::to_string(sums) + " checksums");
    if (in.left() < uint64_t(sums) * 8) return Fail(error, "truncated in the checksums of " + where);
    level.checksums.resize(sums);
    for (uint64_t& sum : level.checksums) in.get(sum);
    return true;
}

}  // namespace

std::string encodeReplay(const Replay& replay) {
    Writer out;
    out.text.append(Magic, sizeof Magic);
    out.put(Version);
    out.put(uint32_t(replay.levels.size()));
    for (const ReplayLevel& level : replay.levels) {
        out.put(uint32_t(level.level));
        out.put(level.seed);
        out.put(uint32_t(level.steps.size()));
        for (const ReplayStep& step : level.steps) {
            out.put(step.x);
            out.put(step.y);
            out.put(uint8_t((step.calm ? 1 : 0) | step.levelKey << 1));
        }
        out.put(uint32_t(level.checksums.size()));
        for (uint64_t sum : level.checksums) out.put(sum);
    }
    out.put(Fnv1a(out.text.data(), out.text.size()));
    return out.text;
}

bool decodeReplay(const std::string& bytes, Replay& replay, std::string& error) {
    if (bytes.size() < sizeof Magic + 16 || std::memcmp(bytes.data(), Magic, sizeof Magic) != 0)
        return Fail(error, "not a Kelp Garden replay");
    uint64_t stored = 0;
    std::memcpy(&stored, bytes.data() + bytes.size() - 8, 8);
    Reader in(bytes);
    uint32_t version = 0, count = 0;
    in.skip(sizeof Magic);
    in.get(version);
    if (version != Version) return Fail(error, "replay version " + std::to_string(version) + " is not known here");
    if (stored != Fnv1a(bytes.data(), bytes.size() - 8)) return Fail(error, "damaged: its checksum does not match");
    in.get(count);
    if (count > MaxReplayLevels) return Fail(error, "claims " + std::to_string(count) + " levels");
    Replay read;
    read.levels.resize(count);
    for (size_t i = 0; i < count; ++i)
        if (!DecodeLevel(in, read.levels[i], i, error)) return false;
    if (in.left() != 8) return Fail(error, "has " + std::to_string(in.left() - 8) + " bytes too many");
    replay = std::move(read);
    return true;
}

bool readReplayFile(const std::filesystem::path& path, Replay& replay, std::string& error) {
    std::error_code failure;
    uint64_t size = std::filesystem::file_size(path, failure);
    if (failure) return Fail(error, "cannot read " + path.string() + ": " + failure.message());
    if (size > MaxReplayBytes) return Fail(error, path.string() + " is too large for a replay");
    std::ifstream in(path, std::ios::binary);
    std::string bytes(size_t(size), '\0');
    if (!in.read(bytes.data(), std::streamsize(size))) return Fail(error, "cannot read " + path.string());
    if (decodeReplay(bytes, replay, error)) return true;
    error = path.string() + ": " + error;
    return false;
}

void ReplayRecorder::beginLevel(int level, uint32_t seed) {
    endLevel();
    ReplayLevel started;
    started.level = level;
    started.seed = seed;
    // Room for a whole level, so that recording a step allocates nothing.
    started.steps.reserve(6000);
    started.checksums.reserve(6000 / ChecksumEvery + 2);
    replay.levels.push_back(std::move(started));
    open = true;
}

void ReplayRecorder::step(const StepInput& input) {
    if (!open) return;
    ReplayLevel& level = replay.levels.back();
    level.steps.push_back({input.pointer.x, input.pointer.y, input.calm, 0});
    if (level.steps.size() % ChecksumEvery == 0) level.checksums.push_back(worldChecksum());
}

void ReplayRecorder::levelKey(int level) {
    if (open && !replay.levels.back().steps.empty()) replay.levels.back().steps.back().levelKey = level;
}

void ReplayRecorder::endLevel() {
    if (!open) return;
    open = false;
    replay.levels.back().checksums.push_back(worldChecksum());
}

ReplayResult playReplay(const Replay& replay, const ReplayView& view) {
    ReplayResult result;
    for (size_t index = 0; index < replay.levels.size(); ++index) {
        const ReplayLevel& recorded = replay.levels[index];
        SetRandomSeed(int32_t(recorded.seed));
        CURRENT_LEVEL = recorded.level;
        LEVEL_SKIP = false;
        LevelScene scene;
        if (view.start) scene = view.start();
        else resetLevel();
        size_t sums = 0;
        auto check = [&](size_t frame) {
            uint64_t sum = worldChecksum();
            result.finalChecksum = sum;
            if (sum == recorded.checksums[sums++]) return true;
            result.ok = false;
            result.error = "diverged at frame " + std::to_string(frame) + " of level record " +
                           std::to_string(index + 1) + " (level " + std::to_string(recorded.level) + ")";
            return false;
        };
        for (size_t i = 0; i < recorded.steps.size(); ++i) {
            const ReplayStep& step = recorded.steps[i];
            advanceLevel(scene, {{step.x, step.y}, step.calm});
            ++result.frames;
            if ((i + 1) % ChecksumEvery == 0 && !check(i + 1)) return result;
            if (step.levelKey) skipToLevel(step.levelKey);
            if (view.afterStep && !view.afterStep(scene)) return result;
        }
        if (!check(recorded.steps.size())) return result;
    }
    return result;
}

}  // namespace kelp_app
