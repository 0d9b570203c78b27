#pragma once
// Decoding a JPEG held in memory into a new packed bitmap.

#include "ik7kit.h"

#include <cstddef>
#include <cstdint>

namespace kit {

// A new 24-bit (colour) or 8-bit grey (one component) image; 0 with a status when the
// data is no JPEG, is damaged, or would not fit 32-bit sizes.
IKHANDLE decodeJpeg(const std::uint8_t* data, std::size_t size);

}  // namespace kit
