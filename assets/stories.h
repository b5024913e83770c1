// The story cards' words, drawn by tools/assetgen in the hand of the game:
// one card before each level, then the end and the game over. Each card's
// lines are separated by "\n"; a language breaks them where it reads best.
#pragma once

#include "assets/catalog.h"

#include <array>
#include <string_view>

namespace kelp_stories {

constexpr std::array<std::string_view, 8> Cards = {
    N_("I found a little fish\namong the kelp.\nHe follows me everywhere.\nHe loves me...\nbut he hates to be touched!"),
    N_("He is growing bigger\nevery day.\nBring him home through\nthe garden of lights."),
    N_("Today he hates me.\nIf I come too close,\nhe will turn and bite.\nI must herd him gently."),
    N_("He is all grown up now\nand he likes adventure.\nI can hardly keep up!"),
    N_("He is far too big\nfor this little garden.\nSqueeze him through\nthe maze of lights."),
    N_("He hates me again,\nand the garden\nhas gone dark.\nOne last swim home."),
    N_("THE END"),
    N_("GAME OVER"),
};

// A card of one line is a title, drawn large.
constexpr int CardWidth = 612, CardHeight = 470;
// The words keep this far from the card's edges.
constexpr int CardMargin = 24;

}  // namespace kelp_stories
