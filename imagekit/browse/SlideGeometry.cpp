#include "browse/SlideGeometry.h"

#include <algorithm>

SlideSize GetImageSize(int areaWidth, int areaHeight, int imageWidth, int imageHeight) {
    if (areaWidth < 1 || areaHeight < 1 || imageWidth < 1 || imageHeight < 1) return {};
    const float byHeight = imageHeight > areaHeight ? static_cast<float>(imageHeight) / static_cast<float>(areaHeight) : 1.0f;
    const float byWidth = imageWidth > areaWidth ? static_cast<float>(imageWidth) / static_cast<float>(areaWidth) : 1.0f;
    const double factor = std::max(byHeight, byWidth);
    return {static_cast<int>(imageWidth / factor + 0.5), static_cast<int>(imageHeight / factor + 0.5)};
}

SlideSize centreOffset(int areaWidth, int areaHeight, int width, int height) {
    return {(areaWidth - width) / 2, (areaHeight - height) / 2};
}

Ikutils::IkRect slideDrawArea(int width, int height, bool borderVisible, TVIkAppearance appearance) {
    const int inset = !borderVisible ? 0 : appearance == vikFlat ? 1 : 2;
    return {inset, inset, width - 1 - inset, height - 1 - inset};
}

std::vector<WipeStep> wipeSteps(TVIkSlideScroll dir, int extent, int scrollSize) {
    std::vector<WipeStep> steps;
    if (dir == vikNormal || extent < 1) return steps;
    const int s = std::clamp(scrollSize, 1, extent);
    // Right-to-left and bottom-to-top move the bitmap's first lines in from the far edge;
    // the other two move its last lines in from the near edge.
    const bool fromFarEdge = dir == vikRightToLeft || dir == vikDownToUp;
    steps.reserve(static_cast<std::size_t>(extent / s + 1));
    for (int w = 0; w < extent; w += s) {
        const int b = std::max(extent - s - w, 0);
        const int n = std::min(w + s, extent);
        const int percent = static_cast<int>(static_cast<std::int64_t>(w) * 100 / extent) - 1;
        steps.push_back(fromFarEdge ? WipeStep{0, b, n, percent} : WipeStep{b, 0, n, percent});
    }
    return steps;
}
