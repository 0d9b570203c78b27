#pragma once
// Helpers shared by the effect exports: new bitmaps shaped like a source, packed pixel
// access for every depth, rows read as BGRA, and the progress callback.

#include "DibBlock.h"

#include <cstdint>
#include <vector>

namespace effect {

using kit::DibView;

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

// A packed pixel value (palette index, or the raw 16/24/32-bit value) of row x.
inline std::uint32_t getPixel(const std::uint8_t* row, std::int32_t x, int bits) {
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case 8: return row[x];
    case 16: return row[2 * x] | (row[2 * x + 1] << 8);
    case 24: return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
    default: {
        const std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
        return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    }
}

inline void setPixel(std::uint8_t* row, std::int32_t x, int bits, std::uint32_t value) {
    switch (bits) {
    case 1: {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
        if (value & 1u) row[x >> 3] |= bit;
        else row[x >> 3] &= static_cast<std::uint8_t>(~bit);
        break;
    }
    case 4: {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (value & 0x0F))
                    : static_cast<std::uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
        break;
    }
    case 8: row[x] = static_cast<std::uint8_t>(value); break;
    case 16:
        row[2 * x] = static_cast<std::uint8_t>(value);
        row[2 * x + 1] = static_cast<std::uint8_t>(value >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<std::uint8_t>(value);
        row[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
        row[3 * x + 2] = static_cast<std::uint8_t>(value >> 16);
        break;
    default: {
        std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
        for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
        break;
    }
    }
}

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
    std::uint32_t masks_[3] = {0, 0, 0};
    int shifts_[3] = {0, 0, 0};
    int widths_[3] = {0, 0, 0};
    bool masked_ = false;
    bool alpha_ = false;
};

// Rec. 601 luminance of 8-bit channels, rounded.
inline std::uint8_t luminance(unsigned red, unsigned green, unsigned blue) {
    return static_cast<std::uint8_t>((red * 299 + green * 587 + blue * 114 + 500) / 1000);
}

// Relays progress to the caller's callback; step() is false once the caller asked to stop.
class Progress {
public:
    explicit Progress(IKPROGRESSPROC proc) : proc_(proc) {}
    bool step(std::int64_t done, std::int64_t total);
    bool finish() { return step(1, 1); }

private:
    IKPROGRESSPROC proc_;
    int last_ = -1;
};

}  // namespace effect
