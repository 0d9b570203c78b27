#pragma once
// JPEG coding of FlashPix tiles: the shared tables once, then each tile as an abbreviated
// stream (no tables) of 64 × 64 pixels.

#include "FpxPlane.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kit::fpx {

// The tables stream of `channels`-channel tiles at `quality`; nothing when libjpeg fails.
std::optional<std::vector<std::uint8_t>> jpegTables(std::uint32_t channels, int quality);

// The coded bytes of every tile of every level (out[level][tile], tiles in rows), coded on
// every core; false when libjpeg fails.
bool codeJpegTiles(const std::vector<Plane>& levels, int quality, std::vector<std::vector<std::vector<std::uint8_t>>>& out);

}  // namespace kit::fpx
