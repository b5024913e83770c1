#include "image/image.h"

#include <forward_list>

namespace {

class PngLoader : public PixelMapLoader {
public:
    PixmapRef TryLoad(ByteStream& stream) override { return LoadPngPixelMap(stream); }
};

class JpegLoader : public PixelMapLoader {
public:
    PixmapRef TryLoad(ByteStream& stream) override { return LoadJpegPixelMap(stream); }
};

// Registered JPEG then PNG, so PNG is tried first.
std::forward_list<std::shared_ptr<PixelMapLoader>>& Loaders() {
    static auto& loaders = *new std::forward_list<std::shared_ptr<PixelMapLoader>>{
        std::make_shared<PngLoader>(), std::make_shared<JpegLoader>()};
    return loaders;
}

PixmapRef TryEveryLoader(ByteStream& stream, int64_t start) {
    for (const auto& loader : Loaders()) {
        stream.SeekTo(start);
        try {
            if (PixmapRef map = loader->TryLoad(stream)) return map;
        } catch (const StreamError&) {
            // The data ran out or broke under this loader: not its format.
        }
    }
    return nullptr;
}

}  // namespace

void RegisterPixelMapLoader(std::shared_ptr<PixelMapLoader> loader) {
    Loaders().push_front(std::move(loader));
}

PixmapRef LoadPixelMap(StreamRef stream) {
    if (!stream) return nullptr;
    int64_t start = stream->Position();
    PixmapRef map = start < 0 ? nullptr : TryEveryLoader(*stream, start);
    stream->Close();
    return map;
}

PixmapRef LoadPixelMap(const std::string& url) { return LoadPixelMap(OpenForReading(url)); }
