// PCM samples, their conversions through stereo 16-bit big-endian, and the
// sample loaders with the RIFF/WAVE reader.
#include "audio/audio.h"

#include <cstring>
#include <forward_list>
#include <vector>

const int32_t BytesPerFrame[7] = {0, 1, 2, 2, 2, 4, 4};
const int32_t ChannelsPerFormat[7] = {0, 1, 1, 1, 2, 2, 2};

namespace {

bool KnownFormat(int32_t format) { return format >= SF_MONO8 && format <= SF_STEREO16BE; }

int32_t FrameBytes(int32_t format) { return KnownFormat(format) ? BytesPerFrame[format] : 0; }

int16_t Widen8(uint8_t byte) { return static_cast<int16_t>(byte * 257 - 32768); }
uint8_t Narrow8(int32_t value) { return static_cast<uint8_t>((value + 32768) / 257); }
int16_t ReadLittle(const uint8_t* p) { return static_cast<int16_t>(p[0] | p[1] << 8); }
int16_t ReadBig(const uint8_t* p) { return static_cast<int16_t>(p[0] << 8 | p[1]); }
void WriteLittle(uint8_t* p, int32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
void WriteBig(uint8_t* p, int32_t v) { p[0] = uint8_t(v >> 8), p[1] = uint8_t(v); }

void ToPivot(const uint8_t* s, uint8_t* d, int32_t format, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i, d += 4) {
        int16_t left = 0, right = 0;
        switch (format) {
        case SF_MONO8: left = right = Widen8(s[i]); break;
        case SF_MONO16LE: left = right = ReadLittle(s + 2 * i); break;
        case SF_MONO16BE: left = right = ReadBig(s + 2 * i); break;
        case SF_STEREO8: left = Widen8(s[2 * i]), right = Widen8(s[2 * i + 1]); break;
        case SF_STEREO16LE: left = ReadLittle(s + 4 * i), right = ReadLittle(s + 4 * i + 2); break;
        default: left = ReadBig(s + 4 * i), right = ReadBig(s + 4 * i + 2); break;
        }
        WriteBig(d, left);
        WriteBig(d + 2, right);
    }
}

void FromPivot(const uint8_t* s, uint8_t* d, int32_t format, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i, s += 4) {
        int32_t left = ReadBig(s), right = ReadBig(s + 2);
        int32_t mean = (left + right) / 2;  // truncates toward zero
        switch (format) {
        case SF_MONO8: d[i] = Narrow8(mean); break;
        case SF_MONO16LE: WriteLittle(d + 2 * i, mean); break;
        case SF_MONO16BE: WriteBig(d + 2 * i, mean); break;
        case SF_STEREO8: d[2 * i] = Narrow8(left), d[2 * i + 1] = Narrow8(right); break;
        case SF_STEREO16LE: WriteLittle(d + 4 * i, left), WriteLittle(d + 4 * i + 2, right); break;
        default: std::memcpy(d + 4 * i, s, 4); break;
        }
    }
}

std::forward_list<std::shared_ptr<SampleLoader>>& Loaders() {
    static auto& loaders =
        *new std::forward_list<std::shared_ptr<SampleLoader>>{std::make_shared<WavSampleLoader>()};
    return loaders;
}

std::string ReadTag(ByteStream& stream) {
    char tag[4] = {};
    stream.ReadFully(tag, 4);
    return std::string(tag, 4);
}

uint16_t ReadWord(ByteStream& stream) { return static_cast<uint16_t>(stream.ReadShort()); }
uint32_t ReadLongWord(ByteStream& stream) { return static_cast<uint32_t>(stream.ReadInt()); }

int32_t WavFormat(uint16_t channels, uint16_t bits) {
    if (bits == 8 && channels == 1) return SF_MONO8;
    if (bits == 8 && channels == 2) return SF_STEREO8;
    if (bits == 16 && channels == 1) return SF_MONO16LE;
    if (bits == 16 && channels == 2) return SF_STEREO16LE;
    return SF_NONE;
}

// The whole frames of the chunk; frames the file lacks stay silent, and a
// partial frame at the end is read past, never stored.
SampleRef ReadDataChunk(ByteStream& stream, uint32_t size, int32_t hertz, int32_t format) {
    if (size > MaxWavDataBytes) return nullptr;
    int32_t frameBytes = BytesPerFrame[format];
    int32_t length = static_cast<int32_t>(size) / frameBytes;
    SampleRef sample = CreatePcmSample(length, hertz, format);
    int64_t bytes = int64_t{length} * frameBytes;
    int64_t start = stream.Position();
    stream.ReadFully(sample->samples, bytes);
    int64_t got = stream.Position() - start;
    if (got < bytes) {
        uint8_t silence = format == SF_MONO8 || format == SF_STEREO8 ? 128 : 0;
        std::memset(sample->samples + got, silence, static_cast<size_t>(bytes - got));
    }
    return sample;
}

}  // namespace

PcmSample::~PcmSample() {
    if (capacity >= 0) delete[] samples;
}

SampleRef CreatePcmSample(int32_t length, int32_t hertz, int32_t format) {
    int64_t bytes = int64_t{std::max(length, 0)} * FrameBytes(format);
    if (bytes > INT32_MAX) RaiseRuntimeError("Sample too large");
    auto sample = std::make_shared<PcmSample>();
    sample->samples = new uint8_t[std::max<int64_t>(bytes, 1)];
    sample->length = std::max(length, 0);
    sample->hertz = hertz;
    sample->format = format;
    sample->capacity = static_cast<int32_t>(bytes);
    return sample;
}

SampleRef WrapPcmSample(void* samples, int32_t length, int32_t hertz, int32_t format) {
    auto sample = std::make_shared<PcmSample>();
    sample->samples = static_cast<uint8_t*>(samples);
    sample->length = length;
    sample->hertz = hertz;
    sample->format = format;
    sample->capacity = -1;
    return sample;
}

SampleRef PcmSample::Duplicate() const {
    SampleRef copy = CreatePcmSample(length, hertz, format);
    std::memcpy(copy->samples, samples, static_cast<size_t>(copy->capacity));
    return copy;
}

SampleRef PcmSample::ToFormat(int32_t target) const {
    SampleRef converted = CreatePcmSample(length, hertz, target);
    ConvertSampleFormat(samples, format, converted->samples, target, length);
    return converted;
}

void ConvertSampleFormat(const uint8_t* source, int32_t sourceFormat, uint8_t* target,
                         int32_t targetFormat, int32_t frames) {
    if (!KnownFormat(sourceFormat) || !KnownFormat(targetFormat))
        RaiseRuntimeError("Unimplemented sample format conversion");
    if (frames <= 0) return;
    if (sourceFormat == targetFormat) {
        std::memcpy(target, source, static_cast<size_t>(frames) * BytesPerFrame[sourceFormat]);
    } else if (sourceFormat == SF_STEREO16BE) {
        FromPivot(source, target, targetFormat, frames);
    } else if (targetFormat == SF_STEREO16BE) {
        ToPivot(source, target, sourceFormat, frames);
    } else {
        std::vector<uint8_t> pivot(static_cast<size_t>(frames) * 4);
        ToPivot(source, pivot.data(), sourceFormat, frames);
        FromPivot(pivot.data(), target, targetFormat, frames);
    }
}

void RegisterSampleLoader(std::shared_ptr<SampleLoader> loader) {
    Loaders().push_front(std::move(loader));
}

SampleRef LoadPcmSample(StreamRef stream) {
    if (!stream) return nullptr;
    int64_t start = stream->Position();
    if (start == -1) RaiseRuntimeError("Stream is not seekable");
    SampleRef sample;
    for (const auto& loader : Loaders()) {
        stream->SeekTo(start);
        try {
            sample = loader->LoadSample(*stream);
        } catch (const StreamError&) {
            sample = nullptr;
        }
        if (sample) break;
    }
    stream->Close();
    return sample;
}

SampleRef LoadPcmSample(const std::string& url) { return LoadPcmSample(OpenForReading(url)); }

SampleRef WavSampleLoader::LoadSample(ByteStream& stream) {
    if (ReadTag(stream) != "RIFF") return nullptr;
    ReadLongWord(stream);
    if (ReadTag(stream) != "WAVE" || ReadTag(stream) != "fmt ") return nullptr;
    uint32_t formatLength = ReadLongWord(stream);
    if (ReadWord(stream) != 1) return nullptr;
    uint16_t channels = ReadWord(stream);
    int32_t hertz = static_cast<int32_t>(ReadLongWord(stream));
    ReadLongWord(stream);
    ReadWord(stream);
    int32_t format = WavFormat(channels, ReadWord(stream));
    if (format == SF_NONE) return nullptr;
    if (formatLength > 16) stream.SkipOver(formatLength - 16);
    while (!stream.AtEnd()) {
        std::string tag = ReadTag(stream);
        uint32_t size = ReadLongWord(stream);
        if (tag == "data") return ReadDataChunk(stream, size, hertz, format);
        stream.SkipOver(size);
    }
    return nullptr;
}
