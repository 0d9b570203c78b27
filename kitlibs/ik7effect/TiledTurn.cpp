#include "TiledTurn.h"

#include <algorithm>
#include <cstring>

namespace effect {
namespace {

// 64 × 64 pixels of 24 bits are 12 KB read and 12 KB written: both fit the first-level cache.
constexpr std::int32_t kTile = 64;

// One tile of the destination, [x0, x1) × [y0, y1), from the source rows. Counter-clockwise:
// destination (x', y') is source (W − 1 − y', x'); clockwise: source (y', H − 1 − x');
// half turn: source (W − 1 − x', H − 1 − y').
template <int Bytes>
void turnTile(std::uint8_t* const* src, std::uint8_t* const* dst, int quarters, std::int32_t w, std::int32_t h,
              std::int32_t x0, std::int32_t x1, std::int32_t y0, std::int32_t y1) {
    for (std::int32_t y2 = y0; y2 < y1; ++y2) {
        std::uint8_t* out = dst[y2] + static_cast<std::size_t>(x0) * Bytes;
        if (quarters == 2) {
            const std::uint8_t* in = src[h - 1 - y2] + static_cast<std::size_t>(w - 1 - x0) * Bytes;
            for (std::int32_t x2 = x0; x2 < x1; ++x2, out += Bytes, in -= Bytes) std::memcpy(out, in, Bytes);
        } else if (quarters == 1) {
            const std::size_t column = static_cast<std::size_t>(w - 1 - y2) * Bytes;
            for (std::int32_t x2 = x0; x2 < x1; ++x2, out += Bytes) std::memcpy(out, src[x2] + column, Bytes);
        } else {
            const std::size_t column = static_cast<std::size_t>(y2) * Bytes;
            for (std::int32_t x2 = x0; x2 < x1; ++x2, out += Bytes) std::memcpy(out, src[h - 1 - x2] + column, Bytes);
        }
    }
}

template <int Bytes>
bool turnTiles(const DibView& src, const DibView& dst, int quarters, Progress& progress) {
    const std::vector<std::uint8_t*> from = rowsOf(src), to = rowsOf(dst);
    const std::int32_t w = src.width(), h = src.height(), w2 = dst.width(), h2 = dst.height();
    for (std::int32_t ty = 0; ty < h2; ty += kTile) {
        const std::int32_t yEnd = std::min(h2, ty + kTile);
        for (std::int32_t tx = 0; tx < w2; tx += kTile)
            turnTile<Bytes>(from.data(), to.data(), quarters, w, h, tx, std::min(w2, tx + kTile), ty, yEnd);
        if (!progress.report(yEnd, h2)) return false;
    }
    return true;
}

}  // namespace

bool turnWholeBytePixels(const DibView& src, const DibView& dst, int quarters, Progress& progress) {
    switch (src.header().biBitCount) {
    case 8: return turnTiles<1>(src, dst, quarters, progress);
    case 16: return turnTiles<2>(src, dst, quarters, progress);
    case 24: return turnTiles<3>(src, dst, quarters, progress);
    default: return turnTiles<4>(src, dst, quarters, progress);
    }
}

}  // namespace effect
