// The menus on the screen: the title over the living garden, the pause menu
// over the frozen level, and the settings and levels menus over either.
#include "app/session.h"

#include "assets/labels.h"

#include <cmath>
#include <cstdio>

using namespace kelp;
using kelp_labels::Cell;

namespace kelp_app {

namespace {

constexpr float HeaderY = 150, TimeLeftY = 222, FirstRowY = 320, RowHeight = 64;
constexpr float PanelLeft = 110, PanelRight = 690;
constexpr float ValueScale = 2;  // the built-in font, doubled
constexpr int KeyEscape = 27, KeyEnter = 13, KeySpace = 32, KeyLeft = 37, KeyUp = 38, KeyRight = 39,
              KeyDown = 40;
// How much the frozen level's picture is darkened under the pause menu.
constexpr float PauseDim = 0.55f;
// The title left untouched this long shows the autopilot playing.
constexpr int DemoAfterFrames = 20 * 30;
// "Show me the way": five seconds of the autopilot's way, shown for three.
constexpr int WaySteps = 5 * 30, WayFrames = 3 * 30;

ImageRef labels, titleName, frozen;

void LoadMenuPictures() {
    if (labels) return;
    labels = LoadImageStrip("incbin::gfx\\labels.png", kelp_labels::CellWidth, kelp_labels::CellHeight, 0,
                            int(kelp_labels::Texts.size()), -1);
    titleName = LoadImageFromUrl("incbin::gfx\\title.png", -1);
}

bool HasValues(const Menu& menu) {
    for (const MenuItem& item : menu.items)
        if (!item.value.empty()) return true;
    return false;
}

float RowY(int row) { return FirstRowY + row * RowHeight; }

void DrawSmallPrint(const std::string& text, float x, float y, bool centred, float size = ValueScale) {
    SetDrawScale(size, size);
    float width = float(TextWidthOf(text)) * size;
    DrawTextAt(text, centred ? x - width / 2 : x, y - TextHeightOf(text) * size / 2);
    SetDrawScale(1, 1);
}

void DrawPanel(int rows) {
    resetDrawState();
    SetDrawColor(6, 20, 24);
    SetDrawAlpha(0.55f);
    float top = RowY(0) - RowHeight * 0.75f, bottom = RowY(rows - 1) + RowHeight * 0.75f;
    FillRectangle(PanelLeft, top, PanelRight - PanelLeft, bottom - top);
}

void DrawHint(const std::string& hint) {
    resetDrawState();
    SetDrawColor(6, 20, 24);
    SetDrawAlpha(0.55f);
    FillRectangle(0, 758, 800, 28);
    resetDrawState();
    SetDrawColor(200, 225, 220);
    SetDrawAlpha(0.8f);
    DrawSmallPrint(hint, 400, 772, true, 1.5f);
    resetDrawState();
}

void DrawFrozenPicture() {
    resetDrawState();
    SetBlendMode(BLEND_SOLID);
    DrawImageAt(frozen, GetScreenWidth() / 2.0f, GetScreenHeight() / 2.0f, 0);
    resetDrawState();
}

// Faint lights along where the swimmer will go, and a brighter one running
// ahead along them, `progress` of the way.
void DrawWay(const std::vector<tvector>& way, float progress) {
    if (way.empty()) return;
    resetDrawState();
    SetBlendMode(BLEND_ADD);
    SetDrawColor(160, 255, 230);
    setUniformScale(0.18f);
    for (size_t i = 0; i < way.size(); i += 3) {
        SetDrawAlpha(0.3f * (1 - float(i) / float(way.size())) + 0.1f);
        drawImageAt(light, way[i], 0, 0);
    }
    SetDrawAlpha(0.8f);
    setUniformScale(0.4f);
    drawImageAt(light, way[std::min(way.size() - 1, size_t(progress * float(way.size())))], 0, 0);
    resetDrawState();
}

// "2:05": whole seconds of the level's clock, never below none.
std::string ClockText(float seconds) {
    int whole = int(std::ceil(std::max(seconds, 0.0f)));
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

bool AnyKeyDown() {
    for (int key = 1; key < 256; ++key)
        if (IsKeyDown(key)) return true;
    return false;
}

}  // namespace

int Session::itemAt(const Menu& menu, float x, float y) {
    if (x < PanelLeft || x > PanelRight) return -1;
    for (size_t i = 0; i < menu.items.size(); ++i)
        if (std::abs(y - RowY(int(i))) < RowHeight / 2) return int(i);
    return -1;
}

MenuInput Session::readMenuInput(const Menu& menu) {
    MenuInput input;
    input.move = TakeKeyHits(KeyDown) - TakeKeyHits(KeyUp);
    input.adjust = TakeKeyHits(KeyRight) - TakeKeyHits(KeyLeft);
    input.confirm = TakeKeyHits(KeyEnter) + TakeKeyHits(KeySpace) != 0;
    input.back = TakeKeyHits(KeyEscape) != 0;
    for (const Shortcut& shortcut : menu.shortcuts)
        if (TakeKeyHits(shortcut.key)) input.shortcut = shortcut.key;
    int px = MousePosX(), py = MousePosY();
    bool moved = px != lastPointerX || py != lastPointerY;
    bool clicked = TakeMouseHits(1) != 0;
    lastPointerX = px, lastPointerY = py;
    float x = 0, y = 0;
    if ((moved || clicked) && WindowPointToScreen(px, py, x, y)) {
        input.pointedItem = itemAt(menu, x, y);
        input.clicked = clicked && input.pointedItem >= 0;
    }
    bool touched = moved || clicked || AnyKeyDown() || input.move || input.adjust || input.confirm ||
                   input.back || input.shortcut;
    untouchedFrames = touched ? 0 : untouchedFrames + 1;
    return input;
}

void Session::drawMenu(const Menu& menu, int titleLabel) const {
    LoadMenuPictures();
    resetDrawState();
    if (titleLabel < 0) DrawImageAt(titleName, 400, HeaderY, 0);
    else DrawImageAt(labels, 400, HeaderY, titleLabel);
    DrawPanel(int(menu.items.size()));
    bool values = HasValues(menu);
    float labelX = values ? 320 : 400;
    for (size_t i = 0; i < menu.items.size(); ++i) {
        const MenuItem& item = menu.items[i];
        float y = RowY(int(i));
        resetDrawState();
        if (int(i) == menu.selected) {
            SetDrawColor(120, 230, 220);
            SetDrawAlpha(0.22f);
            FillRectangle(PanelLeft + 12, y - RowHeight / 2 + 4, PanelRight - PanelLeft - 24, RowHeight - 8);
            SetDrawColor(255, 255, 255);
        }
        SetDrawAlpha(item.enabled ? 1 : 0.35f);
        DrawImageAt(labels, labelX, y, item.label);
        if (!item.value.empty()) {
            SetDrawColor(230, 240, 200);
            DrawSmallPrint(item.value, 520, y, false);
        }
    }
    DrawHint("Arrows and Enter, or the mouse    M: mute    - +: volume");
}

MenuChoice Session::runMenu(Menu& menu, const std::function<void()>& drawBehind, int titleLabel, int idleFrames) {
    ShowPointer();
    // Only a pointer that moves over the menu selects; where it rests does not.
    lastPointerX = MousePosX(), lastPointerY = MousePosY();
    untouchedFrames = 0;
    for (;;) {
        drawBehind();
        drawMenu(menu, titleLabel);
        nextFrame();
        keysAnywhere();
        if (stopping()) return {Command::Quit, 0, 0};
        MenuChoice choice = menu.handle(readMenuInput(menu));
        if (choice.command != Command::None) return choice;
        if (idleFrames && untouchedFrames >= idleFrames) return {Command::Idle, 0, 0};
    }
}

bool Session::runSettingsMenu(const std::function<void()>& drawBehind) {
    Menu menu = settingsMenu(effective());
    for (;;) {
        MenuChoice choice = runMenu(menu, drawBehind, Cell("Settings"));
        if (choice.command == Command::Quit) return false;
        if (choice.command == Command::Back) return true;
        Settings wanted = effective();
        if (applySetting(wanted, choice)) change(wanted);
        showSettings(menu, effective());
    }
}

MenuChoice Session::title() {
    // Level 1's garden; play() sets the level it starts.
    CURRENT_LEVEL = 1;
    LevelScene garden = startLevel();
    // The garden lives on behind the menus: the fish drifts, nobody steers.
    auto drawGarden = [&] {
        updateCamera();
        stepWorld(TIME_STEP, {});
        if (LEVEL_ENDING) garden = startLevel();
        drawBackdrop(garden);
        SetDrawColor(255, 255, 255);
        drawWorld();
    };
    Menu menu = titleMenu(progress);
    for (;;) {
        MenuChoice choice = runMenu(menu, drawGarden, -1, DemoAfterFrames);
        switch (choice.command) {
        case Command::Idle:
            if (!demo(garden)) return {Command::Quit, 0, 0};
            break;
        case Command::Levels: {
            Menu levels = levelsMenu(progress);
            MenuChoice picked = runMenu(levels, drawGarden, Cell("Levels"));
            if (picked.command == Command::PlayLevel || picked.command == Command::Quit) return picked;
            break;
        }
        case Command::Settings:
            if (!runSettingsMenu(drawGarden)) return {Command::Quit, 0, 0};
            break;
        case Command::Back: menu.selected = int(menu.items.size()) - 1; break;
        default: return choice;
        }
    }
}

bool Session::demo(LevelScene& garden) {
    CURRENT_LEVEL = 1;
    garden = startLevel();
    kelp_pilot::Autopilot player;
    player.start();
    HidePointer();
    int dx = 0, dy = 0;
    TakeMouseMotion(dx, dy);
    for (;;) {
        updateCamera();
        stepWorld(TIME_STEP, player.next());
        if (LEVEL_ENDING) {
            garden = startLevel();
            player.start();
        }
        drawBackdrop(garden);
        SetDrawColor(255, 255, 255);
        drawWorld();
        drawHud();
        DrawHint("The autopilot plays: any key or the mouse for the menu");
        nextFrame();
        keysAnywhere();
        if (stopping()) return false;
        TakeMouseMotion(dx, dy);
        if (dx || dy || TakeMouseHits(1) || AnyKeyDown()) break;
    }
    ResetKeyboardState();
    ShowPointer();
    return true;
}

LevelAction Session::pauseAction(Menu& menu, const std::function<void()>& drawFrozen) {
    for (;;) {
        switch (runMenu(menu, drawFrozen, Cell("Paused")).command) {
        case Command::Resume: return LevelAction::Play;
        case Command::Restart: return LevelAction::Restart;
        case Command::QuitToTitle: return LevelAction::ToTitle;
        case Command::QuitGame:
        case Command::Quit: return LevelAction::Quit;
        case Command::Settings:
            if (!runSettingsMenu(drawFrozen)) return LevelAction::Quit;
            break;
        case Command::ShowWay:
            showTheWay();
            return stopping() ? LevelAction::Quit : LevelAction::Play;
        default: break;
        }
    }
}

void Session::showTheWay() {
    std::vector<tvector> way = levelPilot().foresee(WaySteps);
    HidePointer();
    for (int frame = 0; frame < WayFrames && !stopping(); ++frame) {
        DrawFrozenPicture();
        DrawWay(way, float(frame) / WayFrames);
        DrawHint("The way for the next five seconds, then play goes on");
        nextFrame();
        keysAnywhere();
    }
}

LevelAction Session::pause() {
    frozen = CreateBlankImage(GetScreenWidth(), GetScreenHeight(), 1, 0);
    CaptureScreenToImage(frozen, 0, 0);
    AudioHoldVoices(true);
    MOUSE->release();
    std::string timeLeft = "Time left " + ClockText(GOAL->remaining());
    auto drawFrozen = [&timeLeft] {
        DrawFrozenPicture();
        SetDrawColor(0, 0, 0);
        SetDrawAlpha(PauseDim);
        FillRectangle(0, 0, float(GetScreenWidth()), float(GetScreenHeight()));
        resetDrawState();
        SetDrawColor(230, 240, 200);
        DrawSmallPrint(timeLeft, 400, TimeLeftY, true);
        resetDrawState();
    };
    Menu menu = pauseMenu();
    LevelAction action = pauseAction(menu, drawFrozen);
    // The level's own picture goes back, for the veils' trails to build on;
    // then the picture, the size of the screen twice over, is let go.
    DrawFrozenPicture();
    FinishDrawing();
    frozen = nullptr;
    AudioHoldVoices(false);
    if (action == LevelAction::Play || action == LevelAction::Restart) {
        MOUSE->capture();
        MOUSE->recentre();
        HidePointer();
    }
    return action;
}

}  // namespace kelp_app
