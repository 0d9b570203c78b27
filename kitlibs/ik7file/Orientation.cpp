#include "Orientation.h"

#include "DecodeLimits.h"
#include "DibBlock.h"
#include "KitCall.h"
#include "Pixels.h"

#include <cstring>
#include <vector>

namespace kit {
namespace {

// Calls fn.template operator()<Bits>() for a bitmap's depth (1, 4, 8, 16, 24 or 32), so that
// the per-pixel loops are made once per depth.
template <typename Fn>
void forDepth(int bits, Fn&& fn) {
    switch (bits) {
    case 1: fn.template operator()<1>(); break;
    case 4: fn.template operator()<4>(); break;
    case 8: fn.template operator()<8>(); break;
    case 16: fn.template operator()<16>(); break;
    case 24: fn.template operator()<24>(); break;
    default: fn.template operator()<32>(); break;
    }
}

template <int Bits>
void mirrorRows(const DibView& dib) {
    const auto width = static_cast<std::size_t>(dib.width());
    if (width < 2) return;
    for (std::int32_t y = 0; y < dib.height(); ++y) {
        std::uint8_t* row = dib.row(y);
        for (std::size_t l = 0, r = width - 1; l < r; ++l, --r) {
            const std::uint32_t a = pixelAt<Bits>(row, l);
            setPixel<Bits>(row, l, pixelAt<Bits>(row, r));
            setPixel<Bits>(row, r, a);
        }
    }
}

void flipRows(const DibView& dib) {
    std::vector<std::uint8_t> spare(dib.stride());
    for (std::int32_t t = 0, b = dib.height() - 1; t < b; ++t, --b) {
        std::memcpy(spare.data(), dib.row(t), spare.size());
        std::memcpy(dib.row(t), dib.row(b), spare.size());
        std::memcpy(dib.row(b), spare.data(), spare.size());
    }
}

// Writes stored pixel (x, y) of `from` to (tx, ty) of `to`: ty follows x, tx follows y, each
// counted from the far end when reversed. Target rows are found from x when needed: a table
// of them would cost 8 bytes for every row of a very tall result. The target starts zeroed,
// so only non-zero pixels are written; whole zero bytes of a 1-bit row are skipped, which
// keeps large blank pages fast.
template <int Bits>
void turnInto(const DibView& from, const DibView& to, bool reverseTargetX, bool reverseTargetY) {
    const std::int32_t w = from.width(), h = from.height();
    const auto width = static_cast<std::size_t>(w);
    const std::size_t rowBytes = packedRowBytes(width, Bits);
    const auto targetRow = [&](std::size_t x) {
        const auto ty = static_cast<std::int32_t>(x);
        return to.row(reverseTargetY ? w - 1 - ty : ty);
    };
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = from.row(y);
        const auto tx = static_cast<std::size_t>(reverseTargetX ? h - 1 - y : y);
        if constexpr (Bits == 1) {
            for (std::size_t byte = 0; byte < rowBytes; ++byte) {
                const std::uint8_t value = row[byte];
                if (!value) continue;
                for (std::size_t bit = 0; bit < 8 && byte * 8 + bit < width; ++bit)
                    if (value & (0x80u >> bit)) setPixel<1>(targetRow(byte * 8 + bit), tx, 1);
            }
        } else {
            for (std::size_t x = 0; x < width; ++x)
                if (const std::uint32_t value = pixelAt<Bits>(row, x)) setPixel<Bits>(targetRow(x), tx, value);
        }
    }
}

}  // namespace

IKHANDLE applyOrientation(IKHANDLE image, int orientation) {
    if (orientation <= 1 || orientation > 8) return image;
    if (orientation <= 4) {
        DibView dib(image);
        if (orientation == 2 || orientation == 3)
            forDepth(dib.header().biBitCount, [&]<int Bits>() { mirrorRows<Bits>(dib); });
        if (orientation == 3 || orientation == 4) flipRows(dib);
        return image;
    }
    // 5: rows become columns as stored; 6: turned right; 7: transposed the other way; 8: turned left.
    platform::GlobalBlock source(image);
    DibView from(image);
    const int bits = from.header().biBitCount;
    // Turned, a wide page of short rows becomes one of many padded rows: it must fit too.
    if (!pageWithinBudget(from.height(), from.width(), bits)) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    const IKHANDLE turned = allocateDib(from.height(), from.width(), std::uint16_t(bits), from.colourCount(), true);
    if (!turned) return 0;
    DibView to(turned);
    std::memcpy(to.colours(), from.colours(), from.colourCount() * sizeof(platform::RgbQuad));
    to.header().biXPelsPerMeter = from.header().biYPelsPerMeter;
    to.header().biYPelsPerMeter = from.header().biXPelsPerMeter;
    // Stored (x, y) lands at (tx, ty) of the upright picture: ty follows x, tx follows y.
    const bool reverseTargetY = orientation == 7 || orientation == 8;
    const bool reverseTargetX = orientation == 6 || orientation == 7;
    forDepth(bits, [&]<int Bits>() { turnInto<Bits>(from, to, reverseTargetX, reverseTargetY); });
    return turned;
}

}  // namespace kit
