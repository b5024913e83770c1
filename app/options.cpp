// The command line: GNU-style long options, each value either after "=" or
// as the next argument.
#include "app/options.h"

#include "assets/catalog.h"

#include <charconv>

namespace kelp_app {

namespace {

// The random generator's seeds are 31 bits, neither 0 nor all ones.
constexpr uint32_t MaxDeal = 2147483646;

struct Reader {
    const std::vector<std::string>& arguments;
    size_t next = 0;
    ParsedOptions result;

    bool fail(const std::string& message) {
        result.error = message;
        return false;
    }

    // The value of an option that takes one: "--name=value" or "--name value".
    bool value(const std::string& name, const std::optional<std::string>& attached, std::string& out) {
        if (attached) {
            out = *attached;
        } else if (next < arguments.size()) {
            out = arguments[next++];
        } else {
            return fail("option " + name + " needs a value");
        }
        if (out.empty()) return fail("option " + name + " needs a value");
        return true;
    }

    bool flag(const std::string& name, const std::optional<std::string>& attached, bool& out) {
        if (attached) return fail("option " + name + " takes no value");
        out = true;
        return true;
    }

    bool level(const std::string& name, const std::optional<std::string>& attached) {
        std::string text;
        if (!value(name, attached, text)) return false;
        int n = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (error != std::errc() || end != text.data() + text.size() || n < 1 || n > 6)
            return fail("--level wants a level from 1 to 6, not \"" + text + "\"");
        result.options.level = n;
        return true;
    }

    // Any seed the random generator takes as its own.
    bool deal(const std::string& name, const std::optional<std::string>& attached) {
        std::string text;
        if (!value(name, attached, text)) return false;
        uint32_t n = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (error != std::errc() || end != text.data() + text.size() || n < 1 || n > MaxDeal)
            return fail("--deal wants a number from 1 to " + std::to_string(MaxDeal) + ", not \"" + text + "\"");
        result.options.deal = n;
        return true;
    }

    bool language(const std::string& name, const std::optional<std::string>& attached) {
        std::string code;
        if (!value(name, attached, code)) return false;
        if (!kelp_text::knownLanguage(code)) {
            std::string known;
            for (const std::string& language : kelp_text::languageCodes())
                known += (known.empty() ? "" : ", ") + language;
            return fail("--language wants one of " + known + ", not \"" + code + "\"");
        }
        result.options.language = code;
        return true;
    }

    bool one(const std::string& argument) {
        if (argument == "-h") return flag("--help", std::nullopt, result.options.help);
        if (argument.rfind("--", 0) != 0 || argument.size() == 2)
            return fail("unexpected argument \"" + argument + "\"");
        size_t equals = argument.find('=');
        std::string name = argument.substr(0, equals);
        std::optional<std::string> attached;
        if (equals != std::string::npos) attached = argument.substr(equals + 1);
        Options& o = result.options;
        bool on = false;
        if (name == "--help") return flag(name, attached, o.help);
        if (name == "--version") return flag(name, attached, o.version);
        if (name == "--mute") return flag(name, attached, o.mute);
        if (name == "--headless") return flag(name, attached, o.headless);
        if (name == "--autopilot") return flag(name, attached, o.autopilot);
        if (name == "--level") return level(name, attached);
        if (name == "--deal") return deal(name, attached);
        if (name == "--record") return value(name, attached, o.record);
        if (name == "--replay") return value(name, attached, o.replay);
        if (name == "--language") return language(name, attached);
        if (name == "--fullscreen" || name == "--windowed") {
            if (!flag(name, attached, on)) return false;
            o.fullScreen = name == "--fullscreen";
            return true;
        }
        return fail("unknown option \"" + name + "\"");
    }
};

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string>& arguments) {
    Reader reader{arguments, 0, {}};
    while (reader.next < arguments.size())
        if (!reader.one(arguments[reader.next++])) return reader.result;
    const Options& o = reader.result.options;
    if (o.headless && o.replay.empty() && !o.autopilot)
        reader.fail("--headless needs --replay FILE or --autopilot");
    else if (o.headless && o.autopilot && o.level == 0) reader.fail("--autopilot --headless needs --level N");
    else if (o.deal && !(o.headless && o.autopilot)) reader.fail("--deal goes with --autopilot --headless");
    else if (o.autopilot && !o.replay.empty()) reader.fail("--autopilot and --replay cannot go together");
    else if (!o.record.empty() && !o.replay.empty()) reader.fail("--record and --replay cannot go together");
    return reader.result;
}

std::string usageText(const std::string& program) {
    return "Usage: " + program + " [OPTION]...\n"
           "Lead the fish home through the garden of lights.\n"
           "\n"
           "  --level N        start at level N (1 to 6), skipping the title\n"
           "  --fullscreen     play in full screen\n"
           "  --windowed       play in a window\n"
           "  --mute           play without sound\n"
           "  --language CODE  speak this language: en, or a catalog's (de, fr, ...)\n"
           "  --record FILE    record the game played into FILE\n"
           "  --replay FILE    play a recorded game back\n"
           "  --autopilot      let the autopilot play\n"
           "  --headless       with --replay: check it without a window or sound;\n"
           "                   with --autopilot --level N: play level N so, print the\n"
           "                   frames used and the time left, exit 0 if it was won\n"
           "  --deal K         with --autopilot --headless: build the level from seed K\n"
           "  --help, -h       show this help and exit\n"
           "  --version        show the version and exit\n"
           "\n"
           "In play: the mouse steers, the button calms the fish; Escape or P pauses,\n"
           "M mutes, - and + set the volume, F11 or Alt+Enter switches full screen.\n";
}

std::string versionText() { return "Kelp Garden " KELP_VERSION "\n"; }

}  // namespace kelp_app
