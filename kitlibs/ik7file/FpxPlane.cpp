#include "FpxPlane.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace kit::fpx {
namespace {

Plane emptyPlane(std::uint32_t width, std::uint32_t height, std::uint32_t channels) {
    Plane plane{width, height, channels, nullptr};
    plane.samples.reset(new std::uint8_t[plane.stride() * height]);
    return plane;
}

// Blue-green-red pixels to red-green-blue, a fixed step the compiler can unroll.
void bgrToRgb(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x, in += 3, out += 3) {
        const std::uint8_t blue = in[0], green = in[1], red = in[2];
        out[0] = red;
        out[1] = green;
        out[2] = blue;
    }
}

template <unsigned C>
void halveRows(const Plane& from, const Plane& out, std::size_t begin, std::size_t end) {
    const std::size_t pairs = from.width / 2;
    for (std::size_t y = begin; y < end; ++y) {
        const std::uint8_t* a = from.row(static_cast<std::uint32_t>(2 * y));
        const std::uint8_t* b = from.row(std::min(static_cast<std::uint32_t>(2 * y + 1), from.height - 1));
        std::uint8_t* o = out.row(static_cast<std::uint32_t>(y));
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
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < parts; ++i) threads.emplace_back(work, count * i / parts, count * (i + 1) / parts);
    work(0, count / parts);
    for (std::thread& thread : threads) thread.join();
}

Plane planeOf(const PixelSource& source, bool grey) {
    Plane plane = emptyPlane(static_cast<std::uint32_t>(source.width()), static_cast<std::uint32_t>(source.height()),
                             grey ? 1u : 3u);
    inParallel(plane.height, 8, [&](std::size_t begin, std::size_t end) {
        for (std::size_t y = begin; y < end; ++y) {
            std::uint8_t* out = plane.row(static_cast<std::uint32_t>(y));
            const std::uint8_t* in = source.row(static_cast<std::int32_t>(y));
            if (grey) {
                for (std::size_t x = 0; x < plane.width; ++x) out[x] = source.table()[indexAt(in, x, source.bits())].red;
            } else if (source.bits() == 24) {
                // The common scanner page: its rows need only their bytes swapped.
                bgrToRgb(in, out, plane.width);
            } else {
                source.rgbRow(static_cast<std::int32_t>(y), out);
            }
        }
    });
    return plane;
}

Plane halved(const Plane& from, std::size_t most) {
    Plane out = emptyPlane((from.width + 1) / 2, (from.height + 1) / 2, from.channels);
    // Small levels are not worth a thread.
    const std::size_t parts = out.stride() * out.height < (std::size_t{1} << 18) ? 1 : most;
    inParallel(out.height, parts, [&](std::size_t begin, std::size_t end) {
        if (from.channels == 1) halveRows<1>(from, out, begin, end);
        else halveRows<3>(from, out, begin, end);
    });
    return out;
}

void cutTile(const Plane& plane, std::uint32_t tx, std::uint32_t ty, std::uint8_t* out) {
    const std::size_t c = plane.channels, rowBytes = kTileSide * c;
    const std::uint32_t x0 = tx * kTileSide, w = std::min<std::uint32_t>(kTileSide, plane.width - x0);
    for (std::uint32_t y = 0; y < kTileSide; ++y) {
        const std::uint8_t* in = plane.row(std::min<std::uint32_t>(ty * kTileSide + y, plane.height - 1)) + x0 * c;
        std::uint8_t* row = out + y * rowBytes;
        std::memcpy(row, in, w * c);
        for (std::uint32_t x = w; x < kTileSide; ++x) std::memcpy(row + x * c, in + (w - 1) * c, c);
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
    for (std::uint32_t k = 0; k < c; ++k) colour |= std::uint32_t(first[k]) << (8 * k);
    return colour;
}

}  // namespace kit::fpx
