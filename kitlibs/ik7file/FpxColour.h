#pragma once
// The colours of a tile's channels as bitmap bytes: grey, or blue-green-red, with opacity
// (stored premultiplied) composed onto white, and the YCC spaces converted to RGB.

#include "FpxImage.h"

#include <algorithm>
#include <cstdint>

namespace kit::fpx {

inline std::uint8_t clampByte(int value) { return std::uint8_t(std::clamp(value, 0, 255)); }

// Premultiplied colour composed onto white.
inline std::uint8_t onWhite(std::uint8_t value, std::uint8_t opacity) { return clampByte(value + 255 - opacity); }

// Y, Cb, Cr of the JPEG colour conversion to R, G, B (fixed point, 16 fraction bits).
inline void ycbcrToRgb(std::uint8_t* p) {
    const int y = p[0] << 16, cb = p[1] - 128, cr = p[2] - 128;
    p[0] = clampByte((y + 91881 * cr + 32768) >> 16);
    p[1] = clampByte((y - 22554 * cb - 46802 * cr + 32768) >> 16);
    p[2] = clampByte((y + 116130 * cb + 32768) >> 16);
}

// PhotoYCC (8-bit luma and the two offset chroma values) to R, G, B.
inline void photoYccToRgb(std::uint8_t* p) {
    const double y = 1.3584 * p[0], c1 = 2.2179 * (p[1] - 156), c2 = 1.8215 * (p[2] - 137);
    p[0] = clampByte(static_cast<int>(y + c2 + 0.5));
    p[1] = clampByte(static_cast<int>(y - 0.194 * c1 - 0.509 * c2 + 0.5));
    p[2] = clampByte(static_cast<int>(y + c1 + 0.5));
}

// Writes `count` pixels of interleaved channels `in` as bitmap bytes to `out`.
inline void tileRowToBitmap(const Level& level, const std::uint8_t* in, std::size_t count, std::uint8_t* out) {
    switch (level.colour) {
    case ColourKind::Grey: std::copy(in, in + count, out); return;
    case ColourKind::GreyOpacity:
        for (std::size_t x = 0; x < count; ++x) out[x] = onWhite(in[2 * x], in[2 * x + 1]);
        return;
    case ColourKind::Rgb:
        for (std::size_t x = 0; x < count; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        return;
    case ColourKind::RgbOpacity:
        for (std::size_t x = 0; x < count; ++x, in += 4, out += 3) {
            out[0] = onWhite(in[2], in[3]);
            out[1] = onWhite(in[1], in[3]);
            out[2] = onWhite(in[0], in[3]);
        }
        return;
    case ColourKind::PhotoYcc:
    case ColourKind::PhotoYccOpacity: {
        const std::size_t step = level.colour == ColourKind::PhotoYcc ? 3 : 4;
        for (std::size_t x = 0; x < count; ++x, in += step, out += 3) {
            std::uint8_t rgb[3] = {in[0], in[1], in[2]};
            photoYccToRgb(rgb);
            const std::uint8_t opacity = step == 4 ? in[3] : 255;
            out[0] = onWhite(rgb[2], opacity);
            out[1] = onWhite(rgb[1], opacity);
            out[2] = onWhite(rgb[0], opacity);
        }
        return;
    }
    }
}

}  // namespace kit::fpx
