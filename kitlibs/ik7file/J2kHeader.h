#pragma once
// Our own reading of a JPEG 2000 file's headers, before OpenJPEG sees the file: the JP2
// boxes (palette and component mapping) and the code stream's SIZ, COD and COC markers
// of the main and the tile-part headers. From them come the picture's facts and an
// estimate of what OpenJPEG will allocate and iterate over while decoding, so that a file
// beyond the decode budget is refused before OpenJPEG parses or allocates anything.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kit {

struct J2kHeader {
    std::uint32_t width = 0, height = 0;  // of every component (all are the same size)
    std::uint32_t streamComponents = 0;   // in the code stream
    std::vector<int> precisions;          // bits of each component after the palette
    bool palette = false;                 // a palette (pclr with cmap) expands the components
    std::uint64_t tiles = 0;
    std::uint64_t codeBlocks = 0, packets = 0;  // summed over all tiles
    std::uint64_t codecBytes = 0;               // OpenJPEG's working memory, estimated

    std::uint32_t components() const { return static_cast<std::uint32_t>(precisions.size()); }
};

// Reads the headers of a JP2 file (jp2) or a raw code stream; false when they are
// malformed or declare a picture beyond the limits of DecodeLimits.h.
bool readJ2kHeader(const std::uint8_t* data, std::size_t size, bool jp2, J2kHeader& out);

}  // namespace kit
