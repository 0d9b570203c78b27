#pragma once
// The pictures a FlashPix save writes: one level's samples (grey, or R, G, B interleaved),
// made from the bitmap or by halving the level above, and cut into 64 × 64 tiles.

#include "FpxLayout.h"
#include "PixelSource.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kit::fpx {

struct Plane {
    std::uint32_t width = 0, height = 0, channels = 0;
    // Not zeroed on allocation: every byte is written before it is read.
    std::unique_ptr<std::uint8_t[]> samples;

    std::size_t stride() const { return std::size_t{width} * channels; }
    std::uint8_t* row(std::uint32_t y) const { return samples.get() + y * stride(); }
    std::uint32_t tilesAcross() const { return (width + 63) / 64; }
    std::uint32_t tilesDown() const { return (height + 63) / 64; }
};

// Runs `work(begin, end)` over [0, count) split into one part per core (at most `most`
// parts), the calling thread taking the first part.
void inParallel(std::size_t count, std::size_t most, const std::function<void(std::size_t, std::size_t)>& work);

// The bitmap as a level: grey when `grey` (the table's grey of each index), else R, G, B.
Plane planeOf(const PixelSource& source, bool grey);

// The next level: each pixel the rounded average of a 2 × 2 block, the last column and row
// repeated when the side is odd; on up to `most` cores.
Plane halved(const Plane& from, std::size_t most = 8);

// Tile (tx, ty) as 64 × 64 pixels into `out`, the picture's last column and row repeated
// beyond it.
void cutTile(const Plane& plane, std::uint32_t tx, std::uint32_t ty, std::uint8_t* out);

// The colour of tile (tx, ty) when all its pixels inside the picture are one colour
// (channel c in bits 8c to 8c + 7).
std::optional<std::uint32_t> singleColour(const Plane& plane, std::uint32_t tx, std::uint32_t ty);

}  // namespace kit::fpx
