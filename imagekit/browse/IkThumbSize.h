#pragma once
// The size of a thumbnail: the longer side becomes imageSize, the other side keeps the
// proportion, rounded half up.

#include <cstdint>

struct IkThumbSize {
    std::int32_t width = 0, height = 0;
    bool operator==(const IkThumbSize&) const = default;
};

// 0 × 0 for a side below 1 or a negative imageSize.
constexpr IkThumbSize GetThumbnailImageSize(std::int32_t imageSize, std::int32_t width, std::int32_t height) {
    if (imageSize < 0 || width < 1 || height < 1) return {};
    const double longer = width >= height ? width : height;
    const auto scaled = [&](std::int32_t side) {
        return static_cast<std::int32_t>(static_cast<double>(imageSize) * side / longer + 0.5);
    };
    if (width == height) return {imageSize, imageSize};
    return width > height ? IkThumbSize{imageSize, scaled(height)} : IkThumbSize{scaled(width), imageSize};
}
