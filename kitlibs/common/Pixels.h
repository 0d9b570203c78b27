#pragma once
// Packed bitmap pixels: rows of a bitmap, 1-, 4-, 8-, 16-, 24- and 32-bit values read and
// written, and the colour channels of 16- and 32-bit values. Per-pixel access is inline
// (hot loops call it); the depth may be a template argument for loops made per depth.

#include "platform/Dib.h"

#include <cassert>
#include <cstddef>
#include <cstdint>

namespace kit {

// The rows of a bitmap's pixels: `height` rows of `stride` bytes, the bottom row stored
// first unless the bitmap is top-down. Byte is const for rows that are only read.
template <typename Byte>
class BasicPixelRows {
public:
    BasicPixelRows(Byte* pixels, std::size_t stride, std::int32_t height, bool bottomUp)
        : pixels_(pixels), stride_(stride), height_(height), bottomUp_(bottomUp) {}

    // Row y counted from the top of the picture; 0 <= y < height (checked in debug builds).
    Byte* row(std::int32_t y) const {
        assert(y >= 0 && y < height_);
        const std::size_t stored = bottomUp_ ? static_cast<std::size_t>(height_ - 1 - y) : static_cast<std::size_t>(y);
        return pixels_ + stored * stride_;
    }
    std::int32_t height() const { return height_; }
    std::size_t stride() const { return stride_; }

private:
    Byte* pixels_;
    std::size_t stride_;
    std::int32_t height_;
    bool bottomUp_;
};

using PixelRows = BasicPixelRows<std::uint8_t>;
using ConstPixelRows = BasicPixelRows<const std::uint8_t>;

// Bytes that `width` pixels of `bits` take in a row, without the row's padding.
constexpr std::size_t packedRowBytes(std::size_t width, int bits) {
    return (width * static_cast<std::size_t>(bits) + 7) / 8;
}

// The value of pixel x of a row: the colour-table index up to 8 bits, else the
// little-endian 16-, 24- or 32-bit value. x is below the row's width.
template <int Bits>
inline std::uint32_t pixelAt(const std::uint8_t* row, std::size_t x) {
    static_assert(Bits == 1 || Bits == 4 || Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32);
    if constexpr (Bits == 1) {
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    } else if constexpr (Bits == 4) {
        return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    } else if constexpr (Bits == 8) {
        return row[x];
    } else {
        const std::uint8_t* p = row + x * (Bits / 8);
        std::uint32_t value = 0;
        for (int i = 0; i < Bits / 8; ++i) value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
        return value;
    }
}

// Writes pixel x of a row; bits of `value` beyond the depth are ignored.
template <int Bits>
inline void setPixel(std::uint8_t* row, std::size_t x, std::uint32_t value) {
    static_assert(Bits == 1 || Bits == 4 || Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32);
    if constexpr (Bits == 1) {
        const auto bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
        if (value & 1u) row[x >> 3] |= bit;
        else row[x >> 3] &= static_cast<std::uint8_t>(~bit);
    } else if constexpr (Bits == 4) {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0u) | (value & 0x0Fu))
                    : static_cast<std::uint8_t>((b & 0x0Fu) | ((value & 0x0Fu) << 4));
    } else if constexpr (Bits == 8) {
        row[x] = static_cast<std::uint8_t>(value);
    } else {
        std::uint8_t* p = row + x * (Bits / 8);
        for (int i = 0; i < Bits / 8; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// The same for a depth known only at run time (1, 4, 8, 16, 24 or 32; others read as 32).
inline std::uint32_t pixelAt(const std::uint8_t* row, std::size_t x, int bits) {
    switch (bits) {
    case 1: return pixelAt<1>(row, x);
    case 4: return pixelAt<4>(row, x);
    case 8: return pixelAt<8>(row, x);
    case 16: return pixelAt<16>(row, x);
    case 24: return pixelAt<24>(row, x);
    default: return pixelAt<32>(row, x);
    }
}

inline void setPixel(std::uint8_t* row, std::size_t x, int bits, std::uint32_t value) {
    switch (bits) {
    case 1: setPixel<1>(row, x, value); break;
    case 4: setPixel<4>(row, x, value); break;
    case 8: setPixel<8>(row, x, value); break;
    case 16: setPixel<16>(row, x, value); break;
    case 24: setPixel<24>(row, x, value); break;
    default: setPixel<32>(row, x, value); break;
    }
}

// The colour-table index of pixel x of a 1-, 4- or 8-bit row (other depths read as 8).
inline std::uint8_t indexAt(const std::uint8_t* row, std::size_t x, int bits) {
    switch (bits) {
    case 1: return static_cast<std::uint8_t>(pixelAt<1>(row, x));
    case 4: return static_cast<std::uint8_t>(pixelAt<4>(row, x));
    default: return row[x];
    }
}

// One colour channel of a 16- or 32-bit value: the run of set bits from the mask's lowest
// set bit (bits above a gap in the mask are not part of it).
class ChannelMask {
public:
    constexpr ChannelMask() = default;
    constexpr explicit ChannelMask(std::uint32_t mask) {
        if (!mask) return;
        while (!(mask & 1u)) {
            mask >>= 1;
            ++shift_;
        }
        while (mask & 1u) {
            mask >>= 1;
            ++width_;
        }
        max_ = width_ >= 32 ? 0xFFFFFFFFu : (1u << width_) - 1;
    }

    constexpr int shift() const { return shift_; }
    constexpr int width() const { return width_; }
    // The channel's largest value (0 for an empty mask).
    constexpr std::uint32_t max() const { return max_; }

    // The channel of `value` as a level 0 … 255, rounded to the nearest.
    constexpr std::uint8_t level(std::uint32_t value) const {
        if (!max_) return 0;
        const std::uint32_t v = (value >> shift_) & max_;
        if (max_ < (1u << 24)) return static_cast<std::uint8_t>((v * 255 + max_ / 2) / max_);
        return static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) * 255 + max_ / 2) / max_);
    }
    // A level 0 … 255 as the channel's bits of a value, rounded to the nearest step.
    constexpr std::uint32_t pack(std::uint8_t level) const {
        if (!max_) return 0;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(level) * max_ + 127) / 255) << shift_;
    }

private:
    std::uint32_t max_ = 0;
    int shift_ = 0;
    int width_ = 0;
};

// The red, green and blue channels of 16- or 32-bit values.
struct ChannelMasks {
    ChannelMask red, green, blue;

    // The colour of a value as 0xFFRRGGBB.
    constexpr std::uint32_t colourOf(std::uint32_t value) const {
        return 0xFF000000u | static_cast<std::uint32_t>(red.level(value)) << 16 |
               static_cast<std::uint32_t>(green.level(value)) << 8 | blue.level(value);
    }
    // The value of a colour, each level rounded to its channel's nearest step.
    constexpr std::uint32_t pack(std::uint8_t r, std::uint8_t g, std::uint8_t b) const {
        return red.pack(r) | green.pack(g) | blue.pack(b);
    }
};

// Red, green and blue masks of the usual layouts.
inline constexpr std::uint32_t kMasks555[3] = {0x7C00, 0x03E0, 0x001F};
inline constexpr std::uint32_t kMasks565[3] = {0xF800, 0x07E0, 0x001F};
inline constexpr std::uint32_t kMasks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

constexpr ChannelMasks channelMasks(const std::uint32_t (&masks)[3]) {
    return ChannelMasks{ChannelMask(masks[0]), ChannelMask(masks[1]), ChannelMask(masks[2])};
}

// Whether a bitmap's pixels are read through channel masks: bit-field bitmaps, and plain
// 16-bit ones (5-5-5). Plain 24- and 32-bit pixels are B, G, R bytes.
inline bool usesChannelMasks(const platform::BitmapInfoHeader& header) {
    return header.biBitCount == 16 || header.biCompression == platform::kBiBitFields;
}

// The channels of a bitmap's 16- or 32-bit values: the three masks that follow the header
// of a bit-field bitmap (`afterHeader`, 12 bytes), 5-5-5 for plain 16 bits, 8-8-8 else.
ChannelMasks channelMasksOf(const platform::BitmapInfoHeader& header, const std::uint8_t* afterHeader);

// The 5-5-5 value of 8-bit levels, each level's low three bits dropped.
constexpr std::uint32_t pack555(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<std::uint32_t>(red >> 3) << 10 | static_cast<std::uint32_t>(green >> 3) << 5 |
           static_cast<std::uint32_t>(blue >> 3);
}

}  // namespace kit
