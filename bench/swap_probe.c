/* Preloaded into the real game: writes the time of every buffer swap, in
 * microseconds of the monotonic clock, one a line, to $KELP_SWAP_LOG. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef void (*SwapWindow)(void* window);

void SDL_GL_SwapWindow(void* window) {
    static SwapWindow real;
    static FILE* log;
    if (!real) {
        real = (SwapWindow)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
        const char* path = getenv("KELP_SWAP_LOG");
        log = path ? fopen(path, "w") : NULL;
    }
    real(window);
    if (log) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        fprintf(log, "%lld\n", (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000);
        fflush(log);
    }
}
