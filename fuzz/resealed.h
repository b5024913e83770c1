// A replay's bytes with their trailing checksum made right: without it, almost
// every mutation is refused at the checksum and the records are never read.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace kelp_fuzz {

inline std::string Resealed(std::string bytes) {
    if (bytes.size() < 8) return bytes;
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i + 8 < bytes.size(); ++i) hash = (hash ^ uint8_t(bytes[i])) * 1099511628211ull;
    std::memcpy(bytes.data() + bytes.size() - 8, &hash, 8);
    return bytes;
}

}  // namespace kelp_fuzz
