// libFuzzer entry: any bytes as a command line, its arguments split at NUL
// bytes. Parsing either gives options or an error saying what is wrong.
#include "app/options.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) arguments.emplace_back();
        else arguments.back() += char(data[i]);
    }
    kelp_app::ParsedOptions parsed = kelp_app::parseOptions(arguments);
    if (parsed.error.empty() && parsed.options.level != 0 && (parsed.options.level < 1 || parsed.options.level > 6))
        std::abort();
    return 0;
}
