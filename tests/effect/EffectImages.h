#pragma once
// Test images for the effect and display tests: random pixels of any depth with clean row
// padding, byte snapshots and a pixel reader of their own.

#include "ik7kit.h"

#include <cstdint>
#include <vector>

namespace effecttest {

// A new bottom-up image of the depth (1, 4, 8, 16, 24, 32) with random pixels; palette
// depths get a random colour table. Row padding stays 0.
IKHANDLE randomImage(std::int32_t width, std::int32_t height, int bits, unsigned seed);

// The whole block of an image.
std::vector<std::uint8_t> bytesOf(IKHANDLE image);

struct Facts {
    std::int32_t width = 0, height = 0;
    int bits = 0;
};
Facts factsOf(IKHANDLE image);

// The packed value at (x, y) counted from the top-left corner.
std::uint32_t valueAt(IKHANDLE image, std::int32_t x, std::int32_t y);
// The colour at (x, y) as 0xRRGGBB (palette looked up, 16 bits as 5-5-5).
std::uint32_t colourAt(IKHANDLE image, std::int32_t x, std::int32_t y);
// Writes the packed value at (x, y).
void setValueAt(IKHANDLE image, std::int32_t x, std::int32_t y, std::uint32_t value);

}  // namespace effecttest
