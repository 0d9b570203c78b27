#include "QuarterTurn.h"

#include "KitCall.h"
#include "TiledTurn.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace effect {
namespace {

// Transposes an 8 × 8 bit block: bit (7 − c) of in[r] becomes bit (7 − r) of out[c].
void transpose8(const std::uint8_t in[8], std::uint8_t out[8]) {
    std::uint64_t x = 0;
    for (int r = 0; r < 8; ++r) x |= static_cast<std::uint64_t>(in[r]) << (56 - 8 * r);
    std::uint64_t t;
    t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x ^= t ^ (t << 28);
    for (int c = 0; c < 8; ++c) out[c] = static_cast<std::uint8_t>(x >> (56 - 8 * c));
}

// 1-bit quarter turns by 8 × 8 blocks. Counter-clockwise: destination (x', y') is source
// (W − 1 − y', x'); clockwise: source (y', H − 1 − x'). Eight destination byte columns are
// made together, so that each destination row receives eight bytes at a time.
bool turnOneBit(const DibView& src, const DibView& dst, bool counterClockwise, Progress& progress) {
    const std::vector<std::uint8_t*> from = rowsOf(src), to = rowsOf(dst);
    const std::int32_t w = src.width(), h = src.height();
    const std::int32_t srcBytes = (w + 7) / 8, dstBytes = (h + 7) / 8;
    const std::vector<std::uint8_t> blank(static_cast<std::size_t>(srcBytes), 0);  // rows below the picture
    constexpr int kGroup = 8;
    for (std::int32_t first = 0; first < dstBytes; first += kGroup) {
        const int group = static_cast<int>(std::min<std::int32_t>(kGroup, dstBytes - first));
        // The source rows that make destination byte columns first … first + group − 1.
        const std::uint8_t* rows[8 * kGroup];
        for (int k = 0; k < 8 * group; ++k) {
            const std::int32_t x2 = 8 * first + k;
            rows[k] = x2 < h ? from[static_cast<std::size_t>(counterClockwise ? x2 : h - 1 - x2)] : blank.data();
        }
        for (std::int32_t xb = 0; xb < srcBytes; ++xb) {
            std::uint8_t out[kGroup][8];
            for (int g = 0; g < group; ++g) {
                std::uint8_t in[8];
                for (int k = 0; k < 8; ++k) in[k] = rows[8 * g + k][xb];
                transpose8(in, out[g]);
            }
            const int columns = std::min(8, w - 8 * xb);
            for (int c = 0; c < columns; ++c) {
                const std::int32_t x = 8 * xb + c;
                std::uint8_t* row = to[static_cast<std::size_t>(counterClockwise ? w - 1 - x : x)] + first;
                for (int g = 0; g < group; ++g) row[g] = out[g][c];
            }
        }
        for (int g = 0; g < group; ++g)
            if (!progress.report(first + g + 1, dstBytes)) return false;
    }
    return true;
}

// Packed 1- and 4-bit pixels one by one, in tiles so that both images are walked
// cache-friendly.
bool turnPackedPixels(const DibView& src, const DibView& dst, int quarters, Progress& progress) {
    const std::vector<std::uint8_t*> from = rowsOf(src), to = rowsOf(dst);
    const int bits = src.header().biBitCount;
    const std::int32_t w = src.width(), h = src.height();
    const std::int32_t w2 = dst.width(), h2 = dst.height();
    constexpr std::int32_t kTile = 64;
    for (std::int32_t ty = 0; ty < h2; ty += kTile) {
        const std::int32_t yEnd = std::min(h2, ty + kTile);
        for (std::int32_t tx = 0; tx < w2; tx += kTile) {
            const std::int32_t xEnd = std::min(w2, tx + kTile);
            for (std::int32_t y2 = ty; y2 < yEnd; ++y2) {
                std::uint8_t* out = to[static_cast<std::size_t>(y2)];
                for (std::int32_t x2 = tx; x2 < xEnd; ++x2) {
                    std::int32_t x, y;
                    switch (quarters) {
                    case 1: x = w - 1 - y2; y = x2; break;          // counter-clockwise
                    case 2: x = w - 1 - x2; y = h - 1 - y2; break;  // half turn
                    default: x = y2; y = h - 1 - x2; break;         // clockwise
                    }
                    setPixel(out, x2, bits, pixelAt(from[static_cast<std::size_t>(y)], x, bits));
                }
            }
        }
        if (!progress.report(yEnd, h2)) return false;
    }
    return true;
}

}  // namespace

IKHANDLE turnQuarters(const DibView& source, int quarters, Progress& progress) {
    const bool sideways = quarters % 2 == 1;
    const std::int32_t w = source.width(), h = source.height();
    platform::GlobalBlock result(allocateLike(source, sideways ? h : w, sideways ? w : h));
    if (!result.get()) return 0;
    const DibView dst(result.get());
    bool done = true;
    if (quarters == 0) {
        for (std::int32_t y = 0; y < h; ++y) std::memcpy(dst.row(y), source.row(y), dst.stride());
    } else if (sideways && source.header().biBitCount == 1) {
        done = turnOneBit(source, dst, quarters == 1, progress);
    } else if (source.header().biBitCount >= 8) {
        done = turnWholeBytePixels(source, dst, quarters, progress);
    } else {
        done = turnPackedPixels(source, dst, quarters, progress);
    }
    if (!done) return kit::fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    copyResolution(source, dst, sideways);
    return result.release();
}

}  // namespace effect
