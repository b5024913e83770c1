// The menus' words, drawn by tools/assetgen in the story cards' hand, one
// cell of labels.png each, in this order.
#pragma once

#include <array>
#include <string_view>

namespace kelp_labels {

constexpr int CellWidth = 420, CellHeight = 60;
// A label beside a value keeps clear of it: a longer one is drawn smaller.
constexpr int WidestLabel = 380;

constexpr std::array<std::string_view, 29> Texts = {
    "Continue", "New game",   "Levels",        "Settings",  "Quit",      "Resume",
    "Restart level", "Quit to title", "Quit game", "Paused", "Volume", "Mute",
    "Full screen", "Pointer speed", "Way to the goal", "Back", "Level 1", "Level 2",
    "Level 3", "Level 4", "Level 5", "Level 6", "Show me the way", "Story cards wait for a key",
    "Assist", "Game speed", "More time", "Calm lights", "Stick speed",
};

// The cell of a label; a label not in the list fails to compile where it is
// looked up at compile time.
constexpr int Cell(std::string_view text) {
    for (size_t i = 0; i < Texts.size(); ++i)
        if (Texts[i] == text) return int(i);
    throw "no such label";
}

}  // namespace kelp_labels
