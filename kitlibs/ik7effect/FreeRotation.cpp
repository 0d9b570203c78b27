#include "FreeRotation.h"

#include "KitCall.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace effect {
namespace {

// The packed value that stands for the background in the source's format: the nearest
// colour-table entry, the colour scaled into bit-field masks, 5-5-5 for plain 16 bits, and
// B, G, R bytes (alpha 0) for 24 and 32 bits.
std::uint32_t backgroundValue(const DibView& source, std::uint32_t rgb) {
    const platform::BitmapInfoHeader& h = source.header();
    const auto r = static_cast<std::uint8_t>(rgb >> 16), g = static_cast<std::uint8_t>(rgb >> 8),
               b = static_cast<std::uint8_t>(rgb);
    if (h.biBitCount <= 8)
        return static_cast<std::uint32_t>(kit::nearestEntry(source.colourTable(), r, g, b));
    if (h.biCompression == platform::kBiBitFields) return kit::channelMasksOf(h, source.base() + h.biSize).pack(r, g, b);
    if (h.biBitCount == 16) return kit::pack555(r, g, b);
    return rgb;
}

}  // namespace

IKHANDLE turnFree(const DibView& source, std::int32_t angle, std::uint32_t background, Progress& progress) {
    const double radians = angle / 100.0 * M_PI / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const std::int32_t w = source.width(), h = source.height();
    const auto w2 = static_cast<std::int32_t>(std::ceil(std::fabs(w * c) + std::fabs(h * s) - 1e-9));
    const auto h2 = static_cast<std::int32_t>(std::ceil(std::fabs(w * s) + std::fabs(h * c) - 1e-9));
    platform::GlobalBlock result(allocateLike(source, std::max(w2, 1), std::max(h2, 1)));
    if (!result.get()) return 0;
    const DibView dst(result.get());
    const int bits = source.header().biBitCount;
    const bool smooth = bits == 24 || bits == 32;
    const int bytes = bits / 8;
    const std::uint32_t fill = backgroundValue(source, background);
    // Centres of both images; y grows downwards, so a counter-clockwise turn on screen maps
    // a destination point back by the turn the other way.
    const double cx = w / 2.0, cy = h / 2.0, cx2 = dst.width() / 2.0, cy2 = dst.height() / 2.0;
    for (std::int32_t y2 = 0; y2 < dst.height(); ++y2) {
        std::uint8_t* out = dst.row(y2);
        const double dy = y2 + 0.5 - cy2;
        for (std::int32_t x2 = 0; x2 < dst.width(); ++x2) {
            const double dx = x2 + 0.5 - cx2;
            const double sx = c * dx - s * dy + cx - 0.5;
            const double sy = s * dx + c * dy + cy - 0.5;
            if (sx <= -0.5 || sy <= -0.5 || sx >= w - 0.5 || sy >= h - 0.5) {
                setPixel(out, x2, bits, fill);
                continue;
            }
            if (!smooth) {
                const auto x = static_cast<std::int32_t>(std::lround(sx)), y = static_cast<std::int32_t>(std::lround(sy));
                setPixel(out, x2, bits, pixelAt(source.row(std::clamp(y, 0, h - 1)), std::clamp(x, 0, w - 1), bits));
                continue;
            }
            const double fx = std::floor(sx), fy = std::floor(sy);
            const double ax = sx - fx, ay = sy - fy;
            const std::int32_t x0 = std::clamp(static_cast<std::int32_t>(fx), 0, w - 1), x1 = std::min(x0 + 1, w - 1);
            const std::int32_t y0 = std::clamp(static_cast<std::int32_t>(fy), 0, h - 1), y1 = std::min(y0 + 1, h - 1);
            const std::uint8_t* r0 = source.row(y0);
            const std::uint8_t* r1 = source.row(y1);
            std::uint8_t* p = out + static_cast<std::size_t>(x2) * bytes;
            const std::size_t left = static_cast<std::size_t>(x0) * bytes, right = static_cast<std::size_t>(x1) * bytes;
            for (int k = 0; k < bytes; ++k) {
                const double top = r0[left + k] * (1 - ax) + r0[right + k] * ax;
                const double bottom = r1[left + k] * (1 - ax) + r1[right + k] * ax;
                p[k] = static_cast<std::uint8_t>(std::lround(top * (1 - ay) + bottom * ay));
            }
        }
        if (!progress.report(y2 + 1, dst.height())) return kit::fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    }
    copyResolution(source, dst, false);
    return result.release();
}

}  // namespace effect
