// The game's words in the player's language, from translators' own gettext
// catalogs (po/<code>.po). English is the source: a string a catalog lacks,
// leaves empty, marks fuzzy or breaks stays in English.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Marks an English string for the catalogs' template without translating it
// where it stands: xgettext --keyword=N_ finds it.
#define N_(text) text

namespace kelp_text {

// The languages the game speaks: "en", then one for each catalog in po/,
// named after it ("de" for po/de.po).
const std::vector<std::string>& languageCodes();
bool knownLanguage(std::string_view code);
// The language of a locale such as "de_DE.UTF-8" or a browser's "pt-BR" that
// the game speaks; English for one it lacks, and for "C" and "POSIX".
std::string_view languageOfLocale(std::string_view locale);

class Catalog {
public:
    // Reads a .po file's entries. False, with `error` naming the line, when
    // the text is not one; the entries read before the fault are kept.
    bool parse(std::string_view po, std::string& error);
    // The translation of `english`, or `english` itself.
    const std::string& translate(const std::string& english) const;
    // Whether it has a usable translation of `english`, perhaps the same words.
    bool has(const std::string& english) const { return entries.count(english) != 0; }
    size_t size() const { return entries.size(); }

private:
    std::unordered_map<std::string, std::string> entries;
};

}  // namespace kelp_text
