#include "x11_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

void SleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

SavedHome::SavedHome() {
    char pattern[] = "/tmp/kelp_home_XXXXXX";
    path = mkdtemp(pattern) ? pattern : "/tmp";
}

SavedHome::~SavedHome() {
    std::error_code ignored;
    if (path != "/tmp") std::filesystem::remove_all(path, ignored);
}

std::vector<std::string> SavedHome::Environment() const {
    return {"XDG_CONFIG_HOME=" + path + "/config", "XDG_DATA_HOME=" + path + "/data"};
}

PrivateXServer::PrivateXServer(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return;
    std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid = fork();
    if (pid == 0) {
        close(fds[0]);
        execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-nolisten", "tcp", "-screen", "0",
               size.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display's number, then a newline, once it takes
    // connections. It ends if the pipe closes before the newline is through.
    std::string number;
    char byte = 0;
    while (pid > 0 && read(fds[0], &byte, 1) == 1 && byte != '\n') number += byte;
    close(fds[0]);
    if (byte != '\n' || number.empty()) return;
    display = ":" + number;
    if (const char* before = std::getenv("DISPLAY")) displayBefore = before;
    setenv("DISPLAY", display.c_str(), 1);
}

// The tests after this one in the same process find the display they had.
PrivateXServer::~PrivateXServer() {
    Stop(SIGTERM);
    if (!Started()) return;
    if (displayBefore) {
        setenv("DISPLAY", displayBefore->c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

void PrivateXServer::Kill() { Stop(SIGKILL); }

void PrivateXServer::Stop(int signal) {
    if (pid <= 0) return;
    kill(pid, signal);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

namespace {

int TemporaryFile(std::string& path) {
    char pattern[] = "/tmp/kelp_game_output_XXXXXX";
    int fd = mkstemp(pattern);
    path = pattern;
    return fd;
}

}  // namespace

GameProcess::GameProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    // The private home's story cards pass by themselves, as the tests that
    // wait them out expect; a home of the test's own has the player's defaults.
    std::filesystem::create_directories(privateHome.path + "/config/kelp-garden");
    std::ofstream(privateHome.settingsFile()) << "cards-wait = no\n";
    int errors = TemporaryFile(errorPath), output = TemporaryFile(outputPath);
    std::vector<std::string> settings = privateHome.Environment();
    settings.insert(settings.end(), environment.begin(), environment.end());
    std::vector<char*> argv = {const_cast<char*>(GAME_PATH)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
        dup2(errors, STDERR_FILENO);
        dup2(output, STDOUT_FILENO);
        for (const auto& setting : settings) {
            if (setting[0] == '-')
                unsetenv(setting.c_str() + 1);
            else
                putenv(const_cast<char*>(setting.c_str()));
        }
        execv(GAME_PATH, argv.data());
        _exit(127);
    }
    close(errors);
    close(output);
}

GameProcess::~GameProcess() {
    if (pid > 0 && !status) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::remove(errorPath.c_str());
    std::remove(outputPath.c_str());
}

void GameProcess::Signal(int signal) {
    if (pid > 0 && !status) kill(pid, signal);
}

bool GameProcess::WaitUntilCatching(int signal, double seconds) {
    for (int tries = 0; tries < int(seconds * 100); ++tries, SleepSeconds(0.01)) {
        std::ifstream file("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(file, line);)
            if (line.rfind("SigCgt:", 0) == 0 && (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1))
                return true;
    }
    return false;
}

std::string GameProcess::Output() const {
    std::ifstream file(outputPath);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::optional<int> GameProcess::WaitForExit(double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!status && std::chrono::steady_clock::now() < deadline) {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid)
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        else
            SleepSeconds(0.05);
    }
    return status;
}

std::string GameProcess::ErrorOutput() const {
    std::ifstream file(errorPath);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

namespace {

// A window may go between listing it and asking after it; Xlib's default
// handler would end the test for that.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

X11Session::X11Session() : display(XOpenDisplay(nullptr)) { XSetErrorHandler(IgnoreXErrors); }
X11Session::~X11Session() {
    if (display) XCloseDisplay(display);
}

// Top-level windows, and below a window manager's frames the windows they hold.
unsigned long X11Session::FindBelow(unsigned long parentWindow, const std::string& title, int depth) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, parentWindow, &root, &parent, &children, &count);
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        if (Title(children[i]) == title)
            found = children[i];
        else if (depth > 0)
            found = FindBelow(children[i], title, depth - 1);
    }
    if (children) XFree(children);
    return found;
}

unsigned long X11Session::FindWindow(const std::string& title, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (unsigned long found = FindBelow(DefaultRootWindow(display), title, 2)) return found;
        SleepSeconds(0.1);
    }
    return 0;
}

std::string X11Session::Title(unsigned long window) {
    char* name = nullptr;
    std::string title;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

void X11Session::Size(unsigned long window, int& width, int& height) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    width = attributes.width;
    height = attributes.height;
}

PixmapRef X11Session::Screenshot(unsigned long window) {
    int width = 0, height = 0;
    Size(window, width, height);
    XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    PixmapRef map = CreatePixelMap(width, height, FMT_RGB24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned long pixel = image ? XGetPixel(image, x, y) : 0;
            map->WritePixelArgb(x, y, 0xFF000000u | uint32_t(pixel & 0xFFFFFF));
        }
    if (image) XDestroyImage(image);
    return map;
}

void X11Session::IconSize(unsigned long window, long& width, long& height) {
    width = height = 0;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, remaining = 0;
    unsigned char* data = nullptr;
    Atom icon = XInternAtom(display, "_NET_WM_ICON", False);
    if (XGetWindowProperty(display, window, icon, 0, 2, False, AnyPropertyType, &type, &format,
                           &items, &remaining, &data) == Success && data && items == 2) {
        width = reinterpret_cast<long*>(data)[0];
        height = reinterpret_cast<long*>(data)[1];
    }
    if (data) XFree(data);
}

void X11Session::RequestClose(unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

void X11Session::PressKey(unsigned long window, const std::string& key) {
    Xdotool("windowfocus --sync " + std::to_string(window) + " key " + key);
}

void X11Session::Wiggle(unsigned long window, int moves) {
    for (int i = 0; i < moves; ++i) {
        MovePointerBy(window, i % 2 ? -60 : 60, 40);
        SleepSeconds(0.15);
    }
}

double ChangedShare(const TPixmap& a, const TPixmap& b) {
    int changed = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) changed += a.ReadPixelArgb(x, y) != b.ReadPixelArgb(x, y);
    return double(changed) / (double(a.width) * a.height);
}

void X11Session::MovePointerBy(unsigned long window, int dx, int dy) {
    Xdotool("windowfocus --sync " + std::to_string(window) + " mousemove_relative -- " + std::to_string(dx) +
            " " + std::to_string(dy));
}

// Never for ever: a --sync that the window manager does not answer gives up.
void Xdotool(const std::string& arguments) {
    std::string command = "timeout 10 xdotool " + arguments;
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "xdotool failed: %s\n", command.c_str());
}

void X11Session::PointerPosition(unsigned long window, int& x, int& y) {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0;
    unsigned mask = 0;
    XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask);
}

void X11Session::RootSize(int& width, int& height) {
    width = DisplayWidth(display, DefaultScreen(display));
    height = DisplayHeight(display, DefaultScreen(display));
}

unsigned long X11Session::OpenPlainWindow(int x, int y, int width, int height) {
    Window root = DefaultRootWindow(display);
    Window window = XCreateSimpleWindow(display, root, x, y, unsigned(width), unsigned(height), 0, 0, 0xFFFFFF);
    XStoreName(display, window, "another window");
    XMapRaised(display, window);
    XFlush(display);
    return window;
}

CapturedSound AnalyseCapture(const std::string& path, size_t fromByte) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), {});
    CapturedSound sound;
    for (size_t i = fromByte & ~size_t(1); i + 1 < bytes.size(); i += 2) {
        int16_t v = int16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8);
        ++sound.samples;
        sound.loud += std::abs(v) > 500;
        sound.clipped += v == 32767 || v == -32768;
    }
    return sound;
}
