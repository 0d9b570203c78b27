#pragma once
// The pictures a FlashPix save writes: one level's samples (grey, or three colour channels
// interleaved), the bitmap's own rows where they serve as they are or a converted copy,
// the reduced levels made by halving the level above, and the cutting into 64 × 64 tiles.

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
    // Colour channels stored blue, green, red (a 24-bit bitmap's order) rather than red first.
    bool bgr = false;
    const std::uint8_t* first = nullptr;  // row 0, the top one
    std::ptrdiff_t step = 0;              // bytes from a row to the next (negative for bottom-up rows)
    // The samples when the plane holds its own (not zeroed on allocation: every byte is
    // written before it is read).
    std::unique_ptr<std::uint8_t[]> owned;

    const std::uint8_t* row(std::uint32_t y) const { return first + static_cast<std::ptrdiff_t>(y) * step; }
    std::uint32_t tilesAcross() const { return (width + 63) / 64; }
    std::uint32_t tilesDown() const { return (height + 63) / 64; }
};

// Runs `work(begin, end)` over [0, count) split into one part per core (at most `most`
// parts), the calling thread taking the first part.
void inParallel(std::size_t count, std::size_t most, const std::function<void(std::size_t, std::size_t)>& work);

// The bitmap as a level: grey when `grey` (the table's grey of each index), else colour. A
// 24-bit bitmap and an 8-bit one of the plain grey ramp are read in place (the source must
// outlive the plane); other depths are converted.
Plane planeOf(const PixelSource& source, bool grey);

// The next level, in the same channel order: each pixel the rounded average of a 2 × 2
// block, the last column and row repeated when the side is odd; on up to `most` cores.
Plane halved(const Plane& from, std::size_t most = 8);

// Tiles first, first + 1, … (counted in rows of tiles) one after another into `out`, each
// 64 × 64 pixels with the picture's last column and row repeated beyond it; colour in
// red-green-blue order when `rgb`, else in the plane's own. The level is read a row at a
// time across the tiles: far quicker than 64 short rows scattered over as many memory
// pages, tile after tile.
void packTiles(const Plane& plane, std::size_t first, std::size_t count, bool rgb, std::uint8_t* out);

// The colour of tile (tx, ty) when all its pixels inside the picture are one colour
// (grey, or red in bits 0–7, green 8–15, blue 16–23).
std::optional<std::uint32_t> singleColour(const Plane& plane, std::uint32_t tx, std::uint32_t ty);

}  // namespace kit::fpx
