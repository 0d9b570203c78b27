// IKCutRectImage and IKResizeEx.
#include "EffectDib.h"
#include "KitCall.h"
#include "Resample.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace effect;

/* The rectangle's right and bottom are exclusive; it is clipped to the image. */
IK_API IKHANDLE IKCutRectImage(IKHANDLE image, const IKRECT* rect, IKPROGRESSPROC progressProc, const char*,
                               const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        if (!rect) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        const DibView src(image);
        if (!src.usable()) return kit::fail<IKHANDLE>(src.failureStatus(), 0);
        const std::int32_t left = std::max(rect->left, 0), top = std::max(rect->top, 0);
        const std::int32_t right = std::min(rect->right, src.width()), bottom = std::min(rect->bottom, src.height());
        if (right <= left || bottom <= top) return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        platform::GlobalBlock result(allocateLike(src, right - left, bottom - top));
        if (!result.get()) return 0;
        const DibView dst(result.get());
        const int bits = src.header().biBitCount;
        Progress progress(progressProc);
        for (std::int32_t y = top; y < bottom; ++y) {
            const std::uint8_t* in = src.row(y);
            std::uint8_t* out = dst.row(y - top);
            if (bits >= 8) {
                std::memcpy(out, in + static_cast<std::size_t>(left) * (bits / 8), static_cast<std::size_t>(right - left) * (bits / 8));
            } else {
                for (std::int32_t x = left; x < right; ++x)
                    setPixel(out, static_cast<std::size_t>(x - left), bits, pixelAt(in, static_cast<std::size_t>(x), bits));
            }
            if (!progress.report(y - top + 1, bottom - top)) return kit::fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
        }
        copyResolution(src, dst, false);
        return result.release();
    });
}

namespace {

// Nearest pixel, keeping depth and colour table.
IKHANDLE resizeNearest(const DibView& src, std::int32_t width, std::int32_t height) {
    platform::GlobalBlock result(allocateLike(src, width, height));
    if (!result.get()) return 0;
    const DibView dst(result.get());
    const int bits = src.header().biBitCount;
    std::vector<std::int32_t> columns(static_cast<std::size_t>(width));
    for (std::int32_t x = 0; x < width; ++x)
        columns[static_cast<std::size_t>(x)] = static_cast<std::int32_t>((2 * static_cast<std::int64_t>(x) + 1) * src.width() / (2 * static_cast<std::int64_t>(width)));
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* in = src.row(static_cast<std::int32_t>((2 * static_cast<std::int64_t>(y) + 1) * src.height() / (2 * static_cast<std::int64_t>(height))));
        std::uint8_t* out = dst.row(y);
        for (std::size_t x = 0; x < columns.size(); ++x) setPixel(out, x, bits, pixelAt(in, static_cast<std::size_t>(columns[x]), bits));
    }
    copyResolution(src, dst, false);
    return result.release();
}

// Smooth resampling: 1-bit and grey-table images give 8-bit grey, 32-bit images keep
// their fourth byte, everything else gives 24 bits.
IKHANDLE resizeSmooth(const DibView& src, std::int32_t width, std::int32_t height, Progress& progress) {
    const int bits = src.header().biBitCount;
    const bool grey = bits == 1 || kit::paletteIsGrey(src);
    const bool four = bits == 32 && src.header().biCompression == platform::kBiRgb;
    const int channels = grey ? 1 : (four ? 4 : 3);
    // The source as plain channel rows.
    const RowReader reader(src);
    const std::size_t rowValues = static_cast<std::size_t>(src.width()) * channels;
    std::vector<std::uint8_t> plane(rowValues * static_cast<std::size_t>(src.height()));
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(src.width()) * 4);
    for (std::int32_t y = 0; y < src.height(); ++y) {
        reader.read(y, bgra.data());
        std::uint8_t* out = &plane[rowValues * static_cast<std::size_t>(y)];
        for (std::int32_t x = 0; x < src.width(); ++x) {
            const std::uint8_t* p = &bgra[static_cast<std::size_t>(x) * 4];
            if (grey) out[x] = luminance(p[2], p[1], p[0]);
            else std::memcpy(out + static_cast<std::size_t>(x) * channels, p, static_cast<std::size_t>(channels));
        }
    }
    platform::GlobalBlock result(grey ? allocateGrey(width, height) : kit::allocateDib(width, height, four ? 32 : 24, 0, true));
    if (!result.get()) return 0;
    const DibView dst(result.get());
    bool stopped = false;
    kit::resample([&](std::int32_t y) { return &plane[rowValues * static_cast<std::size_t>(y)]; }, channels, src.width(),
                  src.height(), width, height, true, [&](std::int32_t y, const std::uint8_t* row) {
                      std::memcpy(dst.row(y), row, static_cast<std::size_t>(width) * channels);
                      if (!progress.report(y + 1, height)) stopped = true;
                  });
    if (stopped) return kit::fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    copyResolution(src, dst, false);
    return result.release();
}

IKHANDLE resizeOne(IKHANDLE image, std::int32_t width, std::int32_t height, bool nearest, Progress& progress) {
    const DibView src(image);
    if (!src.usable()) return kit::fail<IKHANDLE>(src.failureStatus(), 0);
    return nearest ? resizeNearest(src, width, height) : resizeSmooth(src, width, height, progress);
}

}  // namespace

/*
 * images: {image, mask or 0}; results: {resized image, resized mask or 0}. Area averaging
 * when shrinking, bilinear when enlarging; 1-bit and grey images give 8-bit grey. With
 * `nearest` the nearest pixel is taken and depth and colour table are kept.
 */
IK_API IKBOOL IKResizeEx(const IKHANDLE images[2], IKHANDLE results[2], int32_t width, int32_t height,
                         IKBOOL nearest, IKPROGRESSPROC progressProc, const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!images || !results) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        results[0] = results[1] = 0;
        if (width <= 0 || height <= 0) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        Progress progress(progressProc);
        platform::GlobalBlock resized(resizeOne(images[0], width, height, nearest != 0, progress));
        if (!resized.get()) return IK_FALSE;
        platform::GlobalBlock mask;
        if (images[1]) {
            Progress quiet(nullptr);
            mask = platform::GlobalBlock(resizeOne(images[1], width, height, nearest != 0, quiet));
            if (!mask.get()) return IK_FALSE;
        }
        results[0] = resized.release();
        results[1] = mask.release();
        return IK_TRUE;
    });
}
