#include "PixelSource.h"

#include "DibImage.h"

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
    } else if (depth == 16 || dib_.header().biCompression == platform::kBiBitFields) {
        masked_ = imageFromDib(image).convertToFormat(QImage::Format_RGB888);
        if (masked_.isNull()) return;
    } else if (depth == 32) {
        bool someZero = false, someOpaque = false, between = false;
        for (std::int32_t y = 0; y < height() && !between; ++y) {
            const std::uint8_t* r = dib_.row(y);
            for (std::int32_t x = 0; x < width(); ++x) {
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

bool PixelSource::greyTable() const {
    for (const platform::RgbQuad& c : table_)
        if (c.red != c.green || c.green != c.blue) return false;
    return true;
}

bool PixelSource::identityGreyTable() const {
    if (bits() != 8) return false;
    for (std::uint32_t i = 0; i < dib_.colourCount() && i < 256; ++i) {
        const platform::RgbQuad& c = table_[i];
        if (c.red != i || c.green != i || c.blue != i) return false;
    }
    return true;
}

std::uint8_t PixelSource::indexAt(const std::uint8_t* row, std::int32_t x, int bits) {
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default: return row[x];
    }
}

void PixelSource::rgbRow(std::int32_t y, std::uint8_t* out) const {
    const std::int32_t w = width();
    if (!masked_.isNull()) {
        std::memcpy(out, masked_.constScanLine(y), static_cast<std::size_t>(w) * 3);
        return;
    }
    const std::uint8_t* src = dib_.row(y);
    const int depth = bits();
    if (depth <= 8) {
        for (std::int32_t x = 0; x < w; ++x) {
            const platform::RgbQuad& c = table_[indexAt(src, x, depth)];
            out[3 * x] = c.red;
            out[3 * x + 1] = c.green;
            out[3 * x + 2] = c.blue;
        }
        return;
    }
    const int step = depth / 8;
    for (std::int32_t x = 0; x < w; ++x) {
        out[3 * x] = src[step * x + 2];
        out[3 * x + 1] = src[step * x + 1];
        out[3 * x + 2] = src[step * x];
    }
}

void PixelSource::rgbaRow(std::int32_t y, std::uint8_t* out) const {
    const std::int32_t w = width();
    if (alpha_) {
        const std::uint8_t* src = dib_.row(y);
        for (std::int32_t x = 0; x < w; ++x) {
            out[4 * x] = src[4 * x + 2];
            out[4 * x + 1] = src[4 * x + 1];
            out[4 * x + 2] = src[4 * x];
            out[4 * x + 3] = src[4 * x + 3];
        }
        return;
    }
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * 3);
    rgbRow(y, rgb.data());
    for (std::int32_t x = 0; x < w; ++x) {
        out[4 * x] = rgb[3 * x];
        out[4 * x + 1] = rgb[3 * x + 1];
        out[4 * x + 2] = rgb[3 * x + 2];
        out[4 * x + 3] = 255;
    }
}

int nearestEntry(const std::vector<platform::RgbQuad>& table, int red, int green, int blue) {
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < int(table.size()); ++i) {
        const int dr = table[i].red - red, dg = table[i].green - green, db = table[i].blue - blue;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace kit
