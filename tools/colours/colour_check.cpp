// The maze's things as players with each kind of dichromacy see them: per
// vision and per pair of things, how far apart their colours look (CIE76)
// and their luminance contrast. Things of different shapes are told apart by
// their shapes; two of one shape closer than MinDistance fail.
//
//   xvfb-run -a -s "-screen 0 1024x1024x24" build/release/tools/colours/colour_check [--calm] [PICTURES]
//
// --calm looks with calm lights; PICTURES, a folder to write each frame
// looked at into, as each vision sees it.
#include "game/game.h"
#include "tools/colours/maze_colours.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kelp_vision;

int main(int argc, char** argv) {
    constexpr double MinDistance = 20;
    bool calm = argc > 1 && std::string(argv[1]) == "--calm";
    if (calm) --argc, ++argv;
    if (!kelp::startUp()) return EXIT_FAILURE;
    kelp::setCalmLights(calm);
    std::vector<SeenThing> things = lookAtMazeThings(argc > 1 ? argv[1] : "");
    if (things.size() < 5) {
        std::fprintf(stderr, "colour_check: found only %zu of the maze's five things\n", things.size());
        return EXIT_FAILURE;
    }
    bool all = true;
    for (Vision vision : Visions) {
        std::printf("%s\n", std::string(nameOf(vision)).c_str());
        for (size_t i = 0; i < things.size(); ++i)
            for (size_t j = i + 1; j < things.size(); ++j) {
                Linear a = colourOf(things[i], vision), b = colourOf(things[j], vision);
                double distance = colourDistance(a, b);
                bool byColour = things[i].shape == things[j].shape;
                all &= !byColour || distance >= MinDistance;
                std::printf("  %-10s / %-10s  distance %5.1f  contrast %5.2f:1  %s\n", things[i].name.c_str(),
                            things[j].name.c_str(), distance, contrastRatio(a, b),
                            !byColour ? "told apart by shape" : distance >= MinDistance ? "by colour" : "TOO CLOSE");
            }
    }
    return all ? EXIT_SUCCESS : EXIT_FAILURE;
}
