// libFuzzer entry: any bytes through the whole picture loader chain.
#include "image/image.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    PixmapRef map = LoadPixelMap(CreateMemoryStream(data, static_cast<int32_t>(size), true, false));
    if (map && map->width > 0 && map->height > 0) {
        // Touch the corners, so a map smaller than it claims shows up.
        map->ReadPixelArgb(0, 0);
        map->ReadPixelArgb(map->width - 1, map->height - 1);
    }
    return 0;
}
