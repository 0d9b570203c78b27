// IKSetGray, IKMakeRGBAImage and IKSplitRGBAImage.
#include "EffectDib.h"
#include "KitCall.h"

#include <cstring>
#include <optional>
#include <vector>

using namespace effect;

/* A new 8-bit grey image (Rec. 601 luminance) of any image. */
IK_API IKHANDLE IKSetGray(IKHANDLE image, IKPROGRESSPROC, const char*, const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        const DibView src(image);
        if (!src.usable()) return kit::fail<IKHANDLE>(src.failureStatus(), 0);
        platform::GlobalBlock result(allocateGrey(src.width(), src.height()));
        if (!result.get()) return 0;
        const DibView dst(result.get());
        const RowReader reader(src);
        std::vector<std::uint8_t> bgra(static_cast<std::size_t>(src.width()) * 4);
        for (std::int32_t y = 0; y < src.height(); ++y) {
            reader.read(y, bgra.data());
            std::uint8_t* out = dst.row(y);
            for (std::int32_t x = 0; x < src.width(); ++x) {
                const std::uint8_t* p = &bgra[static_cast<std::size_t>(x) * 4];
                out[x] = luminance(p[2], p[1], p[0]);
            }
        }
        copyResolution(src, dst, false);
        return result.release();
    });
}

/* A new 32-bit image: colours of `image`, alpha the luminance of `mask` (opaque without one). */
IK_API IKHANDLE IKMakeRGBAImage(IKHANDLE image, IKHANDLE mask, IKPROGRESSPROC, const char*, const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        const DibView src(image);
        if (!src.usable()) return kit::fail<IKHANDLE>(src.failureStatus(), 0);
        std::optional<DibView> alpha;
        if (mask) {
            alpha.emplace(mask);
            if (!alpha->usable()) return kit::fail<IKHANDLE>(alpha->failureStatus(), 0);
            if (alpha->width() != src.width() || alpha->height() != src.height())
                return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        }
        platform::GlobalBlock result(kit::allocateDib(src.width(), src.height(), 32, 0, true));
        if (!result.get()) return 0;
        const DibView dst(result.get());
        const RowReader reader(src);
        std::optional<RowReader> alphaReader;
        if (alpha) alphaReader.emplace(*alpha);
        std::vector<std::uint8_t> bgra(static_cast<std::size_t>(src.width()) * 4), mbgra(bgra.size());
        for (std::int32_t y = 0; y < src.height(); ++y) {
            reader.read(y, bgra.data());
            if (alphaReader) alphaReader->read(y, mbgra.data());
            std::uint8_t* out = dst.row(y);
            for (std::int32_t x = 0; x < src.width(); ++x) {
                const std::size_t i = static_cast<std::size_t>(x) * 4;
                out[i] = bgra[i];
                out[i + 1] = bgra[i + 1];
                out[i + 2] = bgra[i + 2];
                out[i + 3] = alphaReader ? luminance(mbgra[i + 2], mbgra[i + 1], mbgra[i]) : 255;
            }
        }
        copyResolution(src, dst, false);
        return result.release();
    });
}

/* A plain 32-bit image split into a 24-bit colour image and an 8-bit grey alpha image. */
IK_API IKBOOL IKSplitRGBAImage(IKHANDLE image, IKHANDLE* colour, IKHANDLE* alpha, IKPROGRESSPROC, const char*,
                                const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!colour || !alpha) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        *colour = *alpha = 0;
        const DibView src(image);
        if (!src.usable()) return kit::fail(src.failureStatus(), IK_FALSE);
        if (src.header().biBitCount != 32 || src.header().biCompression != platform::kBiRgb)
            return kit::fail(IK_ERR_FORMAT, IK_FALSE);
        platform::GlobalBlock rgb(kit::allocateDib(src.width(), src.height(), 24, 0, true));
        platform::GlobalBlock grey(allocateGrey(src.width(), src.height()));
        if (!rgb.get() || !grey.get()) return IK_FALSE;
        const DibView rgbView(rgb.get()), greyView(grey.get());
        for (std::int32_t y = 0; y < src.height(); ++y) {
            const std::uint8_t* in = src.row(y);
            std::uint8_t* out = rgbView.row(y);
            std::uint8_t* a = greyView.row(y);
            for (std::size_t x = 0; x < static_cast<std::size_t>(src.width()); ++x, in += 4) {
                std::memcpy(out + 3 * x, in, 3);
                a[x] = in[3];
            }
        }
        copyResolution(src, rgbView, false);
        copyResolution(src, greyView, false);
        *colour = rgb.release();
        *alpha = grey.release();
        return IK_TRUE;
    });
}
