// What the menus and the screens over a level draw: menus, hints, small
// print, the paused level's picture and the way ahead.
#include "app/drawing.h"

#include "app/language.h"

#include "assets/labels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace kelp;

namespace kelp_app {

namespace {

constexpr float HeaderY = 150, FirstRowY = 320, HintTop = 758;
// Rows are closer in a long menu, and a longer one starts higher, so that its
// last stays clear of the hint.
constexpr float RowHeight = 64, LongMenuRowHeight = 56, LongerMenuRowHeight = 52, LongestMenuRowHeight = 48;
constexpr size_t LongMenu = 8, LongerMenu = 10, LongestMenu = 11;
constexpr float PanelLeft = 110, PanelRight = 690;
// Every text is at least 12 px tall in capitals full screen at 1280 x 800.
constexpr float NoteScale = 1.5f, FootnoteScale = 1.5f;
constexpr float PlainValueX = 520, NotedValueX = 460;

ImageRef labels, titleName;
std::string labelsLanguage;

// The menu words of the language spoken, or the English ones.
void LoadMenuPictures() {
    if (!titleName) titleName = LoadImageFromUrl("incbin::gfx\\title.png", -1);
    if (labels && labelsLanguage == spokenLanguage()) return;
    labelsLanguage = spokenLanguage();
    std::string translated = "gfx\\" + labelsLanguage + "\\labels.png";
    std::string file = EmbeddedFileData(translated) ? translated : "gfx\\labels.png";
    labels = LoadImageStrip("incbin::" + file, kelp_labels::CellWidth, kelp_labels::CellHeight, 0,
                            int(kelp_labels::Texts.size()), -1);
}

}  // namespace

void forgetMenuPictures() { labels = nullptr; }

namespace {

bool HasValues(const Menu& menu) {
    for (const MenuItem& item : menu.items)
        if (!item.value.empty()) return true;
    return false;
}

// Values start further left in a menu with notes under them, for the notes
// to fit the panel. Only the levels menu has them, and short labels.
float ValueColumn(const Menu& menu) {
    for (const MenuItem& item : menu.items)
        if (!item.note.empty()) return NotedValueX;
    return PlainValueX;
}

float RowHeightOf(const Menu& menu) {
    size_t items = menu.items.size();
    return items >= LongestMenu  ? LongestMenuRowHeight
           : items >= LongerMenu ? LongerMenuRowHeight
           : items >= LongMenu   ? LongMenuRowHeight
                                 : RowHeight;
}

float RowY(const Menu& menu, int row) {
    float rowHeight = RowHeightOf(menu);
    int rows = int(menu.items.size()) + (menu.footnote.empty() ? 0 : 1);
    float first = std::min(FirstRowY, HintTop - rowHeight * 0.75f - float(rows - 1) * rowHeight);
    return first + float(row) * rowHeight;
}

}  // namespace

void DrawSmallPrint(const std::string& text, float x, float y, bool centred, float size) {
    SetDrawScale(size, size);
    float width = float(TextWidthOf(text)) * size;
    DrawTextAt(text, centred ? x - width / 2 : x, y - TextHeightOf(text) * size / 2);
    SetDrawScale(1, 1);
}

namespace {

void DrawPanel(const Menu& menu) {
    int rows = int(menu.items.size()) + (menu.footnote.empty() ? 0 : 1);
    float rowHeight = RowHeightOf(menu);
    resetDrawState();
    SetDrawColor(6, 20, 24);
    SetDrawAlpha(0.55f);
    float top = RowY(menu, 0) - rowHeight * 0.75f, bottom = RowY(menu, rows - 1) + rowHeight * 0.75f;
    FillRectangle(PanelLeft, top, PanelRight - PanelLeft, bottom - top);
}

}  // namespace

void DrawHint(const std::string& hint) {
    resetDrawState();
    SetDrawColor(6, 20, 24);
    SetDrawAlpha(0.55f);
    FillRectangle(0, HintTop, 800, 28);
    resetDrawState();
    SetDrawColor(200, 225, 220);
    SetDrawAlpha(0.8f);
    DrawSmallPrint(hint, 400, 772, true, 1.5f);
    resetDrawState();
}

void DrawScreenPicture(const ImageRef& picture) {
    resetDrawState();
    SetBlendMode(BLEND_SOLID);
    DrawImageAt(picture, GetScreenWidth() / 2.0f, GetScreenHeight() / 2.0f, 0);
    resetDrawState();
}

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

std::string ClockText(float seconds) {
    int whole = int(std::ceil(std::max(seconds, 0.0f)));
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

int MenuItemAt(const Menu& menu, float x, float y) {
    if (x < PanelLeft || x > PanelRight) return -1;
    for (size_t i = 0; i < menu.items.size(); ++i)
        if (std::abs(y - RowY(menu, int(i))) < RowHeightOf(menu) / 2) return int(i);
    return -1;
}

void DrawMenu(const Menu& menu, int titleLabel, const std::string& hint) {
    LoadMenuPictures();
    resetDrawState();
    if (titleLabel < 0) DrawImageAt(titleName, 400, HeaderY, 0);
    else DrawImageAt(labels, 400, HeaderY, titleLabel);
    DrawPanel(menu);
    float rowHeight = RowHeightOf(menu);
    bool values = HasValues(menu);
    float labelX = values ? 320 : 400, valueX = ValueColumn(menu);
    for (size_t i = 0; i < menu.items.size(); ++i) {
        const MenuItem& item = menu.items[i];
        float y = RowY(menu, int(i));
        resetDrawState();
        if (int(i) == menu.selected) {
            SetDrawColor(120, 230, 220);
            SetDrawAlpha(0.22f);
            FillRectangle(PanelLeft + 12, y - rowHeight / 2 + 4, PanelRight - PanelLeft - 24, rowHeight - 8);
            SetDrawColor(255, 255, 255);
        }
        SetDrawAlpha(item.enabled ? 1 : 0.35f);
        DrawImageAt(labels, labelX, y, item.label);
        bool noted = !item.note.empty();
        if (!item.value.empty()) {
            SetDrawColor(230, 240, 200);
            DrawSmallPrint(item.value, valueX, noted ? y - 9 : y, false);
        }
        if (noted) {
            SetDrawColor(170, 215, 205);
            DrawSmallPrint(item.note, valueX, y + 14, false, NoteScale);
        }
    }
    if (!menu.footnote.empty()) {
        resetDrawState();
        SetDrawColor(200, 225, 220);
        DrawSmallPrint(menu.footnote, 400, RowY(menu, int(menu.items.size())), true, FootnoteScale);
    }
    DrawHint(hint);
}

}  // namespace kelp_app
