// The WAV writer for the generator.
#include "assets.h"

#include <cmath>

bool WriteWav(const Sound& sound, const std::string& path) {
    StreamRef out = OpenForWriting(path);
    if (!out) return false;
    int bytesPerSample = sound.bits / 8;
    int32_t dataSize = int32_t(sound.samples.size()) * bytesPerSample;
    out->WriteString("RIFF");
    out->WriteInt(36 + dataSize);
    out->WriteString("WAVEfmt ");
    out->WriteInt(16);
    out->WriteShort(1);
    out->WriteShort(1);
    out->WriteInt(sound.hertz);
    out->WriteInt(sound.hertz * bytesPerSample);
    out->WriteShort(int16_t(bytesPerSample));
    out->WriteShort(int16_t(sound.bits));
    out->WriteString("data");
    out->WriteInt(dataSize);
    for (float v : sound.samples) {
        float clamped = std::fmax(-1.0f, std::fmin(1.0f, v));
        if (sound.bits == 8)
            out->WriteByte(uint8_t(std::lround(128 + clamped * 127)));
        else
            out->WriteShort(int16_t(std::lround(clamped * 32767)));
    }
    out->Close();
    return true;
}
