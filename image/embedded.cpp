#include "image/image.h"

#include <forward_list>

namespace {

// Newest first; records are never removed, so pointers to them stay valid.
std::forward_list<EmbeddedFile>& Registry() {
    static auto& files = *new std::forward_list<EmbeddedFile>;
    return files;
}

}  // namespace

int32_t RegisterEmbeddedFile(const std::string& name, const void* data, int32_t size) {
    if (FindEmbeddedFile(name)) return 0;
    Registry().push_front({name, static_cast<const uint8_t*>(data), size < 0 ? 0 : size});
    return 1;
}

const EmbeddedFile* FindEmbeddedFile(const std::string& name) {
    for (const auto& file : Registry())
        if (file.name == name) return &file;
    return nullptr;
}

const uint8_t* EmbeddedFileData(const std::string& name) {
    const EmbeddedFile* file = FindEmbeddedFile(name);
    return file ? file->data : nullptr;
}

int32_t EmbeddedFileSize(const std::string& name) {
    const EmbeddedFile* file = FindEmbeddedFile(name);
    return file ? file->size : 0;
}
