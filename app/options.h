// The command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelp_app {

struct Options {
    bool help = false;
    bool version = false;
    int level = 0;                    // 1 to 6 starts there; 0 shows the title
    std::optional<bool> fullScreen;   // unset keeps the saved setting
    bool mute = false;
    std::string record, replay;       // replay files
    bool headless = false;
    bool autopilot = false;           // the autopilot plays
    uint32_t deal = 0;                // the seed a headless autopilot's level is built from; 0: its usual one
    std::string language;             // for this run; empty keeps the saved setting
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line made sense
};

// The arguments after the program's name.
ParsedOptions parseOptions(const std::vector<std::string>& arguments);
std::string usageText(const std::string& program);
std::string versionText();

}  // namespace kelp_app
