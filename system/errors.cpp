#include "system/system.h"
#include "system/internal.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::function<void()>>& ExitHandlers() {
    static std::vector<std::function<void()>> handlers;
    return handlers;
}

// Each handler is taken off the list before it runs, so a handler that ends
// the program again cannot run any handler twice.
void RunExitHandlers() {
    auto& handlers = ExitHandlers();
    while (!handlers.empty()) {
        auto handler = std::move(handlers.back());
        handlers.pop_back();
        handler();
    }
}

[[noreturn]] void EndAfterUncaughtError() {
    std::string message = "Unknown error";
    if (auto error = std::current_exception()) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            message = e.what();
        } catch (...) {
        }
    }
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
    RunExitHandlers();
    std::_Exit(255);
}

// Only async-signal-safe calls here: the exit handlers cannot run from a
// signal handler, so the message is written and the process ends at once.
template <size_t N>
void WriteAndExit(const char (&message)[N]) {
    ssize_t ignored = write(STDERR_FILENO, message, N - 1);
    (void)ignored;
    _exit(255);
}

void OnFatalSignal(int) { WriteAndExit("Received Signal\n"); }

volatile std::sig_atomic_t stopSignal = 0;
bool stopsCaught = false;  // SIGTERM asks for an orderly end, not a fatal one

void OnStopSignal(int) { stopSignal = 1; }

void Route(int signalNumber, void (*handler)(int), int flags = 0) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signalNumber, &action, nullptr);
}

void RouteFatalSignals() {
    Route(SIGILL, OnFatalSignal);
    Route(SIGABRT, OnFatalSignal);
    if (!stopsCaught) Route(SIGTERM, OnFatalSignal);
#if !defined(__SANITIZE_ADDRESS__)
    // Under AddressSanitizer its own report of a bad access is worth more.
    Route(SIGSEGV, OnFatalSignal);
    Route(SIGBUS, [](int) { WriteAndExit("Unhandled Memory Exception Error\n"); });
#endif
}

}  // namespace

void RaiseRuntimeError(const std::string& message) { throw RuntimeError(message); }

void AddExitHandler(std::function<void()> handler) {
    auto& handlers = ExitHandlers();
    // Registered after the list exists, so it runs before the list is destroyed.
    static const bool hookedIntoExit = std::atexit(RunExitHandlers) == 0;
    (void)hookedIntoExit;
    handlers.push_back(std::move(handler));
}

void CatchStopSignals() {
    stopsCaught = true;
    Route(SIGTERM, OnStopSignal, SA_RESTART);
    Route(SIGINT, OnStopSignal, SA_RESTART);
}

bool StopSignalled() { return stopSignal != 0; }

void EndProgram() {
    RunExitHandlers();
    std::exit(0);
}

void InitSystemLayer() {
    static bool initialised = false;
    if (initialised) return;
    initialised = true;
    std::set_terminate(EndAfterUncaughtError);
    RouteFatalSignals();
    // SDL would turn SIGINT and SIGTERM into quit events; the program handles
    // its own signals and treats only a window's close request as a quit.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) RaiseRuntimeError(SDL_GetError());
    AddExitHandler([] { SDL_Quit(); });
    kelp_system::StartPads();
    kelp_system::StartTouches();
    // Taken now, so a program that takes every other id still gets its input.
    EmitEventHookId();
}
