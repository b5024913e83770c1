// The things a player must tell apart in the maze, each looked at in a real
// frame drawn as the game draws it, read back.
#pragma once

#include "tools/colours/vision.h"

#include <string>
#include <vector>

namespace kelp_vision {

struct SeenThing {
    std::string name;
    std::string shape;           // things of one shape are told apart by colour alone
    std::vector<Linear> pixels;  // where it is drawn, each as read back
};

// A firing red beam, a lit blue beam, a lit ball and the goal on level 5, and
// an unlit ball in level 4's dark. Needs the game started on a screen of at
// least 800 x 800. Given a folder, writes each frame looked at there as seen
// with each vision (<thing>-<vision>.png).
std::vector<SeenThing> lookAtMazeThings(const std::string& pictures = "");

// How the thing looks with `vision`: the mean of its brighter half of pixels,
// the part that catches the eye.
Linear colourOf(const SeenThing& thing, Vision vision);

}  // namespace kelp_vision
