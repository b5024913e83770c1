// libFuzzer entry: any bytes through the sound loader chain.
#include "audio/audio.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    SampleRef sample = LoadPcmSample(CreateMemoryStream(data, static_cast<int32_t>(size), true, false));
    if (sample && sample->length > 0) {
        // Read the first and last frames, so a sample shorter than it claims shows up.
        SampleRef copy = sample->ToFormat(SF_STEREO16LE);
        if (copy) {
            volatile uint8_t first = copy->samples[0];
            volatile uint8_t last = copy->samples[copy->length * 4 - 1];
            (void)first, (void)last;
        }
    }
    return 0;
}
