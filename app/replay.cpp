// The replay file, little-endian throughout:
//   "KGREPLAY", u32 version, u32 level count, then per level
//   u32 level, u32 seed, [version 2: u8 game speed %, u8 more time %,]
//   u32 step count, steps of (f32 x, f32 y, u8 flags),
//   u32 checksum count, u64 checksums; and last a u64 FNV-1a of all before.
// Flags: bit 0 the button, bits 1-3 a level key.
#include "app/replay.h"

#include "app/saved.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace kelp;

namespace kelp_app {

namespace {

constexpr char Magic[8] = {'K', 'G', 'R', 'E', 'P', 'L', 'A', 'Y'};
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

// Reads what it was told is there, up to the bytes it may read, and says so
// when it is not.
class Reader {
public:
    Reader(std::istream& in, uint64_t left) : in(in), left(left) {}

    template <typename T>
    bool get(T& value) {
        if (left < sizeof(T) || !in.read(reinterpret_cast<char*>(&value), sizeof(T))) return false;
        left -= sizeof(T);
        return true;
    }

    std::istream& in;
    uint64_t left;
};

bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

// A step a pointer could have made: finite, and within any hand's reach.
bool Plausible(float offset) { return std::isfinite(offset) && std::abs(offset) <= MaxReplayOffset; }

bool DecodeAssists(Reader& in, uint32_t version, kelp::Assists& assists) {
    assists = {};
    if (version < 2) return true;
    uint8_t speed = 0, time = 0;
    if (!in.get(speed) || !in.get(time)) return false;
    assists = {speed, time};
    return true;
}

bool DecodeLevel(Reader& in, uint32_t version, ReplayLevel& level, size_t index, std::string& error) {
    std::string where = "level record " + std::to_string(index + 1);
    uint32_t number = 0, seed = 0, steps = 0, sums = 0;
    if (!in.get(number) || !in.get(seed) || !DecodeAssists(in, version, level.assists) || !in.get(steps))
        return Fail(error, "truncated in " + where);
    if (number < 1 || number > 6) return Fail(error, where + " names level " + std::to_string(number));
    if (!level.assists.valid()) return Fail(error, where + " asks for assists the game does not have");
    if (steps > MaxReplaySteps) return Fail(error, where + " claims " + std::to_string(steps) + " steps");
    if (in.left < uint64_t(steps) * StepBytes) return Fail(error, "truncated in the steps of " + where);
    level.level = int(number);
    level.seed = seed;
    level.steps.resize(steps);
    for (ReplayStep& step : level.steps) {
        uint8_t flags = 0;
        if (!in.get(step.x) || !in.get(step.y) || !in.get(flags)) return Fail(error, "cannot read " + where);
        step.calm = flags & 1;
        step.levelKey = flags >> 1;
        if (flags >> 4 || step.levelKey > 6) return Fail(error, "a step of " + where + " has unknown flags");
        if (!Plausible(step.x) || !Plausible(step.y))
            return Fail(error, "a step of " + where + " moves the pointer impossibly far");
    }
    if (!in.get(sums)) return Fail(error, "truncated in " + where);
    if (sums != ChecksumCount(steps)) return Fail(error, where + " has " + std::to_string(sums) + " checksums");
    if (in.left < uint64_t(sums) * 8) return Fail(error, "truncated in the checksums of " + where);
    level.checksums.resize(sums);
    for (uint64_t& sum : level.checksums)
        if (!in.get(sum)) return Fail(error, "cannot read " + where);
    return true;
}

// FNV-1a of the stream's first `size` bytes, read a piece at a time.
bool HashOf(std::istream& in, uint64_t size, uint64_t& hash) {
    char piece[1 << 16];
    hash = Fnv1a(nullptr, 0);
    while (size > 0) {
        auto want = std::streamsize(std::min<uint64_t>(size, sizeof piece));
        if (!in.read(piece, want)) return false;
        for (std::streamsize i = 0; i < want; ++i) hash = (hash ^ uint8_t(piece[i])) * 1099511628211ull;
        size -= uint64_t(want);
    }
    return true;
}

// The magic, the version, the file's own checksum, then the level count. The
// stream is left at the first level record, with `left` the bytes of records.
bool ReadHeader(std::istream& in, uint64_t size, uint32_t& version, uint32_t& count, uint64_t& left,
                std::string& error) {
    char magic[sizeof Magic] = {};
    if (size < sizeof Magic + 16 || !in.read(magic, sizeof magic) || std::memcmp(magic, Magic, sizeof Magic) != 0)
        return Fail(error, "not a Kelp Garden replay");
    Reader header(in, 8);
    header.get(version);
    if (version < 1 || version > ReplayVersion) return Fail(error, "replay version " + std::to_string(version) + " is not known here");
    uint64_t hash = 0, stored = 0;
    in.clear();
    in.seekg(0);
    if (!HashOf(in, size - 8, hash) || !in.read(reinterpret_cast<char*>(&stored), 8))
        return Fail(error, "cannot be read whole");
    if (stored != hash) return Fail(error, "damaged: its checksum does not match");
    in.seekg(sizeof Magic + 4);
    header.left = 4;
    header.get(count);
    if (count > MaxReplayLevels) return Fail(error, "claims " + std::to_string(count) + " levels");
    if (count == 0) return Fail(error, "holds no level");
    left = size - sizeof Magic - 16;
    return true;
}

}  // namespace

std::string encodeReplay(const Replay& replay) {
    bool assisted = std::any_of(replay.levels.begin(), replay.levels.end(),
                                [](const ReplayLevel& level) { return level.assists.any(); });
    uint32_t version = replay.version == 1 && !assisted ? 1 : ReplayVersion;
    Writer out;
    out.text.append(Magic, sizeof Magic);
    out.put(version);
    out.put(uint32_t(replay.levels.size()));
    for (const ReplayLevel& level : replay.levels) {
        out.put(uint32_t(level.level));
        out.put(level.seed);
        if (version >= 2) {
            out.put(uint8_t(level.assists.speedPercent));
            out.put(uint8_t(level.assists.moreTimePercent));
        }
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
    std::istringstream in(bytes);
    uint32_t version = 0, count = 0;
    uint64_t left = 0;
    if (!ReadHeader(in, bytes.size(), version, count, left, error)) return false;
    Reader records(in, left);
    Replay read;
    read.version = version;
    read.levels.resize(count);
    for (size_t i = 0; i < count; ++i)
        if (!DecodeLevel(records, version, read.levels[i], i, error)) return false;
    if (records.left != 0) return Fail(error, "has " + std::to_string(records.left) + " bytes too many");
    replay = std::move(read);
    return true;
}

bool ReplayFileReader::open(const std::filesystem::path& path, std::string& error) {
    std::error_code failure;
    uint64_t size = std::filesystem::file_size(path, failure);
    if (failure) return Fail(error, "cannot read " + path.string() + ": " + failure.message());
    if (size > MaxReplayBytes) return Fail(error, path.string() + " is too large for a replay");
    file.open(path, std::ios::binary);
    if (!file) return Fail(error, "cannot read " + path.string());
    uint64_t start = 0;
    if (ReadHeader(file, size, fileVersion, count, left, error) && checkRecords(start, error)) {
        file.seekg(std::streamoff(start));
        read = 0;
        return true;
    }
    error = path.string() + ": " + error;
    return false;
}

// Every record read through once, none kept, so that play never starts on a
// file that turns out to be damaged further on.
bool ReplayFileReader::checkRecords(uint64_t& start, std::string& error) {
    start = uint64_t(file.tellg());
    uint64_t records = left;
    ReplayLevel scratch;
    for (read = 0; read < count;)
        if (!next(scratch, error)) return false;
    if (left != 0) return Fail(error, "has " + std::to_string(left) + " bytes too many");
    left = records;
    return true;
}

bool ReplayFileReader::next(ReplayLevel& level, std::string& error) {
    if (read == count) return false;
    Reader records(file, left);
    if (!DecodeLevel(records, fileVersion, level, read, error)) return false;
    left = records.left;
    ++read;
    return true;
}

bool readReplayFile(const std::filesystem::path& path, Replay& replay, std::string& error) {
    ReplayFileReader file;
    if (!file.open(path, error)) return false;
    Replay whole;
    whole.version = file.version();
    for (ReplayLevel level; file.next(level, error);) whole.levels.push_back(std::move(level));
    if (!error.empty()) return false;
    replay = std::move(whole);
    return true;
}

void ReplayRecorder::beginLevel(int level, uint32_t seed, kelp::Assists assists) {
    endLevel();
    ReplayLevel started;
    started.level = level;
    started.seed = seed;
    started.assists = assists;
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

ReplayPlayer::ReplayPlayer(const Replay& replay)
    : readLevel([&replay, next = size_t(0)](ReplayLevel& level, std::string&) mutable {
          if (next == replay.levels.size()) return false;
          level = replay.levels[next++];
          return true;
      }) {}

ReplayPlayer::ReplayPlayer(ReplayFileReader& file)
    : readLevel([&file](ReplayLevel& level, std::string& error) { return file.next(level, error); }) {}

bool ReplayPlayer::beginLevel() {
    if (!readLevel(recorded, outcome.error)) return false;
    playing.emplace(recorded.level, recorded.seed, recorded.assists);
    nextStep = nextChecksum = 0;
    levelOpen = true;
    return true;
}

bool ReplayPlayer::check(size_t frame) {
    uint64_t sum = worldChecksum();
    outcome.finalChecksum = sum;
    if (sum == recorded.checksums[nextChecksum++]) return true;
    outcome.ok = false;
    outcome.error = "diverged at frame " + std::to_string(frame) + " of level record " + std::to_string(index + 1) +
                    " (level " + std::to_string(recorded.level) + ")";
    return false;
}

bool ReplayPlayer::finish() {
    finished = true;
    if (!outcome.error.empty()) outcome.ok = false;
    return false;
}

bool ReplayPlayer::step() {
    if (finished) return false;
    if (!levelOpen && !beginLevel()) return finish();
    if (nextStep == recorded.steps.size()) {  // the level's end
        levelOpen = false;
        ++index;
        return check(nextStep) || finish();
    }
    const ReplayStep& step = recorded.steps[nextStep++];
    playing->step({{step.x, step.y}, step.calm});
    ++outcome.frames;
    if (nextStep % ChecksumEvery == 0 && !check(nextStep)) return finish();
    if (step.levelKey) playing->skipTo(step.levelKey);
    return true;
}

ReplayResult playReplay(const Replay& replay) {
    ReplayPlayer player(replay);
    while (player.step()) {}
    return player.result();
}

ReplayResult playReplay(ReplayFileReader& file, const std::function<bool()>& stop) {
    ReplayPlayer player(file);
    while (!(stop && stop()) && player.step()) {}
    return player.result();
}

}  // namespace kelp_app
