#include "assets/catalog.h"

#include <algorithm>
#include <utility>

namespace kelp_text {

namespace {

constexpr size_t MaxCatalogBytes = 1 << 20;

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// A quoted C string's text, its escapes resolved; false when it is not one.
bool Unquote(std::string_view quoted, std::string& out) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        char c = quoted[i];
        if (c == '"') return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i + 1 >= quoted.size()) return false;
        switch (quoted[i]) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        default: return false;
        }
    }
    return true;
}

size_t Placeholders(std::string_view text) {
    size_t count = 0;
    for (size_t at = text.find("{}"); at != std::string_view::npos; at = text.find("{}", at + 2)) ++count;
    return count;
}

struct Entry {
    std::string id, text;
    bool unused = false;          // fuzzy, with a context, or plural: it stays in English
    std::string* open = nullptr;  // the string that continuation lines add to
};

}  // namespace

bool knownLanguage(std::string_view code) {
    for (const std::string& known : languageCodes())
        if (known == code) return true;
    return false;
}

std::string_view languageOfLocale(std::string_view locale) {
    std::string_view language = locale.substr(0, locale.find_first_of(".@"));
    std::string region;
    for (char c : language) region += c == '-' ? '_' : c;
    std::string base = region.substr(0, region.find('_'));
    auto spoken = [](const std::string& code) -> std::string_view {
        for (const std::string& known : languageCodes())
            if (known == code) return known;
        return {};
    };
    if (std::string_view found = spoken(region); !found.empty()) return found;
    if (std::string_view found = spoken(base); !found.empty()) return found;
    // Another country's variant reads better than English: Portuguese from
    // Portugal in Brazil's.
    for (const std::string& known : languageCodes())
        if (known.substr(0, known.find('_')) == base) return known;
    return "en";
}

bool Catalog::parse(std::string_view po, std::string& error) {
    if (po.size() > MaxCatalogBytes) {
        error = "a catalog larger than " + std::to_string(MaxCatalogBytes) + " bytes";
        return false;
    }
    Entry entry;
    bool nextUnused = false;
    auto finish = [&] {
        bool usable = !entry.id.empty() && !entry.text.empty() && !entry.unused &&
                      Placeholders(entry.id) == Placeholders(entry.text);
        if (usable) entries[entry.id] = entry.text;
        entry = Entry{};
    };
    int number = 0;
    for (size_t start = 0; start < po.size();) {
        size_t end = std::min(po.find('\n', start), po.size());
        std::string_view line = Trim(po.substr(start, end - start));
        start = end + 1;
        ++number;
        auto fail = [&](const char* what) {
            error = "line " + std::to_string(number) + ": " + what;
            finish();
            return false;
        };
        if (line.empty()) continue;
        if (line.front() == '#') {
            if (StartsWith(line, "#,") && line.find("fuzzy") != std::string_view::npos) nextUnused = true;
            continue;
        }
        if (StartsWith(line, "msgctxt ")) {
            if (entry.open) finish();
            nextUnused = true;
            continue;
        }
        if (StartsWith(line, "msgid ")) {
            if (entry.open) finish();
            entry.unused = std::exchange(nextUnused, false);
            entry.open = &entry.id;
            if (!Unquote(Trim(line.substr(6)), entry.id)) return fail("a msgid that is not a quoted string");
        } else if (StartsWith(line, "msgid_plural ") || StartsWith(line, "msgstr[")) {
            entry.unused = true;
            entry.open = &entry.text;  // what follows is not read, but ends the entry
            entry.text.clear();
        } else if (StartsWith(line, "msgstr ")) {
            if (entry.open != &entry.id) return fail("a msgstr without its msgid");
            entry.open = &entry.text;
            if (!Unquote(Trim(line.substr(7)), entry.text)) return fail("a msgstr that is not a quoted string");
        } else if (line.front() == '"') {
            std::string more;
            if (!Unquote(line, more)) return fail("a broken quoted string");
            if (!entry.open) return fail("a string outside an entry");
            *entry.open += more;
        } else {
            return fail("a line that is no part of a catalog");
        }
    }
    finish();
    return true;
}

const std::string& Catalog::translate(const std::string& english) const {
    auto found = entries.find(english);
    return found == entries.end() ? english : found->second;
}

}  // namespace kelp_text
