#pragma once
// TIFF LZW strips encoded on every core: many strips side by side, a large strip cut into
// chunks whose streams are joined bit by bit into one.
//
// A chunk other than the first is read ahead until its table starts afresh; the chunk before
// it runs on to exactly that byte and ends with a Clear code, so the joined stream restarts
// its table where the later chunk's did, and costs about what one stream would.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace kit {

struct LzwStrip {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
};

struct LzwSettings {
    unsigned threads = 0;                         // 0: one per core
    std::size_t minChunk = std::size_t(1) << 19;  // no chunk of a strip is shorter
    unsigned chunks = 0;                          // most chunks of a strip; 0: one per thread
};

// Encodes each input as one LZW strip with its own Clear and End of Information codes.
// False when an encoder's room was too small (not expected: the room is the worst case).
bool lzwEncodeStrips(const std::vector<std::span<const std::uint8_t>>& inputs, std::vector<LzwStrip>& strips,
                     const LzwSettings& settings = {});

}  // namespace kit
