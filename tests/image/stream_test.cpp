#include "image/image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

void RegisterTestBlocks();

namespace {
const char Text[] = "0123456789abcdefghijklmnopqrstuvwxyzABCD";  // 40 bytes
}

TEST(EmbeddedFiles, RegisterFindAndRefuseASecondRegistration) {
    EXPECT_EQ(RegisterEmbeddedFile("gfx\\a.png", Text, 40), 1);
    EXPECT_EQ(RegisterEmbeddedFile("gfx\\a.png", "other", 5), 0);
    EXPECT_EQ(EmbeddedFileData("gfx\\a.png"), reinterpret_cast<const uint8_t*>(Text));
    EXPECT_EQ(EmbeddedFileSize("gfx\\a.png"), 40);
    EXPECT_EQ(FindEmbeddedFile("GFX\\A.PNG"), nullptr);
    EXPECT_EQ(EmbeddedFileData("missing"), nullptr);
    EXPECT_EQ(EmbeddedFileSize("missing"), 0);
}

TEST(EmbeddedFiles, TheBuildPlacesFilesInTheExecutable) {
    RegisterTestBlocks();
    StreamRef stream = OpenForReading("incbin::block.txt");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->ReadLine(), "Kelp Garden test block");
    EXPECT_TRUE(stream->AtEnd());
    const EmbeddedFile* nested = FindEmbeddedFile("sub\\second.bin");
    ASSERT_NE(nested, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(nested->data), nested->size), "second");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(nested->data) % 16, 0u);
}

TEST(IncbinStreams, ProtocolIsCaseInsensitiveAndNamesAreNot) {
    RegisterEmbeddedFile("snd\\tick.wav", Text, 40);
    for (const char* url : {"incbin::snd\\tick.wav", "INCBIN::snd\\tick.wav", "InCbIn::snd\\tick.wav"}) {
        StreamRef stream = OpenForReading(url);
        ASSERT_NE(stream, nullptr) << url;
        EXPECT_EQ(stream->Length(), 40);
        EXPECT_EQ(stream->Position(), 0);
    }
    EXPECT_EQ(OpenForReading("incbin::SND\\tick.wav"), nullptr);
    EXPECT_EQ(OpenForReading("incbin::nothing"), nullptr);
    EXPECT_EQ(OpenForWriting("incbin::snd\\tick.wav"), nullptr);
    EXPECT_EQ(OpenForReading("other::snd\\tick.wav"), nullptr);
    EXPECT_EQ(OpenForReading(""), nullptr);
}

TEST(IncbinStreams, SeeksClampAndReadsStopAtTheEnd) {
    StreamRef stream = CreateMemoryStream(Text, 40, true, false);
    EXPECT_EQ(stream->SeekTo(-5), 0);
    EXPECT_EQ(stream->SeekTo(50), 40);
    char buffer[100] = {};
    EXPECT_EQ(stream->ReadSome(buffer, 10), 0);
    EXPECT_TRUE(stream->AtEnd());
    stream->SeekTo(0);
    EXPECT_EQ(stream->ReadSome(buffer, 100), 40);
    EXPECT_EQ(std::memcmp(buffer, Text, 40), 0);
    stream->SeekTo(0);
    EXPECT_EQ(stream->ReadSome(buffer, 0), 0);
    EXPECT_EQ(stream->ReadSome(buffer, -3), 0);
    EXPECT_EQ(stream->WriteSome("x", 1), 0);
    EXPECT_EQ(stream->Position(), 0);
}

TEST(IncbinStreams, FullReadsStopQuietlyAtTheEndAndFailWithoutProgress) {
    StreamRef stream = CreateMemoryStream(Text, 40, true, false);
    char buffer[64] = {};
    stream->SeekTo(30);
    EXPECT_NO_THROW(stream->ReadFully(buffer, 20));
    EXPECT_TRUE(stream->AtEnd());
    StreamRef unreadable = CreateMemoryStream(Text, 40, false, false);
    try {
        unreadable->ReadFully(buffer, 4);
        FAIL();
    } catch (const StreamError& error) {
        EXPECT_STREQ(error.what(), "Error reading from stream");
    }
    EXPECT_THROW(unreadable->SkipOver(4), StreamError);
    try {
        stream->WriteFully("abc", 3);
        FAIL();
    } catch (const StreamError& error) {
        EXPECT_STREQ(error.what(), "Error writing to stream");
    }
}

TEST(IncbinStreams, TypedAccessIsLittleEndian) {
    uint8_t block[32] = {};
    StreamRef stream = CreateMemoryStream(block, sizeof block, true, true);
    stream->WriteShort(-2);
    stream->WriteInt(0x12345678);
    stream->WriteFloat(1.5f);
    stream->WriteLine("RIFF");
    EXPECT_EQ(block[0], 0xFE);
    EXPECT_EQ(block[2], 0x78);
    EXPECT_EQ(block[5], 0x12);
    stream->SeekTo(0);
    EXPECT_EQ(stream->ReadShort(), -2);
    EXPECT_EQ(stream->ReadInt(), 0x12345678);
    EXPECT_EQ(stream->ReadFloat(), 1.5f);
    EXPECT_EQ(stream->ReadLine(), "RIFF");
    stream->SeekTo(28);
    EXPECT_EQ(stream->ReadLong(), 0);  // only 4 bytes left, all zero
    stream->SeekTo(10);
    EXPECT_EQ(stream->ReadString(1000).size(), 22u);
}

TEST(UrlStreams, PathsWithoutAProtocolOpenFilesAndNewFactoriesComeFirst) {
    auto path = std::filesystem::temp_directory_path() / "kelp_stream_test.bin";
    {
        StreamRef out = OpenForWriting(path.string());
        ASSERT_NE(out, nullptr);
        out->WriteString("hello file");
        out->Close();
    }
    StreamRef in = OpenForReading(path.string());
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->Length(), 10);
    EXPECT_EQ(in->ReadString(5), "hello");
    std::filesystem::remove(path);
    EXPECT_EQ(OpenForReading(path.string()), nullptr);

    struct Echo : UrlStreamFactory {
        std::string seen;
        StreamRef TryOpen(const std::string&, const std::string& protocol, const std::string& path,
                          bool, bool) override {
            seen = protocol + "|" + path;
            return protocol == "incbin" ? CreateMemoryStream(Text, 3, true, false) : nullptr;
        }
    };
    auto echo = std::make_shared<Echo>();
    RegisterUrlStreamFactory(echo);
    RegisterEmbeddedFile("x", Text, 40);
    EXPECT_EQ(OpenForReading("InCbIn::x")->Length(), 3);
    EXPECT_EQ(echo->seen, "incbin|x");
}

TEST(UrlStreams, AStreamPassedAsTheUrlIsForwarded) {
    StreamRef inner = CreateMemoryStream(Text, 40, true, false);
    inner->SeekTo(5);
    StreamRef outer = OpenUrlStream(inner, true, false);
    EXPECT_EQ(outer->Position(), 5);
    EXPECT_EQ(outer->ReadByte(), '5');
    EXPECT_EQ(inner->Position(), 6);
}
