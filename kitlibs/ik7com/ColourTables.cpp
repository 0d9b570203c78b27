// Colour-table exports: read and write, 1-bit counts, header helpers.
#include "Colour.h"
#include "DibBlock.h"
#include "KitCall.h"
#include "KitObjects.h"

#include <algorithm>
#include <bit>
#include <cstring>

using namespace kit;

IK_API IKBOOL IKGetPalette(IKHANDLE image, uint16_t* red, uint16_t* green, uint16_t* blue) {
    return guarded(IK_FALSE, [&] {
        if (!red || !green || !blue) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        const DibView dib(image);
        if (!dib.usable()) return fail(dib.failureStatus(), IK_FALSE);
        if (dib.header().biBitCount > 8) return fail(IK_ERR_FORMAT, IK_FALSE);
        const platform::RgbQuad* colours = dib.colours();
        for (std::uint32_t i = 0; i < dib.colourCount(); ++i) {
            red[i] = colours[i].red;
            green[i] = colours[i].green;
            blue[i] = colours[i].blue;
        }
        return IK_TRUE;
    });
}

IK_API IKBOOL IKSetPalette(IKHANDLE image, const uint16_t* red, const uint16_t* green, const uint16_t* blue) {
    return guarded(IK_FALSE, [&] {
        if (!red || !green || !blue) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        const DibView dib(image);
        if (!dib.usable()) return fail(dib.failureStatus(), IK_FALSE);
        if (dib.header().biBitCount > 8) return fail(IK_ERR_FORMAT, IK_FALSE);
        platform::RgbQuad* colours = dib.colours();
        auto level = [](uint16_t v) { return static_cast<std::uint8_t>(std::min<uint16_t>(v, 255)); };
        for (std::uint32_t i = 0; i < dib.colourCount(); ++i)
            colours[i] = platform::RgbQuad{level(blue[i]), level(green[i]), level(red[i]), 0};
        return IK_TRUE;
    });
}

IK_API IKBOOL IKGetOneBitPalCount(IKHANDLE image, int32_t* first, int32_t* second) {
    return guarded(IK_FALSE, [&] {
        if (!first || !second) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        const DibView dib(image);
        if (!dib.usable()) return fail(dib.failureStatus(), IK_FALSE);
        if (dib.header().biBitCount != 1) return fail(IK_ERR_FORMAT, IK_FALSE);
        const std::int32_t width = dib.width();
        const std::size_t wholeBytes = static_cast<std::size_t>(width) / 8;
        const unsigned restBits = static_cast<unsigned>(width % 8);
        // Pixels are the high bits first; the padding after the last pixel is not counted.
        const std::uint8_t restMask = static_cast<std::uint8_t>(0xFF00u >> restBits);
        std::uint64_t ones = 0;
        for (std::int32_t y = 0; y < dib.height(); ++y) {
            const std::uint8_t* row = dib.row(y);
            for (std::size_t i = 0; i < wholeBytes; ++i) ones += std::popcount(row[i]);
            if (restBits) ones += std::popcount(static_cast<std::uint8_t>(row[wholeBytes] & restMask));
        }
        const std::uint64_t total = static_cast<std::uint64_t>(width) * dib.height();
        *first = static_cast<int32_t>(std::min<std::uint64_t>(total - ones, INT32_MAX));
        *second = static_cast<int32_t>(std::min<std::uint64_t>(ones, INT32_MAX));
        return IK_TRUE;
    });
}

IK_API uint16_t DibNumColors(const void* header) {
    return guarded<uint16_t>(0, [&]() -> uint16_t {
        if (!header) return fail<uint16_t>(IK_ERR_ARGUMENT, 0);
        platform::BitmapInfoHeader h;
        std::memcpy(&h, header, sizeof(h));
        return static_cast<uint16_t>(platform::dibNumColors(h));
    });
}

IK_API uint16_t GetDibPalSize(const void* header) {
    return guarded<uint16_t>(0, [&]() -> uint16_t {
        if (!header) return fail<uint16_t>(IK_ERR_ARGUMENT, 0);
        platform::BitmapInfoHeader h;
        std::memcpy(&h, header, sizeof(h));
        return static_cast<uint16_t>(platform::dibPaletteSize(h));
    });
}

IK_API IKBOOL IsGrayImage(IKHANDLE image) {
    return guarded(IK_FALSE, [&] {
        const DibView dib(image);
        if (!dib.usable()) return fail(dib.failureStatus(), IK_FALSE);
        return paletteIsGrey(dib) ? IK_TRUE : IK_FALSE;
    });
}

IK_API void* CreateBIPalette(const void* header) {
    return guarded<void*>(nullptr, [&]() -> void* {
        if (!header) return fail<void*>(IK_ERR_ARGUMENT, nullptr);
        platform::BitmapInfoHeader h;
        std::memcpy(&h, header, sizeof(h));
        const std::uint32_t count = platform::dibNumColors(h);
        // True-colour bitmaps need no palette.
        if (count == 0) return nullptr;
        const auto* colours = reinterpret_cast<const platform::RgbQuad*>(static_cast<const std::uint8_t*>(header) + h.biSize);
        auto* table = new QList<QRgb>();
        for (std::uint32_t i = 0; i < count; ++i) table->append(qRgb(colours[i].red, colours[i].green, colours[i].blue));
        return registerPalette(table);
    });
}
