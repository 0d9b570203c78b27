#pragma once
// Helpers shared by the effect exports: new bitmaps shaped like a source, rows read as
// BGRA; packed pixels, luminance and the progress relay from the kit's toolkit.

#include "Colour.h"
#include "DibBlock.h"
#include "Pixels.h"
#include "Progress.h"

#include <cstdint>
#include <vector>

namespace effect {

using kit::DibView;
using kit::luminance;
using kit::pixelAt;
using kit::Progress;
using kit::setPixel;

// A zeroed bottom-up bitmap of width × height with the source's depth, compression,
// colour table, channel masks and resolution. 0 with a status when it cannot be made.
IKHANDLE allocateLike(const DibView& source, std::int32_t width, std::int32_t height);

// A zeroed bottom-up bitmap with a grey colour table of 256 entries.
IKHANDLE allocateGrey(std::int32_t width, std::int32_t height);

// The resolution of `from` copied into `to`, optionally swapped (quarter turns).
void copyResolution(const DibView& from, const DibView& to, bool swapped);

// The address of every row counted from the top, so that hot loops need no header
// arithmetic per pixel.
std::vector<std::uint8_t*> rowsOf(const DibView& dib);

// Reads rows of any supported bitmap as B, G, R, A bytes (A is 255 unless the bitmap is
// a plain 32-bit one, whose fourth byte is its alpha).
class RowReader {
public:
    explicit RowReader(const DibView& dib);
    void read(std::int32_t y, std::uint8_t* bgra) const;
    // The colour of a packed pixel value as 0xAARRGGBB.
    std::uint32_t colourOf(std::uint32_t value) const;
    bool hasAlpha() const { return alpha_; }

private:
    const DibView& dib_;
    int bits_;
    std::vector<std::uint32_t> table_;  // palette depths: the colour of each index
    kit::ChannelMasks masks_;
    bool masked_ = false;
    bool alpha_ = false;
};

}  // namespace effect
