// The menus' words, drawn by tools/assetgen in the story cards' hand, one
// cell of labels.png each, in this order; each language's in a picture of
// its own (gfx/<code>/labels.png).
#pragma once

#include "assets/catalog.h"

#include <array>
#include <string_view>

namespace kelp_labels {

constexpr int CellWidth = 420, CellHeight = 60;
// A label beside a value keeps clear of it: a longer one is drawn smaller.
constexpr int WidestLabel = 380;

constexpr std::array<std::string_view, 30> Texts = {
    N_("Continue"), N_("New game"),   N_("Levels"),        N_("Settings"),  N_("Quit"),      N_("Resume"),
    N_("Restart level"), N_("Quit to title"), N_("Quit game"), N_("Paused"), N_("Volume"), N_("Mute"),
    N_("Full screen"), N_("Pointer speed"), N_("Way to the goal"), N_("Back"), N_("Level 1"), N_("Level 2"),
    N_("Level 3"), N_("Level 4"), N_("Level 5"), N_("Level 6"), N_("Show me the way"), N_("Story cards wait for a key"),
    N_("Assist"), N_("Game speed"), N_("More time"), N_("Calm lights"), N_("Stick speed"), N_("Language"),
};

// The cell of a label; a label not in the list fails to compile where it is
// looked up at compile time.
constexpr int Cell(std::string_view text) {
    for (size_t i = 0; i < Texts.size(); ++i)
        if (Texts[i] == text) return int(i);
    throw "no such label";
}

}  // namespace kelp_labels
