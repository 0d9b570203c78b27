// Grey copies for showing 1-bit images smoothly: the grey copy of a 1-bit image, and the
// area-averaged reduction of a rectangle of it to an exact size.
#include "Colour.h"
#include "DibBlock.h"
#include "KitCall.h"
#include "Pixels.h"
#include "Resample.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace kit;

IK_API IKHANDLE ConvertColorTo8Gray(IKHANDLE image) {
    return guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        const DibView src(image);
        if (!src.usable()) return fail<IKHANDLE>(src.failureStatus(), 0);
        if (src.header().biBitCount != 1) return fail<IKHANDLE>(IK_ERR_FORMAT, 0);
        const std::uint8_t levels[2] = {src.colourCount() > 0 ? luminance(src.colours()[0]) : std::uint8_t{0},
                                        src.colourCount() > 1 ? luminance(src.colours()[1]) : std::uint8_t{255}};
        // Eight grey bytes for every possible byte of eight pixels.
        std::uint64_t spread[256];
        for (int b = 0; b < 256; ++b) {
            std::uint8_t bytes[8];
            for (int k = 0; k < 8; ++k) bytes[k] = levels[(b >> (7 - k)) & 1];
            std::memcpy(&spread[b], bytes, 8);
        }
        platform::GlobalBlock result(allocateGreyDib(src.width(), src.height(), false));
        if (!result.get()) return 0;
        const DibView dst(result.get());
        const std::int32_t width = src.width(), whole = width / 8;
        for (std::int32_t y = 0; y < src.height(); ++y) {
            const std::uint8_t* in = src.row(y);
            std::uint8_t* out = dst.row(y);
            for (std::size_t i = 0; i < static_cast<std::size_t>(whole); ++i) std::memcpy(out + 8 * i, &spread[in[i]], 8);
            for (std::size_t x = 8 * static_cast<std::size_t>(whole); x < static_cast<std::size_t>(width); ++x)
                out[x] = levels[pixelAt<1>(in, x)];
            std::memset(out + width, 0, dst.stride() - static_cast<std::uint32_t>(width));
        }
        dst.header().biXPelsPerMeter = src.header().biXPelsPerMeter;
        dst.header().biYPelsPerMeter = src.header().biYPelsPerMeter;
        return result.release();
    });
}

IK_API IKHANDLE Resize1Bit(IKHANDLE grey, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width,
                           int32_t height) {
    return guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        const DibView src(grey);
        if (!src.usable()) return fail<IKHANDLE>(src.failureStatus(), 0);
        if (src.header().biBitCount != 8) return fail<IKHANDLE>(IK_ERR_FORMAT, 0);
        if (width <= 0 || height <= 0) return fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        if (x0 == 0 && y0 == 0 && x1 == 0 && y1 == 0) {
            x1 = src.width() - 1;
            y1 = src.height() - 1;
        }
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, src.width() - 1);
        y1 = std::min(y1, src.height() - 1);
        if (x1 < x0 || y1 < y0) return fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        // A table that is not the identity grey ramp is mapped to luminance first.
        std::uint8_t lut[256];
        bool identity = true;
        for (std::uint32_t i = 0; i < 256; ++i) {
            lut[i] = i < src.colourCount() ? luminance(src.colours()[i]) : 0;
            identity = identity && lut[i] == i;
        }
        std::vector<std::uint8_t> mapped(identity ? 0 : static_cast<std::size_t>(x1 - x0 + 1));
        auto rows = [&](std::int32_t y) -> const std::uint8_t* {
            const std::uint8_t* row = src.row(y0 + y) + x0;
            if (identity) return row;
            for (std::size_t i = 0; i < mapped.size(); ++i) mapped[i] = lut[row[i]];
            return mapped.data();
        };
        platform::GlobalBlock result(allocateGreyDib(width, height, false));
        if (!result.get()) return 0;
        const DibView dst(result.get());
        resample(rows, 1, x1 - x0 + 1, y1 - y0 + 1, width, height, false,
                 [&](std::int32_t y, const std::uint8_t* row) {
                     std::uint8_t* out = dst.row(y);
                     std::memcpy(out, row, static_cast<std::size_t>(width));
                     std::memset(out + width, 0, dst.stride() - static_cast<std::uint32_t>(width));
                 });
        return result.release();
    });
}
