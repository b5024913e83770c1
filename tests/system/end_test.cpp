// How the program ends, observed from outside in a child process.
#include "system/system.h"

#include <gtest/gtest.h>

#include <csignal>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Ending {
    int status;
    std::string errorText;
};

Ending RunProbe(const std::string& mode) {
    std::string command = std::string(EXIT_PROBE_PATH) + " " + mode + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string text;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

}  // namespace

TEST(ProgramEnd, EndProgramRunsTheHandlersLastFirstWithStatusZero) {
    Ending ending = RunProbe("end");
    EXPECT_EQ(ending.status, 0);
    EXPECT_EQ(ending.errorText, "handler 2\nhandler 1\n");
}

TEST(ProgramEnd, ReturningFromMainRunsTheHandlers) {
    Ending ending = RunProbe("return");
    EXPECT_EQ(ending.status, 0);
    EXPECT_EQ(ending.errorText, "handler 2\nhandler 1\n");
}

TEST(ProgramEnd, AnUncaughtRuntimeErrorPrintsItsMessageAndEndsWith255) {
    Ending ending = RunProbe("error");
    EXPECT_EQ(ending.status, 255);
    EXPECT_EQ(ending.errorText, "Stream is not seekable\nhandler 2\nhandler 1\n");
}

TEST(ProgramEnd, AFatalSignalEndsWithItsMessageAnd255) {
    Ending ending = RunProbe("signal");
    EXPECT_EQ(ending.status, 255);
    EXPECT_EQ(ending.errorText, "Received Signal\n");
}

// Caught before the system layer starts, SIGTERM and SIGINT ask for an orderly
// end, and starting the layer afterwards leaves them so.
TEST(ProgramEnd, CaughtStopSignalsAreOnlyNotedEvenOnceTheLayerStarts) {
    CatchStopSignals();
    InitSystemLayer();
    EXPECT_FALSE(StopSignalled());
    std::raise(SIGTERM);
    EXPECT_TRUE(StopSignalled()) << "still running, and told";
    std::raise(SIGINT);
    EXPECT_TRUE(StopSignalled());
}
