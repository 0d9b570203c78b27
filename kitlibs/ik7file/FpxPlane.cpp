#include "FpxPlane.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace kit::fpx {
namespace {

Plane ownPlane(std::uint32_t width, std::uint32_t height, std::uint32_t channels, bool bgr) {
    Plane plane{width, height, channels, bgr, nullptr, static_cast<std::ptrdiff_t>(std::size_t{width} * channels), nullptr};
    plane.owned.reset(new std::uint8_t[std::size_t{width} * channels * height]);
    plane.first = plane.owned.get();
    return plane;
}

// Row y of a plane that holds its samples, for writing.
std::uint8_t* ownRow(const Plane& plane, std::size_t y) {
    return plane.owned.get() + y * static_cast<std::size_t>(plane.step);
}

// Blue-green-red pixels to red-green-blue.
void bgrToRgbPlain(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x, in += 3, out += 3) {
        const std::uint8_t blue = in[0], green = in[1], red = in[2];
        out[0] = red;
        out[1] = green;
        out[2] = blue;
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The same, five pixels per byte shuffle (16 bytes read and written, 15 of them pixels, so
// the last pixels go the plain way); about five times the plain loop's speed.
__attribute__((target("ssse3"))) void bgrToRgbShuffled(const std::uint8_t* in, std::uint8_t* out,
                                                        std::size_t count) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    std::size_t x = 0;
    for (; x + 6 <= count; x += 5, in += 15, out += 15)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), order));
    bgrToRgbPlain(in, out, count - x);
}

void bgrToRgb(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles) bgrToRgbShuffled(in, out, count);
    else bgrToRgbPlain(in, out, count);
}
#else
void bgrToRgb(const std::uint8_t* in, std::uint8_t* out, std::size_t count) { bgrToRgbPlain(in, out, count); }
#endif

template <unsigned C>
void halveRows(const Plane& from, const Plane& out, std::size_t begin, std::size_t end) {
    const std::size_t pairs = from.width / 2;
    for (std::size_t y = begin; y < end; ++y) {
        const std::uint8_t* a = from.row(static_cast<std::uint32_t>(2 * y));
        const std::uint8_t* b = from.row(std::min(static_cast<std::uint32_t>(2 * y + 1), from.height - 1));
        std::uint8_t* o = ownRow(out, y);
        for (std::size_t x = 0; x < pairs; ++x, a += 2 * C, b += 2 * C, o += C)
            for (unsigned k = 0; k < C; ++k) o[k] = std::uint8_t((a[k] + a[C + k] + b[k] + b[C + k] + 2) >> 2);
        if (from.width % 2)
            for (unsigned k = 0; k < C; ++k) o[k] = std::uint8_t((2 * a[k] + 2 * b[k] + 2) >> 2);
    }
}

}  // namespace

void inParallel(std::size_t count, std::size_t most, const std::function<void(std::size_t, std::size_t)>& work) {
    const std::size_t parts = std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), most, count});
    if (parts <= 1) {
        work(0, count);
        return;
    }
    // Joined on leaving, also when starting a thread fails.
    std::vector<std::jthread> threads;
    for (std::size_t i = 1; i < parts; ++i) threads.emplace_back(work, count * i / parts, count * (i + 1) / parts);
    work(0, count / parts);
}

Plane planeOf(const PixelSource& source, bool grey) {
    const auto width = static_cast<std::uint32_t>(source.width()), height = static_cast<std::uint32_t>(source.height());
    if ((!grey && source.bits() == 24) || (grey && source.bits() == 8 && source.identityGreyTable())) {
        const std::uint8_t* top = source.row(0);
        const std::ptrdiff_t step = height > 1 ? source.row(1) - top : 0;
        return Plane{width, height, grey ? 1u : 3u, !grey, top, step, nullptr};
    }
    Plane plane = ownPlane(width, height, grey ? 1u : 3u, false);
    inParallel(plane.height, 8, [&](std::size_t begin, std::size_t end) {
        for (std::size_t y = begin; y < end; ++y) {
            std::uint8_t* out = ownRow(plane, y);
            if (grey) {
                const std::uint8_t* in = source.row(static_cast<std::int32_t>(y));
                for (std::size_t x = 0; x < plane.width; ++x) out[x] = source.table()[indexAt(in, x, source.bits())].red;
            } else {
                source.rgbRow(static_cast<std::int32_t>(y), out);
            }
        }
    });
    return plane;
}

Plane halved(const Plane& from, std::size_t most) {
    Plane out = ownPlane((from.width + 1) / 2, (from.height + 1) / 2, from.channels, from.bgr);
    // Small levels are not worth a thread.
    const std::size_t parts = std::size_t{out.width} * out.channels * out.height < (std::size_t{1} << 18) ? 1 : most;
    inParallel(out.height, parts, [&](std::size_t begin, std::size_t end) {
        if (from.channels == 1) halveRows<1>(from, out, begin, end);
        else halveRows<3>(from, out, begin, end);
    });
    return out;
}

void packTiles(const Plane& plane, std::size_t first, std::size_t count, bool rgb, std::uint8_t* out) {
    const std::size_t c = plane.channels, tileBytes = kTileSide * kTileSide * c, across = plane.tilesAcross();
    const bool swap = rgb && plane.bgr && c == 3;
    for (std::size_t t = first; t < first + count;) {
        // The tiles t to end - 1 lie in tile row ty.
        const std::size_t ty = t / across, end = std::min(first + count, (ty + 1) * across);
        for (std::size_t y = 0; y < kTileSide; ++y) {
            const std::uint8_t* in = plane.row(static_cast<std::uint32_t>(std::min<std::size_t>(ty * kTileSide + y, plane.height - 1)));
            for (std::size_t k = t; k < end; ++k) {
                const std::size_t x0 = (k % across) * kTileSide, w = std::min<std::size_t>(kTileSide, plane.width - x0);
                std::uint8_t* row = out + (k - first) * tileBytes + y * kTileSide * c;
                if (swap) bgrToRgb(in + x0 * c, row, w);
                else std::memcpy(row, in + x0 * c, w * c);
                for (std::size_t x = w; x < kTileSide; ++x) std::memcpy(row + x * c, row + (w - 1) * c, c);
            }
        }
        t = end;
    }
}

std::optional<std::uint32_t> singleColour(const Plane& plane, std::uint32_t tx, std::uint32_t ty) {
    const std::size_t c = plane.channels;
    const std::uint32_t x0 = tx * kTileSide, y0 = ty * kTileSide;
    const std::uint32_t w = std::min<std::uint32_t>(kTileSide, plane.width - x0);
    const std::uint32_t h = std::min<std::uint32_t>(kTileSide, plane.height - y0);
    const std::uint8_t* first = plane.row(y0) + x0 * c;
    // A row of the first pixel, each of the tile's rows compared with it whole.
    std::uint8_t pattern[kTileSide * 3];
    for (std::uint32_t x = 0; x < w; ++x) std::memcpy(pattern + x * c, first, c);
    for (std::uint32_t y = 0; y < h; ++y)
        if (std::memcmp(plane.row(y0 + y) + x0 * c, pattern, w * c) != 0) return std::nullopt;
    std::uint32_t colour = 0;
    for (std::uint32_t k = 0; k < c; ++k) colour |= std::uint32_t(first[plane.bgr ? c - 1 - k : k]) << (8 * k);
    return colour;
}

}  // namespace kit::fpx
