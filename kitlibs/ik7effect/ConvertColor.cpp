// Colour depth conversion: 1 bit by a luminance threshold, 4 and 8 bits by median cut,
// 16 bits (5-5-5), 24 and 32 bits, and 8-bit grey. The resolution is kept.
#include "EffectDib.h"
#include "KitCall.h"
#include "Quantizer.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace effect;

namespace {

constexpr std::uint16_t kGreyTarget = 80;

// Black below the threshold, white at or above it; with `diffuse` the rounding error of
// each pixel is spread to its neighbours (Floyd–Steinberg).
bool toOneBit(const DibView& src, const DibView& dst, std::uint8_t threshold, bool diffuse, Progress& progress) {
    const platform::RgbQuad black{0, 0, 0, 0}, white{255, 255, 255, 0};
    dst.colours()[0] = black;
    dst.colours()[1] = white;
    const RowReader reader(src);
    const std::int32_t width = src.width(), height = src.height();
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width) * 4);
    std::vector<int> error(diffuse ? static_cast<std::size_t>(width) + 2 : 0), next(error.size());
    for (std::int32_t y = 0; y < height; ++y) {
        reader.read(y, bgra.data());
        std::uint8_t* out = dst.row(y);
        std::uint8_t acc = 0;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t* p = &bgra[static_cast<std::size_t>(x) * 4];
            int level = luminance(p[2], p[1], p[0]);
            bool on;
            if (diffuse) {
                level += error[static_cast<std::size_t>(x) + 1] / 16;
                on = level >= threshold;
                const int e = level - (on ? 255 : 0);
                error[static_cast<std::size_t>(x) + 2] += e * 7;
                next[static_cast<std::size_t>(x)] += e * 3;
                next[static_cast<std::size_t>(x) + 1] += e * 5;
                next[static_cast<std::size_t>(x) + 2] += e;
            } else {
                on = level >= threshold;
            }
            acc = static_cast<std::uint8_t>((acc << 1) | (on ? 1 : 0));
            if ((x & 7) == 7) {
                out[x >> 3] = acc;
                acc = 0;
            }
        }
        if (width & 7) out[width >> 3] = static_cast<std::uint8_t>(acc << (8 - (width & 7)));
        if (diffuse) {
            error.swap(next);
            std::fill(next.begin(), next.end(), 0);
        }
        if (!progress.report(y + 1, height)) return false;
    }
    return true;
}

// Source rows as B, G, R bytes: 24-bit and plain 32-bit rows are used in place, other
// depths are read through a RowReader into a buffer of B, G, R, A.
class ColourRows {
public:
    explicit ColourRows(const DibView& src)
        : reader_(src), rows_(rowsOf(src)),
          inPlace_(src.header().biBitCount == 24 ||
                   (src.header().biBitCount == 32 && src.header().biCompression != platform::kBiBitFields)),
          step_(src.header().biBitCount == 24 ? 3 : 4),
          buffer_(inPlace_ ? 0 : static_cast<std::size_t>(src.width()) * 4) {}
    const std::uint8_t* row(std::int32_t y) {
        if (inPlace_) return rows_[static_cast<std::size_t>(y)];
        reader_.read(y, buffer_.data());
        return buffer_.data();
    }
    int step() const { return step_; }

private:
    RowReader reader_;
    std::vector<std::uint8_t*> rows_;
    bool inPlace_;
    int step_;
    std::vector<std::uint8_t> buffer_;
};

bool toPalette(const DibView& src, IKHANDLE& result, int bits, Progress& progress) {
    ColourRows rows(src);
    const std::int32_t width = src.width(), height = src.height();
    Quantizer quantizer(1 << bits);
    for (std::int32_t y = 0; y < height; ++y) {
        quantizer.add(rows.row(y), width, rows.step());
        if (!progress.report(y + 1, 2 * static_cast<std::int64_t>(height))) return false;
    }
    quantizer.build();
    const std::vector<std::uint32_t>& palette = quantizer.palette();
    result = kit::allocateDib(width, height, static_cast<std::uint16_t>(bits), static_cast<std::uint32_t>(palette.size()), true);
    if (!result) return false;
    const DibView dst(result);
    kit::writeColourTable(dst.colours(), palette);
    const std::vector<std::uint8_t*> out = rowsOf(dst);
    std::vector<std::uint8_t> indices(bits == 8 ? 0 : static_cast<std::size_t>(width));
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = out[static_cast<std::size_t>(y)];
        if (bits == 8) {
            quantizer.map(rows.row(y), width, rows.step(), row);
        } else {
            quantizer.map(rows.row(y), width, rows.step(), indices.data());
            for (std::size_t x = 0; x < indices.size(); ++x) setPixel(row, x, bits, indices[x]);
        }
        if (!progress.report(height + y + 1, 2 * static_cast<std::int64_t>(height))) return false;
    }
    return true;
}

// 16, 24, 32 bits and 8-bit grey: each pixel on its own.
bool toDirect(const DibView& src, const DibView& dst, std::uint16_t target, Progress& progress) {
    const RowReader reader(src);
    const std::int32_t width = src.width(), height = src.height();
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width) * 4);
    for (std::int32_t y = 0; y < height; ++y) {
        reader.read(y, bgra.data());
        std::uint8_t* out = dst.row(y);
        const std::uint8_t* p = bgra.data();
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x, p += 4) {
            switch (target) {
            case 16: kit::setPixel<16>(out, x, kit::pack555(p[2], p[1], p[0])); break;
            case 24: std::memcpy(out + 3 * x, p, 3); break;
            case 32:
                // Only a plain 32-bit source brings an alpha byte; others leave it 0.
                std::memcpy(out + 4 * x, p, 3);
                out[4 * x + 3] = reader.hasAlpha() ? p[3] : 0;
                break;
            default:
                out[x] = luminance(p[2], p[1], p[0]);
                break;
            }
        }
        if (!progress.report(y + 1, height)) return false;
    }
    return true;
}

}  // namespace

/*
 * flag1 spreads the thresholding error (Floyd–Steinberg) for 1 bit; flag2 is reserved.
 */
IK_API IKHANDLE IKConvertColor(IKHANDLE image, uint16_t bits, IKBOOL flag1, IKBOOL, uint8_t threshold,
                               IKPROGRESSPROC progressProc, const char*, const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        const DibView src(image);
        if (!src.usable()) return kit::fail<IKHANDLE>(src.failureStatus(), 0);
        Progress progress(progressProc);
        const std::int32_t width = src.width(), height = src.height();
        platform::GlobalBlock result;
        bool done = false;
        switch (bits) {
        case 1: {
            result = platform::GlobalBlock(kit::allocateDib(width, height, 1, 2, true));
            if (!result.get()) return 0;
            done = toOneBit(src, DibView(result.get()), threshold, flag1 != 0, progress);
            break;
        }
        case 4:
        case 8: {
            IKHANDLE made = 0;
            done = toPalette(src, made, bits, progress);
            result = platform::GlobalBlock(made);
            break;
        }
        case 16:
        case 24:
        case 32:
        case kGreyTarget: {
            result = platform::GlobalBlock(bits == kGreyTarget ? allocateGrey(width, height)
                                                               : kit::allocateDib(width, height, bits, 0, true));
            if (!result.get()) return 0;
            done = toDirect(src, DibView(result.get()), bits, progress);
            break;
        }
        default:
            return kit::fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        }
        if (!done) {
            if (platform::kitStatus() == IK_OK) platform::setKitStatus(IK_ERR_CANCELLED);
            return 0;
        }
        copyResolution(src, DibView(result.get()), false);
        return result.release();
    });
}
