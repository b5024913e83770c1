// Drawing shared by the screens; not part of the app's interface.
#pragma once

#include "app/menu.h"
#include "game/world.h"

#include <string>
#include <vector>

namespace kelp_app {

// The menu's header (its label, or the game's name for -1), items and hint.
void DrawMenu(const Menu& menu, int titleLabel, const std::string& hint);
// The item whose row holds the screen point, or -1.
int MenuItemAt(const Menu& menu, float x, float y);
// The built-in font, doubled: the menus' values and the time left.
constexpr float SmallPrintScale = 2;
// The built-in font, `size` times over, centred on x or starting there.
void DrawSmallPrint(const std::string& text, float x, float y, bool centred, float size = SmallPrintScale);
// The menu words are read again when next drawn: their pictures came late.
void forgetMenuPictures();
// A line of help along the bottom of the screen.
void DrawHint(const std::string& hint);
// A picture the size of the screen, as it was.
void DrawScreenPicture(const ImageRef& picture);
// Faint lights along where the swimmer will go, and a brighter one running
// ahead along them, `progress` of the way.
void DrawWay(const std::vector<kelp::tvector>& way, float progress);
// "2:05": whole seconds, never below none.
std::string ClockText(float seconds);

}  // namespace kelp_app
