// Menus: a column of items that the keyboard and the pointer both work, and
// the title, pause, settings and levels menus built on it. No drawing here.
#pragma once

#include "app/saved.h"

#include <string>
#include <vector>

namespace kelp {
struct Assists;
}

namespace kelp_app {

enum class Command {
    None, Continue, NewGame, Levels, Settings, Quit, Resume, Restart, QuitToTitle, QuitGame, Back,
    PlayLevel, Volume, Mute, FullScreen, PointerSpeed, GoalArrow, CardsWait,
    Assist, GameSpeed, MoreTime, CalmLights, StickSpeed, Language,
    ShowWay,  // the autopilot's way ahead, shown before play resumes
    Idle,     // the menu was left untouched for a while
};

struct MenuItem {
    int label = 0;          // its cell in the labels picture
    Command command = Command::None;
    int level = 0;          // PlayLevel: which
    bool enabled = true;
    std::string value;      // shown beside the label, in small print
    std::string note;       // smaller, under the value
};

// One frame's worth of the player's hands on a menu.
struct MenuInput {
    int move = 0;            // rows down; negative up
    int adjust = 0;          // steps right; negative left
    bool confirm = false;    // Enter or Space
    bool back = false;       // Escape
    int pointedItem = -1;    // the item under a pointer that moved, or -1
    bool clicked = false;    // the button pressed over pointedItem
    int shortcut = 0;        // a key hit that is one of the menu's shortcuts
    int padShortcut = -1;    // a pad's button pressed that is one of them
};

// What a frame of input asks: a command of the selected item, with the
// direction for adjustable ones (0 when confirmed), or Back.
struct MenuChoice {
    Command command = Command::None;
    int direction = 0;
    int level = 0;
};

struct Shortcut {
    int key = 0;  // virtual key code; 0 for none
    Command command = Command::None;
    int padButton = -1;  // PadButtons index; -1 for none
};

struct Menu {
    std::vector<MenuItem> items;
    std::vector<Shortcut> shortcuts;
    int selected = 0;
    std::string footnote;  // a line under the items

    MenuChoice handle(const MenuInput& input);
};

// The title menu: Continue only once there is somewhere to continue from.
Menu titleMenu(const Progress& progress);
// Escape and P resume, R restarts, Q quits the game; on a pad Start resumes
// and Back shows the way.
Menu pauseMenu();
Menu levelsMenu(const Progress& progress);
Menu settingsMenu(const Settings& settings);
// Game speed and more time.
Menu assistMenu(const Settings& settings);
// Refreshes the values shown beside a settings or assist menu's items.
void showSettings(Menu& menu, const Settings& settings);

// Applies a settings command; true when something changed.
bool applySetting(Settings& settings, const MenuChoice& choice);

// "1:05.250"; "-" for no time.
std::string formatTime(int millis);
// The assists the settings ask for.
kelp::Assists assistsOf(const Settings& settings);
// "Game speed 70%, more time +50%": the assists that are on; empty for none.
std::string describeAssists(const kelp::Assists& assists);

}  // namespace kelp_app
