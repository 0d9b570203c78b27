#pragma once
// A fast 64-bit digest of a byte range, to notice that bytes changed (not against an
// adversary). Four independent lanes; every step is a bijection of its lane, so a change
// confined to one 8-byte word always changes the digest.

#include <cstddef>
#include <cstdint>

namespace kit {

class FastHash {
public:
    void add(const void* data, std::size_t bytes);
    std::uint64_t digest() const;

private:
    void addBlock(const std::uint8_t* block);

    std::uint64_t lanes_[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                               0x27D4EB2F165667C5ull};
    std::uint8_t pending_[32] = {};
    std::size_t pendingBytes_ = 0;
    std::uint64_t totalBytes_ = 0;
};

// The digest of one range.
std::uint64_t fastHash(const void* data, std::size_t bytes);

}  // namespace kit
