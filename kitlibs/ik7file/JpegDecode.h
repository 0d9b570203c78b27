#pragma once
// Decoding a JPEG held in memory into a new packed bitmap.

#include "DecodeLimits.h"
#include "Progress.h"
#include "ik7kit.h"

#include <cstddef>
#include <cstdint>

namespace kit {

// A new 24-bit (colour, CMYK and YCCK converted to RGB) or 8-bit grey image with the
// file's resolution; 0 with a status when the data is no JPEG, is damaged or cut short,
// claims a picture its size cannot hold or of more than mostPixels, needs more work or
// codec memory than the decode budget allows, or the progress callback stops it. With
// atLeastWidth and atLeastHeight above 0, libjpeg scales by 1/2, 1/4 or 1/8 while it
// decodes, as far as the picture stays at least that large; the resolution scales with it.
// halvings of 0 to 3 scales by exactly 1/2^halvings instead.
IKHANDLE decodeJpeg(const std::uint8_t* data, std::size_t size, Progress* progress = nullptr,
                    std::uint64_t mostPixels = kMostPagePixels, std::int32_t atLeastWidth = 0,
                    std::int32_t atLeastHeight = 0, int halvings = -1);

}  // namespace kit
