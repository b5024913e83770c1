#include "app/language.h"

#include "app/session.h"

#include "assets/assets.h"
#include "assets/catalog.h"
#include "game/game.h"

#include <cstdlib>
#include <map>

namespace kelp_app {

namespace {

struct Spoken {
    std::string code = "en";
    kelp_text::Catalog catalog;
};

Spoken& Current() {
    static auto& spoken = *new Spoken;
    return spoken;
}

// A catalog that does not read is told once and left out: English stands in.
kelp_text::Catalog CatalogOf(std::string_view code) {
    kelp_text::Catalog catalog;
    std::string name = "po\\" + std::string(code) + ".po";
    static const bool registered = (RegisterCatalogs(), true);
    (void)registered;
    const uint8_t* data = EmbeddedFileData(name);
    if (!data) return catalog;
    std::string error;
    if (!catalog.parse({reinterpret_cast<const char*>(data), size_t(EmbeddedFileSize(name))}, error))
        Warn("Kelp Garden: the " + std::string(code) + " catalog is damaged (" + error + "); the rest is in English");
    return catalog;
}

}  // namespace

std::string languageName(std::string_view code) {
    if (!kelp_text::knownLanguage(code)) return {};
    // TRANSLATORS: the name of your language, in your language ("Deutsch").
    static const std::string english = N_("English");
    static auto& names = *new std::map<std::string, std::string, std::less<>>;
    auto found = names.find(code);
    if (found == names.end()) found = names.emplace(code, code == "en" ? english : CatalogOf(code).translate(english)).first;
    return found->second;
}

void speak(std::string_view code) {
    std::string_view known = kelp_text::knownLanguage(code) ? code : "en";
    Spoken& spoken = Current();
    if (spoken.code == known && (known == "en" || spoken.catalog.size() > 0)) return;
    spoken.code = std::string(known);
    spoken.catalog = known == "en" ? kelp_text::Catalog{} : CatalogOf(known);
    kelp::setCardLanguage(spoken.code);
}

std::string_view spokenLanguage() { return Current().code; }

std::string_view desktopLanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return kelp_text::languageOfLocale(value);
    }
    return "en";
}

std::string tr(const std::string& english) { return Current().catalog.translate(english); }

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    auto value = values.begin();
    for (size_t at = 0; at < pattern.size();) {
        size_t hole = pattern.find("{}", at);
        text += pattern.substr(at, hole - at);
        if (hole == std::string_view::npos) break;
        if (value != values.end()) text += *value++;
        at = hole + 2;
    }
    return text;
}

}  // namespace kelp_app
