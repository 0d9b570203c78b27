#include "QuarterTurn.h"

#include "KitCall.h"

#include <algorithm>
#include <cstring>

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
// (W − 1 − y', x'); clockwise: source (y', H − 1 − x').
bool turnOneBit(const DibView& src, const DibView& dst, bool counterClockwise, Progress& progress) {
    const std::int32_t w = src.width(), h = src.height();
    const std::int32_t srcBytes = (w + 7) / 8, dstBytes = (h + 7) / 8;
    for (std::int32_t xb2 = 0; xb2 < dstBytes; ++xb2) {
        // The eight source rows that make destination byte column xb2.
        const std::uint8_t* rows[8];
        for (int k = 0; k < 8; ++k) {
            const std::int32_t x2 = 8 * xb2 + k;
            const std::int32_t y = counterClockwise ? x2 : h - 1 - x2;
            rows[k] = (x2 < h) ? src.row(y) : nullptr;
        }
        for (std::int32_t xb = 0; xb < srcBytes; ++xb) {
            std::uint8_t in[8], out[8];
            for (int k = 0; k < 8; ++k) in[k] = rows[k] ? rows[k][xb] : 0;
            transpose8(in, out);
            const int columns = std::min(8, w - 8 * xb);
            for (int c = 0; c < columns; ++c) {
                const std::int32_t x = 8 * xb + c;
                const std::int32_t y2 = counterClockwise ? w - 1 - x : x;
                dst.row(y2)[xb2] = out[c];
            }
        }
        if (!progress.step(xb2 + 1, dstBytes)) return false;
    }
    return true;
}

// Any depth, pixel by pixel in tiles so that both images are walked cache-friendly.
bool turnPixels(const DibView& src, const DibView& dst, int quarters, Progress& progress) {
    const int bits = src.header().biBitCount;
    const std::int32_t w = src.width(), h = src.height();
    const std::int32_t w2 = dst.width(), h2 = dst.height();
    constexpr std::int32_t kTile = 64;
    for (std::int32_t ty = 0; ty < h2; ty += kTile) {
        const std::int32_t yEnd = std::min(h2, ty + kTile);
        for (std::int32_t tx = 0; tx < w2; tx += kTile) {
            const std::int32_t xEnd = std::min(w2, tx + kTile);
            for (std::int32_t y2 = ty; y2 < yEnd; ++y2) {
                std::uint8_t* out = dst.row(y2);
                for (std::int32_t x2 = tx; x2 < xEnd; ++x2) {
                    std::int32_t x, y;
                    switch (quarters) {
                    case 1: x = w - 1 - y2; y = x2; break;          // counter-clockwise
                    case 2: x = w - 1 - x2; y = h - 1 - y2; break;  // half turn
                    default: x = y2; y = h - 1 - x2; break;         // clockwise
                    }
                    setPixel(out, x2, bits, getPixel(src.row(y), x, bits));
                }
            }
        }
        if (!progress.step(yEnd, h2)) return false;
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
    } else {
        done = turnPixels(source, dst, quarters, progress);
    }
    if (!done) return kit::fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    copyResolution(source, dst, sideways);
    return result.release();
}

}  // namespace effect
