// JPEG and WAV writers for the generator.
#include "assets.h"

#include <cmath>
#include <cstdio>
#include <jpeglib.h>

bool WriteJpeg(const TPixmap& rgb, const std::string& path, int quality) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(rgb.width);
    info.image_height = JDIMENSION(rgb.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = rgb.PixelAddress(0, int(info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

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
