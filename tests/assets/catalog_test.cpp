// The catalogs: how a .po file is read, which entries are used, and the
// game's own catalogs and pictures for each language.
#include "assets/assets.h"
#include "assets/catalog.h"
#include "assets/labels.h"
#include "assets/stories.h"
#include "image/image.h"
#include "render/render.h"
#include "system/system.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace kelp_text;

namespace {

Catalog Read(const std::string& po) {
    Catalog catalog;
    std::string error;
    EXPECT_TRUE(catalog.parse(po, error)) << error;
    return catalog;
}

TEST(Catalog, TranslatesWhatItHasAndLeavesTheRestInEnglish) {
    Catalog catalog = Read(
        "# a comment\n"
        "msgid \"\"\nmsgstr \"Language: de\\n\"\n\n"
        "msgid \"New game\"\nmsgstr \"Neues Spiel\"\n\n"
        "msgid \"\"\n\"Two\\n\"\n\"lines\"\nmsgstr \"\"\n\"Zwei\\n\"\n\"Zeilen\"\n\n"
        "msgid \"Quote \\\"me\\\"\"\nmsgstr \"Zitat \\\"mich\\\"\"\n");
    EXPECT_EQ(catalog.translate("New game"), "Neues Spiel");
    EXPECT_EQ(catalog.translate("Two\nlines"), "Zwei\nZeilen");
    EXPECT_EQ(catalog.translate("Quote \"me\""), "Zitat \"mich\"");
    EXPECT_EQ(catalog.translate("Settings"), "Settings") << "missing: English";
    EXPECT_EQ(catalog.translate(""), "") << "the header is no translation";
    EXPECT_EQ(catalog.size(), 3u);
}

TEST(Catalog, LeavesOutEmptyFuzzyPluralAndMismatchedEntries) {
    Catalog catalog = Read(
        "msgid \"Back\"\nmsgstr \"\"\n\n"
        "#, fuzzy\nmsgid \"Quit\"\nmsgstr \"Beenden\"\n\n"
        "msgctxt \"menu\"\nmsgid \"Mute\"\nmsgstr \"Stumm\"\n\n"
        "msgid \"{} fish\"\nmsgid_plural \"{} fishes\"\nmsgstr[0] \"{} Fisch\"\nmsgstr[1] \"{} Fische\"\n\n"
        "msgid \"Time left {}\"\nmsgstr \"Restzeit\"\n\n"
        "msgid \"level {}\"\nmsgstr \"Level {} {}\"\n\n"
        "msgid \"Volume\"\nmsgstr \"Lautst\xc3\xa4rke\"\n");
    for (const char* english : {"Back", "Quit", "Mute", "{} fish", "Time left {}", "level {}"})
        EXPECT_EQ(catalog.translate(english), english);
    EXPECT_EQ(catalog.translate("Volume"), "Lautst\xc3\xa4rke");
}

TEST(Catalog, ABrokenCatalogSaysWhereAndKeepsWhatCameBefore) {
    const std::pair<const char*, const char*> broken[] = {
        {"msgid \"Back\"\nmsgstr \"Zur\xc3\xbc" "ck\"\nmsgid \"Quit\nmsgstr \"x\"\n", "line 3"},
        {"msgid \"Back\"\nmsgstr \"Zur\xc3\xbc" "ck\"\nmsgstr \"again\"\n", "line 3"},
        {"msgid \"Back\"\nmsgstr \"Zur\xc3\xbc" "ck\"\nsomething else\n", "line 3"},
        {"msgid \"Back\"\nmsgstr \"Zur\xc3\xbc" "ck\"\nmsgid \"a \\q\"\n", "line 3"},
    };
    for (const auto& [text, where] : broken) {
        Catalog catalog;
        std::string error;
        EXPECT_FALSE(catalog.parse(text, error)) << text;
        EXPECT_NE(error.find(where), std::string::npos) << error;
        EXPECT_EQ(catalog.translate("Back"), "Zur\xc3\xbc" "ck") << "kept";
    }
    Catalog huge;
    std::string error;
    EXPECT_FALSE(huge.parse(std::string(2 << 20, '#'), error));
}

TEST(Languages, TheLocaleChoosesOneTheGameSpeaksOrEnglish) {
    EXPECT_EQ(languageOfLocale("de_DE.UTF-8"), "de");
    EXPECT_EQ(languageOfLocale("fr_CA"), "fr");
    EXPECT_EQ(languageOfLocale("es_ES@euro"), "es");
    EXPECT_EQ(languageOfLocale("pt_BR.UTF-8"), "pt_BR");
    EXPECT_EQ(languageOfLocale("pt-BR"), "pt_BR") << "as a browser names it";
    EXPECT_EQ(languageOfLocale("pt_PT.UTF-8"), "pt_BR") << "the nearest we have";
    EXPECT_EQ(languageOfLocale("pl"), "pl");
    EXPECT_EQ(languageOfLocale("ja_JP.UTF-8"), "en") << "one we lack";
    EXPECT_EQ(languageOfLocale("C"), "en");
    EXPECT_EQ(languageOfLocale(""), "en");
    EXPECT_TRUE(knownLanguage("pl"));
    EXPECT_FALSE(knownLanguage("xx"));
    EXPECT_EQ(languageCodes().front(), "en") << "English first, then one a catalog";
}

// ---- The game's own catalogs and pictures ---------------------------------------

std::string CatalogText(const std::string& code) {
    std::ifstream file(std::string(CATALOGS_DIR) + "/" + std::string(code) + ".po");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(GameCatalogs, EachTranslatesEveryMenuWordAndCard) {
    EXPECT_GE(languageCodes().size(), 7u);
    for (const std::string& code : languageCodes()) {
        if (code == "en") continue;
        Catalog catalog = Read(CatalogText(code));
        EXPECT_TRUE(catalog.has("English")) << code << ": its own name";
        for (std::string_view label : kelp_labels::Texts)
            EXPECT_TRUE(catalog.has(std::string(label))) << code << ": " << label;
        for (std::string_view card : kelp_stories::Cards) {
            std::string english(card);
            EXPECT_TRUE(catalog.has(english)) << code << ": " << english;
            EXPECT_NE(catalog.translate(english), english) << code << ": a story told in English";
        }
    }
}

// The built-in font draws the values, hints and messages: it has every
// letter any catalog uses. (The generator refuses a letter the hand lacks.)
TEST(GameCatalogs, TheBuiltInFontHasEveryLetterTheyUse) {
    FontRef font = CreateBuiltInFont();
    for (const std::string& code : languageCodes()) {
        if (code == "en") continue;
        std::string text = CatalogText(code);
        ASSERT_FALSE(text.empty()) << code;
        for (std::string_view rest = text; !rest.empty();) {
            auto letter = int32_t(TakeCodePoint(rest));
            if (letter >= 0x80) {
                EXPECT_GE(font->CharToGlyph(letter), 0) << code << ": U+" << std::hex << letter;
            }
        }
    }
}

// Where a picture has ink: the bounding box of its pixels brighter than dark grey.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Ink InkOf(const TPixmap& picture, int x0, int y0, int width, int height, bool alpha) {
    Ink ink;
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x) {
            uint32_t argb = picture.ReadPixelArgb(x, y);
            bool inked = alpha ? (argb >> 24) > 32 : ((argb >> 16 & 255) + (argb >> 8 & 255) + (argb & 255)) > 96;
            if (!inked) continue;
            ink.left = std::min(ink.left, x - x0), ink.right = std::max(ink.right, x - x0);
            ink.top = std::min(ink.top, y - y0), ink.bottom = std::max(ink.bottom, y - y0);
        }
    return ink;
}

TEST(GameCatalogs, EveryLanguagesCardsAndMenuWordsFitTheirPlaces) {
    RegisterGamePictures();
    using namespace kelp_stories;
    constexpr int Slack = 6;  // the hand's strokes reach a little past its advance
    for (const std::string& code : languageCodes()) {
        std::string folder = code == "en" ? "gfx\\" : "gfx\\" + code + "\\";
        for (int card = 1; card <= 8; ++card) {
            PixmapRef picture = LoadPixelMap("incbin::" + folder + "level" + std::to_string(card) + ".jpg");
            ASSERT_NE(picture, nullptr) << code << " card " << card;
            Ink ink = InkOf(*picture, 0, 0, CardWidth, CardHeight, false);
            EXPECT_GE(ink.left, CardMargin - Slack) << code << " card " << card;
            EXPECT_LE(ink.right, CardWidth - CardMargin + Slack) << code << " card " << card;
            EXPECT_GE(ink.top, CardMargin - Slack) << code << " card " << card;
            EXPECT_LE(ink.bottom, CardHeight - CardMargin + Slack) << code << " card " << card;
        }
        PixmapRef labels = LoadPixelMap("incbin::" + folder + "labels.png");
        ASSERT_NE(labels, nullptr) << code;
        using namespace kelp_labels;
        for (int cell = 0; cell < int(Texts.size()); ++cell) {
            Ink ink = InkOf(*labels, 0, cell * CellHeight, CellWidth, CellHeight, true);
            EXPECT_LE(ink.right - ink.left, WidestLabel + Slack) << code << ": " << Texts[size_t(cell)];
        }
    }
}

}  // namespace
