#include "Orientation.h"

#include "DecodeLimits.h"
#include "DibBlock.h"
#include "KitCall.h"

#include <cstring>
#include <vector>

namespace kit {
namespace {

std::uint32_t pixelAt(const std::uint8_t* row, std::int32_t x, int bits) {
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8: return row[x];
    default: {
        std::uint32_t value = 0;
        std::memcpy(&value, row + static_cast<std::size_t>(x) * (bits / 8), bits / 8);
        return value;
    }
    }
}

void setPixel(std::uint8_t* row, std::int32_t x, int bits, std::uint32_t value) {
    switch (bits) {
    case 1: {
        const std::uint8_t mask = std::uint8_t(0x80 >> (x & 7));
        row[x >> 3] = value ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
        break;
    }
    case 4:
        row[x >> 1] = (x & 1) ? std::uint8_t((row[x >> 1] & 0xF0) | value) : std::uint8_t((row[x >> 1] & 0x0F) | value << 4);
        break;
    case 8: row[x] = std::uint8_t(value); break;
    default: std::memcpy(row + static_cast<std::size_t>(x) * (bits / 8), &value, bits / 8);
    }
}

void mirrorRows(const DibView& dib) {
    const int bits = dib.header().biBitCount;
    for (std::int32_t y = 0; y < dib.height(); ++y) {
        std::uint8_t* row = dib.row(y);
        for (std::int32_t l = 0, r = dib.width() - 1; l < r; ++l, --r) {
            const std::uint32_t a = pixelAt(row, l, bits);
            setPixel(row, l, bits, pixelAt(row, r, bits));
            setPixel(row, r, bits, a);
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

}  // namespace

IKHANDLE applyOrientation(IKHANDLE image, int orientation) {
    if (orientation <= 1 || orientation > 8) return image;
    if (orientation <= 4) {
        DibView dib(image);
        if (orientation == 2 || orientation == 3) mirrorRows(dib);
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
    const std::int32_t w = from.width(), h = from.height();
    // Stored (x, y) lands at (tx, ty) of the upright picture: ty follows x, tx follows y.
    // Target rows are found from x when needed: a table of them would cost 8 bytes for
    // every row of a very tall result.
    const bool reverseTargetY = orientation == 7 || orientation == 8;
    const bool reverseTargetX = orientation == 6 || orientation == 7;
    const auto targetRow = [&](std::int32_t x) { return to.row(reverseTargetY ? w - 1 - x : x); };
    // The target starts zeroed, so only non-zero pixels are written; whole zero bytes of a
    // 1-bit row are skipped, which keeps large blank pages fast.
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = from.row(y);
        const std::int32_t tx = reverseTargetX ? h - 1 - y : y;
        if (bits == 1) {
            for (std::int32_t byte = 0; byte < (w + 7) / 8; ++byte) {
                const std::uint8_t value = row[byte];
                if (!value) continue;
                for (std::int32_t bit = 0; bit < 8 && byte * 8 + bit < w; ++bit)
                    if (value & (0x80 >> bit)) setPixel(targetRow(byte * 8 + bit), tx, 1, 1);
            }
            continue;
        }
        for (std::int32_t x = 0; x < w; ++x)
            if (const std::uint32_t value = pixelAt(row, x, bits)) setPixel(targetRow(x), tx, bits, value);
    }
    return turned;
}

}  // namespace kit
