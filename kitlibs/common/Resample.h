#pragma once
// Separable resampling of 8-bit channels: area averaging when a side shrinks, and either
// area averaging or bilinear interpolation when it grows. The vertical pass runs first,
// over whole rows, so that a large reduction walks the source once and contiguously.

#include <cstdint>
#include <functional>
#include <vector>

namespace kit {

// Source and destination sizes along one side, and the weights that make each
// destination pixel from a run of source pixels (16.16 fixed point, summing to 65536).
struct ResampleTaps {
    std::vector<std::int32_t> first;   // first source index of each destination pixel
    std::vector<std::int32_t> count;   // how many source pixels it takes
    std::vector<std::int32_t> offset;  // where its weights start in `weights`
    std::vector<std::uint32_t> weights;
};

// bilinearWhenGrowing: interpolate between the two nearest source pixels when the side
// grows; otherwise each destination pixel averages the source area it covers.
ResampleTaps resampleTaps(std::int32_t sourceLength, std::int32_t destinationLength, bool bilinearWhenGrowing);

// rows(y) gives source row y (0 … sourceHeight − 1), `channels` bytes per pixel from the
// rectangle's left edge. store(y, pixels) receives each destination row in order.
void resample(const std::function<const std::uint8_t*(std::int32_t)>& rows, int channels, std::int32_t sourceWidth,
              std::int32_t sourceHeight, std::int32_t width, std::int32_t height, bool bilinearWhenGrowing,
              const std::function<void(std::int32_t, const std::uint8_t*)>& store);

}  // namespace kit
