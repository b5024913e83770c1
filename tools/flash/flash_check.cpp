// Each level's winning replay drawn as the game draws it, frame by frame at
// 30 frames a second of game time in a real OpenGL window, read back and
// counted for flashes. Per level: the most general and red flashes in any one
// second that enough of the play area shares to count (at most 3 passes),
// the frame that second ends on, and the share of the play area flashing
// that often then.
//
//   xvfb-run -a -s "-screen 0 1024x1024x24" build/release/tools/flash/flash_check [SECONDS] [REPLAYS]
//
// SECONDS of each level from its start (default 20); REPLAYS, the folder of
// won-level-N.kgreplay (default tests/app/data).
#include "app/replay.h"
#include "tools/flash/flashes.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kelp;

namespace {

constexpr int PlayArea = 800;

bool CheckLevel(int level, int frames, const std::string& folder) {
    kelp_app::Replay replay;
    std::string error;
    std::string path = folder + "/won-level-" + std::to_string(level) + ".kgreplay";
    if (!kelp_app::readReplayFile(path, replay, error) || replay.levels.empty()) {
        std::fprintf(stderr, "flash_check: %s\n", error.c_str());
        return false;
    }
    const kelp_app::ReplayLevel& recorded = replay.levels[0];
    Level played(recorded.level, recorded.seed, recorded.assists);
    kelp_flash::FlashAnalyser analyser(PlayArea, PlayArea);
    for (int frame = 0; frame < frames && size_t(frame) < recorded.steps.size(); ++frame) {
        const kelp_app::ReplayStep& step = recorded.steps[size_t(frame)];
        played.step({{step.x, step.y}, step.calm});
        playWorldSounds();  // as the game does: its notes draw random numbers too
        played.draw();
        FinishDrawing();
        PixmapRef shot = ReadScreenPixels(0, 0, PlayArea, PlayArea);
        analyser.add(shot->pixels, shot->pitch);
    }
    const kelp_flash::Worst& general = analyser.worstGeneral();
    const kelp_flash::Worst& red = analyser.worstRed();
    std::printf("level %d: general flashes %d (second ending at frame %d, %.1f %% of the play area), "
                "red flashes %d (frame %d, %.1f %%): %s\n",
                level, general.flashes, general.frame, 100 * general.areaShare, red.flashes, red.frame,
                100 * red.areaShare, general.flashes <= 3 && red.flashes <= 3 ? "passes" : "FAILS");
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::string folder = argc > 2 ? argv[2] : "tests/app/data";
    if (!startUp()) return EXIT_FAILURE;
    bool all = true;
    for (int level = 1; level <= 6; ++level)
        all &= CheckLevel(level, seconds * kelp_flash::FlashAnalyser::FramesPerSecond, folder);
    return all ? EXIT_SUCCESS : EXIT_FAILURE;
}
