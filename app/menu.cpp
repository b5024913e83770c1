// Menu navigation and the game's menus.
#include "app/menu.h"

#include "app/language.h"
#include "assets/catalog.h"
#include "assets/labels.h"
#include "game/game.h"

#include <algorithm>
#include <cstdlib>

namespace kelp_app {

using kelp_labels::Cell;

namespace {

bool Adjustable(Command command) {
    return command == Command::Volume || command == Command::PointerSpeed || command == Command::StickSpeed ||
           command == Command::Mute ||
           command == Command::FullScreen || command == Command::GoalArrow || command == Command::CardsWait ||
           command == Command::GameSpeed || command == Command::MoreTime || command == Command::CalmLights ||
           command == Command::Language;
}

// The next enabled item from `from` in steps of `step`, wrapping; `from` when none.
int NextEnabled(const std::vector<MenuItem>& items, int from, int step) {
    int count = int(items.size());
    for (int i = 1; i <= count; ++i) {
        int candidate = ((from + step * i) % count + count) % count;
        if (items[size_t(candidate)].enabled) return candidate;
    }
    return from;
}

Command BackCommand(const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items)
        if (item.command == Command::Back || item.command == Command::Resume) return item.command;
    return Command::Back;
}

MenuItem Item(int label, Command command, bool enabled = true) { return {label, command, 0, enabled, "", ""}; }

std::string OnOff(bool on) { return on ? tr("on") : tr("off"); }

// The language the settings ask for: the one spoken when they leave it to the desktop.
std::string_view LanguageOf(const Settings& s) { return s.language.empty() ? spokenLanguage() : s.language; }

std::string NextLanguage(std::string_view code, int step) {
    const std::vector<std::string>& all = kelp_text::languageCodes();
    int count = int(all.size()), at = 0;
    while (at < count && all[size_t(at)] != code) ++at;
    return all[size_t(((at % count) + step + count) % count)];
}

std::string Percent(int value, bool withSign) {
    char text[16];
    std::snprintf(text, sizeof text, withSign ? "%+d%%" : "%d%%", value);
    return text;
}

}  // namespace

MenuChoice Menu::handle(const MenuInput& input) {
    if (items.empty()) return {};
    selected = std::clamp(selected, 0, int(items.size()) - 1);
    if (!items[size_t(selected)].enabled) selected = NextEnabled(items, selected, 1);
    if (input.back) return {BackCommand(items), 0, 0};
    for (const Shortcut& shortcut : shortcuts)
        if ((shortcut.key && input.shortcut == shortcut.key) ||
            (shortcut.padButton >= 0 && input.padShortcut == shortcut.padButton))
            return {shortcut.command, 0, 0};
    if (input.pointedItem >= 0 && input.pointedItem < int(items.size()) && items[size_t(input.pointedItem)].enabled) {
        selected = input.pointedItem;
        if (input.clicked) {
            const MenuItem& item = items[size_t(selected)];
            return {item.command, Adjustable(item.command) ? 1 : 0, item.level};
        }
    }
    for (int i = 0; i < std::abs(input.move); ++i) selected = NextEnabled(items, selected, input.move > 0 ? 1 : -1);
    const MenuItem& item = items[size_t(selected)];
    if (!item.enabled) return {};
    if (input.adjust && Adjustable(item.command)) return {item.command, input.adjust > 0 ? 1 : -1, 0};
    if (input.confirm) return {item.command, Adjustable(item.command) ? 1 : 0, item.level};
    return {};
}

Menu titleMenu(const Progress& progress) {
    Menu menu;
    bool started = progress.reached > 1 || progress.resume > 1;
    MenuItem resume = Item(Cell("Continue"), Command::Continue, started);
    resume.value = started ? fill(tr("level {}"), {std::to_string(progress.resume)}) : "";
    menu.items = {resume, Item(Cell("New game"), Command::NewGame), Item(Cell("Levels"), Command::Levels),
                  Item(Cell("Settings"), Command::Settings), Item(Cell("Quit"), Command::Quit)};
    menu.selected = started ? 0 : 1;
    return menu;
}

Menu pauseMenu() {
    Menu menu;
    menu.items = {Item(Cell("Resume"), Command::Resume), Item(Cell("Restart level"), Command::Restart),
                  Item(Cell("Show me the way"), Command::ShowWay), Item(Cell("Settings"), Command::Settings),
                  Item(Cell("Quit to title"), Command::QuitToTitle), Item(Cell("Quit game"), Command::QuitGame)};
    menu.shortcuts = {{'P', Command::Resume},
                      {'R', Command::Restart},
                      {'Q', Command::QuitGame},
                      {0, Command::Resume, PadButtons::Start},
                      {0, Command::ShowWay, PadButtons::Back}};
    return menu;
}

Menu levelsMenu(const Progress& progress) {
    Menu menu;
    for (int level = 1; level <= Progress::Levels; ++level) {
        MenuItem item = Item(Cell("Level 1") + level - 1, Command::PlayLevel, level <= progress.reached);
        item.level = level;
        int assisted = progress.assistedBestMillis[size_t(level - 1)];
        item.value = level <= progress.reached ? formatTime(progress.bestMillis[size_t(level - 1)]) : "";
        if (level <= progress.reached && assisted > 0) item.note = fill(tr("assisted {}"), {formatTime(assisted)});
        menu.items.push_back(item);
    }
    menu.items.push_back(Item(Cell("Back"), Command::Back));
    menu.selected = std::clamp(progress.resume, 1, progress.reached) - 1;
    return menu;
}

Menu settingsMenu(const Settings& settings) {
    Menu menu;
    menu.items = {Item(Cell("Volume"), Command::Volume), Item(Cell("Mute"), Command::Mute),
                  Item(Cell("Full screen"), Command::FullScreen), Item(Cell("Pointer speed"), Command::PointerSpeed),
                  Item(Cell("Stick speed"), Command::StickSpeed),
                  Item(Cell("Way to the goal"), Command::GoalArrow), Item(Cell("Calm lights"), Command::CalmLights),
                  Item(Cell("Story cards wait for a key"), Command::CardsWait), Item(Cell("Language"), Command::Language),
                  Item(Cell("Assist"), Command::Assist),
                  Item(Cell("Back"), Command::Back)};
    showSettings(menu, settings);
    return menu;
}

Menu assistMenu(const Settings& settings) {
    Menu menu;
    menu.items = {Item(Cell("Game speed"), Command::GameSpeed), Item(Cell("More time"), Command::MoreTime),
                  Item(Cell("Back"), Command::Back)};
    menu.footnote = tr("Assists apply from the next level started");
    showSettings(menu, settings);
    return menu;
}

void showSettings(Menu& menu, const Settings& s) {
    for (MenuItem& item : menu.items) {
        switch (item.command) {
        case Command::Volume: item.value = std::to_string(s.volume) + " / " + std::to_string(Settings::MaxVolume); break;
        case Command::Mute: item.value = OnOff(s.muted); break;
        case Command::FullScreen: item.value = OnOff(s.fullScreen); break;
        case Command::PointerSpeed: item.value = Percent(s.pointerSpeed, false); break;
        case Command::StickSpeed: item.value = Percent(s.stickSpeed, false); break;
        case Command::GoalArrow: item.value = OnOff(s.goalArrow); break;
        case Command::CardsWait: item.value = OnOff(s.cardsWait); break;
        case Command::CalmLights: item.value = OnOff(s.calmLights); break;
        case Command::Language: item.value = languageName(LanguageOf(s)); break;
        case Command::Assist: item.value = OnOff(assistsOf(s).any()); break;
        case Command::GameSpeed: item.value = Percent(s.gameSpeed, false); break;
        case Command::MoreTime: item.value = Percent(s.moreTime, true); break;
        default: break;
        }
    }
}

bool applySetting(Settings& s, const MenuChoice& choice) {
    Settings before = s;
    int step = choice.direction < 0 ? -1 : 1;
    switch (choice.command) {
    case Command::Volume:
        s.volume = std::clamp(s.volume + step, 0, Settings::MaxVolume);
        if (step > 0) s.muted = false;  // turning it up is meant to be heard
        break;
    case Command::PointerSpeed:
        s.pointerSpeed = std::clamp(s.pointerSpeed + step * Settings::PointerSpeedStep, Settings::MinPointerSpeed,
                                    Settings::MaxPointerSpeed);
        break;
    case Command::StickSpeed:
        s.stickSpeed = std::clamp(s.stickSpeed + step * Settings::PointerSpeedStep, Settings::MinPointerSpeed,
                                  Settings::MaxPointerSpeed);
        break;
    case Command::Mute: s.muted = !s.muted; break;
    case Command::FullScreen: s.fullScreen = !s.fullScreen; break;
    case Command::GoalArrow: s.goalArrow = !s.goalArrow; break;
    case Command::CardsWait: s.cardsWait = !s.cardsWait; break;
    case Command::CalmLights: s.calmLights = !s.calmLights; break;
    case Command::Language: s.language = NextLanguage(LanguageOf(s), step); break;
    case Command::GameSpeed:
        s.gameSpeed = std::clamp(s.gameSpeed + step * kelp::Assists::SpeedStep, kelp::Assists::SlowestPercent, 100);
        break;
    case Command::MoreTime:
        s.moreTime = std::clamp(s.moreTime + step * kelp::Assists::TimeStep, 0, kelp::Assists::MostTimePercent);
        break;
    default: break;
    }
    return !(s == before);
}

kelp::Assists assistsOf(const Settings& settings) { return {settings.gameSpeed, settings.moreTime}; }

std::string describeAssists(const kelp::Assists& assists) {
    std::string speed = Percent(assists.speedPercent, false), time = Percent(assists.moreTimePercent, true);
    bool slower = assists.speedPercent != 100, longer = assists.moreTimePercent != 0;
    if (slower && longer) return fill(tr("Game speed {}, more time {}"), {speed, time});
    if (slower) return fill(tr("Game speed {}"), {speed});
    if (longer) return fill(tr("More time {}"), {time});
    return "";
}

std::string formatTime(int millis) {
    if (millis <= 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%03d", millis / 60000, millis / 1000 % 60, millis % 1000);
    return text;
}

}  // namespace kelp_app
