// Settings and progress files. Every key is written each time and must be
// read back, so a truncated file is caught; keys of a later version are
// passed over.
#include "app/saved.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace kelp_app {

namespace fs = std::filesystem;

namespace {

using Lines = std::map<std::string, std::string>;

bool IsKeyChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "key = value" lines, comments after "#"; false on anything else.
bool SplitLines(const std::string& text, Lines& lines) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) return false;
        std::string key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        if (key.empty() || !std::all_of(key.begin(), key.end(), IsKeyChar)) return false;
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

bool ReadBool(const Lines& lines, const std::string& key, bool& out) {
    auto found = lines.find(key);
    if (found == lines.end() || (found->second != "yes" && found->second != "no")) return false;
    out = found->second == "yes";
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

template <typename T>
void Load(const fs::path& path, T& value, bool (*parse)(const std::string&, T&), const char* what,
          const std::function<void(const std::string&)>& warn) {
    value = T{};
    if (path.empty()) return;
    std::string text;
    ReadResult read = ReadWhole(path, text);
    if (read == ReadResult::Missing) return;
    T parsed;
    if (read == ReadResult::Read && parse(text, parsed)) {
        value = parsed;
        return;
    }
    fs::path aside = FreeBadName(path);
    std::error_code error;
    fs::rename(path, aside, error);
    std::string problem = read == ReadResult::Unreadable ? "cannot be read" : "is damaged";
    warn("Kelp Garden: the saved " + std::string(what) + " in " + path.string() + " " + problem +
         "; using the defaults" + (error ? "" : " (the old file is kept as " + aside.string() + ")"));
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

void Progress::recordWin(int level, int millis) {
    if (level < 1 || level > Levels) return;
    reached = std::max(reached, std::min(level + 1, Levels));
    resume = std::min(level + 1, Levels);
    int& best = bestMillis[size_t(level - 1)];
    if (millis > 0 && (best == 0 || millis < best)) best = std::min(millis, MaxBestMillis);
}

float masterVolume(const Settings& settings) {
    if (settings.muted || settings.volume <= 0) return 0;
    return std::pow(10.0f, -3.0f * float(Settings::MaxVolume - settings.volume) / 20);
}

std::string formatSettings(const Settings& s) {
    return "# Kelp Garden settings\n"
           "volume = " + std::to_string(s.volume) + "\n"
           "muted = " + Yes(s.muted) + "\n"
           "full-screen = " + Yes(s.fullScreen) + "\n"
           "pointer-speed = " + std::to_string(s.pointerSpeed) + "\n"
           "goal-arrow = " + Yes(s.goalArrow) + "\n";
}

std::string formatProgress(const Progress& p) {
    std::string text = "# Kelp Garden progress: best times in seconds\n"
                       "reached = " + std::to_string(p.reached) + "\n"
                       "resume = " + std::to_string(p.resume) + "\n";
    for (int level = 1; level <= Progress::Levels; ++level)
        text += "best-" + std::to_string(level) + " = " + Seconds(p.bestMillis[size_t(level - 1)]) + "\n";
    return text;
}

bool parseSettings(const std::string& text, Settings& s) {
    Lines lines;
    return SplitLines(text, lines) && ReadInt(lines, "volume", 0, Settings::MaxVolume, s.volume) &&
           ReadBool(lines, "muted", s.muted) && ReadBool(lines, "full-screen", s.fullScreen) &&
           ReadInt(lines, "pointer-speed", Settings::MinPointerSpeed, Settings::MaxPointerSpeed, s.pointerSpeed) &&
           ReadBool(lines, "goal-arrow", s.goalArrow);
}

bool parseProgress(const std::string& text, Progress& p) {
    Lines lines;
    if (!SplitLines(text, lines) || !ReadInt(lines, "reached", 1, Progress::Levels, p.reached) ||
        !ReadInt(lines, "resume", 1, p.reached, p.resume))
        return false;
    for (int level = 1; level <= Progress::Levels; ++level)
        if (!ReadBest(lines, "best-" + std::to_string(level), p.bestMillis[size_t(level - 1)])) return false;
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

void loadSettings(const fs::path& path, Settings& settings, const std::function<void(const std::string&)>& warn) {
    Load(path, settings, parseSettings, "settings", warn);
}

void loadProgress(const fs::path& path, Progress& progress, const std::function<void(const std::string&)>& warn) {
    Load(path, progress, parseProgress, "progress", warn);
}

fs::path stageFile(const fs::path& path, const std::string& text, std::string& error) {
    fs::path staged = path.string() + ".tmp-" + std::to_string(::getpid());
    int fd = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot create " + staged.string();
        return {};
    }
    bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    written &= ::close(fd) == 0;
    if (!written) {
        error = "cannot write " + staged.string();
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
    int folder = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool writeFileAtomically(const fs::path& path, const std::string& text, std::string& error) {
    std::error_code failure;
    fs::create_directories(path.parent_path(), failure);
    if (failure) {
        error = "cannot create " + path.parent_path().string() + ": " + failure.message();
        return false;
    }
    fs::path staged = stageFile(path, text, error);
    return !staged.empty() && commitFile(staged, path, error);
}

}  // namespace kelp_app
