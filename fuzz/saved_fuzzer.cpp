// libFuzzer entry: any bytes as a settings file and as a progress file. What
// the readers accept must come back the same from what the writers make of
// it, and a settings file's own lines must survive being saved over.
#include "app/saved.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelp_app;
    if (size > MaxSavedFileBytes) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    Settings settings, again;
    std::vector<std::string> passedOver;
    if (parseSettings(text, settings, &passedOver)) {
        if (!parseSettings(formatSettings(settings), again) || !(again == settings)) std::abort();
        again = Settings{};
        if (!parseSettings(formatSettings(settings, text), again) || !(again == settings)) std::abort();
    }
    Progress progress, back;
    if (parseProgress(text, progress)) {
        if (!parseProgress(formatProgress(progress), back) || !(back == progress)) std::abort();
    }
    return 0;
}
