#pragma once
// Reads the pixels of a packed bitmap, given by its header and pixel bits, as 0xFFRRGGBB,
// one destination row at a time for nearest-pixel stretching.

#include "platform/Dib.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace kit {

class PixelSource {
public:
    PixelSource(const platform::BitmapInfoHeader& h, const std::uint8_t* table, const std::uint8_t* bits)
        : h_(h), bits_(bits), stride_(platform::dibStride(h.biWidth, h.biBitCount)),
          height_(h.biHeight < 0 ? -h.biHeight : h.biHeight) {
        if (h.biBitCount <= 8) {
            lut_.assign(256, 0xFF000000u);
            const std::uint32_t count = platform::dibNumColors(h);
            for (std::uint32_t i = 0; i < count; ++i)
                lut_[i] = 0xFF000000u | (table[4 * i + 2] << 16) | (table[4 * i + 1] << 8) | table[4 * i];
        } else if (h.biBitCount == 16 || h.biCompression == platform::kBiBitFields) {
            std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
            if (h.biCompression == platform::kBiBitFields) std::memcpy(masks, table, sizeof(masks));
            for (int c = 0; c < 3; ++c) {
                mask_[c] = masks[c];
                while (masks[c] && !(masks[c] & (1u << shift_[c]))) ++shift_[c];
                max_[c] = masks[c] >> shift_[c];
            }
            masked_ = true;
        }
    }
    const std::uint8_t* row(std::int32_t y) const {
        const std::int32_t stored = h_.biHeight > 0 ? height_ - 1 - y : y;
        return bits_ + static_cast<std::size_t>(stored) * stride_;
    }
    std::uint32_t at(const std::uint8_t* row, std::int32_t x) const {
        switch (h_.biBitCount) {
        case 1: return lut_[(row[x >> 3] >> (7 - (x & 7))) & 1];
        case 4: return lut_[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)];
        case 8: return lut_[row[x]];
        case 24: return 0xFF000000u | (row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x];
        default: break;
        }
        std::uint32_t v = 0;
        if (h_.biBitCount == 16) v = row[2 * x] | (row[2 * x + 1] << 8);
        else std::memcpy(&v, row + 4 * static_cast<std::size_t>(x), 4);
        if (!masked_) return 0xFF000000u | v;
        std::uint32_t rgb = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
            if (max_[c]) rgb |= (((v & mask_[c]) >> shift_[c]) * 255 / max_[c]) << (16 - 8 * c);
        return rgb;
    }
    // out[i] = the pixel of `row` at columns[i], for i < count. The common depths have
    // loops of their own, so that the depth is not asked again for every pixel.
    void fill(const std::uint8_t* row, const std::int32_t* columns, std::int32_t count, std::uint32_t* out) const {
        const std::uint32_t* lut = lut_.data();
        switch (h_.biBitCount) {
        case 1:
            for (std::int32_t i = 0; i < count; ++i) {
                const std::int32_t x = columns[i];
                out[i] = lut[(row[x >> 3] >> (7 - (x & 7))) & 1];
            }
            return;
        case 8:
            for (std::int32_t i = 0; i < count; ++i) out[i] = lut[row[columns[i]]];
            return;
        case 24:
            for (std::int32_t i = 0; i < count; ++i) {
                const std::uint8_t* p = row + 3 * static_cast<std::size_t>(columns[i]);
                out[i] = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
            }
            return;
        default:
            for (std::int32_t i = 0; i < count; ++i) out[i] = at(row, columns[i]);
            return;
        }
    }
    std::int32_t width() const { return h_.biWidth; }
    std::int32_t height() const { return height_; }

private:
    const platform::BitmapInfoHeader& h_;
    const std::uint8_t* bits_;
    std::uint32_t stride_;
    std::int32_t height_;
    std::vector<std::uint32_t> lut_;
    std::uint32_t mask_[3] = {0, 0, 0}, max_[3] = {0, 0, 0};
    int shift_[3] = {0, 0, 0};
    bool masked_ = false;
};

}  // namespace kit
