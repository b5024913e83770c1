#include "wav_files.h"

namespace {

void Put16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Byte by byte: GCC 12 wrongly sees a range insert into an empty vector overflow.
void PutTag(Bytes& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(tag[i]));
}

}  // namespace

Bytes MakeWav(const WavSpec& spec, const Bytes& data) {
    Bytes out;
    PutTag(out, "RIFF");
    Put32(out, 0);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16 + spec.fmtExtra);
    Put16(out, spec.audioFormat);
    Put16(out, spec.channels);
    Put32(out, spec.hertz);
    uint32_t block = spec.channels * spec.bits / 8;
    Put32(out, spec.hertz * block);
    Put16(out, block);
    Put16(out, spec.bits);
    for (uint32_t i = 0; i < spec.fmtExtra; ++i) out.push_back(0);
    if (spec.listBeforeData) {
        PutTag(out, "LIST");
        Put32(out, 6);
        PutTag(out, "INFO");
        Put16(out, 0);
    }
    PutTag(out, "data");
    Put32(out, uint32_t(spec.declaredDataSize < 0 ? data.size() : spec.declaredDataSize));
    out.insert(out.end(), data.begin(), data.end());
    uint32_t riffSize = uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = uint8_t(riffSize >> (8 * i));
    return out;
}

Bytes Samples16(const std::vector<int16_t>& values) {
    Bytes out;
    for (int16_t v : values) Put16(out, uint16_t(v));
    return out;
}
