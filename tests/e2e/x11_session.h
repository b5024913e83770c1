// The game as a child process, and what the tests see and do on the X server.
#pragma once

#include "image/image.h"

#include <optional>
#include <string>
#include <vector>

class GameProcess {
public:
    // Extra "NAME=value" settings; "-NAME" removes a variable.
    explicit GameProcess(const std::vector<std::string>& environment = {});
    ~GameProcess();
    // The exit status once the game has ended, or nothing after `seconds`.
    std::optional<int> WaitForExit(double seconds);
    std::string ErrorOutput() const;

private:
    int pid = -1;
    std::string errorPath;
    std::optional<int> status;
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
// xdotool with these arguments, on the display in DISPLAY.
void Xdotool(const std::string& arguments);
