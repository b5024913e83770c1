// Writes the seed corpora of the replay and saved-file fuzzers: the opening
// seconds of each winning replay, recorded again as a whole short replay, and
// settings and progress files as the game writes them and as a person might.
#include "app/replay.h"
#include "app/saved.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace kelp_app;
namespace fs = std::filesystem;

namespace {

constexpr size_t OpeningSteps = 120;

// The level as recorded, stepped again for its first steps with their checksums.
Replay Opening(const ReplayLevel& won) {
    ReplayRecorder recorder;
    recorder.beginLevel(won.level, won.seed);
    kelp::Level played(won.level, won.seed);
    for (size_t i = 0; i < std::min(OpeningSteps, won.steps.size()); ++i) {
        kelp::StepInput input{{won.steps[i].x, won.steps[i].y}, won.steps[i].calm};
        played.step(input);
        recorder.step(input);
    }
    recorder.endLevel();
    return recorder.replay;
}

bool Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <winning replays folder> <replay corpus> <saved-file corpus>\n", argv[0]);
        return 2;
    }
    InitSystemLayer();
    bool written = true;
    for (int level = 1; level <= 6; ++level) {
        Replay won;
        std::string error;
        fs::path path = fs::path(argv[1]) / ("won-level-" + std::to_string(level) + ".kgreplay");
        if (!readReplayFile(path, won, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        written &= Write(fs::path(argv[2]) / ("opening-" + std::to_string(level) + ".kgreplay"),
                         encodeReplay(Opening(won.levels.front())));
    }
    Settings unusual;
    unusual.volume = 3, unusual.muted = true, unusual.pointerSpeed = 175, unusual.cardsWait = false;
    Progress played;
    played.reached = 4, played.resume = 3, played.bestMillis = {61250, 95001, 1, 0, 0, 0};
    fs::path saved = argv[3];
    written &= Write(saved / "settings.txt", formatSettings(Settings{})) &&
               Write(saved / "unusual.txt", formatSettings(unusual)) &&
               Write(saved / "by-hand.txt", "# mine\nVolume = 5\nmuted = yes\n\nno_such_key = 1\npointer-speed=50\n") &&
               Write(saved / "progress.txt", formatProgress(played));
    return written ? 0 : 1;
}
