#pragma once
// Reads the pixels of a packed bitmap, given by its header and pixel bits, as 0xFFRRGGBB,
// one destination row at a time for nearest-pixel stretching.

#include "Pixels.h"
#include "platform/Dib.h"

#include <cstdint>
#include <vector>

namespace kit {

class DrawPixelReader {
public:
    DrawPixelReader(const platform::BitmapInfoHeader& h, const std::uint8_t* table, const std::uint8_t* bits)
        : bits_(h.biBitCount), width_(h.biWidth),
          rows_(bits, platform::dibStride(h.biWidth, h.biBitCount),
                h.biHeight < 0 ? -h.biHeight : h.biHeight, h.biHeight > 0) {
        if (bits_ <= 8) {
            lut_.assign(256, 0xFF000000u);
            const std::uint32_t count = platform::dibNumColors(h);
            for (std::uint32_t i = 0; i < count; ++i)
                lut_[i] = 0xFF000000u | (table[4 * i + 2] << 16) | (table[4 * i + 1] << 8) | table[4 * i];
        } else if (usesChannelMasks(h)) {
            masks_ = channelMasksOf(h, table);
            masked_ = true;
        }
    }
    // Row y from the top; 0 <= y < height.
    const std::uint8_t* row(std::int32_t y) const { return rows_.row(y); }
    std::uint32_t at(const std::uint8_t* row, std::size_t x) const {
        switch (bits_) {
        case 1: return lut_[pixelAt<1>(row, x)];
        case 4: return lut_[pixelAt<4>(row, x)];
        case 8: return lut_[pixelAt<8>(row, x)];
        case 24: return 0xFF000000u | pixelAt<24>(row, x);
        default: break;
        }
        const std::uint32_t v = bits_ == 16 ? pixelAt<16>(row, x) : pixelAt<32>(row, x);
        return masked_ ? masks_.colourOf(v) : 0xFF000000u | v;
    }
    // out[i] = the pixel of `row` at columns[i], for i < count. The common depths have
    // loops of their own, so that the depth is not asked again for every pixel.
    void fill(const std::uint8_t* row, const std::int32_t* columns, std::int32_t count, std::uint32_t* out) const {
        switch (bits_) {
        case 1: fillIndexed<1>(row, columns, count, out); return;
        case 8: fillIndexed<8>(row, columns, count, out); return;
        case 24:
            for (std::int32_t i = 0; i < count; ++i)
                out[i] = 0xFF000000u | pixelAt<24>(row, static_cast<std::size_t>(columns[i]));
            return;
        default:
            for (std::int32_t i = 0; i < count; ++i) out[i] = at(row, static_cast<std::size_t>(columns[i]));
            return;
        }
    }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return rows_.height(); }

private:
    template <int Bits>
    void fillIndexed(const std::uint8_t* row, const std::int32_t* columns, std::int32_t count, std::uint32_t* out) const {
        const std::uint32_t* lut = lut_.data();
        for (std::int32_t i = 0; i < count; ++i) out[i] = lut[pixelAt<Bits>(row, static_cast<std::size_t>(columns[i]))];
    }

    int bits_;
    std::int32_t width_;
    ConstPixelRows rows_;
    std::vector<std::uint32_t> lut_;
    ChannelMasks masks_;
    bool masked_ = false;
};

}  // namespace kit
