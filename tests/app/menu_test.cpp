// Menus without a screen: keys, the pointer, shortcuts and the settings.
#include "app/hints.h"
#include "app/language.h"
#include "assets/catalog.h"
#include "app/menu.h"

#include "assets/labels.h"
#include "game/game.h"

#include <gtest/gtest.h>

using namespace kelp_app;
using kelp_labels::Cell;

namespace {

MenuInput Move(int step) { return {step, 0, false, false, -1, false, 0}; }
MenuInput Adjust(int step) { return {0, step, false, false, -1, false, 0}; }
MenuInput Confirm() { return {0, 0, true, false, -1, false, 0}; }
MenuInput Back() { return {0, 0, false, true, -1, false, 0}; }
MenuInput Point(int item, bool click) { return {0, 0, false, false, item, click, 0}; }
MenuInput Key(int key) { return {0, 0, false, false, -1, false, key}; }

}  // namespace

TEST(Menus, ArrowsMoveOverEnabledItemsAndWrap) {
    Menu menu = titleMenu(Progress{});
    EXPECT_FALSE(menu.items[0].enabled) << "nothing to continue yet";
    EXPECT_EQ(menu.selected, 1);
    EXPECT_EQ(menu.handle(Move(-1)).command, Command::None);
    EXPECT_EQ(menu.selected, 4) << "up from the first enabled item wraps past the disabled one";
    menu.handle(Move(1));
    EXPECT_EQ(menu.selected, 1);
    menu.handle(Move(1));
    MenuChoice choice = menu.handle(Confirm());
    EXPECT_EQ(choice.command, Command::Levels);
    EXPECT_EQ(menu.items[size_t(menu.selected)].label, Cell("Levels"));
}

TEST(Menus, ThePointerSelectsWhatItIsOverAndAClickChoosesIt) {
    Menu menu = pauseMenu();
    EXPECT_EQ(menu.handle(Point(3, false)).command, Command::None);
    EXPECT_EQ(menu.selected, 3);
    EXPECT_EQ(menu.handle(Point(1, true)).command, Command::Restart);
    EXPECT_EQ(menu.handle(Point(-1, true)).command, Command::None) << "a click beside the items";
    EXPECT_EQ(menu.handle(Point(99, true)).command, Command::None);
    Menu levels = levelsMenu(Progress{});
    EXPECT_EQ(levels.handle(Point(4, true)).command, Command::None) << "a level not reached";
    EXPECT_EQ(levels.selected, 0);
}

TEST(Menus, EscapeGoesBackAndThePauseMenusKeysWork) {
    Menu pause = pauseMenu();
    EXPECT_EQ(pause.handle(Back()).command, Command::Resume);
    EXPECT_EQ(pause.handle(Key('P')).command, Command::Resume);
    EXPECT_EQ(pause.handle(Key('R')).command, Command::Restart);
    EXPECT_EQ(pause.handle(Key('Q')).command, Command::QuitGame);
    EXPECT_EQ(pause.handle(Key('X')).command, Command::None);
    Menu settings = settingsMenu(Settings{});
    EXPECT_EQ(settings.handle(Back()).command, Command::Back);
    Menu title = titleMenu(Progress{});
    EXPECT_EQ(title.handle(Key('Q')).command, Command::None) << "shortcuts belong to the pause menu";
}

TEST(Menus, LevelsShowTheLevelsReachedWithTheirBestTimes) {
    Progress progress;
    progress.reached = 3;
    progress.resume = 2;
    progress.bestMillis[0] = 75250;
    progress.assistedBestMillis[1] = 140000;
    Menu menu = levelsMenu(progress);
    ASSERT_EQ(menu.items.size(), 7u);
    EXPECT_EQ(menu.items[0].value, "1:15.250");
    EXPECT_EQ(menu.items[1].value, "-");
    EXPECT_EQ(menu.items[0].note, "");
    EXPECT_EQ(menu.items[1].note, "assisted 2:20.000") << "kept apart, and marked";
    EXPECT_TRUE(menu.items[2].enabled);
    EXPECT_FALSE(menu.items[3].enabled);
    EXPECT_EQ(menu.items[3].value, "");
    EXPECT_EQ(menu.selected, 1) << "the level to continue";
    MenuChoice choice = menu.handle(Move(1));
    choice = menu.handle(Confirm());
    EXPECT_EQ(choice.command, Command::PlayLevel);
    EXPECT_EQ(choice.level, 3);
    menu.handle(Move(1));
    EXPECT_EQ(menu.handle(Confirm()).command, Command::Back) << "levels not reached are passed over";

    Menu title = titleMenu(progress);
    EXPECT_TRUE(title.items[0].enabled);
    EXPECT_EQ(title.items[0].value, "level 2");
    EXPECT_EQ(title.selected, 0);
}

TEST(Menus, SettingsChangeInStepsWithinTheirRanges) {
    Settings settings;
    Menu menu = settingsMenu(settings);
    EXPECT_EQ(menu.items[0].value, "10 / 10");
    MenuChoice choice = menu.handle(Adjust(-1));
    EXPECT_EQ(choice.command, Command::Volume);
    EXPECT_TRUE(applySetting(settings, choice));
    EXPECT_EQ(settings.volume, 9);
    EXPECT_EQ(menu.handle(Confirm()).direction, 1) << "Enter on the volume turns it up";
    EXPECT_TRUE(applySetting(settings, menu.handle(Confirm())));
    EXPECT_EQ(settings.volume, 10);
    EXPECT_FALSE(applySetting(settings, {Command::Volume, 1, 0})) << "already at full";
    for (int i = 0; i < 20; ++i) applySetting(settings, {Command::Volume, -1, 0});
    EXPECT_EQ(settings.volume, 0);

    settings.muted = true;
    applySetting(settings, {Command::Volume, 1, 0});
    EXPECT_FALSE(settings.muted) << "turning the volume up unmutes";
    for (int i = 0; i < 30; ++i) applySetting(settings, {Command::PointerSpeed, 1, 0});
    EXPECT_EQ(settings.pointerSpeed, Settings::MaxPointerSpeed);
    for (int i = 0; i < 30; ++i) applySetting(settings, {Command::PointerSpeed, -1, 0});
    EXPECT_EQ(settings.pointerSpeed, Settings::MinPointerSpeed);

    for (int i = 0; i < 30; ++i) applySetting(settings, {Command::StickSpeed, 1, 0});
    EXPECT_EQ(settings.stickSpeed, Settings::MaxPointerSpeed) << "the stick's speed on the pointer's scale";

    for (int i = 0; i < 5; ++i) menu.handle(Move(1));
    choice = menu.handle(Confirm());
    EXPECT_EQ(choice.command, Command::GoalArrow);
    EXPECT_TRUE(applySetting(settings, choice));
    EXPECT_FALSE(settings.goalArrow);
    showSettings(menu, settings);
    EXPECT_EQ(menu.items[5].value, "off");
    EXPECT_EQ(menu.items[3].value, "25%");
    EXPECT_EQ(menu.items[4].value, "400%");
    EXPECT_EQ(menu.handle(Adjust(1)).command, Command::GoalArrow) << "left and right turn a switch too";
}

TEST(Menus, AssistsSlowTheGameInTensAndAddTimeInHalves) {
    Settings settings;
    Menu menu = settingsMenu(settings);
    menu.selected = 9;
    ASSERT_EQ(menu.handle(Confirm()).command, Command::Assist);
    EXPECT_EQ(menu.items[9].value, "off");
    Menu assist = assistMenu(settings);
    EXPECT_EQ(assist.items[0].value, "100%");
    EXPECT_EQ(assist.items[1].value, "+0%");
    EXPECT_FALSE(applySetting(settings, assist.handle(Adjust(1)))) << "already at full speed";
    for (int i = 0; i < 3; ++i) applySetting(settings, assist.handle(Adjust(-1)));
    EXPECT_EQ(settings.gameSpeed, 70);
    for (int i = 0; i < 10; ++i) applySetting(settings, {Command::GameSpeed, -1, 0});
    EXPECT_EQ(settings.gameSpeed, 50);
    assist.handle(Move(1));
    applySetting(settings, assist.handle(Confirm()));
    EXPECT_EQ(settings.moreTime, 50);
    for (int i = 0; i < 5; ++i) applySetting(settings, assist.handle(Adjust(1)));
    EXPECT_EQ(settings.moreTime, 100);
    showSettings(assist, settings);
    showSettings(menu, settings);
    EXPECT_EQ(assist.items[0].value, "50%");
    EXPECT_EQ(assist.items[1].value, "+100%");
    EXPECT_EQ(menu.items[9].value, "on");
    EXPECT_EQ(describeAssists(assistsOf(settings)), "Game speed 50%, more time +100%");
    EXPECT_EQ(describeAssists(kelp::Assists{100, 50}), "More time +50%");
    EXPECT_EQ(describeAssists(kelp::Assists{}), "");
}

TEST(Menus, TimesReadAsMinutesSecondsAndThousandths) {
    EXPECT_EQ(formatTime(0), "-");
    EXPECT_EQ(formatTime(5), "0:00.005");
    EXPECT_EQ(formatTime(179999), "2:59.999");
}

TEST(Hints, TheyNameTheButtonsOfThePadUsedLastOrTheKeys) {
    EXPECT_EQ(padButtonName(PadLayout::Xbox, PadButtons::A), "A");
    EXPECT_EQ(padButtonName(PadLayout::PlayStation, PadButtons::A), "Cross");
    EXPECT_EQ(padButtonName(PadLayout::PlayStation, PadButtons::B), "Circle");
    EXPECT_EQ(padButtonName(PadLayout::Nintendo, PadButtons::A), "A");
    EXPECT_EQ(padButtonName(PadLayout::Xbox, PadButtons::Start), "Menu");
    EXPECT_EQ(padButtonName(PadLayout::PlayStation, PadButtons::Start), "Options");
    EXPECT_EQ(padButtonName(PadLayout::Nintendo, PadButtons::Start), "+");
    EXPECT_EQ(padButtonName(PadLayout::Xbox, PadButtons::Back), "View");
    EXPECT_EQ(padButtonName(PadLayout::Nintendo, PadButtons::RightTrigger), "ZR");

    Hands keys, playStation{InputDevice::Pad, PadLayout::PlayStation};
    EXPECT_NE(menuHint(keys).find("Arrows and Enter"), std::string::npos);
    EXPECT_EQ(menuHint(playStation).find("Arrows"), std::string::npos);
    EXPECT_NE(menuHint(playStation).find("Cross: choose"), std::string::npos);
    EXPECT_NE(pauseHint(playStation).find("Options: resume"), std::string::npos);
    EXPECT_NE(pauseHint(playStation).find("Share: show me the way"), std::string::npos);
    EXPECT_NE(demoHint(playStation).find("any button"), std::string::npos);
    EXPECT_NE(unpluggedNote({InputDevice::Pad, PadLayout::Xbox}).find("press Menu"), std::string::npos);
}

TEST(Menus, APadsStartResumesThePauseAndItsBackShowsTheWay) {
    Menu menu = pauseMenu();
    MenuInput start;
    start.padShortcut = PadButtons::Start;
    EXPECT_EQ(menu.handle(start).command, Command::Resume);
    MenuInput back;
    back.padShortcut = PadButtons::Back;
    EXPECT_EQ(menu.handle(back).command, Command::ShowWay);
    MenuInput noKey;  // a pad's shortcut has no key: no key is not it
    EXPECT_EQ(menu.handle(noKey).command, Command::None);
}

// In every language: the hints fit the play area's width at 800 x 800, the
// footnote and the values their menu's panel (from x 110 to 690; values from
// 520, or 460 beside notes), and the lines under the time left and on the
// card the screen, all in the built-in font at the size they are drawn.
TEST(Languages, EveryLineFitsWhereItIsDrawn) {
    auto width = [](const std::string& text, float scale) { return float(TextWidthOf(text)) * scale; };
    std::vector<Hands> hands = {{}};
    for (PadLayout layout : {PadLayout::Xbox, PadLayout::PlayStation, PadLayout::Nintendo})
        hands.push_back({InputDevice::Pad, layout});
    for (const std::string& code : kelp_text::languageCodes()) {
        speak(code);
        ASSERT_EQ(spokenLanguage(), code);
        for (const Hands& hand : hands)
            for (const std::string& hint : {menuHint(hand), pauseHint(hand), demoHint(hand), unpluggedNote(hand)})
                EXPECT_LE(width(hint, 1.5f), 800) << code << ": " << hint;
        std::string way = tr("The way for the next five seconds, then play goes on");
        EXPECT_LE(width(way, 1.5f), 800) << code << ": " << way;
        Menu assist = assistMenu(Settings{});
        EXPECT_LE(width(assist.footnote, 1.5f), 580) << code << ": " << assist.footnote;
        std::string most = describeAssists({50, 100});
        EXPECT_LE(width(fill(tr("Assist: {}"), {most}), 2), 800) << code << ": " << most;
        EXPECT_LE(width(fill(tr("Time left {}"), {"10:00"}), 2), 800) << code;
        Settings settings;
        settings.language = code;
        for (const MenuItem& item : settingsMenu(settings).items)
            EXPECT_LE(520 + width(item.value, 2), 690) << code << ": " << item.value;
        Progress progress;
        progress.reached = 6;
        progress.bestMillis.fill(599999);
        progress.assistedBestMillis.fill(599999);
        for (const MenuItem& item : levelsMenu(progress).items) {
            EXPECT_LE(460 + width(item.value, 2), 690) << code << ": " << item.value;
            EXPECT_LE(460 + width(item.note, 1.5f), 690) << code << ": " << item.note;
        }
    }
    speak("en");
}

TEST(Languages, AnUnknownLanguageIsSpokenAsEnglish) {
    EXPECT_EQ(languageName("de"), "Deutsch") << "named in itself";
    EXPECT_EQ(languageName("en"), "English");
    EXPECT_EQ(languageName("xx"), "");
    speak("de");
    EXPECT_EQ(tr("New game"), "Neues Spiel");
    EXPECT_EQ(fill(tr("Time left {}"), {"2:05"}), "Restzeit 2:05");
    speak("xx");
    EXPECT_EQ(spokenLanguage(), "en");
    EXPECT_EQ(tr("New game"), "New game");
    EXPECT_EQ(fill("{} and {}", {"one"}), "one and ") << "a missing value leaves its place empty";
}
