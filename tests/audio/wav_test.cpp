#include "audio/audio.h"
#include "wav_files.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

SampleRef Load(const Bytes& file) {
    return LoadPcmSample(CreateMemoryStream(file.data(), int32_t(file.size()), true, false));
}

}  // namespace

TEST(WavReader, ThePlainHeaderGivesLengthRateAndFormat) {
    SampleRef sample = Load(MakeWav({}, Bytes(44100, 7)));
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->length, 22050);
    EXPECT_EQ(sample->hertz, 22050);
    EXPECT_EQ(sample->format, SF_MONO16LE);
    EXPECT_EQ(sample->capacity, 44100);
    EXPECT_EQ(sample->samples[44099], 7);
}

TEST(WavReader, ExtraFormatBytesAndChunksBeforeTheDataAreSkipped) {
    Bytes data = Samples16({100, -200, 300});
    WavSpec extended;
    extended.fmtExtra = 2;
    SampleRef a = Load(MakeWav(extended, data));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::memcmp(a->samples, data.data(), data.size()), 0);
    WavSpec listed;
    listed.listBeforeData = true;
    listed.channels = 2;
    listed.bits = 8;
    SampleRef b = Load(MakeWav(listed, {1, 2, 3, 4}));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->format, SF_STEREO8);
    EXPECT_EQ(b->length, 2);
    EXPECT_EQ(b->samples[3], 4);
}

TEST(WavReader, OtherEncodingsAndForeignDataAreRefused) {
    WavSpec floatingPoint;
    floatingPoint.audioFormat = 3;
    EXPECT_EQ(Load(MakeWav(floatingPoint, Bytes(8, 0))), nullptr);
    WavSpec deep;
    deep.bits = 24;
    EXPECT_EQ(Load(MakeWav(deep, Bytes(9, 0))), nullptr);
    EXPECT_EQ(Load(Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0}), nullptr);
    EXPECT_EQ(Load(Bytes{}), nullptr);
    Bytes noData = MakeWav({}, {});
    noData.resize(36);  // the header alone
    EXPECT_EQ(Load(noData), nullptr);
    EXPECT_EQ(LoadPcmSample("incbin::snd\\nothing.wav"), nullptr);
}

TEST(WavReader, ATruncatedDataChunkKeepsItsLengthWithSilence) {
    WavSpec spec;
    spec.declaredDataSize = 1000;
    SampleRef sample = Load(MakeWav(spec, Samples16({5, 6, 7})));
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->length, 500);
    auto* values = reinterpret_cast<int16_t*>(sample->samples);
    EXPECT_EQ(values[2], 7);
    for (int i = 3; i < 500; ++i) ASSERT_EQ(values[i], 0) << i;

    WavSpec eightBit;
    eightBit.bits = 8;
    eightBit.declaredDataSize = 10;
    SampleRef bytes = Load(MakeWav(eightBit, {200, 201}));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes->samples[9], 128);  // silence, not the loudest negative value
}

TEST(WavReader, APartialFrameIsNeverStored) {
    WavSpec spec;
    SampleRef sample = Load(MakeWav(spec, {1, 0, 2, 0, 3}));  // 2.5 frames of 16 bits
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->length, 2);
    EXPECT_EQ(sample->capacity, 4);
}

TEST(WavReader, AbsurdDataSizesAreRefusedBeforeAllocating) {
    WavSpec spec;
    spec.declaredDataSize = 0xFFFFFFF0u;
    EXPECT_EQ(Load(MakeWav(spec, Bytes(16, 0))), nullptr);
    spec.declaredDataSize = MaxWavDataBytes + 2;
    EXPECT_EQ(Load(MakeWav(spec, Bytes(16, 0))), nullptr);
}

TEST(WavReader, UnseekableStreamsAreAnError) {
    struct Unseekable : MemoryStream {
        using MemoryStream::MemoryStream;
        int64_t Position() override { return -1; }
    };
    Bytes file = MakeWav({}, Bytes(4, 0));
    try {
        LoadPcmSample(std::make_shared<Unseekable>(file.data(), int32_t(file.size()), true, false));
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_STREQ(error.what(), "Stream is not seekable");
    }
}

TEST(SampleFormats, ConversionsGoThroughStereoSixteenBit) {
    uint8_t byte = 128;
    uint8_t stereo[4];
    ConvertSampleFormat(&byte, SF_MONO8, stereo, SF_STEREO16LE, 1);
    EXPECT_EQ(int16_t(stereo[0] | stereo[1] << 8), 128);
    EXPECT_EQ(int16_t(stereo[2] | stereo[3] << 8), 128);
    uint8_t back = 0;
    ConvertSampleFormat(stereo, SF_STEREO16LE, &back, SF_MONO8, 1);
    EXPECT_EQ(back, 128);

    Bytes frame = Samples16({3, -4});
    uint8_t mono[2];
    ConvertSampleFormat(frame.data(), SF_STEREO16LE, mono, SF_MONO16LE, 1);
    EXPECT_EQ(int16_t(mono[0] | mono[1] << 8), 0);

    uint8_t ends[2] = {0, 255};
    uint8_t wide[4];
    ConvertSampleFormat(ends, SF_MONO8, wide, SF_MONO16BE, 2);
    EXPECT_EQ(int16_t(wide[0] << 8 | wide[1]), -32768);
    EXPECT_EQ(int16_t(wide[2] << 8 | wide[3]), 32767);
    EXPECT_THROW(ConvertSampleFormat(ends, 7, wide, SF_MONO8, 1), RuntimeError);
    EXPECT_THROW(ConvertSampleFormat(ends, SF_MONO8, wide, 0, 1), RuntimeError);
}

TEST(SampleFormats, LosslessPairsRoundTrip) {
    // 16-bit values survive any 16-bit layout; stereo survives stereo.
    std::vector<int16_t> values = {-32768, -1234, -1, 0, 1, 999, 32767, 42};
    Bytes stereo = Samples16(values);
    SampleRef source = WrapPcmSample(stereo.data(), 4, 44100, SF_STEREO16LE);
    for (int32_t format : {SF_STEREO16BE, SF_STEREO16LE}) {
        SampleRef there = source->ToFormat(format);
        SampleRef back = there->ToFormat(SF_STEREO16LE);
        EXPECT_EQ(std::memcmp(back->samples, stereo.data(), stereo.size()), 0) << format;
    }
    Bytes mono = Samples16(values);
    SampleRef monoSource = WrapPcmSample(mono.data(), 8, 44100, SF_MONO16LE);
    for (int32_t format : {SF_MONO16BE, SF_STEREO16LE, SF_STEREO16BE}) {
        SampleRef back = monoSource->ToFormat(format)->ToFormat(SF_MONO16LE);
        EXPECT_EQ(std::memcmp(back->samples, mono.data(), mono.size()), 0) << format;
    }
    Bytes eight = {0, 1, 127, 128, 200, 255};
    SampleRef eightSource = WrapPcmSample(eight.data(), 6, 8000, SF_MONO8);
    for (int32_t format = SF_MONO8; format <= SF_STEREO16BE; ++format) {
        SampleRef back = eightSource->ToFormat(format)->ToFormat(SF_MONO8);
        EXPECT_EQ(std::memcmp(back->samples, eight.data(), eight.size()), 0) << format;
    }
    EXPECT_EQ(eightSource->capacity, -1);
    EXPECT_EQ(eightSource->Duplicate()->capacity, 6);
}
