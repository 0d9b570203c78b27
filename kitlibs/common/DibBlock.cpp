#include "DibBlock.h"

#include "Colour.h"
#include "KitCall.h"

#include <cstring>

namespace kit {

IKHANDLE allocateDib(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t colours,
                     bool zeroed) {
    if (width <= 0 || height <= 0) return fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
    const std::uint64_t total = platform::dibTotalSize(width, height, bits, colours);
    // The size must fit the header's 32-bit fields; refuse before allocating anything.
    if (total > platform::kGlobalMaxBytes) return fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    const IKHANDLE image = platform::globalAlloc(static_cast<std::size_t>(total), zeroed);
    if (!image) return fail<IKHANDLE>(IK_ERR_MEMORY, 0);
    platform::GlobalLock lock(image);
    platform::BitmapInfoHeader header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biCompression = platform::kBiRgb;
    header.biSizeImage = platform::dibImageBytes(header);
    header.biClrUsed = (bits <= 8 && colours == (1u << bits)) ? 0 : colours;
    std::memcpy(lock.data(), &header, sizeof(header));
    return image;
}

IKHANDLE allocateGreyDib(std::int32_t width, std::int32_t height, bool zeroed) {
    const IKHANDLE image = allocateDib(width, height, 8, 256, zeroed);
    if (!image) return 0;
    writeGreyRamp(DibView(image).colours(), 256);
    return image;
}

}  // namespace kit
