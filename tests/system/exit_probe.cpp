// A child process for the end-of-program tests: each mode ends the program
// one way, with exit handlers that report on standard error.
#include "system/system.h"

#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* mode = argv[1];
    InitSystemLayer();
    AddExitHandler([] { std::fputs("handler 1\n", stderr); });
    AddExitHandler([] { std::fputs("handler 2\n", stderr); });
    if (std::strcmp(mode, "end") == 0) EndProgram();
    if (std::strcmp(mode, "error") == 0) RaiseRuntimeError("Stream is not seekable");
    if (std::strcmp(mode, "signal") == 0) std::raise(SIGTERM);
    return 0;
}
