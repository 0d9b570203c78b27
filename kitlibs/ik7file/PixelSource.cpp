#include "PixelSource.h"

#include <algorithm>
#include <cstring>

namespace kit {

PixelSource::PixelSource(IKHANDLE image) : dib_(image) {
    if (!dib_.usable()) return;
    const int depth = bits();
    if (depth <= 8) {
        const platform::RgbQuad* colours = dib_.colours();
        table_.assign(colours, colours + dib_.colourCount());
        // Indices beyond a short table read as black.
        table_.resize(std::size_t(1) << depth, platform::RgbQuad{0, 0, 0, 0});
    } else if (usesChannelMasks(dib_.header())) {
        masked_ = true;
        masks_ = channelMasksOf(dib_.header(), dib_.base() + dib_.header().biSize);
    } else if (depth == 32) {
        bool someZero = false, someOpaque = false, between = false;
        const auto w = static_cast<std::size_t>(width());
        for (std::int32_t y = 0; y < height() && !between; ++y) {
            const std::uint8_t* r = dib_.row(y);
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint8_t a = r[4 * x + 3];
                someZero |= a == 0;
                someOpaque |= a == 255;
                between |= a != 0 && a != 255;
            }
        }
        alpha_ = between || (someZero && someOpaque);
    }
    usable_ = depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

bool PixelSource::greyTable() const { return allGrey(table_); }

bool PixelSource::identityGreyTable() const {
    if (bits() != 8) return false;
    return isIdentityGrey(std::span(table_).first(std::min<std::size_t>(dib_.colourCount(), table_.size())));
}

void PixelSource::rgbRow(std::int32_t y, std::uint8_t* out) const {
    const auto w = static_cast<std::size_t>(width());
    const std::uint8_t* src = dib_.row(y);
    const int depth = bits();
    if (depth <= 8) {
        for (std::size_t x = 0; x < w; ++x) {
            const platform::RgbQuad& c = table_[indexAt(src, x, depth)];
            out[3 * x] = c.red;
            out[3 * x + 1] = c.green;
            out[3 * x + 2] = c.blue;
        }
        return;
    }
    if (masked_) {
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t rgb = masks_.colourOf(pixelAt(src, x, depth));
            out[3 * x] = static_cast<std::uint8_t>(rgb >> 16);
            out[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
            out[3 * x + 2] = static_cast<std::uint8_t>(rgb);
        }
        return;
    }
    const std::size_t step = static_cast<std::size_t>(depth) / 8;
    for (std::size_t x = 0; x < w; ++x) {
        out[3 * x] = src[step * x + 2];
        out[3 * x + 1] = src[step * x + 1];
        out[3 * x + 2] = src[step * x];
    }
}

void PixelSource::rgbaRow(std::int32_t y, std::uint8_t* out) const {
    const auto w = static_cast<std::size_t>(width());
    if (alpha_) {
        const std::uint8_t* src = dib_.row(y);
        for (std::size_t x = 0; x < w; ++x) {
            out[4 * x] = src[4 * x + 2];
            out[4 * x + 1] = src[4 * x + 1];
            out[4 * x + 2] = src[4 * x];
            out[4 * x + 3] = src[4 * x + 3];
        }
        return;
    }
    std::vector<std::uint8_t> rgb(w * 3);
    rgbRow(y, rgb.data());
    for (std::size_t x = 0; x < w; ++x) {
        out[4 * x] = rgb[3 * x];
        out[4 * x + 1] = rgb[3 * x + 1];
        out[4 * x + 2] = rgb[3 * x + 2];
        out[4 * x + 3] = 255;
    }
}

}  // namespace kit
