// Losing the X server. Left to Xlib, every thread that notices runs exit()
// at once: two threads run the exit handlers together, which talk to the gone
// server again, and the program hangs instead of ending.
#include "render/render.h"
#include "render/internal.h"

#include <cstdio>
#include <thread>

#ifndef __EMSCRIPTEN__
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace {

std::function<void()>& LastWords() {
    static auto& words = *new std::function<void()>;
    return words;
}

#ifndef __EMSCRIPTEN__
std::thread::id mainThread;

[[noreturn]] int OnDisplayGone(void*) {
    if (std::this_thread::get_id() != mainThread)
        for (;;) pause();
    static bool ending = false;  // last words that reach the display come back here
    if (!ending) {
        ending = true;
        std::fputs("Kelp Garden: the display has gone away\n", stderr);
        if (LastWords()) LastWords()();
    }
    _exit(1);
}
#endif

}  // namespace

namespace kelp_render {

void WatchForLostDisplay() {
#ifndef __EMSCRIPTEN__
    using Handler = int (*)(void*);
    // Xlib is there only when SDL talks to an X server; it is not linked here.
    auto setHandler = reinterpret_cast<Handler (*)(Handler)>(dlsym(RTLD_DEFAULT, "XSetIOErrorHandler"));
    if (!setHandler) return;
    mainThread = std::this_thread::get_id();
    setHandler(OnDisplayGone);
#endif
}

}  // namespace kelp_render

void SetDisplayLostHandler(std::function<void()> lastWords) { LastWords() = std::move(lastWords); }
