// libFuzzer entry: any bytes through the sound loader chain.
#include "audio/audio.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    SampleRef sample = LoadPcmSample(CreateMemoryStream(data, static_cast<int32_t>(size), true, false));
    if (sample && sample->length > 0) {
        // Touch the first and last bytes, so a buffer shorter than it claims shows up.
        volatile uint8_t first = sample->samples[0];
        volatile uint8_t last = sample->samples[int64_t{sample->length} * BytesPerFrame[sample->format] - 1];
        (void)first, (void)last;
    }
    return 0;
}
