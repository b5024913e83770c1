// Settings and progress files. Every key is written each time; progress must
// be read back whole, so a truncated file is caught. Keys of a later version,
// or mistyped by hand, are passed over.
#include "app/saved.h"

#include "assets/catalog.h"

#include "game/game.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <limits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <span>
#include <sstream>
#include <string_view>
#include <vector>

namespace kelp_app {

namespace fs = std::filesystem;

namespace {

using Lines = std::map<std::string, std::string>;

constexpr std::string_view SettingsKeys[] = {"volume",     "muted",      "full-screen", "pointer-speed",
                                             "goal-arrow", "cards-wait", "calm-lights", "game-speed", "more-time", "stick-speed",
                                             "language"};
constexpr std::string_view ProgressKeys[] = {
    "reached",         "resume",          "best-1",          "best-2",          "best-3",          "best-4",
    "best-5",          "best-6",          "best-assisted-1", "best-assisted-2", "best-assisted-3", "best-assisted-4",
    "best-assisted-5", "best-assisted-6"};

bool IsKnown(const std::string& key, std::span<const std::string_view> known) {
    return std::find(known.begin(), known.end(), key) != known.end();
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Control characters have no place in a text file: it is binary, or damaged.
bool IsText(const std::string& text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') || c == 0x7f;
    });
}

// "key = value" lines, comments after "#"; false on anything else. A key not
// in `known` (another version's, or mistyped) is passed over, and its line
// listed in `passedOver`; a known key given twice is damage.
bool SplitLines(const std::string& text, std::span<const std::string_view> known, Lines& lines,
                std::vector<std::string>* passedOver) {
    if (!IsText(text)) return false;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) return false;
        std::string key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        if (key.empty()) return false;
        if (!IsKnown(key, known)) {
            if (passedOver) passedOver->push_back("line " + std::to_string(number) + " (" + line + ")");
            continue;
        }
        if (!lines.emplace(key, value).second) return false;
    }
    return true;
}

// The whole text as a decimal integer in [low, high].
bool ParseInt(const std::string& text, int low, int high, int& out) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    out = value;
    return true;
}

bool ReadInt(const Lines& lines, const std::string& key, int low, int high, int& out) {
    auto found = lines.find(key);
    return found != lines.end() && ParseInt(found->second, low, high, out);
}

// A whole number of `step`s in [low, high].
bool ReadStepped(const Lines& lines, const std::string& key, int low, int high, int step, int& out) {
    int value = 0;
    if (!ReadInt(lines, key, low, high, value) || (value - low) % step != 0) return false;
    out = value;
    return true;
}

bool ReadBool(const Lines& lines, const std::string& key, bool& out) {
    auto found = lines.find(key);
    if (found == lines.end() || (found->second != "yes" && found->second != "no")) return false;
    out = found->second == "yes";
    return true;
}

// "desktop" for the desktop's language, or a language's code.
constexpr std::string_view DesktopLanguage = "desktop";

bool ReadLanguage(const Lines& lines, const std::string& key, std::string& out) {
    auto found = lines.find(key);
    if (found == lines.end()) return false;
    if (found->second == DesktopLanguage) out.clear();
    else if (kelp_text::knownLanguage(found->second)) out = found->second;
    else return false;
    return true;
}

constexpr int MaxBestMillis = 60 * 60 * 1000;

// "none", or seconds with up to three decimals.
bool ReadBest(const Lines& lines, const std::string& key, int& millis) {
    auto found = lines.find(key);
    if (found == lines.end()) return false;
    const std::string& text = found->second;
    if (text == "none") {
        millis = 0;
        return true;
    }
    size_t dot = text.find('.');
    std::string whole = text.substr(0, dot), fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (whole.empty() || fraction.size() > 3 || (dot != std::string::npos && fraction.empty())) return false;
    fraction.resize(3, '0');
    int seconds = 0, thousandths = 0;
    if (!ParseInt(whole, 0, MaxBestMillis / 1000, seconds) || !ParseInt(fraction, 0, 999, thousandths))
        return false;
    millis = seconds * 1000 + thousandths;
    return millis > 0 && millis <= MaxBestMillis;
}

std::string Yes(bool value) { return value ? "yes" : "no"; }

std::string Seconds(int millis) {
    if (millis <= 0) return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%d.%03d", millis / 1000, millis % 1000);
    return text;
}

fs::path FromEnvironment(const char* variable, const char* fallbackUnderHome) {
    const char* set = std::getenv(variable);
    // Relative paths are invalid in these variables and are ignored.
    if (set && *set == '/') return fs::path(set) / "kelp-garden";
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') return {};
    return fs::path(home) / fallbackUnderHome / "kelp-garden";
}

enum class ReadResult { Missing, Read, TooLarge, Unreadable };

ReadResult ReadWhole(const fs::path& path, std::string& text) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return ReadResult::Missing;
    if (status.type() != fs::file_type::regular) return ReadResult::Unreadable;
    std::uintmax_t size = fs::file_size(path, error);
    if (error) return ReadResult::Unreadable;
    if (size > MaxSavedFileBytes) return ReadResult::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadResult::Unreadable;
    text.assign(size_t(size), '\0');
    in.read(text.data(), std::streamsize(size));
    if (in.gcount() != std::streamsize(size)) return ReadResult::Unreadable;
    return ReadResult::Read;
}

// The first free name of "<path>.bad", "<path>.bad.2", ...
fs::path FreeBadName(const fs::path& path) {
    std::error_code error;
    fs::path candidate = path.string() + ".bad";
    for (int n = 2; fs::symlink_status(candidate, error).type() != fs::file_type::not_found && n < 10000; ++n)
        candidate = path.string() + ".bad." + std::to_string(n);
    return candidate;
}

// A save killed before its rename leaves its staged copy behind; those of
// processes that are gone are removed. A running game's own are left alone.
void RemoveStaleStagedFiles(const fs::path& path) {
    std::string prefix = path.filename().string() + ".tmp-";
    std::error_code error;
    fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        int pid = 0;
        if (!ParseInt(name.substr(prefix.size()), 1, std::numeric_limits<int>::max(), pid)) continue;
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) fs::remove(entry.path(), error);
    }
}

template <typename T>
using Parser = bool (*)(const std::string&, T&, std::vector<std::string>*);

template <typename T>
std::string Load(const fs::path& path, T& value, Parser<T> parse, const char* what,
                 const std::function<void(const std::string&)>& warn) {
    value = T{};
    if (path.empty()) return {};
    RemoveStaleStagedFiles(path);
    std::string text;
    ReadResult read = ReadWhole(path, text);
    if (read == ReadResult::Missing) return {};
    T parsed;
    std::vector<std::string> passedOver;
    if (read == ReadResult::Read && parse(text, parsed, &passedOver)) {
        for (const std::string& line : passedOver)
            warn("Kelp Garden: " + path.string() + ": " + line + " names nothing the game keeps; passed over");
        value = parsed;
        return text;
    }
    fs::path aside = FreeBadName(path);
    std::error_code error;
    fs::rename(path, aside, error);
    std::string problem = read == ReadResult::Unreadable ? "cannot be read" : "is damaged";
    warn("Kelp Garden: the saved " + std::string(what) + " in " + path.string() + " " + problem +
         "; using the defaults" + (error ? "" : " (the old file is kept as " + aside.string() + ")"));
    return {};
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

}  // namespace

void Progress::recordWin(int level, int millis, bool assisted) {
    if (level < 1 || level > Levels) return;
    reached = std::max(reached, std::min(level + 1, Levels));
    resume = std::min(level + 1, Levels);
    int& best = (assisted ? assistedBestMillis : bestMillis)[size_t(level - 1)];
    if (millis > 0 && (best == 0 || millis < best)) best = std::min(millis, MaxBestMillis);
}

float masterVolume(const Settings& settings) {
    if (settings.muted || settings.volume <= 0) return 0;
    return std::pow(10.0f, -3.0f * float(Settings::MaxVolume - settings.volume) / 20);
}

std::string formatSettings(const Settings& s, const std::string& kept) {
    const std::pair<std::string_view, std::string> values[] = {
        {"volume", std::to_string(s.volume)},
        {"muted", Yes(s.muted)},
        {"full-screen", Yes(s.fullScreen)},
        {"pointer-speed", std::to_string(s.pointerSpeed)},
        {"stick-speed", std::to_string(s.stickSpeed)},
        {"goal-arrow", Yes(s.goalArrow)},
        {"cards-wait", Yes(s.cardsWait)},
        {"calm-lights", Yes(s.calmLights)},
        {"language", s.language.empty() ? std::string(DesktopLanguage) : s.language},
        {"game-speed", std::to_string(s.gameSpeed)},
        {"more-time", std::to_string(s.moreTime)},
    };
    auto line = [](std::string_view key, const std::string& value) { return std::string(key) + " = " + value + "\n"; };
    std::string text = kept.empty() ? "# Kelp Garden settings\n" : "";
    std::vector<bool> written(std::size(values));
    std::istringstream in(kept);
    for (std::string old; std::getline(in, old);) {
        size_t equals = old.find('=');
        std::string key = equals == std::string::npos || Trim(old)[0] == '#' ? "" : Trim(old.substr(0, equals));
        auto known = std::find_if(std::begin(values), std::end(values), [&](const auto& v) { return v.first == key; });
        size_t index = size_t(known - std::begin(values));
        if (known == std::end(values) || written[index]) {
            text += old + "\n";
            continue;
        }
        text += line(key, known->second);
        written[index] = true;
    }
    for (size_t i = 0; i < std::size(values); ++i)
        if (!written[i]) text += line(values[i].first, values[i].second);
    return text;
}

std::string formatProgress(const Progress& p) {
    std::string text = "# Kelp Garden progress: best times in seconds\n"
                       "reached = " + std::to_string(p.reached) + "\n"
                       "resume = " + std::to_string(p.resume) + "\n";
    for (int level = 1; level <= Progress::Levels; ++level)
        text += "best-" + std::to_string(level) + " = " + Seconds(p.bestMillis[size_t(level - 1)]) + "\n";
    for (int level = 1; level <= Progress::Levels; ++level)
        text += "best-assisted-" + std::to_string(level) + " = " + Seconds(p.assistedBestMillis[size_t(level - 1)]) + "\n";
    return text;
}

// Keys missing from a settings file keep their defaults: a person may write
// only the one they want. Progress is written whole, and read back whole.
bool parseSettings(const std::string& text, Settings& s, std::vector<std::string>* passedOver) {
    Lines lines;
    if (!SplitLines(text, SettingsKeys, lines, passedOver) || lines.empty()) return false;
    auto absentOr = [&](const char* key, bool read) { return !lines.count(key) || read; };
    return absentOr("volume", ReadInt(lines, "volume", 0, Settings::MaxVolume, s.volume)) &&
           absentOr("muted", ReadBool(lines, "muted", s.muted)) &&
           absentOr("full-screen", ReadBool(lines, "full-screen", s.fullScreen)) &&
           absentOr("pointer-speed", ReadInt(lines, "pointer-speed", Settings::MinPointerSpeed,
                                             Settings::MaxPointerSpeed, s.pointerSpeed)) &&
           absentOr("stick-speed", ReadStepped(lines, "stick-speed", Settings::MinPointerSpeed,
                                                Settings::MaxPointerSpeed, Settings::PointerSpeedStep, s.stickSpeed)) &&
           absentOr("goal-arrow", ReadBool(lines, "goal-arrow", s.goalArrow)) &&
           absentOr("cards-wait", ReadBool(lines, "cards-wait", s.cardsWait)) &&
           absentOr("calm-lights", ReadBool(lines, "calm-lights", s.calmLights)) &&
           absentOr("language", ReadLanguage(lines, "language", s.language)) &&
           absentOr("game-speed", ReadStepped(lines, "game-speed", kelp::Assists::SlowestPercent, 100,
                                                       kelp::Assists::SpeedStep, s.gameSpeed)) &&
           absentOr("more-time", ReadStepped(lines, "more-time", 0, kelp::Assists::MostTimePercent,
                                                      kelp::Assists::TimeStep, s.moreTime));
}

bool parseProgress(const std::string& text, Progress& p, std::vector<std::string>* passedOver) {
    Lines lines;
    if (!SplitLines(text, ProgressKeys, lines, passedOver) || !ReadInt(lines, "reached", 1, Progress::Levels, p.reached) ||
        !ReadInt(lines, "resume", 1, p.reached, p.resume))
        return false;
    for (int level = 1; level <= Progress::Levels; ++level) {
        if (!ReadBest(lines, "best-" + std::to_string(level), p.bestMillis[size_t(level - 1)])) return false;
        // Assisted times came later: a file from before has none.
        std::string assisted = "best-assisted-" + std::to_string(level);
        if (lines.count(assisted) && !ReadBest(lines, assisted, p.assistedBestMillis[size_t(level - 1)])) return false;
    }
    return true;
}

fs::path settingsPath() {
    fs::path folder = FromEnvironment("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? folder : folder / "settings.txt";
}

fs::path progressPath() {
    fs::path folder = FromEnvironment("XDG_DATA_HOME", ".local/share");
    return folder.empty() ? folder : folder / "progress.txt";
}

std::string loadSettings(const fs::path& path, Settings& settings, const std::function<void(const std::string&)>& warn) {
    return Load(path, settings, parseSettings, "settings", warn);
}

void loadProgress(const fs::path& path, Progress& progress, const std::function<void(const std::string&)>& warn) {
    Load(path, progress, parseProgress, "progress", warn);
}

fs::path stageFile(const fs::path& path, const std::string& text, std::string& error) {
    fs::path staged = path.string() + ".tmp-" + std::to_string(::getpid());
    int fd = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot create " + staged.string() + ": " + std::strerror(errno);
        return {};
    }
    bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    int failure = errno;
    written &= ::close(fd) == 0;
    if (!written) {
        error = "cannot write " + staged.string() + ": " + std::strerror(written ? errno : failure);
        std::error_code ignored;
        fs::remove(staged, ignored);
        return {};
    }
    return staged;
}

bool commitFile(const fs::path& staged, const fs::path& path, std::string& error) {
    std::error_code failure;
    fs::rename(staged, path, failure);
    if (failure) {
        error = "cannot replace " + path.string() + ": " + failure.message();
        fs::remove(staged, failure);
        return false;
    }
    // The rename itself reaches the disk with the folder.
    fs::path parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    int folder = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

namespace {

bool MakeFolderOf(const fs::path& path, std::string& error) {
    std::error_code failure;
    if (!path.parent_path().empty()) fs::create_directories(path.parent_path(), failure);
    if (failure) error = "cannot create " + path.parent_path().string() + ": " + failure.message();
    return !failure;
}

}  // namespace

bool checkWritable(const fs::path& path, std::string& error) {
    if (!MakeFolderOf(path, error)) return false;
    std::error_code failure;
    if (fs::is_directory(path, failure)) {
        error = path.string() + " is a folder";
        return false;
    }
    fs::path staged = stageFile(path, "", error);
    if (staged.empty()) return false;
    fs::remove(staged, failure);
    return true;
}

bool writeFileAtomically(const fs::path& path, const std::string& text, std::string& error) {
    if (!MakeFolderOf(path, error)) return false;
    fs::path staged = stageFile(path, text, error);
    return !staged.empty() && commitFile(staged, path, error);
}

}  // namespace kelp_app
