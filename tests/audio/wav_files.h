// RIFF/WAVE files built in memory for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct WavSpec {
    uint16_t audioFormat = 1;
    uint16_t channels = 1;
    uint32_t hertz = 22050;
    uint16_t bits = 16;
    uint32_t fmtExtra = 0;         // bytes after the 16 plain ones
    bool listBeforeData = false;
    int64_t declaredDataSize = -1;  // -1: the real size
};

Bytes MakeWav(const WavSpec& spec, const Bytes& data);
// Little-endian 16-bit samples as bytes.
Bytes Samples16(const std::vector<int16_t>& values);
