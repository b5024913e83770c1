// The language the game speaks: the player's choice in the settings or on the
// command line, else the desktop's. Its words come from the catalogs built
// into the game; its story cards and menu words are pictures of their own.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kelp_app {

// Speaks `code` (one of kelp_text::languageCodes()), or English for any other.
void speak(std::string_view code);
// The language's name in the language itself, from its catalog; empty for a
// code the game does not speak.
std::string languageName(std::string_view code);
std::string_view spokenLanguage();
// The language of the desktop's locale: LC_ALL, LC_MESSAGES or LANG, the
// first one set (in the browser, the browser's language).
std::string_view desktopLanguage();

// `english` in the language spoken.
std::string tr(const std::string& english);
// `pattern` with each "{}" in turn replaced by the next of `values`.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace kelp_app
