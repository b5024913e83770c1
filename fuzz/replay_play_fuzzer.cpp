// libFuzzer entry: replays made of any bytes (their checksum made right) are
// played through the world, headless, as `--replay FILE --headless` plays
// them. Whatever the pointer offsets and keys, the world must step without
// undefined behaviour, and a refusal or a divergence must say why.
#include "app/replay.h"
#include "fuzz/resealed.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitSystemLayer();
        return true;
    }();
    (void)ready;
    kelp_app::Replay replay;
    std::string error;
    std::string bytes = kelp_fuzz::Resealed(std::string(reinterpret_cast<const char*>(data), size));
    if (!kelp_app::decodeReplay(bytes, replay, error)) return 0;
    kelp_app::ReplayResult result = kelp_app::playReplay(replay);
    if (!result.ok && result.error.empty()) std::abort();
    return 0;
}
