// The game as a child process, and what the tests see and do on the X server.
#pragma once

#include "image/image.h"

#include <optional>
#include <string>
#include <vector>

// A folder for a game's saved settings and progress, removed afterwards.
class SavedHome {
public:
    SavedHome();
    ~SavedHome();
    std::string settingsFile() const { return path + "/config/kelp-garden/settings.txt"; }
    std::string progressFile() const { return path + "/data/kelp-garden/progress.txt"; }
    std::vector<std::string> Environment() const;

    std::string path;
};

// Starts at the first level's card unless told otherwise.
const std::vector<std::string> LevelOne = {"--level", "1"};

class GameProcess {
public:
    // Extra "NAME=value" settings; "-NAME" removes a variable. Without a
    // home of its own the game keeps its files in a private one.
    explicit GameProcess(const std::vector<std::string>& arguments = LevelOne,
                         const std::vector<std::string>& environment = {});
    ~GameProcess();
    // The exit status once the game has ended, or nothing after `seconds`.
    std::optional<int> WaitForExit(double seconds);
    void Signal(int signal);
    // Whether the game has taken `signal` into its own hands, waiting up to `seconds`.
    bool WaitUntilCatching(int signal, double seconds);
    std::string ErrorOutput() const;
    std::string Output() const;

private:
    SavedHome privateHome;
    int pid = -1;
    std::string errorPath, outputPath;
    std::optional<int> status;
};

// An X server of the test's own on a free display, named in DISPLAY for the
// test and the games it starts until it ends: games under test never meet,
// so tests may run side by side.
class PrivateXServer {
public:
    PrivateXServer(int width, int height);
    ~PrivateXServer();
    bool Started() const { return !display.empty(); }
    // Ends the server at once, as a crash or a pulled cable would.
    void Kill();

    std::string display;  // ":N", empty if the server did not start

private:
    void Stop(int signal);

    int pid = -1;
    std::optional<std::string> displayBefore;
};

class X11Session {
public:
    X11Session();
    ~X11Session();
    bool Connected() const { return display != nullptr; }
    // The top-level window with this title, waiting up to `seconds`.
    unsigned long FindWindow(const std::string& title, double seconds);
    std::string Title(unsigned long window);
    void Size(unsigned long window, int& width, int& height);
    PixmapRef Screenshot(unsigned long window);
    // Width and height of the icon the window offers the desktop (0, 0 if none).
    void IconSize(unsigned long window, long& width, long& height);
    void RequestClose(unsigned long window);
    // Real key presses and pointer moves through xdotool.
    void PressKey(unsigned long window, const std::string& key);
    void MovePointerBy(unsigned long window, int dx, int dy);
    // Swims to and fro: `moves` pointer moves a sixth of a second apart.
    void Wiggle(unsigned long window, int moves);
    void RootSize(int& width, int& height);
    // Where the pointer is, in the window's coordinates.
    void PointerPosition(unsigned long window, int& x, int& y);
    // A plain window of the tests' own, to take the focus from the game.
    unsigned long OpenPlainWindow(int x, int y, int width, int height);

private:
    unsigned long FindBelow(unsigned long parent, const std::string& title, int depth);

    struct _XDisplay* display = nullptr;
};

void SleepSeconds(double seconds);
// The share of pixels that differ between two pictures of the same size.
double ChangedShare(const TPixmap& a, const TPixmap& b);
// xdotool with these arguments, on the display in DISPLAY.
void Xdotool(const std::string& arguments);

// What SDL's disk audio driver captured: 16-bit stereo samples from `fromByte` on.
struct CapturedSound {
    size_t samples = 0;
    int loud = 0;     // beyond -36 dBFS
    int clipped = 0;  // at full scale
};
CapturedSound AnalyseCapture(const std::string& path, size_t fromByte = 0);
