// libFuzzer entry: any bytes through the replay reader, as they come and with
// the file's own checksum made right, so that mutations reach the records. A
// replay it accepts must write back to the very same bytes.
#include "app/replay.h"
#include "fuzz/resealed.h"

#include <cstdlib>

namespace {

void ReadBack(const std::string& bytes) {
    kelp_app::Replay replay;
    std::string error;
    if (kelp_app::decodeReplay(bytes, replay, error)) {
        if (kelp_app::encodeReplay(replay) != bytes) std::abort();
    } else if (error.empty()) {
        std::abort();  // a refusal always says why
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadBack(bytes);
    ReadBack(kelp_fuzz::Resealed(bytes));
    return 0;
}
