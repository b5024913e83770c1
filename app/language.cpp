#include "app/language.h"

#include "app/drawing.h"
#include "app/session.h"

#include "assets/assets.h"
#include "assets/catalog.h"
#include "game/game.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include <cctype>
#endif

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

#ifdef __EMSCRIPTEN__
// On the page a language's story cards and menu words are files beside it,
// fetched the first time the language is spoken, so a first visit loads one
// language's pictures instead of all of them. English stands in until they
// come, and for good if they cannot.
struct Fetched {
    std::string code, name;
};

std::map<std::string, std::vector<uint8_t>>& Arrived() {
    static auto& arrived = *new std::map<std::string, std::vector<uint8_t>>;
    return arrived;
}

void PictureArrived(void* argument, void* data, int size) {
    std::unique_ptr<Fetched> fetched(static_cast<Fetched*>(argument));
    std::string name = "gfx\\" + fetched->code + "\\" + fetched->name;
    std::vector<uint8_t>& kept = Arrived()[name];
    kept.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    RegisterEmbeddedFile(name, kept.data(), size);
    if (Current().code != fetched->code) return;
    kelp::setCardLanguage(fetched->code);
    forgetMenuPictures();
}

void PictureMissing(void* argument) {
    std::unique_ptr<Fetched> fetched(static_cast<Fetched*>(argument));
    Warn("Kelp Garden: could not fetch " + fetched->code + "/" + fetched->name + "; it stays in English");
}

// Folders on a web host are best lower case: pt_BR's are in lang/pt_br/.
void FetchPictures(const std::string& code) {
    static auto& asked = *new std::map<std::string, bool>;
    if (code == "en" || std::exchange(asked[code], true)) return;
    std::string folder = "lang/";
    for (char c : code) folder += char(std::tolower(static_cast<unsigned char>(c)));
    std::vector<std::string> names = {"labels.png"};
    for (int card = 1; card <= 8; ++card) names.push_back("level" + std::to_string(card) + ".jpg");
    for (const std::string& name : names)
        emscripten_async_wget_data((folder + "/" + name).c_str(), new Fetched{code, name}, PictureArrived, PictureMissing);
}
#else
void FetchPictures(const std::string&) {}
#endif

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
    FetchPictures(spoken.code);
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
