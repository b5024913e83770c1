#include "image/image.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <forward_list>

static_assert(std::endian::native == std::endian::little, "typed stream access assumes it");

// ---- ByteStream --------------------------------------------------------------

void ByteStream::ReadFully(void* buffer, int64_t count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (count > 0 && !AtEnd()) {
        int64_t n = ReadSome(bytes, count);
        if (n <= 0) throw StreamError("Error reading from stream");
        bytes += n;
        count -= n;
    }
}

void ByteStream::WriteFully(const void* buffer, int64_t count) {
    auto* bytes = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        int64_t n = WriteSome(bytes, count);
        if (n <= 0) throw StreamError("Error writing to stream");
        bytes += n;
        count -= n;
    }
}

void ByteStream::SkipOver(int64_t count) {
    uint8_t chunk[1024];
    while (count > 0 && !AtEnd()) {
        int64_t n = ReadSome(chunk, std::min<int64_t>(count, sizeof chunk));
        if (n <= 0) throw StreamError("Error reading from stream");
        count -= n;
    }
}

namespace {

// A read that stops at the end leaves the rest zero, as the loaders expect.
template <typename T>
T ReadValue(ByteStream& stream) {
    T value{};
    stream.ReadFully(&value, sizeof value);
    return value;
}

template <typename T>
void WriteValue(ByteStream& stream, T value) {
    stream.WriteFully(&value, sizeof value);
}

}  // namespace

uint8_t ByteStream::ReadByte() { return ReadValue<uint8_t>(*this); }
int16_t ByteStream::ReadShort() { return ReadValue<int16_t>(*this); }
int32_t ByteStream::ReadInt() { return ReadValue<int32_t>(*this); }
int64_t ByteStream::ReadLong() { return ReadValue<int64_t>(*this); }
float ByteStream::ReadFloat() { return ReadValue<float>(*this); }
double ByteStream::ReadDouble() { return ReadValue<double>(*this); }
void ByteStream::WriteByte(uint8_t value) { WriteValue(*this, value); }
void ByteStream::WriteShort(int16_t value) { WriteValue(*this, value); }
void ByteStream::WriteInt(int32_t value) { WriteValue(*this, value); }
void ByteStream::WriteLong(int64_t value) { WriteValue(*this, value); }
void ByteStream::WriteFloat(float value) { WriteValue(*this, value); }
void ByteStream::WriteDouble(double value) { WriteValue(*this, value); }
void ByteStream::WriteString(const std::string& text) { WriteFully(text.data(), text.size()); }

std::string ByteStream::ReadString(int32_t length) {
    std::string text;
    if (length <= 0) return text;
    // Grown as bytes arrive, so a bogus length cannot allocate more than the stream holds.
    char chunk[1024];
    while (length > 0 && !AtEnd()) {
        int64_t n = ReadSome(chunk, std::min<int64_t>(length, sizeof chunk));
        if (n <= 0) throw StreamError("Error reading from stream");
        text.append(chunk, n);
        length -= n;
    }
    return text;
}

std::string ByteStream::ReadLine() {
    std::string line;
    while (!AtEnd()) {
        char c = static_cast<char>(ReadByte());
        if (c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void ByteStream::WriteLine(const std::string& text) {
    WriteString(text);
    WriteByte('\n');
}

// ---- MemoryStream --------------------------------------------------------------

MemoryStream::MemoryStream(uint8_t* buffer, int32_t size, bool readable, bool writeable)
    : buffer(buffer), size(size < 0 ? 0 : size), readable(readable), writeable(writeable) {}

int64_t MemoryStream::SeekTo(int64_t p) {
    position = static_cast<int32_t>(std::clamp<int64_t>(p, 0, size));
    return position;
}

int64_t MemoryStream::ReadSome(void* target, int64_t count) {
    if (count <= 0 || !readable) return 0;
    count = std::min<int64_t>(count, size - position);
    if (count == 0) return 0;
    std::memcpy(target, buffer + position, count);
    position += static_cast<int32_t>(count);
    return count;
}

int64_t MemoryStream::WriteSome(const void* source, int64_t count) {
    if (count <= 0 || !writeable) return 0;
    count = std::min<int64_t>(count, size - position);
    if (count == 0) return 0;
    std::memcpy(buffer + position, source, count);
    position += static_cast<int32_t>(count);
    return count;
}

StreamRef CreateMemoryStream(const void* buffer, int32_t size, bool readable, bool writeable) {
    // Read-only streams never write through the pointer.
    return std::make_shared<MemoryStream>(static_cast<uint8_t*>(const_cast<void*>(buffer)), size,
                                          readable, writeable);
}

namespace {

// ---- File and forwarding streams ---------------------------------------------

class FileStream : public ByteStream {
public:
    explicit FileStream(FILE* file) : file(file) {}
    ~FileStream() override { Close(); }
    int64_t Position() override { return file ? std::ftell(file) : -1; }
    int64_t Length() override {
        if (!file) return 0;
        long here = std::ftell(file);
        std::fseek(file, 0, SEEK_END);
        long end = std::ftell(file);
        std::fseek(file, here, SEEK_SET);
        return end;
    }
    int64_t SeekTo(int64_t position) override {
        if (!file) return -1;
        std::fseek(file, static_cast<long>(std::clamp<int64_t>(position, 0, Length())), SEEK_SET);
        return std::ftell(file);
    }
    void FlushOut() override {
        if (file) std::fflush(file);
    }
    void Close() override {
        if (file) std::fclose(file);
        file = nullptr;
    }
    int64_t ReadSome(void* buffer, int64_t count) override {
        return file && count > 0 ? std::fread(buffer, 1, count, file) : 0;
    }
    int64_t WriteSome(const void* buffer, int64_t count) override {
        return file && count > 0 ? std::fwrite(buffer, 1, count, file) : 0;
    }

private:
    FILE* file;
};

class ForwardingStream : public ByteStream {
public:
    explicit ForwardingStream(StreamRef target) : target(std::move(target)) {}
    bool AtEnd() override { return target->AtEnd(); }
    int64_t Position() override { return target->Position(); }
    int64_t Length() override { return target->Length(); }
    int64_t SeekTo(int64_t position) override { return target->SeekTo(position); }
    void FlushOut() override { target->FlushOut(); }
    int64_t ReadSome(void* buffer, int64_t count) override {
        return target->ReadSome(buffer, count);
    }
    int64_t WriteSome(const void* buffer, int64_t count) override {
        return target->WriteSome(buffer, count);
    }

private:
    StreamRef target;
};

StreamRef OpenFile(const std::string& path, bool readable, bool writeable) {
    const char* mode = readable && writeable ? "r+b" : writeable ? "wb" : "rb";
    FILE* file = std::fopen(path.c_str(), mode);
    return file ? std::make_shared<FileStream>(file) : nullptr;
}

class EmbeddedFileFactory : public UrlStreamFactory {
public:
    StreamRef TryOpen(const std::string&, const std::string& protocol, const std::string& path,
                      bool readable, bool writeable) override {
        if (protocol != "incbin" || writeable) return nullptr;
        const EmbeddedFile* file = FindEmbeddedFile(path);
        return file ? CreateMemoryStream(file->data, file->size, readable, false) : nullptr;
    }
};

std::forward_list<std::shared_ptr<UrlStreamFactory>>& Factories() {
    static auto& factories = *new std::forward_list<std::shared_ptr<UrlStreamFactory>>{
        std::make_shared<EmbeddedFileFactory>()};
    return factories;
}

}  // namespace

void RegisterUrlStreamFactory(std::shared_ptr<UrlStreamFactory> factory) {
    Factories().push_front(std::move(factory));
}

StreamRef OpenUrlStream(const std::string& url, bool readable, bool writeable) {
    std::string protocol, path;
    if (!url.empty()) {
        size_t separator = url.find("::");
        if (separator == std::string::npos) return OpenFile(url, readable, writeable);
        protocol = url.substr(0, separator);
        std::transform(protocol.begin(), protocol.end(), protocol.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        path = url.substr(separator + 2);
    }
    for (const auto& factory : Factories())
        if (StreamRef stream = factory->TryOpen(url, protocol, path, readable, writeable))
            return stream;
    return nullptr;
}

StreamRef OpenUrlStream(StreamRef stream, bool, bool) {
    return stream ? std::make_shared<ForwardingStream>(std::move(stream)) : nullptr;
}

StreamRef OpenForReading(const std::string& url) { return OpenUrlStream(url, true, false); }
StreamRef OpenForWriting(const std::string& url) { return OpenUrlStream(url, false, true); }
