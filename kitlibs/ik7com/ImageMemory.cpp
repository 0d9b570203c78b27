// Image memory: size, free, facts, copy and creation of packed bitmaps.
#include "Colour.h"
#include "DibBlock.h"
#include "DibImage.h"
#include "KitCall.h"
#include "Palettes.h"

#include <cstring>

using namespace kit;

IK_API uint32_t IKGetMemorySize(IKHANDLE image) {
    return guarded<uint32_t>(0, [&]() -> uint32_t {
        const std::size_t size = platform::globalSize(image);
        if (size == 0) return fail<uint32_t>(IK_ERR_HANDLE, 0);
        return static_cast<uint32_t>(size);
    });
}

IK_API IKBOOL IKFreeMemory(IKHANDLE image) {
    return guarded(IK_FALSE, [&] { return platform::globalFree(image) ? IK_TRUE : fail(IK_ERR_HANDLE, IK_FALSE); });
}

IK_API IKBOOL IKGetImageType(IKHANDLE image, IKIMAGEINFO* info) {
    return guarded(IK_FALSE, [&] {
        if (!info) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        std::memset(info, 0, sizeof(*info));
        const DibView dib(image);
        if (!dib.usable()) return fail(dib.failureStatus(), IK_FALSE);
        const platform::BitmapInfoHeader& h = dib.header();
        info->valueA = h.biBitCount;
        info->valueB = static_cast<uint16_t>(dib.colourCount());
        info->valueC = static_cast<uint16_t>(h.biCompression);
        info->xdpi = platform::pelsPerMeterToDpi(h.biXPelsPerMeter);
        info->ydpi = platform::pelsPerMeterToDpi(h.biYPelsPerMeter);
        info->width = dib.width();
        info->height = dib.height();
        info->valueD = platform::dibImageBytes(h);
        info->flagE = paletteIsGrey(dib) ? IK_TRUE : IK_FALSE;
        info->valueF = static_cast<uint32_t>(dib.blockSize());
        info->kind = IK_KIND_RASTER;
        return IK_TRUE;
    });
}

IK_API IKHANDLE IKCopyImage(IKHANDLE image) {
    return guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        const DibView dib(image);
        if (!dib.usable()) return fail<IKHANDLE>(dib.failureStatus(), 0);
        const std::size_t size = dib.blockSize();
        // Not zeroed: every byte is overwritten by the copy.
        platform::GlobalBlock copy(platform::globalAlloc(size, false));
        platform::GlobalLock target(copy.get());
        if (!target) return fail<IKHANDLE>(IK_ERR_MEMORY, 0);
        std::memcpy(target.data(), dib.base(), size);
        return copy.release();
    });
}

IK_API IKHANDLE IKCreateImage(int32_t width, int32_t height, uint16_t bits, uint8_t red, uint8_t green,
                              uint8_t blue, int32_t, int32_t, int32_t, int32_t) {
    return guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        const QList<QRgb> table = standardPalette(bits, red, green, blue);
        platform::GlobalBlock image(allocateDib(width, height, bits, static_cast<uint32_t>(table.size()), false));
        if (!image.get()) return 0;
        const DibView dib(image.get());
        writeColourTable(dib.colours(), coloursOf(table));

        // One row of the fill, then copied into every row.
        std::uint8_t* first = dib.row(0);
        const std::uint32_t stride = dib.stride();
        std::memset(first, 0, stride);
        if (bits <= 8) {
            const std::size_t index = nearestEntry(coloursOf(table), red, green, blue);
            const int perByte = 8 / bits;
            std::uint8_t pattern = 0;
            for (int i = 0; i < perByte; ++i) pattern = static_cast<std::uint8_t>((pattern << bits) | index);
            std::memset(first, pattern, stride);
        } else {
            const int bytes = bits / 8;
            for (int32_t x = 0; x < width; ++x) {
                std::uint8_t* p = first + static_cast<std::size_t>(x) * bytes;
                p[0] = blue;
                p[1] = green;
                p[2] = red;
                if (bytes == 4) p[3] = 0;
            }
        }
        for (int32_t y = 1; y < height; ++y) std::memcpy(dib.row(y), first, stride);
        return image.release();
    });
}
