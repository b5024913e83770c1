// The main of every unit-test program. Besides running the tests, it checks
// that a test which has the project's code run on a second thread is labelled
// "threaded" where CMake registers it, so that the ThreadSanitizer leg runs
// it. Such threads start in three ways: a thread of our own (std::thread), an
// SDL timer's callback, an SDL audio device's callback. Threads of SDL and of
// the OpenGL driver that run only their own code do not count.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <pthread.h>
#include <string_view>

namespace {

std::atomic<int> projectThreads{0};

// A thread of the program's own, or a std::thread, whose trampoline is the C++ library's.
bool RunsProjectCode(void* (*routine)(void*)) {
    Dl_info target{}, self{};
    if (!dladdr(reinterpret_cast<void*>(routine), &target) || !target.dli_fname) return false;
    dladdr(reinterpret_cast<void*>(&RunsProjectCode), &self);
    std::string_view file = target.dli_fname;
    return file == std::string_view(self.dli_fname) || file.find("libstdc++") != std::string_view::npos;
}

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The sanitizers catch these calls themselves; the check runs in the plain build.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" {

int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*), void* argument) {
    static const auto real = Real<decltype(&pthread_create)>("pthread_create");
    if (RunsProjectCode(routine)) ++projectThreads;
    return real(thread, attributes, routine, argument);
}

SDL_TimerID SDL_AddTimer(Uint32 interval, SDL_TimerCallback callback, void* parameter) {
    static const auto real = Real<decltype(&SDL_AddTimer)>("SDL_AddTimer");
    ++projectThreads;
    return real(interval, callback, parameter);
}

SDL_AudioDeviceID SDL_OpenAudioDevice(const char* device, int capture, const SDL_AudioSpec* desired,
                                      SDL_AudioSpec* obtained, int allowedChanges) {
    static const auto real = Real<decltype(&SDL_OpenAudioDevice)>("SDL_OpenAudioDevice");
    if (desired && desired->callback) ++projectThreads;
    return real(device, capture, desired, obtained, allowedChanges);
}

}  // extern "C"
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The tests read the game's English, whatever the desktop speaks, unless
    // one asks for another language.
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "C.UTF-8", 1);
    int status = RUN_ALL_TESTS();
    // Set by ctest for the tests not labelled threaded; unset when run by hand.
    const char* label = std::getenv("KELP_TEST_LABEL");
    if (status == 0 && projectThreads > 0 && label && std::string_view(label) == "unthreaded") {
        std::fprintf(stderr, "This test runs the project's code on a second thread, but is not labelled "
                             "threaded in its CMakeLists.txt: ThreadSanitizer would never see it.\n");
        return 1;
    }
    return status;
}
