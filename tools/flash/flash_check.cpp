// Each level's winning replay drawn as the game draws it, frame by frame at
// 30 frames a second of game time in a real OpenGL window, read back and
// counted for flashes. Per level: the most general and red flashes in any one
// second that enough of the play area shares to count (at most 3 passes),
// the frame that second ends on, and the share of the play area flashing
// that often then.
//
//   xvfb-run -a -s "-screen 0 1024x1024x24" build/release/tools/flash/flash_check [--calm] [SECONDS] [REPLAYS] [PICTURES]
//
// --calm draws with calm lights. SECONDS of each level from its start (default 20); REPLAYS, the folder of
// won-level-N.kgreplay (default tests/app/data); PICTURES, a folder to write
// each level's worst second into, frame by frame (level-N-frame-F.png).
#include "app/replay.h"
#include "tools/flash/flashes.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

using namespace kelp;

namespace {

constexpr int PlayArea = 800;

// Plays the first `frames` steps of the replay, drawing each frame as the
// game does and handing it, read back, to `seen`.
bool DrawReplay(int level, int frames, const std::string& folder,
                const std::function<void(int, const TPixmap&)>& seen) {
    kelp_app::Replay replay;
    std::string error;
    std::string path = folder + "/won-level-" + std::to_string(level) + ".kgreplay";
    if (!kelp_app::readReplayFile(path, replay, error) || replay.levels.empty()) {
        std::fprintf(stderr, "flash_check: %s\n", error.c_str());
        return false;
    }
    const kelp_app::ReplayLevel& recorded = replay.levels[0];
    Level played(recorded.level, recorded.seed, recorded.assists);
    for (int frame = 0; frame < frames && size_t(frame) < recorded.steps.size(); ++frame) {
        const kelp_app::ReplayStep& step = recorded.steps[size_t(frame)];
        played.step({{step.x, step.y}, step.calm});
        playWorldSounds();  // as the game does: its notes draw random numbers too
        played.draw();
        FinishDrawing();
        seen(frame, *ReadScreenPixels(0, 0, PlayArea, PlayArea));
    }
    return true;
}

bool CheckLevel(int level, int frames, const std::string& folder, const std::string& pictures) {
    kelp_flash::FlashAnalyser analyser(PlayArea, PlayArea);
    if (!DrawReplay(level, frames, folder, [&](int, const TPixmap& shot) { analyser.add(shot.pixels, shot.pitch); }))
        return false;
    const kelp_flash::Worst& general = analyser.worstGeneral();
    const kelp_flash::Worst& red = analyser.worstRed();
    std::printf("level %d: general flashes %d (second ending at frame %d, %.1f %% of the play area), "
                "red flashes %d (frame %d, %.1f %%), a field at most %.1f %% over the limit: %s\n",
                level, general.flashes, general.frame, 100 * general.areaShare, red.flashes, red.frame,
                100 * red.areaShare, 100 * analyser.overLimitShare(),
                general.flashes <= 3 && red.flashes <= 3 ? "passes" : "FAILS");
    std::fflush(stdout);
    if (pictures.empty() || general.frame < 0) return true;
    // The same frames again, the same way: the worst second's are kept.
    int first = general.frame - kelp_flash::FlashAnalyser::FramesPerSecond + 1;
    return DrawReplay(level, general.frame + 1, folder, [&](int frame, const TPixmap& shot) {
        if (frame >= first)
            SavePixelMapPng(shot, pictures + "/level-" + std::to_string(level) + "-frame-" + std::to_string(frame) + ".png", 6);
    });
}

}  // namespace

int main(int argc, char** argv) {
    bool calm = argc > 1 && std::string(argv[1]) == "--calm";
    if (calm) --argc, ++argv;
    int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::string folder = argc > 2 ? argv[2] : "tests/app/data";
    std::string pictures = argc > 3 ? argv[3] : "";
    if (!startUp()) return EXIT_FAILURE;
    setCalmLights(calm);
    bool all = true;
    for (int level = 1; level <= 6; ++level)
        all &= CheckLevel(level, seconds * kelp_flash::FlashAnalyser::FramesPerSecond, folder, pictures);
    return all ? EXIT_SUCCESS : EXIT_FAILURE;
}
