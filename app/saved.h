// What the game keeps between runs: the player's settings and progress, as
// "key = value" lines a person can read, each file replaced atomically.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kelp_app {

struct Settings {
    static constexpr int MaxVolume = 10;
    static constexpr int MinPointerSpeed = 25, MaxPointerSpeed = 400, PointerSpeedStep = 25;

    int volume = MaxVolume;   // 0 to MaxVolume, three decibels a step
    bool muted = false;
    bool fullScreen = false;
    int pointerSpeed = 100;   // percent
    int stickSpeed = 100;     // percent, on the same scale
    bool goalArrow = true;
    bool cardsWait = true;    // a story card stays until a key or a click passes it
    bool calmLights = false;  // steady bolts and glows, no strike flashes
    std::string language;     // one of kelp_text::languageCodes(); empty: the desktop's
    // Assists, from the next level built on.
    int gameSpeed = 100;      // percent of full speed: 50 to 100, in tens
    int moreTime = 0;         // percent more on the level's clock: 0, 50 or 100

    bool operator==(const Settings&) const = default;
};

struct Progress {
    static constexpr int Levels = 6;

    int reached = 1;  // the furthest level the player may start
    int resume = 1;   // where Continue starts: the level lost or left, or the next
    std::array<int, Levels> bestMillis{};  // the fastest win of each level; 0 for none
    std::array<int, Levels> assistedBestMillis{};  // the same, of wins with assists

    // A win of `level`, `millis` long (negative: no time, as for a skip),
    // with assists or without.
    void recordWin(int level, int millis, bool assisted = false);
    bool operator==(const Progress&) const = default;
};

// The gain of the master volume: 1 at full, 0 muted or at 0.
float masterVolume(const Settings& settings);

// The settings as text: every line of `kept` (a file as read before, its
// comments too) with the settings' values brought up to date, and any
// setting it lacks added at the end.
std::string formatSettings(const Settings& settings, const std::string& kept = {});
std::string formatProgress(const Progress& progress);
// False when the text is not a sound file of its kind: binary, cut short, a
// bad value, a key twice. Lines with keys of no setting are passed over,
// listed in `passedOver`; settings missing from the file keep their defaults,
// progress must be whole.
bool parseSettings(const std::string& text, Settings& settings, std::vector<std::string>* passedOver = nullptr);
bool parseProgress(const std::string& text, Progress& progress, std::vector<std::string>* passedOver = nullptr);

// Where the files live: $XDG_CONFIG_HOME/kelp-garden/settings.txt and
// $XDG_DATA_HOME/kelp-garden/progress.txt, under ~/.config and
// ~/.local/share by default; empty when there is no home to keep them in.
std::filesystem::path settingsPath();
std::filesystem::path progressPath();

// A file is read whole up to this size; a larger one is damaged.
constexpr std::uintmax_t MaxSavedFileBytes = 64 * 1024;

// Reads a saved file into `value`, removing the staged copies of saves that
// were killed. A missing file gives the defaults quietly; a damaged or
// unreadable one gives them with one warning line, and is moved aside to a
// free "*.bad" name, never overwritten. Each line passed over is warned of.
// loadSettings gives the text read, for formatSettings to keep.
std::string loadSettings(const std::filesystem::path& path, Settings& settings, const std::function<void(const std::string&)>& warn);
void loadProgress(const std::filesystem::path& path, Progress& progress, const std::function<void(const std::string&)>& warn);

// Writes `text` to a temporary file beside `path`, flushed to the disk; its
// name, or empty with `error` set. commitFile renames it over `path`.
std::filesystem::path stageFile(const std::filesystem::path& path, const std::string& text, std::string& error);
bool commitFile(const std::filesystem::path& staged, const std::filesystem::path& path, std::string& error);
// Whether `path` can be written: its folder made and a file staged beside it
// (then removed); false with `error` set, naming the system's reason.
bool checkWritable(const std::filesystem::path& path, std::string& error);
// Both, creating the folder first. False, with `error` set, when it failed;
// the old file is then whole.
bool writeFileAtomically(const std::filesystem::path& path, const std::string& text, std::string& error);

}  // namespace kelp_app
