// Kelp Garden: lead the fish home through the garden of lights.
#include "app/session.h"

#include <cstdio>
#include <cstdlib>

using namespace kelp_app;

int main(int argc, char** argv) {
    ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kelp-garden: %s\nTry \"kelp-garden --help\" for the options.\n", parsed.error.c_str());
        return 2;
    }
    const Options& options = parsed.options;
    if (options.help) {
        std::fputs(usageText("kelp-garden").c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(versionText().c_str(), stdout);
        return 0;
    }
    if (!kelp::startUp()) return EXIT_FAILURE;
    catchStopSignals();
    Session session(options, kelp::waitFrame);
    int status = session.run();
    session.save();
    return status;
}
