#include "Pixels.h"

#include <cstring>

namespace kit {

ChannelMasks channelMasksOf(const platform::BitmapInfoHeader& header, const std::uint8_t* afterHeader) {
    if (header.biCompression == platform::kBiBitFields) {
        std::uint32_t masks[3];
        std::memcpy(masks, afterHeader, sizeof(masks));
        return channelMasks(masks);
    }
    return channelMasks(header.biBitCount == 16 ? kMasks555 : kMasks888);
}

}  // namespace kit
